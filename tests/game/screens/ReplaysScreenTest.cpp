// The replay list off the title: the recordings newest first with what they hold, every
// kind of bad file listed with its reason and refused when chosen, a good one handed to the
// arena.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "ScreenFixture.h"
#include "game/replay/ReplayWriter.h"

namespace {

class ReplaysScreenTest : public ScreenTest {
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        char pattern[] = "/tmp/vexmoor-replay-list.XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder = pattern;
        game = std::make_shared<TVexmoor>();
        game->replayFolder = folder;
    }
    void TearDown() override
    {
        ScreenTest::TearDown();
        std::filesystem::remove_all(folder);
    }

    // A finished recording of a duel on the open field, its file dated `age` seconds back.
    std::vector<uint8_t> Recording(replay::TDriverKind first, uint16_t hitsOnFirst, uint16_t hitsOnSecond)
    {
        replay::TReplayHeader h;
        h.gameVersion = "Vexmoor test";
        h.dateUnixSeconds = 1714567890;
        h.tanks = {{first, 2, 0, 7}, {replay::TDriverKind::Keys, 1, 1, 0}};
        replay::TReplayWriter writer(h);
        for (uint32_t f = 0; f < 600; ++f) writer.AddFrame(1000 + 16 * f, {});
        writer.Finish({replay::TReplayEnding::ScoreReached, {hitsOnFirst, hitsOnSecond}});
        return writer.Bytes();
    }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes, int age)
    {
        const std::string path = folder + "/" + name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                   static_cast<std::streamsize>(bytes.size()));
        Age(path, age);
        return path;
    }
    static void Age(const std::string& path, int age)
    {
        const timespec when[2] = {{std::time(nullptr) - age, 0}, {std::time(nullptr) - age, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), when, AT_SYMLINK_NOFOLLOW), 0) << path;
    }

    void OpenList()
    {
        StartAtTitle();
        PointAt(title->replays);
        Click();
        Frames();
        ASSERT_EQ(Current(), "ReplaysScreen");
        list = std::dynamic_pointer_cast<TVexmoorReplaysScreen>(TGame::GetCurrentGameState());
        ASSERT_TRUE(list);
    }
    irr::gui::IGUIElement* Entry(size_t i)
    {
        return list->guienv->getRootGUIElement()->getElementFromId(TVexmoorReplaysScreen::kFirstEntryId + int(i), true);
    }
    std::wstring Text(size_t i)
    {
        irr::gui::IGUIElement* entry = Entry(i);
        return entry ? entry->getText() : L"(none)";
    }

    std::string folder;
    std::shared_ptr<TVexmoorReplaysScreen> list;
};

}  // namespace

TEST_F(ReplaysScreenTest, ListsTheRecordingsNewestFirstAndEveryBadFileWithItsReason)
{
    const std::vector<uint8_t> good = Recording(replay::TDriverKind::Computer, 1, 2);
    Write("a-old.vxr", Recording(replay::TDriverKind::Pad, 0, 5), 500);
    const std::string newest = Write("b-new.vxr", good, 10);
    Write("c-cut.vxr", std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(good.size() / 2)), 100);
    std::vector<uint8_t> version = good;
    version[4] = 2;
    Write("d-version.vxr", version, 200);
    Write("e-noise.vxr", std::vector<uint8_t>(3000, 0x5A), 300);
    std::vector<uint8_t> huge = good;
    const size_t block = 10 + (good[6] | good[7] << 8) + 4;  // the first block's frame count follows its tag
    huge[block + 1] = huge[block + 2] = 0xFF;
    Write("f-huge.vxr", huge, 400);
    ASSERT_EQ(::mkdir((folder + "/g-folder.vxr").c_str(), 0755), 0);
    Age(folder + "/g-folder.vxr", 600);
    ASSERT_EQ(::mkfifo((folder + "/h-fifo.vxr").c_str(), 0644), 0);
    Age(folder + "/h-fifo.vxr", 700);
    Write("notes.txt", good, 1);  // not a recording: not listed

    OpenList();
    ASSERT_EQ(list->entries.size(), 8u);
    EXPECT_EQ(list->entries[0].path, newest);
    // The date and time as the local clock reads them, then the arena, the players, each
    // one's score (the hits its tank took) and the length.
    EXPECT_EQ(Text(0).substr(16), L"  OPEN FIELD  HARD VS KEYS  1:2  0:09");
    EXPECT_EQ(Text(1), L"C-CUT.VXR  UNREADABLE: IS CUT OFF AFTER 240 FRAMES");
    EXPECT_EQ(Text(2), L"D-VERSION.VXR  UNREADABLE: WAS RECORDED IN REPLAY FORMAT 2 (THIS GAME PLAYS FORMAT 1)");
    EXPECT_EQ(Text(3), L"E-NOISE.VXR  UNREADABLE: IS NOT A REPLAY FILE");
    EXPECT_EQ(Text(4), L"F-HUGE.VXR  UNREADABLE: CLAIMS A BLOCK OF 65535 FRAMES AFTER 0 FRAMES");
    EXPECT_NE(Text(5).find(L"PAD VS KEYS  0:5"), std::wstring::npos) << std::string(Text(5).begin(), Text(5).end());
    EXPECT_EQ(Text(6), L"G-FOLDER.VXR  UNREADABLE: IS A FOLDER");
    EXPECT_EQ(Text(7), L"H-FIFO.VXR  UNREADABLE: IS A FIFO");
    EXPECT_TRUE(list->message.empty());
}

TEST_F(ReplaysScreenTest, ABadOneChosenSaysWhyAndAGoodOneGoesToTheArenaToBePlayed)
{
    const std::string good = Write("good.vxr", Recording(replay::TDriverKind::Computer, 3, 0), 5);
    ASSERT_EQ(::mkfifo((folder + "/pipe.vxr").c_str(), 0644), 0);
    Age(folder + "/pipe.vxr", 50);
    OpenList();
    PointAt(Entry(1));
    Click();
    Frames();
    EXPECT_EQ(Current(), "ReplaysScreen");
    EXPECT_EQ(list->message, L"THAT REPLAY IS A FIFO: IT CANNOT BE PLAYED");
    EXPECT_TRUE(game->replayToPlay.empty());

    PointAt(Entry(0));
    Click();
    Frames();
    EXPECT_EQ(Current(), "Arena");
    EXPECT_EQ(game->replayToPlay, good);
    EXPECT_EQ(game->afterReplay, "ReplaysScreen");

    // Back from an arena that refused it after all: the list says why, once.
    game->replayRefused = "holds no frames";
    TGame::SetGameState("ReplaysScreen");
    EXPECT_EQ(list->message, L"THAT REPLAY HOLDS NO FRAMES");
    EXPECT_TRUE(game->replayRefused.empty());
    // Escape leads back to the title.
    TapKey(irr::KEY_ESCAPE);
    Frames(2);
    EXPECT_EQ(Current(), "TitleScreen");
}
