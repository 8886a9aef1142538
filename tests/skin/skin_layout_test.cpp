// ApplySkin and the list views: which view shows where for the list, the item and the switches,
// with the skin's fonts, and a second skin replacing the first one's views.
#include "core/commands.h"
#include "platform/controls/list_view.h"
#include "platform/files.h"
#include "skin_fixture.h"

namespace {

std::vector<WindowHandle> listViewsMade;
void RecordListView(WindowHandle view) {
  listViewsMade.push_back(view);
}

struct SkinLayoutTest : SkinScreenTest {
  char16_t path[kSkinPathChars] = {};
  void SetUp() override {
    SkinScreenTest::SetUp();
    listViewsMade.clear();
    SetSkinHooks({.describeItem = [] { return Recorded::item; },
                  .playlistPosition = [] { return Recorded::list; },
                  .installListViewProc = RecordListView});
    WriteImage(folder / "back.png", 320, 215, 0x0010);
    WriteText(folder / "a.pds", "[Handheld]\r\n" + Block("ViewPort", 10, 5, 300, 150) +
                                    Block("SeekButton", 0, 200, 10, 10) +
                                    "PlaylistView\r\nFont=DejaVu Serif\r\nPointSize=0\r\n\r\n"
                                    "MediaView\r\nBackBlue=1\r\n\r\n"
                                    "Files\r\nBackground=back.png\r\n\r\n");
    WideCopy(path, kSkinPathChars, Utf8ToWide(folder / "a.pds"));
    ApplySkin(path, mainWindow);
  }
  void TearDown() override {
    DestroyWindow(playlistView);
    DestroyWindow(mediaInfoView);
    SkinScreenTest::TearDown();
  }
};

Rect Bounds(WindowHandle view) {
  return GetWindowRect(view);
}

TEST_F(SkinLayoutTest, ApplySkinMakesBothViewsAndRemembersThePath) {
  ASSERT_NE(playlistView, nullptr);
  ASSERT_NE(mediaInfoView, nullptr);
  EXPECT_EQ(listViewsMade, (std::vector<WindowHandle>{playlistView, mediaInfoView}));
  EXPECT_FALSE(IsWindowVisible(playlistView));
  EXPECT_EQ(std::u16string(playerSettings.skinPath), std::u16string(path));
  Message message;
  bool rebuildPosted = false;
  while (PeekMessage(&message, true))
    rebuildPosted = rebuildPosted || message.message == kMessageRebuildPlaylist;
  EXPECT_TRUE(rebuildPosted);
  EXPECT_TRUE(KillTimer(mainWindow, kSeekTimerId));  // the skin has a seek knob
}

TEST_F(SkinLayoutTest, ViewsShareTheViewPortByListItemAndSwitches) {
  struct Case {
    const char* what;
    int32_t lastIndex;
    ItemFacts item;
    bool showPlaylist, showMediaInfo;
    bool playlistShown, mediaShown;
    Rect playlistBounds, mediaBounds;
  };
  const Rect whole{10, 30, 310, 180};
  const ItemFacts audio{.open = true};
  const ItemFacts video{.open = true, .frameCount = 100};
  const Case cases[] = {
      {"a list with both switches: stacked",
       3,
       audio,
       true,
       true,
       true,
       true,
       {10, 30, 310, 80},
       {10, 85, 310, 180}},
      {"a list with the playlist switch", 3, audio, true, false, true, false, whole, {}},
      {"one audio item with media info", 0, audio, true, true, false, true, {}, whole},
      {"one video item shows neither", 0, video, true, true, false, false, {}, {}},
      {"a video in a list shows neither", 3, video, true, true, false, false, {}, {}},
      {"nothing open, no list", 0, ItemFacts{}, true, true, false, false, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Recorded::list = {.lastIndex = c.lastIndex, .currentIndex = 1};
    Recorded::item = c.item;
    playerSettings.showPlaylist = c.showPlaylist;
    playerSettings.showMediaInfo = c.showMediaInfo;
    LayoutListViews();
    EXPECT_EQ(IsWindowVisible(playlistView), c.playlistShown);
    EXPECT_EQ(IsWindowVisible(mediaInfoView), c.mediaShown);
    const Rect p = Bounds(playlistView), m = Bounds(mediaInfoView);
    if (c.playlistShown) {
      EXPECT_TRUE(p.left == c.playlistBounds.left && p.top == c.playlistBounds.top &&
                  p.right == c.playlistBounds.right && p.bottom == c.playlistBounds.bottom)
          << p.left << "," << p.top << "," << p.right << "," << p.bottom;
    }
    if (c.mediaShown) {
      EXPECT_TRUE(m.left == c.mediaBounds.left && m.top == c.mediaBounds.top &&
                  m.right == c.mediaBounds.right && m.bottom == c.mediaBounds.bottom)
          << m.left << "," << m.top << "," << m.right << "," << m.bottom;
    }
  }
}

TEST_F(SkinLayoutTest, ViewFontIsTheDefaultWithoutAPointSize) {
  DeviceContextHandle dc = CreateCompatibleDC(nullptr);
  FontHandle fromSkin = MakeElementFont(skin.PlaylistView, dc);  // Font=DejaVu Serif, PointSize=0
  FontHandle tahoma = CreateFont(u"Tahoma", 96 * 9 / 72, FW_NORMAL);
  FontHandle serif = CreateFont(u"DejaVu Serif", 96 * 9 / 72, FW_NORMAL);
  auto widthWith = [&](FontHandle font) {
    FontHandle previous = SelectFont(dc, font);
    const int32_t width = GetTextExtent(dc, u"The quick brown fox, 0123456789").cx;
    SelectFont(dc, previous);
    return width;
  };
  EXPECT_EQ(widthWith(fromSkin), widthWith(tahoma));
  EXPECT_NE(widthWith(fromSkin), widthWith(serif));
  for (FontHandle font : {fromSkin, tahoma, serif}) DeleteFont(font);
  DeleteDC(dc);
}

TEST_F(SkinLayoutTest, SecondSkinReplacesBothViews) {
  ListViewAppendRow(playlistView, u"from the first skin");
  ListViewAppendRow(mediaInfoView, u"from the first skin");
  ApplySkin(path, mainWindow);
  EXPECT_EQ(listViewsMade.size(), 4u);
  ASSERT_TRUE(IsWindow(playlistView));
  EXPECT_EQ(ListViewRowCount(playlistView), 0);  // refilled by the playlist on the posted message
  EXPECT_EQ(ListViewRowCount(mediaInfoView), 0);
}

}  // namespace
