// Codec loading against fixture codec libraries and a registry written per test.
#include "codecs/codec_loading.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "codecs/audio_decoder_entries.h"
#include "codecs/video_pass_through.h"
#include "media/avi_reader.h"
#include "media/reader_state.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/support/avi_writer.h"

namespace {

// Codec loading of `item` as the item the reader has just opened.
int32_t Load(MediaDescriptor* item) {
  currentDescriptor = item;
  const int32_t result = LoadCodecs();
  currentDescriptor = nullptr;
  return result;
}

struct ShownBox {
  std::string title, text;
};
std::vector<ShownBox> shown;

int32_t Capture(WindowHandle, std::u16string_view text, std::u16string_view title, uint32_t) {
  shown.push_back({WideToUtf8(title), WideToUtf8(text)});
  return IDOK;
}

constexpr char kAudioSection[] = "[HKEY_LOCAL_MACHINE\\software\\Morvelant\\plugins\\audio]\n";
constexpr char kVideoSection[] = "[HKEY_LOCAL_MACHINE\\software\\Morvelant\\plugins\\video]\n";

class CodecLoading : public ::testing::Test {
 protected:
  void SetUp() override {
    SetExecutableFolder(CODEC_FIXTURE_DIR);
    SetMessageBoxPresenter(Capture);
    shown.clear();
    UseRegistry(std::string("REGEDIT4\n") + kAudioSection +
                "\"85\"=\"FixtureAudio.so\"\n\"80\"=\"FixtureSulvaneAudio.dll\"\n"
                "\"255\"=\"FixtureAltNamesAudio.so\"\n\"17\"=\"FixtureNoDecompressAudio.so\"\n"
                "\"2\"=\"\"\n\"8192\"=\"Missing.dll\"\n" +
                kVideoSection +
                "\"xvid\"=\"FixtureVideo.dll\"\n\"div3\"=\"FixtureNoFrameVideo.so\"\n"
                "\"rawp\"=\"\"\n\"h264\"=\"Missing.dll\"\n");
  }
  void TearDown() override { SetMessageBoxPresenter(nullptr); }

  // A fresh home folder whose registry is made from `text` alone.
  static void UseRegistry(const std::string& text) {
    char folder[] = "/tmp/morvelant-codecs-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string defaults = std::string(folder) + "/defaults.reg";
    ASSERT_TRUE(WriteFileAtomic(defaults, text.data(), text.size()));
    RegistryLoad(folder, defaults);
  }

  static MediaDescriptor Item(int32_t tag, const char* fourCC) {
    MediaDescriptor item{};
    item.AudioFormatTag = tag;
    item.AudioLength = 100000;
    std::memcpy(item.FourCC, fourCC, std::strlen(fourCC));
    item.FrameCount = fourCC[0] ? 250 : 0;
    return item;
  }

  template <typename Function>
  static Function Export(LibraryHandle library, const char* name) {
    return reinterpret_cast<Function>(GetProcAddress(library, name));
  }
};

TEST_F(CodecLoading, PcmNeedsNoAudioKeyAndEmptyFourCCNoVideoKey) {
  UseRegistry("REGEDIT4\n");
  MediaDescriptor item = Item(1, "");
  EXPECT_EQ(Load(&item), 0);
  EXPECT_TRUE(pcmAudio);
  EXPECT_EQ(audioCodecLibrary, nullptr);
  EXPECT_EQ(decodeFrame, VideoPassThroughFrame);
  EXPECT_EQ(item.AudioLength, 100000);
  EXPECT_TRUE(shown.empty());
}

TEST_F(CodecLoading, FourCCIsLookedUpLowerCaseAndTheCodecLearnsIt) {
  MediaDescriptor item = Item(1, "XVID");
  ASSERT_EQ(Load(&item), 0);
  ASSERT_NE(videoCodecLibrary, nullptr);
  EXPECT_EQ(decodeFrame, Export<DecodeFrameFunction>(videoCodecLibrary, "DecodeFrame"));
  EXPECT_EQ(decodeInit, Export<DecodeInitFunction>(videoCodecLibrary, "DecodeInit"));
  EXPECT_STREQ(Export<const char* (*)()>(videoCodecLibrary, "FixtureLastFourCC")(), "XVID");
  EXPECT_EQ(externalCodec, 1);
  EXPECT_TRUE(shown.empty());
}

TEST_F(CodecLoading, AudioOnlyItemWithUnregisteredTagIsReportedAndRefused) {
  MediaDescriptor item = Item(353, "");
  EXPECT_EQ(Load(&item), -1);
  EXPECT_EQ(item.AudioLength, 0);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].title, "Audio Error");
  EXPECT_EQ(shown[0].text,
            "This file contains an incompatible audio format!\nMissing audio decoder for 353!");
}

TEST_F(CodecLoading, EmptyVideoValueUsesThePassThroughAndClearsTheExternalFlag) {
  MediaDescriptor item = Item(1, "RAWP");
  EXPECT_EQ(Load(&item), 0);
  EXPECT_EQ(videoCodecLibrary, nullptr);
  EXPECT_EQ(decodeInit, VideoPassThroughInit);
  EXPECT_EQ(decodeFrame, VideoPassThroughFrame);
  EXPECT_EQ(externalCodec, 0);
  EXPECT_EQ(item.FrameCount, 250);
}

TEST_F(CodecLoading, EmptyAudioValueTurnsAudioOffWithoutMessage) {
  MediaDescriptor item = Item(2, "XVID");
  EXPECT_EQ(Load(&item), 0);
  EXPECT_EQ(item.AudioLength, 0);
  EXPECT_EQ(audioCodecLibrary, nullptr);
  EXPECT_TRUE(shown.empty());
}

// The fixture counts initialise calls since it was loaded: a library that stayed loaded keeps
// counting, a reloaded one starts again.
int32_t InitCountAfterOneMoreItem(int32_t tag) {
  MediaDescriptor item{};
  item.AudioFormatTag = tag;
  item.AudioLength = 1000;
  EXPECT_EQ(Load(&item), 0);
  InstallAudioDecoder();
  audioDecoder.DecoderInit.load()(0, nullptr);
  const int32_t count =
      reinterpret_cast<int32_t (*)()>(GetProcAddress(audioCodecLibrary, "FixtureInitCount"))();
  ClearAudioDecoder();
  return count;
}

TEST_F(CodecLoading, SulvaneLibraryStaysLoadedBetweenItemsOthersAreReloaded) {
  const int32_t sulvaneFirst = InitCountAfterOneMoreItem(80);
  EXPECT_EQ(InitCountAfterOneMoreItem(80), sulvaneFirst + 1);
  EXPECT_EQ(InitCountAfterOneMoreItem(85), 1);
  EXPECT_EQ(InitCountAfterOneMoreItem(85), 1);
  EXPECT_EQ(InitCountAfterOneMoreItem(80), sulvaneFirst + 2);
}

TEST_F(CodecLoading, AudioCodecLearnsItsTagAndAlternativeNamesAreUsed) {
  MediaDescriptor item = Item(255, "");
  ASSERT_EQ(Load(&item), 0);
  EXPECT_FALSE(pcmAudio);
  EXPECT_EQ(Export<int32_t (*)()>(audioCodecLibrary, "FixtureLastTag")(), 255);
  InstallAudioDecoder();
  EXPECT_EQ(audioDecoder.DecoderInit.load(),
            Export<DecoderInitFunction>(audioCodecLibrary, "Init"));
  EXPECT_EQ(audioDecoder.DecoderExit.load(),
            Export<DecoderExitFunction>(audioCodecLibrary, "Exit"));
  EXPECT_EQ(audioDecoder.DecompressAudio.load(),
            Export<DecompressAudioFunction>(audioCodecLibrary, "DecompressAudio"));
  ClearAudioDecoder();
  EXPECT_EQ(audioDecoder.DecoderInit.load(), nullptr);
}

TEST_F(CodecLoading, LibrariesMissingAnEntryPointAreRefusedWithAMessage) {
  MediaDescriptor item = Item(17, "DIV3");
  EXPECT_EQ(Load(&item), -1);
  EXPECT_EQ(item.AudioLength, 0);
  EXPECT_EQ(item.FrameCount, 0);
  EXPECT_EQ(audioCodecLibrary, nullptr);
  EXPECT_EQ(videoCodecLibrary, nullptr);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].title, "Audio Error");
  EXPECT_EQ(shown[0].text,
            "The codec library FixtureNoDecompressAudio.so cannot be used:\n"
            "it does not export DecompressAudio.");
  EXPECT_EQ(shown[1].title, "Video Error");
  EXPECT_NE(shown[1].text.find("does not export DecodeFrame."), std::string::npos);
}

TEST_F(CodecLoading, MissingKeysAreReportedAndTurnTheirStreamOff) {
  UseRegistry("REGEDIT4\n");
  MediaDescriptor item = Item(85, "XVID");
  EXPECT_EQ(Load(&item), -1);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].title, "Registry Error");
  EXPECT_EQ(shown[0].text,
            "Registry settings for audiocodecs not found!\n"
            "(HKLM\\software\\Morvelant\\plugins\\audio)\nPlease reinstall Morvelant.");
  EXPECT_EQ(shown[1].title, "Registry Error");
  EXPECT_EQ(shown[1].text,
            "Registry settings for videocodecs not found!\n"
            "(HKLM\\software\\Morvelant\\plugins\\audio)\nPlease reinstall Morvelant.");
  EXPECT_EQ(item.AudioLength, 0);
  EXPECT_EQ(item.FrameCount, 0);
}

TEST_F(CodecLoading, UnregisteredFourCCNamesItAndPointsAtTheManual) {
  MediaDescriptor item = Item(1, "WMV3");
  EXPECT_EQ(Load(&item), 0);
  EXPECT_EQ(item.FrameCount, 0);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].title, "Video Error");
  const std::string expected =
      "This file contains an incompatible video format!\nMissing audio decoder for codec wmv3!\n"
      "This player supports currently:\nmpeg (MPEG I video)\nxvid (XVID Mpeg-4)\n"
      "div3 (DivX 3.11 Low motion)\ndiv4 (DivX 3.11 Fast motion)\n"
      "divx (DivX 4.12 and OpenDivX)\ndx50 (DivX 5.x (without extra features))\n"
      "Sample videos and formats: file://" CODEC_FIXTURE_DIR "/Tesk.htm#FORMATS";
  EXPECT_EQ(shown[0].text, expected);
}

// A broken audio codec switches the audio off and lets the video play; a video library that
// does not load fails the load. Both name the library and the loader's reason.
TEST_F(CodecLoading, LibraryThatDoesNotLoadIsReported) {
  struct Case {
    MediaDescriptor item;
    int32_t result;
    const char* title;
    int32_t audioLength, frameCount;
  } cases[] = {
      {Item(8192, "XVID"), 0, "Audio Error", 0, 250},
      {Item(8192, ""), -1, "Audio Error", 0, 0},
      {Item(1, "H264"), -1, "Video Error", 100000, 250},
  };
  for (Case& c : cases) {
    shown.clear();
    EXPECT_EQ(Load(&c.item), c.result) << c.title;
    EXPECT_EQ(c.item.AudioLength, c.audioLength);
    EXPECT_EQ(c.item.FrameCount, c.frameCount);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, c.title);
    EXPECT_EQ(shown[0].text.rfind("The codec library Missing.dll cannot be loaded:\n", 0), 0u)
        << shown[0].text;
  }
}

// The built-in AVI reader's packets are file bytes: without a codec library its video is
// switched off with the codec message, never handed to the pass-through, and its audio stays.
TEST_F(CodecLoading, AviWithoutUsableVideoCodecPlaysItsAudioOnly) {
  char folder[] = "/tmp/morvelant-codecs-avi-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  for (const char* fourCC : {"", "RAWP"}) {
    AviLayout layout = InterleavedAvi(25, 5, 64, 400);
    std::memset(layout.streams[0].handler, 0, 5);
    std::memcpy(layout.streams[0].handler, fourCC, std::strlen(fourCC));
    layout.streams[1].formatTag = 1;
    const std::string path = std::string(folder) + "/item.avi";
    ASSERT_TRUE(WriteBytes(path, BuildAvi(layout).bytes));
    SetExecutableFolder(MORVELANT_DIST_DIR);  // the input libraries
    ReaderOps ops{};
    InstallAviReader(&ops);
    readerOps = ops;
    MediaDescriptor* item = nullptr;
    ASSERT_EQ(ops.Open(Utf8ToWide(path).c_str(), READER_MODE_LOCAL, 0, &item), 1);
    SetExecutableFolder(CODEC_FIXTURE_DIR);
    shown.clear();
    EXPECT_EQ(Load(item), 0) << fourCC;
    EXPECT_EQ(item->FrameCount, 0);
    EXPECT_EQ(item->AudioLength, 25 * 400);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Video Error");
    EXPECT_NE(shown[0].text.find("Missing audio decoder for codec "), std::string::npos);
    ops.Close();
    readerOps = {};
  }
}

}  // namespace

namespace {

// The shipped tables, as an installer writes them, name a plug-in we build for every format.
TEST(ShippedCodecTables, NameOurPluginsForEveryFormatTheyServe) {
  SetExecutableFolder(MORVELANT_DIST_DIR);
  SetMessageBoxPresenter(Capture);
  shown.clear();
  char folder[] = "/tmp/morvelant-codecs-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  RegistryLoad(folder, MORVELANT_DIST_DIR "/registry.default.reg");
  for (const char* fourCC :
       {"XVID", "divx", "DX50", "FMP4", "MP4V", "DIV3", "DIV4", "MP43", "MPEG", "mpg1", "MJPG",
        "H264", "X264", "avc1", "HEVC", "MPG2", "VP80", "VP90", "AV01"}) {
    MediaDescriptor item{.FrameCount = 1};
    std::memcpy(item.FourCC, fourCC, 4);
    EXPECT_EQ(Load(&item), 0) << fourCC;
    EXPECT_NE(videoCodecLibrary, nullptr) << fourCC;
  }
  for (int32_t tag : {80, 85, 2, 3, 6, 7, 17, 255, 5632, 28781, 8192, 8193}) {
    MediaDescriptor item{.AudioFormatTag = tag, .AudioLength = 1};
    EXPECT_EQ(Load(&item), 0) << tag;
    EXPECT_NE(audioCodecLibrary, nullptr) << tag;
  }
  EXPECT_TRUE(shown.empty());
  SetMessageBoxPresenter(nullptr);
}

}  // namespace
