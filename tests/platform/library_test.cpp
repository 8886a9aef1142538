#include "platform/library.h"

#include <gtest/gtest.h>

#include "platform/files.h"

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
