// The file chooser: filters, browsing, multiple selection in the order ticked, the result
// buffer's limit, URL entry and script answers.
#include "platform/controls/file_chooser.h"

#include <gtest/gtest.h>

#include <fstream>

#include "../platform/temp_folder.h"
#include "platform/controls/dialog_box.h"
#include "platform/controls/dialog_style.h"
#include "platform/script.h"
#include "platform/text.h"
#include "platform/virtual_keys.h"
#include "ui_fixture.h"

namespace {

constexpr char16_t kMediaFilter[] = u"*.divx,*.avi";
constexpr int32_t kResultChars = 200;

TEST(FileFilter, MatchesAnyPatternIgnoringCase) {
  const struct {
    const char16_t* name;
    const char16_t* filter;
    bool matches;
  } cases[] = {
      {u"clip.avi", kMediaFilter, true},
      {u"CLIP.AVI", kMediaFilter, true},
      {u"clip.DivX", kMediaFilter, true},
      {u"clip.avi.txt", kMediaFilter, false},
      {u"avi", kMediaFilter, false},
      {u"a.pls", u"*.pdl, *.pls ,*.m3u", true},
      {u"song.mp3", u"*", true},
      {u"track1.mp3", u"track?.mp3", true},
      {u"track10.mp3", u"track?.mp3", false},
      {u"x.avi", u"", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchesFilter(c.name, c.filter), c.matches)
        << WideToUtf8(c.name) << " " << WideToUtf8(c.filter);
}

class FileChooserTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    for (const char* name : {"a.avi", "B.AVI", "notes.txt", ".hidden.avi", "sub/d.divx"}) {
      std::filesystem::create_directories(std::filesystem::path(folder / name).parent_path());
      std::ofstream(folder / name) << "x";
    }
  }
  int32_t Choose(const std::string& start, int32_t chars = kResultChars, int32_t url = 0,
                 int32_t passThrough = 0) {
    result[0] = 0;
    selection = nullptr;
    const std::u16string wide = Utf8ToWide(start);
    return ChooseFile(mainWindow, kMediaFilter, wide.c_str(), result, chars, &selection,
                      passThrough, url);
  }
  // The rows the chooser shows for the temporary folder: "..", "sub/", "a.avi", "B.AVI".
  void TapRow(int32_t row) {
    DialogBox layout{.widgets = std::vector<Widget>(4, Widget{.kind = WidgetKind::Item})};
    layout.widgets.push_back({.kind = WidgetKind::Button});
    layout.widgets.push_back({.kind = WidgetKind::Button});
    const Rect r = DialogWidgetRect(layout, static_cast<size_t>(row));
    Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  void TapButton(int which) {  // 0 OK, 1 Cancel
    DialogBox layout{.widgets = std::vector<Widget>(4, Widget{.kind = WidgetKind::Item})};
    layout.widgets.push_back({.kind = WidgetKind::Button});
    layout.widgets.push_back({.kind = WidgetKind::Button});
    const Rect r = DialogWidgetRect(layout, static_cast<size_t>(4 + which));
    Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  std::string Result() const { return WideToUtf8(result); }

  TempFolder folder;
  char16_t result[kResultChars];
  const char16_t* selection = nullptr;
};

TEST_F(FileChooserTest, SeveralFilesComeBackInTheOrderTheyWereTicked) {
  TapRow(3);  // B.AVI
  TapRow(2);  // a.avi
  TapButton(0);
  EXPECT_EQ(Choose(folder.path), 2);
  ASSERT_NE(selection, nullptr);
  EXPECT_EQ(WideToUtf8(selection), folder.path + "/B.AVI\r\n" + folder.path + "/a.avi\r\n");
}

TEST_F(FileChooserTest, OneFileComesBackInTheResultBuffer) {
  TapRow(2);
  TapRow(3);
  TapRow(2);  // unticked again
  TapButton(0);
  EXPECT_EQ(Choose(folder.path), 1);
  EXPECT_EQ(Result(), folder.path + "/B.AVI");
  EXPECT_EQ(selection, nullptr);
}

TEST_F(FileChooserTest, FoldersAreEnteredAndLeftByKeys) {
  Key(VK_DOWN);    // sub/
  Key(VK_RETURN);  // in: "..", "d.divx"
  Key(VK_DOWN);
  Key(VK_SPACE);  // ticks d.divx
  Key(VK_DOWN);   // the OK button
  Key(VK_RETURN);
  EXPECT_EQ(Choose(folder.path), 1);
  EXPECT_EQ(Result(), folder.path + "/sub/d.divx");

  // Without an initial folder the chooser starts where the last choice was made.
  Key(VK_RETURN);  // ".." goes up to the temporary folder
  Key(VK_DOWN);
  Key(VK_DOWN);
  Key(VK_RETURN);  // Enter acts on the focused row too: ticks a.avi
  Key(VK_DOWN);
  Key(VK_DOWN);
  Key(VK_RETURN);  // OK
  EXPECT_EQ(Choose(""), 1);
  EXPECT_EQ(Result(), folder.path + "/a.avi");
}

TEST_F(FileChooserTest, CancelAndAnEmptyChoiceReturnNothing) {
  TapButton(0);  // OK with nothing ticked keeps the box open
  Key(VK_ESCAPE);
  EXPECT_EQ(Choose(folder.path), 0);
  EXPECT_EQ(result[0], 0);
}

TEST_F(FileChooserTest, APathTooLongForTheBufferCannotBeChosen) {
  const int32_t chars = static_cast<int32_t>(folder.path.size()) + 4;  // "/a.avi" does not fit
  TapRow(2);
  TapButton(0);
  Probe([] { UiTest::received.push_back("still open"); });
  TapButton(1);
  EXPECT_EQ(Choose(folder.path, chars), 0);
  EXPECT_EQ(received, (std::vector<std::string>{"still open"}));
}

TEST_F(FileChooserTest, HiddenFilesShowWithThePassThroughBit) {
  Key(VK_DOWN);
  Key(VK_DOWN);  // with hidden files: "..", "sub/", ".hidden.avi"
  Key(VK_SPACE);
  Key(kKeyTab);  // Tab moves on like Down: "a.avi", "B.AVI", then OK
  Key(kKeyTab);
  Key(kKeyTab);
  Key(VK_RETURN);
  EXPECT_EQ(Choose(folder.path, kResultChars, 0, kChooserShowHidden), 1);
  EXPECT_EQ(Result(), folder.path + "/.hidden.avi");
}

TEST_F(FileChooserTest, TheUrlModeTakesATypedAddress) {
  for (char16_t c : std::u16string(u"radio.example/live")) Char(c);
  Key(VK_RETURN);
  EXPECT_EQ(Choose(folder.path, kResultChars, 1), 1);
  EXPECT_EQ(Result(), "http://radio.example/live");
  Key(VK_ESCAPE);
  EXPECT_EQ(Choose(folder.path, kResultChars, 1), 0);
}

TEST_F(FileChooserTest, ScriptAnswersNamePathsOrCancel) {
  auto answered = [&](const std::string& answer, int32_t url = 0) {
    StartScript({{.op = ScriptOp::Answer, .text = answer}}, mainWindow);
    const int32_t count = Choose(folder.path, kResultChars, url);
    StopScript();
    return count;
  };
  EXPECT_EQ(answered("sub/d.divx|" + folder.path + "/a.avi"), 2);
  EXPECT_EQ(WideToUtf8(selection), folder.path + "/sub/d.divx\r\n" + folder.path + "/a.avi\r\n");
  EXPECT_EQ(answered("B.AVI"), 1);
  EXPECT_EQ(Result(), folder.path + "/B.AVI");
  EXPECT_EQ(answered("missing.avi"), 0);
  EXPECT_EQ(answered("cancel"), 0);
  EXPECT_EQ(answered("http://radio.example/x", 1), 1);
  EXPECT_EQ(Result(), "http://radio.example/x");
}

}  // namespace
