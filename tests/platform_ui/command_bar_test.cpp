// The command bar: its menus opened by pen and keys, the commands they post, the message before
// a menu opens, check marks, greyed items, the Chapters submenu, a hidden or disabled bar.
#include <gtest/gtest.h>

#include "core/commands.h"
#include "platform/controls/command_bar_view.h"
#include "platform/controls/dialog_style.h"
#include "platform/controls/menu_popup.h"
#include "platform/virtual_keys.h"
#include "ui_fixture.h"

namespace {

class CommandBarTest : public UiTest {
 protected:
  Rect TitleRect(size_t title) { return CommandBarTitleRect(bar, title); }
  Rect PopupOf(size_t title) {
    const Rect t = TitleRect(title);
    return PopupRect(GetSubmenu(Menu(), title), t.left, t.bottom);
  }
  static void TapCenter(UiTest* test, const Rect& r) {
    static_cast<CommandBarTest*>(test)->Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  // Posts taps on the title, then on the item at `position` (and in its submenu the item
  // `subPosition`).
  void Choose(size_t title, size_t position, int subPosition = -1) {
    TapCenter(this, TitleRect(title));
    const Rect popup = PopupOf(title);
    TapCenter(this, PopupItemRect(popup, position));
    if (subPosition >= 0) {
      MenuHandle submenu = GetSubmenu(GetSubmenu(Menu(), title), position);
      TapCenter(this, PopupItemRect(SubmenuRect(submenu, popup, position),
                                    static_cast<size_t>(subPosition)));
    }
  }
  std::string LastCommand() {
    for (auto it = received.rbegin(); it != received.rend(); ++it)
      if (it->rfind("command ", 0) == 0) return *it;
    return "none";
  }
};

TEST_F(CommandBarTest, EveryMenuItemPostsItsCommandNumberWhenTapped) {
  const struct {
    size_t title, position;
    int sub;
    uint32_t command;
  } items[] = {
      {0, 0, 0, kCommandOpenFile},        {0, 0, 1, kCommandOpenUrl},
      {0, 0, 3, kCommandOpenSkin},        {0, 0, 4, kCommandOpenPlaylist},
      {0, 1, 0, kCommandEndOfChapters},   {0, 2, -1, kCommandJumpTo},
      {0, 3, -1, kCommandPlaylistEditor}, {0, 4, -1, kCommandMediaInfo},
      {0, 5, -1, kCommandAbout},          {0, 6, -1, kCommandHelp},
      {0, 7, -1, kCommandExit},           {1, 0, -1, kCommandFiltering},
      {1, 1, -1, kCommandShuffle},        {1, 2, -1, kCommandRepeat},
      {1, 3, -1, kCommandEqualizer},      {1, 4, -1, kCommandConfigure},
      {2, 0, -1, kCommandViewPlaylist},   {2, 1, -1, kCommandViewMediaInfo},
  };
  for (const auto& item : items) {
    received.clear();
    Choose(item.title, item.position, item.sub);
    Pump();
    EXPECT_EQ(LastCommand(), "command " + std::to_string(item.command))
        << "menu " << item.title << " item " << item.position << "/" << item.sub;
  }
  // A menu that closes without a choice restores the screen it covered.
  EXPECT_EQ(ScreenColor(PopupOf(0).left + 10, 120), Rounded(kWindowBackground));
}

TEST_F(CommandBarTest, TheMenuAboutToOpenComesBeforeTheCommandAndSubmenusGetOneToo) {
  Choose(0, 0, 1);  // File > Open > URL
  Pump();
  const std::vector<std::string> expected = {"initmenu 0", "initmenu 0", "command 40027"};
  EXPECT_EQ(received, expected);
}

TEST_F(CommandBarTest, AGreyedItemCannotBeChosenAndATapOutsideClosesTheMenu) {
  ASSERT_TRUE(FindMenuItem(Menu(), kCommandOpenReceive)->greyed);
  Choose(0, 0, 2);  // File > Open > Receive
  Tap(300, 230);
  Pump();
  EXPECT_EQ(LastCommand(), "none");
}

TEST_F(CommandBarTest, TheSecondMenuVariantsGreyedSizeToViewportIsNeverChosen) {
  ASSERT_TRUE(InsertMenuItem(Menu(), kCommandShuffle, kCommandSizeToViewport, u"Size to Viewport"));
  ASSERT_TRUE(EnableMenuItem(Menu(), kCommandSizeToViewport, false));
  Choose(1, 1);  // Settings > Size to Viewport by pen
  Key(VK_DOWN);  // Shuffle
  Key(VK_UP);    // back on Size to Viewport
  Key(VK_RETURN);
  Key(VK_DOWN);
  Key(VK_RETURN);
  Pump();
  EXPECT_EQ(received, (std::vector<std::string>{"initmenu 1", "command 40028"}));
}

TEST_F(CommandBarTest, KeysOpenMoveChooseAndClose) {
  Key(VK_F10);  // File, "Open" highlighted
  Key(VK_DOWN);
  Key(VK_DOWN);  // Jump To
  Key(VK_RETURN);
  Pump();
  EXPECT_EQ(LastCommand(), "command 40055");

  received.clear();
  Key(VK_F10);
  Key(VK_DOWN);
  Key(VK_DOWN);  // Jump To has no submenu: Right moves on to Settings
  Key(VK_RIGHT);
  Key(VK_UP);  // wraps to its last item, Configure...
  Key(VK_RETURN);
  Pump();
  EXPECT_EQ(received, (std::vector<std::string>{"initmenu 0", "initmenu 1", "command 40029"}));

  received.clear();
  Key(VK_F10);
  Key(VK_RIGHT);   // into the Open submenu
  Key(VK_DOWN);    // URL
  Key(VK_ESCAPE);  // back to File
  Key(VK_DOWN);
  Key(VK_RETURN);  // Chapters: its submenu opens on (End of List)
  Key(VK_RETURN);
  Pump();
  EXPECT_EQ(LastCommand(), "command 40060");

  received.clear();
  Key(VK_F10);
  Key(VK_ESCAPE);
  Key('A');  // after the menu closed: the window's own key again
  Pump();
  EXPECT_EQ(received, (std::vector<std::string>{"initmenu 0", "key 65"}));
}

TEST_F(CommandBarTest, CheckMarksFollowTheMenuItems) {
  const Rect popup = PopupOf(1);
  const Rect shuffle = PopupItemRect(popup, 1);
  // The check mark's stroke passes through (left + 6, top + 12) of an item 20 pixels high.
  auto checkDrawn = [&] { return ScreenColor(shuffle.left + 6, shuffle.top + 12) == kTextColor; };
  bool checked = true, unchecked = true;
  CheckMenuItem(Menu(), kCommandShuffle, true);
  TapCenter(this, TitleRect(1));
  Probe([&] { checked = checkDrawn(); });
  Key(VK_ESCAPE);
  Pump();
  CheckMenuItem(Menu(), kCommandShuffle, false);
  TapCenter(this, TitleRect(1));
  Probe([&] { unchecked = checkDrawn(); });
  Key(VK_ESCAPE);
  Pump();
  EXPECT_TRUE(checked);
  EXPECT_FALSE(unchecked);
}

TEST_F(CommandBarTest, ChapterItemsStandInOrderAboveTheEndOfTheList) {
  // Three chapters: chapter k gets 40060 + 3 - k, each inserted before (End of List).
  const char16_t* names[] = {u"Intro", u"Middle", u"Credits"};
  for (uint32_t k = 0; k < 3; ++k)
    ASSERT_TRUE(
        InsertMenuItem(Menu(), kCommandEndOfChapters, kCommandEndOfChapters + 3 - k, names[k]));
  MenuHandle chapters = GetSubmenu(GetSubmenu(Menu(), 0), 1);
  ASSERT_EQ(chapters->items.size(), 4u);
  EXPECT_EQ(chapters->items[0].text, u"Intro");
  EXPECT_EQ(chapters->items[3].text, u"(End of List)");
  Choose(0, 1, 1);
  Pump();
  EXPECT_EQ(LastCommand(), "command 40062");

  for (uint32_t k = 0; k < 3; ++k)
    ASSERT_TRUE(DeleteMenuItem(Menu(), kCommandEndOfChapters + 3 - k));
  ASSERT_EQ(chapters->items.size(), 1u);
  Choose(0, 1, 0);
  Pump();
  EXPECT_EQ(LastCommand(), "command 40060");
}

TEST_F(CommandBarTest, AHundredChaptersScrollInsideTheScreen) {
  constexpr uint32_t kChapters = 100;
  for (uint32_t k = 0; k < kChapters; ++k)
    InsertMenuItem(Menu(), kCommandEndOfChapters, kCommandEndOfChapters + kChapters - k,
                   u"Chapter");
  MenuHandle chapters = GetSubmenu(GetSubmenu(Menu(), 0), 1);
  const Rect popup = SubmenuRect(chapters, PopupOf(0), 1);
  ASSERT_LE(popup.bottom, kTestScreenHeight);
  const auto slots =
      static_cast<size_t>((popup.bottom - popup.top - 2 * kPopupBorder) / kMenuItemHeight);
  TapCenter(this, TitleRect(0));
  TapCenter(this, PopupItemRect(PopupOf(0), 1));
  for (int i = 0; i < 3; ++i) TapCenter(this, PopupItemRect(popup, slots - 1));  // the down arrow
  TapCenter(this, PopupItemRect(popup, 1));  // the first item in view: chapter 3
  Pump();
  EXPECT_EQ(LastCommand(), "command " + std::to_string(kCommandEndOfChapters + kChapters - 3));

  Key(VK_F10);
  Key(VK_DOWN);   // Chapters
  Key(VK_RIGHT);  // opens on chapter 0
  Key(VK_UP);     // wraps to (End of List), scrolled into view
  Key(VK_RETURN);
  Pump();
  EXPECT_EQ(LastCommand(), "command 40060");
}

TEST_F(CommandBarTest, ADisabledBarOpensNothingAndAHiddenBarLeavesItsRowsToTheWindow) {
  CommandBarEnable(bar, false);
  TapCenter(this, TitleRect(0));
  Key(VK_F10);
  Pump();
  EXPECT_EQ(received, (std::vector<std::string>{"key 121"}));

  received.clear();
  CommandBarEnable(bar, true);
  CommandBarShow(bar, false);
  Tap(10, 10);
  Pump();
  EXPECT_EQ(received, (std::vector<std::string>{"pen 10 10"}));

  CommandBarShow(bar, true);
  CommandBarRedraw(bar);
  EXPECT_EQ(ScreenColor(300, 5), Rounded(kFaceColor));
}

TEST_F(CommandBarTest, TheBarHasOneViewAndIsDrawnAgainWhenTheWindowPaints) {
  EXPECT_EQ(CommandBarCreateView(bar), barView);
  EXPECT_EQ(ScreenColor(300, 5), Rounded(kFaceColor));
  EXPECT_EQ(ScreenColor(300, 30),
            Rounded(kWindowBackground));  // the window's own paint below the bar
}

}  // namespace
