// The list view: clicks on and below the rows, selection and focus, scrolling (by call and by
// pen on the scroll bar), colours, a replaced procedure, hiding and moving.
#include "platform/controls/list_view.h"

#include <gtest/gtest.h>

#include "platform/controls/dialog_style.h"
#include "platform/virtual_keys.h"
#include "ui_fixture.h"

namespace {

constexpr Rect kViewBounds{20, 40, 220, 200};
constexpr uint32_t kBack = RGB(0, 0, 64);
constexpr uint32_t kText = RGB(255, 255, 0);

class ListViewTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    view = CreateListView({.parent = mainWindow, .bounds = kViewBounds, .visible = true});
    ASSERT_NE(view, nullptr);
    ListViewSetColumnWidth(view, kViewBounds.right - kViewBounds.left - 26);
    ListViewSetFullRowSelect(view, true);
  }
  void Fill(int rows) {
    for (int i = 0; i < rows; ++i) ListViewAppendRow(view, u"Row " + Number(i));
  }
  static std::u16string Number(int i) {
    std::u16string text;
    for (char c : std::to_string(i)) text.push_back(static_cast<char16_t>(c));
    return text;
  }
  int32_t RowHeight() { return ListViewRowHeight(view); }
  // The screen y of the middle of visible row `slot`.
  int32_t RowY(int32_t slot) { return kViewBounds.top + 2 + slot * RowHeight() + RowHeight() / 2; }
  int32_t ScrollX() { return kViewBounds.right - 2 - kScrollBarWidth / 2; }

  WindowHandle view = nullptr;
};

TEST_F(ListViewTest, ATapOnARowSelectsItAndNotifiesTheParentWithItsIndex) {
  Fill(5);
  Tap(60, RowY(2));
  Pump();
  EXPECT_EQ(received, (std::vector<std::string>{"notify -2 2"}));
  EXPECT_EQ(ListViewSelectedRow(view), 2);
  EXPECT_EQ(ListViewFocusedRow(view), 2);
  EXPECT_EQ(GetFocus(), view);

  received.clear();
  Tap(60, RowY(7));  // below the last row
  Pump();
  EXPECT_EQ(received, (std::vector<std::string>{"notify -2 -1"}));
  EXPECT_EQ(ListViewSelectedRow(view), 2);  // the selection stays
}

TEST_F(ListViewTest, SelectionIsSingleAndAppendedRowsKeepTheirOrder) {
  Fill(3);
  ListViewSetRowState(view, 0, true, true);
  ListViewSetRowState(view, 2, true, true);
  EXPECT_EQ(ListViewSelectedRow(view), 2);
  EXPECT_EQ(ListViewRowText(view, 1), u"Row 1");
  ListViewDeleteAllRows(view);
  EXPECT_EQ(ListViewRowCount(view), 0);
  EXPECT_EQ(ListViewSelectedRow(view), -1);
  Tap(60, RowY(0));
  Pump();
  EXPECT_EQ(received, (std::vector<std::string>{"notify -2 -1"}));
}

TEST_F(ListViewTest, ScrollingA200RowListToRow150) {
  Fill(200);
  ListViewSetRowState(view, 150, true, true);
  ListViewEnsureVisible(view, 150);
  const int32_t visible = ListViewVisibleRows(view);
  EXPECT_EQ(ListViewTopRow(view), 150 - visible + 1);  // the row is the last one in view
  Tap(60, RowY(visible - 1));
  Pump();
  EXPECT_EQ(received, (std::vector<std::string>{"notify -2 150"}));
  ListViewEnsureVisible(view, 3);
  EXPECT_EQ(ListViewTopRow(view), 3);
}

TEST_F(ListViewTest, TheScrollBarWorksByPen) {
  Fill(200);
  const int32_t visible = ListViewVisibleRows(view);
  Tap(ScrollX(), kViewBounds.bottom - 5);  // the down arrow
  Pump();
  EXPECT_EQ(ListViewTopRow(view), 1);
  Tap(ScrollX(), kViewBounds.bottom - 30);  // the track below the thumb: a page
  Pump();
  EXPECT_EQ(ListViewTopRow(view), 1 + visible);
  Tap(ScrollX(), kViewBounds.top + 5);  // the up arrow
  Pump();
  EXPECT_EQ(ListViewTopRow(view), visible);
  ListViewEnsureVisible(view, 0);
  // Dragging the thumb to the bottom shows the last rows.
  PostPen(WM_LBUTTONDOWN, ScrollX(), kViewBounds.top + kScrollBarWidth + 6);
  PostPen(WM_MOUSEMOVE, ScrollX(), kViewBounds.bottom);
  PostPen(WM_LBUTTONUP, ScrollX(), kViewBounds.bottom);
  Pump();
  EXPECT_EQ(ListViewTopRow(view), 200 - visible);
  EXPECT_TRUE(received.empty());  // the scroll bar notifies nothing
}

TEST_F(ListViewTest, ColoursFontAndFullRowSelectionAreDrawn) {
  FontHandle font = CreateFont(u"Tahoma", 18, FW_NORMAL);
  ListViewSetFont(view, font, true);
  ListViewSetBackgroundColor(view, kBack);
  ListViewSetTextBackgroundColor(view, kBack);
  ListViewSetTextColor(view, kText);
  Fill(3);
  ListViewSetRowState(view, 1, true, true);
  Pump();
  EXPECT_EQ(ScreenColor(kViewBounds.right - 6, RowY(1)), Rounded(kHighlightColor));  // full row
  EXPECT_EQ(ScreenColor(kViewBounds.right - 6, RowY(0)), Rounded(kBack));
  EXPECT_EQ(ScreenColor(kViewBounds.left + 10, RowY(5)), Rounded(kBack));
  bool textDrawn = false;
  for (int32_t x = kViewBounds.left; x < kViewBounds.left + 40; ++x)
    for (int32_t y = RowY(0) - 5; y < RowY(0) + 5; ++y)
      textDrawn |= ScreenColor(x, y) == Rounded(kText);
  EXPECT_TRUE(textDrawn);
  Screenshot("list_view");
  DestroyWindow(view);
  DeleteFont(font);
}

WindowProc previousProc = nullptr;
std::vector<std::string> seenByReplacement;

intptr_t ReplacementProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == WM_SETFOCUS) seenByReplacement.push_back("focus");
  if (message == WM_KEYDOWN) {
    seenByReplacement.push_back("key " + std::to_string(wParam));
    return 0;  // the view never sees it, as the player's own procedure does
  }
  return CallWindowProc(previousProc, window, message, wParam, lParam);
}

TEST_F(ListViewTest, AReplacedProcedureSeesFocusAndKeysAndCallsThePreviousOne) {
  Fill(4);
  seenByReplacement.clear();
  previousProc = SetWindowProc(view, ReplacementProc);
  Tap(60, RowY(1));
  Pump();
  Key(VK_DOWN);
  Pump();
  EXPECT_EQ(seenByReplacement, (std::vector<std::string>{"focus", "key 40"}));
  EXPECT_EQ(ListViewSelectedRow(view), 1);  // the previous procedure handled the tap
  SetWindowProc(view, previousProc);
  Key(VK_DOWN);  // with its own procedure back, Down moves the selection
  Pump();
  EXPECT_EQ(ListViewSelectedRow(view), 2);
}

TEST_F(ListViewTest, HidingMovingAndDestroyingRepaintTheWindowUnderneath) {
  Fill(3);
  Pump();
  EXPECT_EQ(ScreenColor(kViewBounds.left + 100, kViewBounds.top + 100), Rounded(kFieldColor));
  ListViewShow(view, false);
  Pump();
  EXPECT_EQ(ScreenColor(kViewBounds.left + 100, kViewBounds.top + 100), Rounded(kWindowBackground));
  Tap(kViewBounds.left + 100, kViewBounds.top + 100);  // a hidden view leaves the pen alone
  Pump();
  EXPECT_EQ(received.size(), 1u);
  ListViewShow(view, true);
  ListViewMove(view, {20, 40, 220, 100}, true);
  Pump();
  EXPECT_EQ(ScreenColor(kViewBounds.left + 100, 150), Rounded(kWindowBackground));
  EXPECT_EQ(ScreenColor(kViewBounds.left + 100, 90), Rounded(kFieldColor));
  DestroyWindow(view);
  Pump();
  EXPECT_EQ(ScreenColor(kViewBounds.left + 100, 90), Rounded(kWindowBackground));
}

}  // namespace
