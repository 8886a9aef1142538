#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>

#include "app/startup_library/startup_library.h"
#include "platform/files.h"
#include "temp_folder.h"

class SettingsTest : public ::testing::Test {
 protected:
  TempFolder home;
  void SetUp() override { setenv("MORVELANT_HOME", home.path.c_str(), 1); }
  void TearDown() override {
    SetWriteFailureAfterBytes(-1);
    unsetenv("MORVELANT_HOME");
  }
  static PlayerSettings RandomSettings(unsigned seed) {
    PlayerSettings settings;
    std::mt19937 random(seed);
    auto* bytes = reinterpret_cast<uint8_t*>(&settings);
    for (size_t i = 0; i < sizeof(settings); ++i) bytes[i] = static_cast<uint8_t>(random());
    settings.skinPath[SETTINGS_PATH_CHARS - 1] = 0;
    settings.lastItem[SETTINGS_PATH_CHARS - 1] = 0;
    return settings;
  }
};

TEST_F(SettingsTest, StoredRecordLoadsBackByteForByte) {
  const PlayerSettings stored = RandomSettings(7);
  ASSERT_TRUE(StorePlayerSettings(&stored));
  PlayerSettings loaded;
  LoadPlayerSettings(&loaded);
  EXPECT_EQ(std::memcmp(&stored, &loaded, sizeof(stored)), 0);
}

TEST_F(SettingsTest, FailedWriteLeavesThePreviousSettings) {
  const PlayerSettings first = RandomSettings(1), second = RandomSettings(2);
  ASSERT_TRUE(StorePlayerSettings(&first));
  for (long limit : {0L, 1L, 600L, 1131L}) {
    SetWriteFailureAfterBytes(limit);
    EXPECT_FALSE(StorePlayerSettings(&second));
  }
  SetWriteFailureAfterBytes(-1);
  PlayerSettings loaded;
  LoadPlayerSettings(&loaded);
  EXPECT_EQ(std::memcmp(&first, &loaded, sizeof(first)), 0);
}

TEST_F(SettingsTest, MissingShortOrLongFilesGiveDefaults) {
  PlayerSettings defaults;
  DefaultPlayerSettings(&defaults);
  EXPECT_EQ(defaults.audioEnabled, 1);
  EXPECT_NE(defaults.keyPlayPause, 0u);
  for (size_t size : {size_t{0}, size_t{1}, size_t{1131}, size_t{1133}, size_t{4000}}) {
    const std::string bytes(size, '\x7f');
    std::ofstream(home / "settings.bin", std::ios::binary).write(bytes.data(), bytes.size());
    PlayerSettings loaded;
    LoadPlayerSettings(&loaded);
    EXPECT_EQ(std::memcmp(&defaults, &loaded, sizeof(loaded)), 0) << size;
  }
}

TEST_F(SettingsTest, UnterminatedTextsAreCutInsideTheirBuffers) {
  std::string bytes(sizeof(PlayerSettings), '\x41');
  std::ofstream(home / "settings.bin", std::ios::binary).write(bytes.data(), bytes.size());
  PlayerSettings loaded;
  LoadPlayerSettings(&loaded);
  EXPECT_EQ(loaded.skinPath[SETTINGS_PATH_CHARS - 1], 0);
  EXPECT_EQ(loaded.lastItem[SETTINGS_PATH_CHARS - 1], 0);
}
