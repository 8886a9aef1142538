// The start-up library's dialogs driven by pen, keys and script answers: Jump To, options and
// the equalizer; the time text both ways.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "../platform/temp_folder.h"
#include "app/startup_library/startup_dialogs.h"
#include "platform/journal.h"
#include "platform/message_box.h"
#include "platform/script.h"
#include "platform/virtual_keys.h"
#include "ui_fixture.h"

namespace {

class DialogTest : public UiTest {
 protected:
  void TapWidget(const DialogBox& box, const std::string& name) {
    for (size_t i = 0; i < box.widgets.size(); ++i)
      if (box.widgets[i].name == name) {
        const Rect r = DialogWidgetRect(box, i);
        ASSERT_LT(r.left, r.right) << name << " is out of view";
        Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        return;
      }
    FAIL() << "no widget " << name;
  }
  void Type(std::u16string_view text) {
    for (char16_t c : text) Char(c);
  }
  void KeyTimes(uint32_t key, int times) {
    for (int i = 0; i < times; ++i) Key(key);
  }
  // Three changes: a flag by pen, a number by keys, a key binding by pressing the key.
  void ChangeThreeOptions(const DialogBox& layout) {
    TapWidget(layout, "autoPlay");  // the first row
    KeyTimes(VK_DOWN, 11);          // past the 10 flags and "show hidden files"
    KeyTimes(VK_RIGHT, 2);          // lateWindow + 2
    KeyTimes(VK_DOWN, 4);           // the stop key's field
    Key(VK_RETURN);                 // waits for a key
    Key('Q');
  }
  // Runs the script's answers while `show` runs its box.
  template <typename Show>
  auto WithAnswer(const std::string& answer, Show show) {
    StartScript({{.op = ScriptOp::Answer, .text = answer}}, mainWindow);
    auto result = show();
    StopScript();
    return result;
  }
};

TEST(TimeText, FormatsAndParsesThePlayersTimes) {
  EXPECT_EQ(FormatTime(75), u"01:15");
  EXPECT_EQ(FormatTime(3725), u"1:02:05");
  EXPECT_EQ(FormatTime(0), u"00:00");
  const struct {
    const char16_t* text;
    int32_t seconds;  // -1: refused
  } cases[] = {{u"1:02:05", 3725}, {u"01:15", 75}, {u"75", 75},          {u"0:00", 0},
               {u"1:60", -1},      {u"", -1},      {u"1::2", -1},        {u"1:2:3:4", -1},
               {u"a:10", -1},      {u"-5", -1},    {u"999999:00:00", -1}};
  for (const auto& c : cases) {
    int32_t seconds = -1;
    const bool parsed = ParseTime(c.text, &seconds);
    EXPECT_EQ(parsed ? seconds : -1, c.seconds);
  }
}

TEST_F(DialogTest, JumpToTakesTypedTimeAndReturnsSeconds) {
  KeyTimes(kKeyBackspace, 5);  // "00:00" cleared
  Type(u"1:02:05");
  Char(u'\b');  // control characters come as keys; this one must not delete a second time
  Key(VK_RETURN);
  EXPECT_EQ(JumpTo(mainWindow, 0), 3725);
}

TEST_F(DialogTest, JumpToByPenOnTheKeypadAndCancel) {
  int32_t chosen = -1;
  const DialogBox layout = JumpToBox(0, &chosen);
  const Rect keypad = DialogWidgetRect(layout, 1);
  const int32_t keyWidth = (keypad.right - keypad.left) / 12;
  auto tapKey = [&](int index) {
    Tap(keypad.left + index * keyWidth + keyWidth / 2, (keypad.top + keypad.bottom) / 2);
  };
  for (int i = 0; i < 5; ++i) tapKey(11);  // the backspace key
  tapKey(1);                               // "2"
  tapKey(10);                              // ":"
  tapKey(9);                               // "0"
  tapKey(2);                               // "3"
  TapWidget(layout, "ok");
  EXPECT_EQ(JumpTo(mainWindow, 0), 123);

  Key(VK_ESCAPE);
  EXPECT_LT(JumpTo(mainWindow, 3725), 0);
  TapWidget(layout, "cancel");
  EXPECT_LT(JumpTo(mainWindow, 3725), 0);
}

TEST_F(DialogTest, JumpToRefusesABadTimeAndStaysOpen) {
  Type(u"x");  // "00:00x"
  Key(VK_RETURN);
  Probe([] { received.push_back("still open"); });
  KeyTimes(kKeyBackspace, 1);
  Key(VK_RETURN);
  EXPECT_EQ(JumpTo(mainWindow, 0), 0);
  EXPECT_EQ(received, (std::vector<std::string>{"still open"}));
}

TEST_F(DialogTest, JumpToTakesTheScriptsAnswer) {
  EXPECT_EQ(WithAnswer("1:02:05", [&] { return JumpTo(mainWindow, 10); }), 3725);
  EXPECT_LT(WithAnswer("cancel", [&] { return JumpTo(mainWindow, 10); }), 0);
  EXPECT_LT(WithAnswer("soon", [&] { return JumpTo(mainWindow, 10); }), 0);
}

TEST_F(DialogTest, OptionsChangeThreeFieldsOnOkAndNoneOnCancel) {
  PlayerSettings before = settings;
  const DialogBox layout = OptionsBox(settings);
  ChangeThreeOptions(layout);
  Key(VK_ESCAPE);
  ShowOptionsDialog(0, nullptr, mainWindow, &settings);
  EXPECT_EQ(std::memcmp(&before, &settings, sizeof settings), 0);

  ChangeThreeOptions(layout);
  TapWidget(layout, "ok");  // the buttons stay in view while the rows scroll
  ShowOptionsDialog(0, nullptr, mainWindow, &settings);
  PlayerSettings expected = before;
  expected.autoPlay = !before.autoPlay;
  expected.lateWindow = before.lateWindow + 2;
  expected.keyStop = 'Q';
  EXPECT_EQ(std::memcmp(&expected, &settings, sizeof settings), 0);
}

TEST_F(DialogTest, OptionsTakeTheScriptsValues) {
  WithAnswer("videoTakeover=1, brightness=-30 keyMute=M showHiddenFiles=1", [&] {
    ShowOptionsDialog(0, nullptr, mainWindow, &settings);
    return 0;
  });
  EXPECT_EQ(settings.videoTakeover, 1);
  EXPECT_EQ(settings.brightness, -30);
  EXPECT_EQ(settings.keyMute, static_cast<uint32_t>('M'));
  EXPECT_EQ(settings.dialogOption & 1, 1);
  const PlayerSettings before = settings;
  WithAnswer("repeat=1", [&] {  // left to the menu, not in the box: nothing changes
    ShowOptionsDialog(0, nullptr, mainWindow, &settings);
    return 0;
  });
  EXPECT_EQ(std::memcmp(&before, &settings, sizeof settings), 0);
}

TEST_F(DialogTest, EqualizerSlidersBySlidingAndKeys) {
  const DialogBox layout = EqualizerBox(settings);
  const Rect band1 = DialogWidgetRect(layout, 2);
  TapWidget(layout, "on");
  PostPen(WM_LBUTTONDOWN, (band1.left + band1.right) / 2, (band1.top + band1.bottom) / 2);
  PostPen(WM_MOUSEMOVE, band1.right - 30, (band1.top + band1.bottom) / 2);
  PostPen(WM_MOUSEMOVE, band1.right, (band1.top + band1.bottom) / 2);  // past the track's end
  PostPen(WM_LBUTTONUP, band1.right, (band1.top + band1.bottom) / 2);
  KeyTimes(VK_UP, 1);    // the preamplifier
  KeyTimes(VK_LEFT, 3);  // -3 dB
  TapWidget(layout, "ok");
  ShowEqualizerDialog(0, nullptr, mainWindow, &settings);
  EXPECT_EQ(settings.equalizerOn, 1);
  EXPECT_EQ(settings.equalizerBands[0], -3);
  EXPECT_EQ(settings.equalizerBands[1], 12);
  for (int band = 2; band < EQUALIZER_BAND_COUNT; ++band)
    EXPECT_EQ(settings.equalizerBands[band], 0);

  WithAnswer("on=0 band10=-20 band5=4", [&] {
    ShowEqualizerDialog(0, nullptr, mainWindow, &settings);
    return 0;
  });
  EXPECT_EQ(settings.equalizerOn, 0);
  EXPECT_EQ(settings.equalizerBands[10], -12);  // held to the range
  EXPECT_EQ(settings.equalizerBands[5], 4);
  EXPECT_EQ(settings.equalizerBands[0], -3);
}

TEST_F(DialogTest, EachBoxIsJournaledWithItsNameAndResult) {
  TempFolder folder;
  ASSERT_TRUE(JournalOpen(folder / "journal.jsonl"));
  Key(VK_ESCAPE);
  JumpTo(mainWindow, 5);
  WithAnswer("ok", [&] {
    ShowEqualizerDialog(0, nullptr, mainWindow, &settings);
    return 0;
  });
  JournalClose();
  std::ifstream file(folder / "journal.jsonl");
  std::stringstream text;
  text << file.rdbuf();
  const std::string journal = text.str();
  const size_t opened = journal.find("\"event\":\"dialog\",\"name\":\"Jump To\"");
  const size_t closed =
      journal.find("\"event\":\"dialog-closed\",\"name\":\"Jump To\",\"result\":\"cancel\"");
  const size_t equalizer =
      journal.find("\"event\":\"dialog-closed\",\"name\":\"Equalizer\",\"result\":\"ok\"");
  ASSERT_NE(opened, std::string::npos) << journal;
  ASSERT_NE(closed, std::string::npos) << journal;
  EXPECT_LT(opened, closed);
  EXPECT_NE(equalizer, std::string::npos) << journal;
}

TEST_F(DialogTest, TheBoxCoversTheScreenOnlyWhileItIsOpen) {
  const DialogBox layout = EqualizerBox(settings);
  const Rect box = DialogBoxRect(layout);
  uint32_t during = 0;
  Probe([&] { during = ScreenColor(box.left + 3, box.bottom - 3); });
  Key(VK_ESCAPE);
  ShowEqualizerDialog(0, nullptr, mainWindow, &settings);
  EXPECT_EQ(during, Rounded(0xC8D0D4));  // the dialog's face colour
  EXPECT_EQ(ScreenColor(box.left + 3, box.bottom - 3), Rounded(kWindowBackground));
}

}  // namespace
