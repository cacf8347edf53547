// Loading sounds: what a good file gives, and that every bad one gives null and one line.
#include "SoundTestSupport.h"

#include <fstream>
#include <iterator>

#include <sys/stat.h>
#include <unistd.h>

#include <ogg/ogg.h>

#include "OggToneWriter.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

class LoadingAFile : public LoopbackTest {
protected:
  void SetUp() override {
    LoopbackTest::SetUp();
    dir = MakeTempDir("vexmoor_bad_sound_");
    ASSERT_FALSE(dir.empty());
  }
  void TearDown() override {
    RemoveDir(dir);
    LoopbackTest::TearDown();
  }
  // Loads `path` expecting null and exactly one line on stderr that names the file (and
  // the reason, when given).
  void ExpectRefused(const std::string& path, const std::string& reason = "") {
    testing::internal::CaptureStderr();
    std::shared_ptr<TSound> sound = TSound::Load(path, 2);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(sound) << path;
    EXPECT_NE(std::string::npos, err.find(path)) << err;
    EXPECT_NE(std::string::npos, err.find(reason)) << err;
    EXPECT_EQ(1, std::count(err.begin(), err.end(), '\n')) << err;
  }
  std::string dir;
};

TEST_F(LoadingAFile, GoodFileGivesItsSamplesAndFlags) {
  auto sound = LoadOrFail(tones().tone441, 3);
  EXPECT_EQ(3, sound->GetFlags());
  EXPECT_EQ(1, sound->IsLooping());
  EXPECT_EQ(44100, sound->GetSampleRate());
  EXPECT_EQ(1, sound->GetFileChannels());
  EXPECT_EQ(88200, sound->GetFrames());
  EXPECT_NEAR(2.0f, sound->GetDuration(), 0.001f);
  EXPECT_EQ(tones().tone441, sound->GetPath());
  EXPECT_EQ(0, LoadOrFail(tones().tone441, TSound::HARDWARE)->IsLooping());
}

TEST_F(LoadingAFile, OtherSampleRatesPlayAtTheirOwnPitch) {
  std::string path = dir + "/tone22k.ogg";
  ASSERT_TRUE(WriteOggTone(path, 441.0f, 1.0f, 22050));
  auto sound = LoadOrFail(path, 2);
  EXPECT_EQ(22050, sound->GetSampleRate());
  sound->Play();
  EXPECT_NEAR(441, Mix::Render(0.5f).ZeroCrossings(), 5);
}

TEST_F(LoadingAFile, MissingFileIsRefused) { ExpectRefused(dir + "/no_such_sound.ogg"); }

TEST_F(LoadingAFile, EmptyFileIsRefused) {
  WriteFile(dir + "/empty.ogg", "");
  ExpectRefused(dir + "/empty.ogg");
}

TEST_F(LoadingAFile, FileThatIsNotOggIsRefused) {
  WriteFile(dir + "/text.ogg", "this is not a sound at all, only some words in a file\n");
  ExpectRefused(dir + "/text.ogg");
}

TEST_F(LoadingAFile, DirectoryIsRefused) { ExpectRefused(dir); }

// Refused before opening: a FIFO would block the load for good (the alarm ends a hang as a
// failure), a folder used to read as "too large".
TEST_F(LoadingAFile, FolderFifoAndSymlinkLoopAreRefusedWithTheirReason) {
  const std::string fifo = dir + "/fifo.ogg", loop = dir + "/loop.ogg";
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  ASSERT_EQ(0, symlink("loop.ogg", loop.c_str()));
  alarm(10);
  ExpectRefused(dir, "the file is a folder");
  ExpectRefused(fifo, "the file is a FIFO");
  ExpectRefused(loop, "the file is a symbolic link loop");
  ExpectRefused(dir + "/no_such_sound.ogg", "the file does not exist");
  alarm(0);
}

TEST_F(LoadingAFile, TruncatedFileIsRefusedWhereverItIsCut) {
  // Past the headers vorbisfile would decode such a file as a shorter sound.
  std::string whole = ReadFile(tones().noise);
  ASSERT_GT(whole.size(), 20000u);
  ASSERT_TRUE(TSound::Load(tones().noise, 2));
  for (double keep : {0.02, 0.3, 0.6, 0.8, 0.99}) {
    std::string path = dir + "/cut" + std::to_string(int(keep * 100)) + ".ogg";
    WriteFile(path, whole.substr(0, static_cast<size_t>(whole.size() * keep)));
    ExpectRefused(path);
  }
}

TEST_F(LoadingAFile, FileWithDamagedBytesIsRefused) {
  std::string bytes = ReadFile(tones().noise);
  for (size_t i = bytes.size() / 2; i < bytes.size() / 2 + 64; ++i) bytes[i] = static_cast<char>(bytes[i] ^ 0x5a);
  WriteFile(dir + "/damaged.ogg", bytes);
  ExpectRefused(dir + "/damaged.ogg");
}

TEST_F(LoadingAFile, OggThatHoldsNoVorbisIsRefused) {
  // A well-formed Ogg stream of one packet that is not Vorbis.
  ogg_stream_state stream;
  ogg_stream_init(&stream, 7);
  unsigned char text[] = "not a vorbis header";
  ogg_packet packet = {};
  packet.packet = text;
  packet.bytes = sizeof text;
  packet.b_o_s = 1;
  packet.e_o_s = 1;
  ogg_stream_packetin(&stream, &packet);
  std::string bytes;
  ogg_page page;
  while (ogg_stream_flush(&stream, &page)) {
    bytes.append(reinterpret_cast<char*>(page.header), page.header_len);
    bytes.append(reinterpret_cast<char*>(page.body), page.body_len);
  }
  ogg_stream_clear(&stream);
  WriteFile(dir + "/notvorbis.ogg", bytes);
  ExpectRefused(dir + "/notvorbis.ogg");
}

TEST_F(LoadingAFile, RefusedFilesLeaveTheDeviceAsItWas) {
  WriteFile(dir + "/empty.ogg", "");
  testing::internal::CaptureStderr();
  for (int i = 0; i < 20; ++i) EXPECT_FALSE(TSound::Load(dir + "/empty.ogg", 2));
  testing::internal::GetCapturedStderr();
  auto sound = LoadOrFail(tones().tone441, 2);
  ASSERT_TRUE(sound->Play());
  EXPECT_GT(Mix::Render(0.1f).Peak(), 0.1f);
}

}  // namespace
