#include "app/launch_options.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(LaunchOptions, LeadingOptionsAreTakenOffAndTheRestJoined) {
  const LaunchOptions options =
      ParseLaunchOptions({"--headless", "--screen=320x240", "--audio=wav:/tmp/a.wav",
                          "--journal=j.jsonl", "/my files/a.avi", "--not-an-option"});
  EXPECT_TRUE(options.error.empty()) << options.error;
  EXPECT_TRUE(options.backend.headless);
  EXPECT_EQ(options.backend.screenWidth, 320);
  EXPECT_EQ(options.backend.screenHeight, 240);
  EXPECT_EQ(options.backend.audio, "wav:/tmp/a.wav");
  EXPECT_EQ(options.backend.journal, "j.jsonl");
  EXPECT_EQ(options.commandLine, u"/my files/a.avi --not-an-option");
}

TEST(LaunchOptions, EnvironmentGivesDefaultsThatOptionsOverride) {
  setenv("MORVELANT_SCREEN", "800x600", 1);
  setenv("MORVELANT_SCALE", "2", 1);
  const LaunchOptions options = ParseLaunchOptions({"--scale=3", "clip.avi"});
  unsetenv("MORVELANT_SCREEN");
  unsetenv("MORVELANT_SCALE");
  EXPECT_EQ(options.backend.screenWidth, 800);
  EXPECT_EQ(options.backend.scale, 3);
  EXPECT_EQ(options.commandLine, u"clip.avi");
}

TEST(LaunchOptions, BadOptionsAreReported) {
  for (const char* bad :
       {"--screen=640", "--screen=0x480", "--screen=100000x100000", "--screen=4097x480",
        "--screen=640x63", "--scale=x", "--audio=alsa", "--frobnicate"})
    EXPECT_FALSE(ParseLaunchOptions({bad}).error.empty()) << bad;
  for (const char* good : {"--screen=64x64", "--screen=4096x4096", "--screen=96x64"})
    EXPECT_TRUE(ParseLaunchOptions({good}).error.empty()) << good;
  EXPECT_TRUE(ParseLaunchOptions({"--help"}).showHelp);
  EXPECT_TRUE(ParseLaunchOptions({"--version"}).showVersion);
  EXPECT_EQ(ParseLaunchOptions({"--", "--odd name.avi"}).commandLine, u"--odd name.avi");
}
