// The resume point: when it is stored, and that a stored one wins over the settings record.
#include "app/resume_point.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "platform/files.h"
#include "platform/text.h"
#include "temp_folder.h"

namespace {

TEST(ResumePoint, DueWhenAnItemStartsPausesStopsOrPlaysOn) {
  const PlaybackSnapshot nothing{u"", 0, false, false};
  const PlaybackSnapshot playing{u"/v/a.avi", 100, true, false};
  struct Case {
    PlaybackSnapshot stored, now;
    int32_t looks;
    bool due;
  };
  const Case cases[] = {
      {nothing, playing, 1, true},                           // an item started
      {playing, {u"/v/b.avi", 0, true, false}, 1, true},     // the next one
      {playing, {u"/v/a.avi", 110, true, true}, 1, true},    // paused
      {playing, {u"/v/a.avi", 0, false, false}, 1, true},    // stopped
      {playing, {u"/v/a.avi", 101, true, false}, 1, false},  // plays on: not yet
      {playing, {u"/v/a.avi", 150, true, false}, kResumeStoreLooks, true},
      {playing, playing, kResumeStoreLooks, false},                                 // no progress
      {{u"/v/a.avi", 110, true, true}, {u"/v/a.avi", 110, true, true}, 9, false},   // still paused
      {{u"/v/a.avi", 110, true, true}, {u"/v/a.avi", 110, true, false}, 1, false},  // resumed
  };
  for (const Case& c : cases)
    EXPECT_EQ(ResumePointDue(c.stored, c.now, c.looks), c.due)
        << WideToUtf8(c.now.item) << " frame " << c.now.frame << " looks " << c.looks;
}

TEST(ResumePoint, AStoredPointReplacesTheRecordsLastItemUntilForgotten) {
  TempFolder home;
  setenv("MORVELANT_HOME", home.path.c_str(), 1);
  PlayerSettings settings{};
  WideCopy(settings.lastItem, SETTINGS_PATH_CHARS, u"/old.avi");
  settings.lastFrame = 7;

  ApplyResumePoint(&settings);  // none stored
  EXPECT_EQ(WideView(settings.lastItem), u"/old.avi");

  ASSERT_TRUE(StoreResumePoint(u"/My Music/party.pdl 3", 512));
  ApplyResumePoint(&settings);
  EXPECT_EQ(WideView(settings.lastItem), u"/My Music/party.pdl 3");
  EXPECT_EQ(settings.lastFrame, 512);

  ForgetResumePoint();
  settings.lastFrame = 7;
  ApplyResumePoint(&settings);
  EXPECT_EQ(settings.lastFrame, 7);
}

TEST(ResumePoint, AFileThatIsNotAWholePointIsIgnored) {
  TempFolder home;
  setenv("MORVELANT_HOME", home.path.c_str(), 1);
  ASSERT_TRUE(StoreResumePoint(std::u16string(400, u'x'), 9));  // cut to the record's width
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(home / "resume.bin", &bytes));
  for (const std::string& damaged : {bytes.substr(0, bytes.size() - 1), "XXXX" + bytes.substr(4)}) {
    std::ofstream(home / "resume.bin", std::ios::binary) << damaged;
    PlayerSettings settings{};
    settings.lastFrame = 3;
    ApplyResumePoint(&settings);
    EXPECT_EQ(settings.lastFrame, 3);
  }
  std::ofstream(home / "resume.bin", std::ios::binary) << bytes;
  PlayerSettings settings{};
  ApplyResumePoint(&settings);
  EXPECT_EQ(WideView(settings.lastItem), std::u16string(SETTINGS_PATH_CHARS - 1, u'x'));
  EXPECT_EQ(settings.lastFrame, 9);
}

}  // namespace
