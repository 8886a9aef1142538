#include "media/reader_selection.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/player_state.h"
#include "media/reader_state.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/media/test_files.h"

namespace {

std::string shownTitle, shownText;

int32_t RecordBox(WindowHandle, std::u16string_view text, std::u16string_view title, uint32_t) {
  shownTitle = WideToUtf8(title);
  shownText = WideToUtf8(text);
  return IDOK;
}

bool Loaded(const std::string& file) {
  void* handle =
      dlopen((std::string(MEDIA_TEST_READERS) + "/" + file).c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle) dlclose(handle);
  return handle != nullptr;
}

// The file the installed Open lives in, or "built-in" for the AVI reader in this program.
std::string InstalledReader() {
  Dl_info info{};
  if (!readerOps.Open || !dladdr(reinterpret_cast<void*>(readerOps.Open), &info)) return "";
  const std::string file = info.dli_fname;
  if (file.find(MEDIA_TEST_READERS) != 0) return "built-in";
  return file.substr(file.rfind('/') + 1);
}

bool TableIsZero() {
  static const ReaderOps zero{};
  return std::memcmp(&readerOps, &zero, sizeof(ReaderOps)) == 0;
}

struct ReaderSelectionTest : ::testing::Test {
  void SetUp() override {
    SetExecutableFolder(MEDIA_TEST_READERS);
    SetMessageBoxPresenter(RecordBox);
    UseRegistry(
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\software\\Morvelant\\plugins\\format]\n"
        "\"tst\"=\"TestReader.dll\"\n\"gz\"=\"TestReader.dll\"\n\"old\\\\file\"=\"TestReader."
        "dll\"\n"
        "\"sul\"=\"SulvaneTest.dll\"\n\"avi\"=\"TestReader.dll\"\n\"none\"=\"\"\n"
        "\"noinit\"=\"NoInitReader.dll\"\n\"partial\"=\"PartialReader.dll\"\n"
        "\"gone\"=\"Missing.dll\"\n");
    playerSettings.useStreamingReader = 0;
  }
  void TearDown() override { SetMessageBoxPresenter(nullptr); }
  void UseRegistry(const std::string& defaults) {
    const std::string home = TempFolder() + "/selection-home";
    std::remove((home + "/system.reg").c_str());
    std::remove((home + "/user.reg").c_str());
    MakeFolders(home);
    RegistryLoad(home, WriteTempFile("selection.reg", defaults));
  }
  int32_t Select(const char16_t* path, bool url = false) {
    WideCopy(currentPath, kMediaPathChars, path);
    isUrl = url;
    shownTitle = shownText = "";
    return SelectReader();
  }
};

TEST(PathExtensionTest, OnlySlashEndsTheScan) {
  const struct {
    std::u16string_view path, extension;
  } cases[] = {
      {u"/music/song.MP3", u"MP3"},
      {u"archive.tar.gz", u"gz"},
      {u".hidden", u""},
      {u"/dir/.hidden", u"hidden"},
      {u"\\dir.old\\file", u"old\\file"},
      {u"/dir.old/file", u""},
      {u"noextension", u""},
      {u"trailing.", u""},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(PathExtension(c.path), c.extension) << WideToUtf8(c.path);
}

TEST_F(ReaderSelectionTest, ChoosesTheReaderForEachKindOfPath) {
  const struct {
    const char16_t* path;
    bool url, streaming;
    const char* reader;
  } cases[] = {
      {u"/films/movie.AVI", false, false, "built-in"},
      {u"/films/movie.divx", false, false, "built-in"},
      {u"C:\\films.avi\\track.mp3", false, false, "built-in"},
      {u"/films/movie.Avi", false, false, "TestReader.so"},  // the registry's "avi"
      {u"/films/movie.avi", false, true, "plenvar.so"},
      {u"http://host/movie.avi", true, false, "plenvar.so"},
      {u"http://host/radio.xyz", true, false, "quellin.so"},
      {u"http://host/stream", true, false, "quellin.so"},
      {u"Broadcast", false, false, "Dremmet.so"},
      {u"/music/song.TST", false, false, "TestReader.so"},
      {u"archive.tar.gz", false, false, "TestReader.so"},
      {u"\\dir.old\\file", false, false, "TestReader.so"},
  };
  for (const auto& c : cases) {
    playerSettings.useStreamingReader = c.streaming;
    EXPECT_EQ(Select(c.path, c.url), 0) << WideToUtf8(c.path) << shownText;
    EXPECT_EQ(InstalledReader(), c.reader) << WideToUtf8(c.path);
    EXPECT_EQ(shownTitle, "");
  }
}

TEST_F(ReaderSelectionTest, RefusalsShowTheirMessageAndLeaveNoReader) {
  const struct {
    const char16_t* path;
    const char* title;
    const char* text;  // the start of the text
  } cases[] = {
      {u"/music/song.xyz", "File Error", "This file is of an unknown format"},
      {u"/music/noextension", "File Error", "This file is of an unknown format"},
      {u"/music/.hidden", "File Error", "This file is of an unknown format"},
      {u"/music/song.none", "Error loading file reader", "No reader library"},
      {u"/music/song.gone", "Error loading file reader", "Missing.so: not found"},
      {u"/music/song.noinit", "Error loading file reader", "NoInitReader.so"},
      {u"/music/song.partial", "Error loading file reader", "PartialReader.so"},
  };
  for (const auto& c : cases) {
    Select(u"/music/song.tst");
    EXPECT_EQ(Select(c.path), -1) << WideToUtf8(c.path);
    EXPECT_EQ(shownTitle, c.title) << WideToUtf8(c.path);
    EXPECT_EQ(shownText.rfind(c.text, 0), 0u) << shownText;
    EXPECT_TRUE(TableIsZero()) << WideToUtf8(c.path);
  }
  EXPECT_FALSE(Loaded("NoInitReader.so"));
  EXPECT_FALSE(Loaded("PartialReader.so"));
}

TEST_F(ReaderSelectionTest, AMissingFormatKeyIsAVideoError) {
  UseRegistry("REGEDIT4\n[HKEY_LOCAL_MACHINE\\software\\Morvelant\\plugins\\video]\n");
  EXPECT_EQ(Select(u"/music/song.tst"), -1);
  EXPECT_EQ(shownTitle, "Video Error");
  EXPECT_EQ(shownText, "This file is of an unknown format");
  EXPECT_TRUE(TableIsZero());
}

TEST_F(ReaderSelectionTest, TheSulvaneReaderIsNeverUnloaded) {
  ASSERT_EQ(Select(u"/a/song.tst"), 0);
  EXPECT_TRUE(Loaded("TestReader.so"));
  ASSERT_EQ(Select(u"/a/song.sul"), 0);
  EXPECT_EQ(InstalledReader(), "SulvaneTest.so");
  EXPECT_FALSE(Loaded("TestReader.so"));  // the previous reader was unloaded
  ASSERT_EQ(Select(u"/a/song.tst"), 0);
  ASSERT_EQ(Select(u"/a/movie.avi"), 0);
  ASSERT_EQ(Select(u"/a/song.sul"), 0);
  ASSERT_EQ(Select(u"/a/song.xyz"), -1);
  EXPECT_TRUE(Loaded("SulvaneTest.so"));
  EXPECT_FALSE(Loaded("TestReader.so"));
}

TEST_F(ReaderSelectionTest, SlotsForAbsentStreamsGetStandIns) {
  ASSERT_EQ(Select(u"/a/song.tst"), 0);
  uint8_t buffer[16];
  EXPECT_EQ(readerOps.ReadAudio(buffer, 16), 0);
  EXPECT_LT(readerOps.ReadVideoFrame(buffer, 0), 0);
  EXPECT_EQ(readerOps.IsKeyFrame(3), 1);
  EXPECT_EQ(readerOps.ResyncAudio(), 0);
  EXPECT_EQ(readerOps.SeekChapter, nullptr);
  EXPECT_EQ(readerOps.Stop, nullptr);
}

}  // namespace
