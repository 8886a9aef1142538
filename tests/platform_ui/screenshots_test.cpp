// Screenshots of the command bar's menu, a list view, each dialog and the file chooser as a
// user sees them, under build/screenshots/; each is checked to show its box.
#include <gtest/gtest.h>

#include <fstream>

#include "../platform/temp_folder.h"
#include "app/startup_library/startup_dialogs.h"
#include "platform/controls/command_bar_view.h"
#include "platform/controls/dialog_style.h"
#include "platform/controls/file_chooser.h"
#include "platform/controls/list_view.h"
#include "platform/controls/menu_popup.h"
#include "platform/virtual_keys.h"
#include "ui_fixture.h"

namespace {

class ScreenshotTest : public UiTest {
 protected:
  // Writes the screenshot from inside the box's loop, then closes the box with Escape.
  void ShootAndClose(const std::string& name) {
    Probe([this, name] {
      Screenshot(name);
      titleShown = false;  // a box's title bar crosses the screen's middle column
      for (int32_t y = 0; y < kTestScreenHeight; ++y)
        titleShown |= ScreenColor(kTestScreenWidth / 2, y) == Rounded(kHighlightColor);
    });
    Key(VK_ESCAPE);
  }
  bool titleShown = false;
};

TEST_F(ScreenshotTest, MenuOpenWithItsSubmenu) {
  CheckMenuItem(Menu(), 40054, true);
  const Rect title = CommandBarTitleRect(bar, 0);
  Tap((title.left + title.right) / 2, 12);
  const Rect popup = PopupRect(GetSubmenu(Menu(), 0), title.left, title.bottom);
  const Rect open = PopupItemRect(popup, 0);
  Tap((open.left + open.right) / 2, (open.top + open.bottom) / 2);
  Probe([this] { Screenshot("menu_file_open"); });
  Key(VK_ESCAPE);
  Key(VK_ESCAPE);
  Key(VK_F10);
  Key(VK_LEFT);  // View
  Key(VK_LEFT);  // Settings
  Key(VK_DOWN);
  Probe([this] { Screenshot("menu_settings"); });
  Key(VK_ESCAPE);
  Pump();
  EXPECT_TRUE(received.size() >= 3u);
}

TEST_F(ScreenshotTest, ListViewWithAScrollBar) {
  WindowHandle view =
      CreateListView({.parent = mainWindow, .bounds = {10, 35, 310, 230}, .visible = true});
  ListViewSetColumnWidth(view, 300 - 26);
  ListViewSetFullRowSelect(view, true);
  const char16_t* titles[] = {u"Artist - First song.mp3", u"Second song.mp3", u"clip.avi",
                              u"Radio stream", u"Live recording.mp3"};
  for (int i = 0; i < 40; ++i) ListViewAppendRow(view, titles[i % 5]);
  ListViewSetRowState(view, 12, true, true);
  ListViewEnsureVisible(view, 12);
  Pump();
  Screenshot("list_view_scrolled");
  EXPECT_EQ(ScreenColor(305, 220), Rounded(kFaceColor));  // the scroll bar's down arrow
  DestroyWindow(view);
}

TEST_F(ScreenshotTest, OptionsEqualizerAndJumpTo) {
  ShootAndClose("dialog_options");
  ShowOptionsDialog(0, nullptr, mainWindow, &settings);
  EXPECT_TRUE(titleShown);
  settings.equalizerOn = 1;
  const int8_t bands[] = {-2, 6, 4, 2, 0, -1, -2, 0, 3, 5, 8};
  std::copy(std::begin(bands), std::end(bands), settings.equalizerBands);
  ShootAndClose("dialog_equalizer");
  ShowEqualizerDialog(0, nullptr, mainWindow, &settings);
  EXPECT_TRUE(titleShown);
  ShootAndClose("dialog_jump_to");
  JumpTo(mainWindow, 3725);
  EXPECT_TRUE(titleShown);
}

TEST_F(ScreenshotTest, FileChooserAndUrlEntry) {
  TempFolder folder;
  for (const char* name : {"Concert.avi", "holiday.divx", "notes.txt", "Music/a.mp3"}) {
    std::filesystem::create_directories(std::filesystem::path(folder / name).parent_path());
    std::ofstream(folder / name) << "x";
  }
  char16_t result[200];
  const char16_t* selection = nullptr;
  const std::u16string start = std::u16string(folder.path.begin(), folder.path.end());
  Key(VK_DOWN);
  Key(VK_DOWN);
  Key(VK_SPACE);
  ShootAndClose("file_chooser");
  ChooseFile(mainWindow, u"*.divx,*.avi", start.c_str(), result, 200, &selection, 0, 0);
  EXPECT_TRUE(titleShown);
  for (char16_t c : std::u16string(u"radio.example/live")) Char(c);
  ShootAndClose("file_chooser_url");
  ChooseFile(mainWindow, u"*.divx,*.avi", start.c_str(), result, 200, &selection, 0, 1);
  EXPECT_TRUE(titleShown);
}

}  // namespace
