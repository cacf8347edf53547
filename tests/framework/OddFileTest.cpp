// A folder, a FIFO or a symbolic link loop where a mesh or a font should be: refused
// before it is opened (opening a FIFO would block for good), with the reason named.
// Each case runs in a child under an alarm.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "framework/GameResource.h"
#include "base/RegularFile.h"
#include "tests/support/Watchdog.h"

namespace {

struct OddKind {
    const char* name;
    const char* reason;
};
void PrintTo(const OddKind& kind, std::ostream* out) { *out << kind.name; }
const OddKind kOddKinds[] = {{"folder", "is a folder"}, {"fifo", "is a FIFO"}, {"loop", "is a symbolic link loop"}};

class OddFile : public ::testing::TestWithParam<OddKind> {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vexmoor-odd-XXXXXX";
        dir = mkdtemp(pattern);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Puts the odd thing of this test's kind at `name` in the folder.
    std::string MakeOdd(const std::string& name)
    {
        const std::string path = dir + "/" + name;
        const std::string kind = GetParam().name;
        if (kind == "folder") std::filesystem::create_directory(path);
        if (kind == "fifo") mkfifo(path.c_str(), 0600);
        if (kind == "loop") std::filesystem::create_symlink(name, path);
        return path;
    }

    std::string dir;
};

TEST_P(OddFile, IsNamedWithItsReason)
{
    EXPECT_EQ(RegularFileProblem(MakeOdd("thing")), GetParam().reason);
    std::ofstream(dir + "/plain") << "x";
    EXPECT_EQ(RegularFileProblem(dir + "/plain"), "");
    EXPECT_EQ(RegularFileProblem(dir + "/none"), "does not exist");
}

TEST_P(OddFile, InPlaceOfAMeshGivesNoMeshAndOneLine)
{
    const std::string mesh = MakeOdd("tank.3ds");
    const WatchdogResult result = RunUnderWatchdog(2, [&] {
        irr::IrrlichtDevice* device = irr::createDevice(irr::video::EDT_NULL);
        const bool loaded = TMeshResource::Create(device->getSceneManager(), mesh) != nullptr;
        device->drop();
        return loaded ? 1 : 0;
    });
    ASSERT_FALSE(result.hung) << "loading the mesh blocked";
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(LinesContaining(result.stderrText,
                              "mesh: cannot load \"" + mesh + "\": the file " + GetParam().reason),
              1)
        << result.stderrText;
}

TEST_P(OddFile, InPlaceOfAFontOrItsTextureGivesNoFontAndNoError)
{
    // A whole font file whose texture is the odd thing, and the odd thing as the font file.
    const std::string withOddTexture = dir + "/font.xml";
    std::ofstream(withOddTexture) << "<?xml version=\"1.0\"?>\n<font type=\"bitmap\">\n"
                                     "<Texture index=\"0\" filename=\"font_0.png\" hasAlpha=\"true\" />\n"
                                     "<c c=\"A\" r=\"0,0,4,4\" />\n</font>\n";
    const std::string texture = MakeOdd("font_0.png");
    const std::string font = MakeOdd("other.xml");
    // The same texture named by its absolute path, from a font in another folder.
    std::filesystem::create_directories(dir + "/elsewhere");
    const std::string withAbsoluteTexture = dir + "/elsewhere/font.xml";
    std::ofstream(withAbsoluteTexture) << "<?xml version=\"1.0\"?>\n<font type=\"bitmap\">\n"
                                          "<Texture index=\"0\" filename=\"" << texture << "\" hasAlpha=\"true\" />\n"
                                          "<c c=\"A\" r=\"0,0,4,4\" />\n</font>\n";
    const WatchdogResult result = RunUnderWatchdog(2, [&] {
        irr::IrrlichtDevice* device = irr::createDevice(irr::video::EDT_NULL);
        int loaded = 0;
        for (const std::string& file : {font, withOddTexture, withAbsoluteTexture})
            if (TFontResource::Create(device->getGUIEnvironment(), file, 10, 0)->GetResource()) ++loaded;
        device->drop();
        return loaded;
    });
    ASSERT_FALSE(result.hung) << "loading the font blocked";
    EXPECT_EQ(result.status, 0) << result.stderrText;
    EXPECT_EQ(TFontResource::Problem(font), std::string("the file ") + GetParam().reason);
    EXPECT_EQ(TFontResource::Problem(withOddTexture), "its texture " + texture + " " + GetParam().reason);
    EXPECT_EQ(TFontResource::Problem(withAbsoluteTexture), "its texture " + texture + " " + GetParam().reason);
}

TEST(FontSize, AFontFileOverFourMiBIsRefusedWithItsSize)
{
    char pattern[] = "/tmp/vexmoor-bigfont-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    const std::string font = dir + "/big.xml";
    std::ofstream(font) << "<?xml version=\"1.0\"?>\n<font type=\"bitmap\">\n</font>\n";
    std::filesystem::resize_file(font, 2000000000ull);  // sparse: no disk taken
    EXPECT_EQ(TFontResource::Problem(font), "the file is 2000000000 bytes, more than the 4 MiB a font may have");
    std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Kinds, OddFile, ::testing::ValuesIn(kOddKinds),
                         [](const ::testing::TestParamInfo<OddKind>& info) { return std::string(info.param.name); });

}  // namespace
