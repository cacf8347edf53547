#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/GameBase.h"
#include "framework/GameResource.h"
#include "framework/GameState.h"

TEST(Flags, UnsetFlagReadsZeroAndSetFlagsKeepTheirValue)
{
    TGameBase base;
    EXPECT_EQ(base.GetFlag("match_end"), 0);
    base.SetFlag("match_end", -5);
    EXPECT_EQ(base.GetFlag("match_end"), -5);
    EXPECT_EQ(base.GameFlags.Get("match_end"), "-5");
    base.RemoveFlag("match_end");
    EXPECT_EQ(base.GetFlag("match_end"), 0);
    base.SetFlag("a", 3);
    base.ClearFlags();
    EXPECT_EQ(base.GetFlag("a"), 0);
}

TEST(Flags, FlagSetToZeroStaysPresent)
{
    TGameBase base;
    base.SetFlag("guided_shells", 1);
    base.SetFlag("guided_shells", 0);
    EXPECT_EQ(base.GetFlag("guided_shells"), 0);
    EXPECT_TRUE(base.HasFlag("guided_shells"));
}

TEST(Resources, ReplacingKeepsTheOldResourceAliveForOtherHolders)
{
    TGameBase store;
    auto first = TColorResource::Create(255, 1, 2, 3);
    auto second = TColorResource::Create(255, 4, 5, 6);
    store.AddGameResource("c", first);
    store.AddGameResource("c", second);
    EXPECT_EQ(store.GetGameResource("c"), second);
    EXPECT_EQ(first->GetResource()->getRed(), 1u);
    EXPECT_EQ(store.IsGameResource("missing"), 0);
    store.RemoveGameResource("missing");
    EXPECT_EQ(store.IsGameResource("c"), 1);
}

TEST(Resources, ClearRemovesEveryKeyAndTypedLookupChecksTheClass)
{
    TGameBase store;
    for (const char* key : {"b", "a", "c"}) store.AddGameResource(key, TColorResource::Create(255, 0, 0, 0));
    EXPECT_EQ(store.GetGameResourceAs<TFontResource>("a"), nullptr);
    EXPECT_NE(store.GetGameResourceAs<TColorResource>("a"), nullptr);
    store.ClearResources();
    EXPECT_TRUE(store.GameResources.Empty());
}

TEST(Resources, ClearRemovesTheKeysInAscendingOrder)
{
    // Each resource notes when the store lets go of it: the store holds the only reference.
    struct Noted : TGameResource {
        Noted(std::vector<std::string>& log, std::string key) : log(log), key(std::move(key)) {}
        ~Noted() override { log.push_back(key); }
        std::vector<std::string>& log;
        std::string key;
    };
    std::vector<std::string> released;
    TGameBase store;
    for (const char* key : {"b", "a", "c"}) store.AddGameResource(key, std::make_shared<Noted>(released, key));
    EXPECT_TRUE(released.empty());
    store.ClearResources();
    EXPECT_EQ(released, (std::vector<std::string>{"a", "b", "c"}));
}

TEST(Resources, ColorFromColorSharesTheColorObject)
{
    auto color = std::make_shared<irr::video::SColor>(255, 10, 20, 30);
    auto resource = TColorResource::CreateFromColor(color);
    color->setRed(99);
    EXPECT_EQ(resource->GetResource()->getRed(), 99u);
    EXPECT_EQ(resource->res_type, "SColor");
}

TEST(Resources, FailedLoadsGiveNullOrAnEmptyFont)
{
    EXPECT_EQ(TMeshResource::Create(nullptr, "media/none.3ds"), nullptr);
    auto font = TFontResource::Create(nullptr, "fonts/none.xml", 12, 1);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GetResource(), nullptr);
    EXPECT_EQ(font->file, "fonts/none.xml");
    EXPECT_EQ(font->pt, 12);
    auto color = TColorResource::Create(255, 1, 1, 1);
    color->FreeResouce();
    EXPECT_EQ(color->GetResource(), nullptr);
}

TEST(TypeNames, GetTypeNamesTheDeclaredClass)
{
    TGameState state;
    TColorResource color;
    EXPECT_EQ(state.GetType(), "TGameState");
    EXPECT_EQ(color.GetType(), "TColorResource");
    EXPECT_EQ(TGameBase().GetType(), "TGameBase");
}

#include <fstream>

#include "framework/Game.h"

TEST(Resources, FontFileCutShortIsNeverHandedToTheEngine)
{
    TGame::InitClassData();
    {
        TGame game;
        ASSERT_EQ(game.InitGraphics(800, 600, 16, 0), 1);
        irr::gui::IGUIEnvironment* guienv = game.device->getGUIEnvironment();
        const std::string dir = testing::TempDir();
        const std::string whole = dir + "/whole_font.xml", cut = dir + "/cut_font.xml";
        // A bitmap font whose texture is missing still parses to its end, and fails there.
        const std::string text = "<?xml version=\"1.0\"?>\n<font type=\"bitmap\">\n"
                                 "<Texture index=\"0\" filename=\"none.png\" hasAlpha=\"true\" />\n"
                                 "<c c=\"A\" r=\"0,0,4,4\" u=\"0\" o=\"0\" i=\"0\" />\n</font>\n";
        std::ofstream(whole) << text;
        std::ofstream(cut) << text.substr(0, text.size() / 2);
        EXPECT_TRUE(TFontResource::IsWholeFontFile(whole));
        EXPECT_FALSE(TFontResource::IsWholeFontFile(cut));
        EXPECT_FALSE(TFontResource::IsWholeFontFile(dir + "/no_such_font.xml"));
        auto font = TFontResource::Create(guienv, cut, 14, 0);
        EXPECT_EQ(font->GetResource(), nullptr);
        EXPECT_EQ(font->file, cut);
    }
    TGame::ReleaseClassData();
}
