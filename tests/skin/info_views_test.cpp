// The info line, the time and the media-information rows for the items the player meets, and the
// scrolling info line drawn where it should be.
#include "platform/controls/list_view.h"
#include "skin_fixture.h"

namespace {

struct InfoCase {
  const char* what;
  const char16_t* path;
  bool url;
  ItemFacts item;
  const char16_t* line;
};

ItemFacts Audio(const char16_t* title, const char16_t* artist, int32_t seconds, int32_t bitrate) {
  ItemFacts item;
  item.open = true;
  item.title = title;
  item.artist = artist;
  item.bitrate = bitrate;
  item.audioLength = seconds * (bitrate < 0 ? -bitrate : bitrate) / 8;
  return item;
}

ItemFacts Video(int32_t frames, double fps) {
  ItemFacts item;
  item.open = true;
  item.frameCount = frames;
  item.framesPerSecond = fps;
  return item;
}

struct InfoViewsTest : SkinScreenTest {
  void SetUp() override {
    SkinScreenTest::SetUp();
    currentPath[0] = 0;
    isUrl = 0;
  }
};

TEST_F(InfoViewsTest, InfoLineNamesTheItemAndItsRunningTime) {
  const InfoCase cases[] = {
      {"title and artist", u"/music/x.mp3", false, Audio(u"Song", u"Band", 200, 128000),
       u" Band - Song (03:20) "},
      {"a negative bitrate counts by its size", u"/music/x.mp3", false,
       Audio(u"Song", u"", 200, -128000), u" Song (03:20) "},
      {"no title: the file name", u"/video/clip.avi", false, Video(3725, 25.0),
       u" clip.avi (02:29) "},
      {"backslashes cut too", u"\\Storage Card\\clip.avi", false, Video(75, 1.0),
       u" clip.avi (01:15) "},
      {"a trailing separator is skipped", u"/music/album/", false, Video(3725, 1.0),
       u" album (1:02:05) "},
      {"an address keeps its slashes", u"http://radio.example/live", true, ItemFacts{.open = true},
       u" http://radio.example/live (00:00) "},
      {"no item, no path", u"", false, ItemFacts{}, u" (No File) "},
      {"no item yet, a path", u"/music/next.mp3", false, ItemFacts{}, u" next.mp3 "},
      {"a bitrate below 8 gives no time", u"/a.mp3", false, Audio(u"T", u"", 10, 7),
       u" T (00:00) "},
      {"video without a frame rate gives no time", u"/a.avi", false, Video(100, 0.0),
       u" a.avi (00:00) "},
  };
  for (const InfoCase& c : cases) {
    SCOPED_TRACE(c.what);
    WideCopy(currentPath, kMediaPathChars, c.path);
    isUrl = c.url;
    Recorded::item = c.item;
    BuildInfoText();
    EXPECT_EQ(InfoText, std::u16string(c.line));
  }
}

TEST_F(InfoViewsTest, TimeTextHasHoursOnlyWhenNeeded) {
  const std::pair<int32_t, const char16_t*> cases[] = {{0, u"00:00"},      {75, u"01:15"},
                                                       {599, u"09:59"},    {3599, u"59:59"},
                                                       {3725, u"1:02:05"}, {36000, u"10:00:00"}};
  for (const auto& [seconds, text] : cases) EXPECT_EQ(FormatTime(seconds), text) << seconds;
}

TEST_F(InfoViewsTest, MediaInfoRowsComeOnlyWithABitrate) {
  mediaInfoView = CreateListView({.parent = mainWindow, .bounds = {0, 0, 200, 100}});
  ListViewAppendRow(mediaInfoView, u"kept");
  ItemFacts silent = Audio(u"Song", u"Band", 200, 0);
  Recorded::item = silent;
  BuildInfoText();
  EXPECT_EQ(InfoText, u" Band - Song (00:00) ");
  ASSERT_EQ(ListViewRowCount(mediaInfoView), 1);  // untouched

  ItemFacts item = Audio(u"Song", u"Band", 200, 128000);
  item.album = u"Album";
  item.sampleRate = 44100;
  item.channels = 2;
  Recorded::item = item;
  BuildInfoText();
  std::vector<std::u16string> rows;
  for (int32_t i = 0; i < ListViewRowCount(mediaInfoView); ++i)
    rows.push_back(ListViewRowText(mediaInfoView, i));
  EXPECT_EQ(rows, (std::vector<std::u16string>{u"TITLE=Song", u"ARTIST=Band", u"ALBUM=Album",
                                               u"RUNNING TIME=03:20", u"BITRATE=128Kbps",
                                               u"SAMPLE RATE=44khz", u"STEREO"}));
  DestroyWindow(mediaInfoView);
}

// The info line drawn by hand at the given x positions over a plain background, as the pixels
// the view must show.
std::vector<uint16_t> Expected(const std::u16string& text, const SkinElement& e,
                               std::initializer_list<int32_t> xs) {
  BitmapHandle bitmap = CreateCompatibleBitmap(nullptr, e.Width, e.Height);
  DeviceContextHandle dc = CreateCompatibleDC(nullptr);
  BitmapHandle previous = SelectBitmap(dc, bitmap);
  FontHandle font = MakeElementFont(e, dc);
  FontHandle previousFont = SelectFont(dc, font);
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkMode(dc, TRANSPARENT);
  for (int32_t x : xs) TextOut(dc, x - e.Left, 0, text);
  std::vector<uint16_t> pixels(GetBitmapBits(bitmap), GetBitmapBits(bitmap) + e.Width * e.Height);
  SelectFont(dc, previousFont);
  DeleteFont(font);
  SelectBitmap(dc, previous);
  DeleteDC(dc);
  DeleteBitmap(bitmap);
  return pixels;
}

std::vector<uint16_t> Shown(const SkinElement& e) {
  std::vector<uint16_t> pixels;
  for (int32_t y = e.Top; y < e.Top + e.Height; ++y)
    for (int32_t x = e.Left; x < e.Left + e.Width; ++x)
      pixels.push_back(ScreenPixels()[y * ScreenWidth() + x]);
  return pixels;
}

TEST_F(InfoViewsTest, ScrollingLineMovesByItsStepAndFollowsItself) {
  skin.BackgroundImage = CreateCompatibleBitmap(nullptr, 320, 215);  // black
  skin.InfoView = {.Top = 40,
                   .Left = 0,
                   .Width = 120,
                   .Height = 20,
                   .FontRed = 255,
                   .FontGreen = 255,
                   .FontBlue = 255,
                   .ScrollText = 1};
  InfoText = u" A rather long title that does not fit (03:20) ";
  DeviceContextHandle dc = GetDC(mainWindow);
  FontHandle font = MakeElementFont(skin.InfoView, dc);
  FontHandle previous = SelectFont(dc, font);
  const int32_t width = GetTextExtent(dc, InfoText).cx;
  SelectFont(dc, previous);
  DeleteFont(font);
  ASSERT_GT(width, 120);

  ScrollOffset = 0;
  DrawInfoView(dc);
  EXPECT_EQ(ScrollOffset, -16);
  EXPECT_EQ(Shown(skin.InfoView), Expected(InfoText, skin.InfoView, {0}));
  DrawInfoView(dc);
  EXPECT_EQ(ScrollOffset, -32);
  EXPECT_EQ(Shown(skin.InfoView), Expected(InfoText, skin.InfoView, {-16}));

  // Near its end the line is followed by its own start, without a gap.
  ScrollOffset = -(width - 40);
  DrawInfoView(dc);
  EXPECT_EQ(Shown(skin.InfoView), Expected(InfoText, skin.InfoView, {-(width - 40), 40}));
  // Once wholly gone it comes round by its own width.
  ScrollOffset = -width - 1;
  DrawInfoView(dc);
  EXPECT_EQ(ScrollOffset, -1 - 16);
  ReleaseDC(mainWindow, dc);
  DeleteBitmap(skin.BackgroundImage);
  skin.BackgroundImage = nullptr;
}

TEST_F(InfoViewsTest, ScrollPositionSurvivesANewLine) {
  skin.InfoView = {.Top = 40, .Left = 0, .Width = 120, .Height = 20, .ScrollText = 1};
  ScrollOffset = -48;
  Recorded::item = Audio(u"Song", u"Band", 200, 128000);
  BuildInfoText();  // draws once more
  EXPECT_EQ(ScrollOffset, -64);
}

TEST_F(InfoViewsTest, TimeViewShowsZeroWithoutAnItemAndTheElapsedTimeWithOne) {
  skin.BackgroundImage = CreateCompatibleBitmap(nullptr, 320, 215);
  skin.Time = {.Top = 40,
               .Left = 200,
               .Width = 100,
               .Height = 20,
               .FontRed = 255,
               .FontGreen = 255,
               .FontBlue = 255};
  auto expectedAt = [&](const std::u16string& text) {
    DeviceContextHandle probe = CreateCompatibleDC(nullptr);
    FontHandle font = MakeElementFont(skin.Time, probe);
    FontHandle previous = SelectFont(probe, font);
    const int32_t w = GetTextExtent(probe, text).cx;
    SelectFont(probe, previous);
    DeleteFont(font);
    DeleteDC(probe);
    return Expected(text, skin.Time, {skin.Time.Left + skin.Time.Width - w});
  };
  DeviceContextHandle dc = GetDC(mainWindow);
  DrawTimeView(dc);
  EXPECT_EQ(Shown(skin.Time), expectedAt(u"00:00"));
  ItemFacts item = Video(3000, 25.0);
  item.currentFrame = 1875;  // 75 seconds
  Recorded::item = item;
  DrawTimeView(dc);
  EXPECT_EQ(Shown(skin.Time), expectedAt(u"01:15"));
  ReleaseDC(mainWindow, dc);
  DeleteBitmap(skin.BackgroundImage);
  skin.BackgroundImage = nullptr;
}

}  // namespace
