#include "platform/library.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <string>

#include "platform/files.h"
#include "platform/text.h"

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override { SetExecutableFolder(FIXTURE_HOME); }
  void TearDown() override { SetExecutableFolder(""); }
};

TEST_F(LibraryTest, DllNameLoadsTheSoFromThePluginsFolder) {
  EXPECT_EQ(LibraryFileName(u"Fixture.DLL"), "Fixture.so");
  EXPECT_EQ(LibraryFileName(u"codec.so"), "codec.so");
  LibraryHandle library = LoadLibrary(u"FixtureLibrary.dll");
  ASSERT_NE(library, nullptr) << LibraryLoadError();
  auto answer = reinterpret_cast<int (*)()>(GetProcAddress(library, "FixtureAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(GetProcAddress(library, "Missing"), nullptr);
  FreeLibrary(library);
}

TEST_F(LibraryTest, FullPathIsUsedAsGivenAndMissingLibrariesSayWhy) {
  LibraryHandle library = LoadLibrary(u"" FIXTURE_HOME "/plugins/FixtureLibrary.so");
  ASSERT_NE(library, nullptr);
  FreeLibrary(library);
  EXPECT_EQ(LoadLibrary(u"Nowhere.dll"), nullptr);
  EXPECT_NE(LibraryLoadError().find("Nowhere.so"), std::string::npos);
}

// Files that are not complete libraries of this machine are refused before the system loader
// sees them: a library cut short once crashed inside it with SIGBUS.
TEST_F(LibraryTest, DamagedOrForeignLibrariesAreRefusedWithAReason) {
  std::string whole;
  ASSERT_TRUE(ReadWholeFile(FIXTURE_HOME "/plugins/FixtureLibrary.so", &whole));
  ASSERT_GT(whole.size(), 4096u);
  std::string foreign = whole;
  foreign[18] = 0x28;  // e_machine: ARM
  foreign[19] = 0;
  char folder[] = "/tmp/morvelant-library-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string fifo = std::string(folder) + "/Fifo.so";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    const char* name;
    std::string bytes;
    const char* reason;
  } cases[] = {
      {"Cut.so", whole.substr(0, 4096), "not a complete library"},
      {"Header.so", whole.substr(0, 40), "not an ELF library"},
      {"Text.so", "this is not a library\n", "not an ELF library"},
      {"Foreign.so", foreign, "another kind of machine"},
  };
  for (const auto& c : cases) {
    const std::string path = std::string(folder) + "/" + c.name;
    ASSERT_TRUE(WriteFileAtomic(path, c.bytes.data(), c.bytes.size()));
    EXPECT_EQ(LoadLibrary(Utf8ToWide(path)), nullptr) << c.name;
    EXPECT_NE(LibraryLoadError().find(c.reason), std::string::npos) << LibraryLoadError();
  }
  EXPECT_EQ(LoadLibrary(Utf8ToWide(fifo)), nullptr);  // refused at once, never waited on
  EXPECT_NE(LibraryLoadError().find("not a regular file"), std::string::npos);
  EXPECT_EQ(LoadLibrary(Utf8ToWide(folder)), nullptr);
}
