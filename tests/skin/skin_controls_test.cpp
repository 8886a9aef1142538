// The pen on the skin: presses, moves and releases over a small skin, with the commands the
// main window receives, the transport calls, the knobs' places and what the screen shows.
#include "core/commands.h"
#include "core/volume.h"
#include "platform/wave_out.h"
#include "skin_fixture.h"

namespace {

constexpr uint16_t kNormalPixel = 0x001F;
constexpr uint16_t kPushedPixel = 0x07E0;

BitmapHandle PlainBitmap(int32_t width, int32_t height, uint16_t pixel) {
  BitmapHandle bitmap = CreateCompatibleBitmap(nullptr, width, height);
  std::fill_n(GetBitmapBits(bitmap), size_t(width) * height, pixel);
  return bitmap;
}

struct SkinControlsTest : SkinScreenTest {
  void SetUp() override {
    SkinScreenTest::SetUp();
    skin.BackgroundImage = PlainBitmap(320, 215, kNormalPixel);
    skin.ButtonsImage = PlainBitmap(320, 215, kPushedPixel);
    skin.StopButton = {.Top = 30, .Left = 10, .Width = 30, .Height = 30};
    skin.NextButton = {.Top = 30, .Left = 50, .Width = 30, .Height = 30};
    skin.PlayButton = {.Top = 30, .Left = 90, .Width = 30, .Height = 30};
    skin.MuteButton = {.Top = 30, .Left = 130, .Width = 30, .Height = 30};
    skin.InfoView = {.Top = 70, .Left = 0, .Width = 320, .Height = 20};
    skin.ViewPort = {.Top = 150, .Left = 0, .Width = 320, .Height = 90};
    skin.SeekArea = {.Top = 100, .Left = 10, .Width = 200, .Height = 20};
    skin.SeekButton = {
        .Top = 100, .Left = 10, .Width = 20, .Height = 20, .Direction = 1, .BigStep = 30};
    skin.VolumeArea = {.Top = 125, .Left = 10, .Width = 200, .Height = 20};
    skin.VolumeButton = {
        .Top = 125, .Left = 10, .Width = 20, .Height = 20, .Direction = 1, .BigStep = 30};
  }
  void TearDown() override {
    DeleteBitmap(skin.BackgroundImage);
    DeleteBitmap(skin.ButtonsImage);
    skin = Skin{};
    SkinScreenTest::TearDown();
  }
  static void Tap(int32_t x, int32_t y) {
    OnPointerDown(x, y);
    OnPointerUp(x, y);
  }
};

TEST_F(SkinControlsTest, SeekSliderDragsAndTaps) {
  struct Case {
    const char* what;
    int32_t knobLeft;
    bool drag;  // drag the knob to x, else tap at x
    int32_t x;
    int32_t expectedLeft;
    int32_t expectedSeek;
  };
  const Case cases[] = {
      {"drag released at Left 100", 10, true, 110, 100, 50},
      {"drag past the right end stops at the end", 10, true, 400, 190, 100},
      {"drag past the left end stops at the start", 100, true, -50, 10, 0},
      {"tap right of the knob at 100", 100, false, 150, 130, 60},
      {"tap left of the knob at 100", 100, false, 50, 70, 30},
      {"tap right of a knob near the end clamps it", 185, false, 208, 190, 90},
      // A knob as high as its area is level with a tap only on its edge (a press inside it
      // starts a drag); the tap then reapplies its place over the area's full width.
      {"tap level with the knob reapplies its place", 100, false, 100, 100, 45},
      {"tap level with a knob at the end leaves it there", 190, false, 190, 190, 90},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Recorded::seeks.clear();
    skin.SeekButton.Left = c.knobLeft;
    if (c.drag) {
      OnPointerDown(c.knobLeft + 10, 110);
      EXPECT_EQ(skin.SeekButton.Pushed, 1);
      OnPointerMove(c.x, 300);  // a horizontal drag follows x at any height
      OnPointerUp(c.x, 300);
    } else {
      Tap(c.x, 110);
    }
    EXPECT_EQ(skin.SeekButton.Left, c.expectedLeft);
    EXPECT_EQ(skin.SeekButton.Pushed, 0);
    EXPECT_EQ(Recorded::seeks, std::vector<int32_t>{c.expectedSeek});
    // The knob is shown in its pushed look at its place, the area behind it restored.
    EXPECT_EQ(ScreenAt(c.expectedLeft + 10, 110), kPushedPixel);
  }
}

TEST_F(SkinControlsTest, VolumeSliderChangesTheDeviceUnlessMuted) {
  WaveOutSetVolume(nullptr, VolumeWordOf(10));
  playerSettings.muted = 1;
  Tap(150, 135);  // right of the knob: 10 -> 40
  EXPECT_EQ(skin.VolumeButton.Left, 40);
  OnPointerDown(50, 135);
  OnPointerMove(110, 135);
  OnPointerUp(110, 135);
  EXPECT_EQ(skin.VolumeButton.Left, 100);
  uint32_t volume = 0;
  WaveOutGetVolume(nullptr, &volume);
  EXPECT_EQ(volume, VolumeWordOf(10));

  playerSettings.muted = 0;
  Tap(150, 135);  // 100 -> 130: (120 x 100) / 200
  WaveOutGetVolume(nullptr, &volume);
  EXPECT_EQ(volume, VolumeWordOf(60));
  EXPECT_TRUE(Recorded::seeks.empty());
}

TEST_F(SkinControlsTest, StopButtonSlidOffAndBackStillStopsOnRelease) {
  OnPointerDown(25, 45);
  EXPECT_EQ(skin.StopButton.Pushed, 1);
  EXPECT_EQ(ScreenAt(25, 45), kPushedPixel);
  OnPointerMove(200, 200);
  EXPECT_EQ(skin.StopButton.Pushed, 0);
  EXPECT_EQ(ScreenAt(25, 45), kNormalPixel);
  OnPointerMove(25, 45);  // back on: not pushed again
  EXPECT_EQ(skin.StopButton.Pushed, 0);
  EXPECT_EQ(ScreenAt(25, 45), kNormalPixel);
  EXPECT_TRUE(Recorded::commands.empty());
  OnPointerUp(25, 45);
  EXPECT_EQ(Recorded::commands, std::vector<uint32_t>{kCommandStop});
}

TEST_F(SkinControlsTest, PressesAndReleasesFindTheirElements) {
  struct Case {
    const char* what;
    int32_t downX, downY, upX, upY;
    std::vector<uint32_t> commands;
    int playPauses;
  };
  const Case cases[] = {
      {"press on nothing, release over Next", 300, 10, 65, 45, {kCommandNextItem}, 0},
      {"a press on the left edge misses", 10, 45, 300, 10, {}, 0},
      {"a press on the top edge misses", 25, 30, 300, 10, {}, 0},
      {"Play toggles on press", 105, 45, 300, 10, {}, 1},
      {"the picture toggles on press", 100, 200, 100, 200, {}, 1},
      {"Mute sends its command on press", 145, 45, 300, 10, {kCommandMute}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Recorded::Clear();
    OnPointerDown(c.downX, c.downY);
    OnPointerUp(c.upX, c.upY);
    EXPECT_EQ(Recorded::commands, c.commands);
    EXPECT_EQ(Recorded::playPauses, c.playPauses);
  }
}

TEST_F(SkinControlsTest, WhileTheVideoOwnsTheScreenEveryPressTogglesPause) {
  screenTakeover = 1;
  OnPointerDown(25, 45);  // over Stop
  OnPointerMove(65, 45);
  OnPointerUp(65, 45);  // over Next
  EXPECT_EQ(Recorded::playPauses, 1);
  EXPECT_TRUE(Recorded::commands.empty());
  EXPECT_EQ(skin.StopButton.Pushed, 0);
  paused = 1;  // once paused the skin reacts again
  OnPointerDown(25, 45);
  OnPointerUp(25, 45);
  EXPECT_EQ(Recorded::commands, std::vector<uint32_t>{kCommandStop});
}

TEST_F(SkinControlsTest, TappingTheInfoLineTwiceRestoresItsScrolling) {
  skin.InfoView.ScrollText = 1;
  Tap(100, 80);
  EXPECT_EQ(skin.InfoView.ScrollText, 0);
  Tap(100, 80);
  EXPECT_EQ(skin.InfoView.ScrollText, 1);
}

TEST_F(SkinControlsTest, KnobPercentStaysWithinItsRange) {
  struct Case {
    const char* what;
    SkinElement area, knob;
    int32_t percent;
  };
  const Case cases[] = {
      {"horizontal middle",
       {.Top = 0, .Left = 10, .Width = 200, .Height = 20},
       {.Left = 100, .Width = 20, .Direction = 1},
       50},
      {"vertical",
       {.Top = 100, .Left = 0, .Width = 20, .Height = 120, .Vertical = 1},
       {.Top = 150, .Height = 20, .Direction = 1},
       50},
      {"knob as wide as its area",
       {.Left = 10, .Width = 20, .Height = 5},
       {.Left = 10, .Width = 20, .Direction = 1},
       0},
      {"knob wider than its area",
       {.Left = 10, .Width = 20, .Height = 5},
       {.Left = 5, .Width = 30, .Direction = 1},
       0},
      {"a knob pointing down gives no negative",
       {.Left = 10, .Width = 200, .Height = 20},
       {.Left = 100, .Width = 20, .Direction = -1},
       0},
      {"a knob beyond its area gives no more than 100",
       {.Left = 10, .Width = 200, .Height = 20},
       {.Left = 500, .Width = 20, .Direction = 1},
       100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    skin.SeekArea = c.area;
    skin.SeekButton = c.knob;
    EXPECT_EQ(KnobPercent(SliderKind::Seek), c.percent);
  }
}

TEST_F(SkinControlsTest, KnobsArePlacedFromPercentages) {
  PlaceVolumeKnob(50);
  EXPECT_EQ(skin.VolumeButton.Left, 10 + 180 * 50 / 100);
  PlaceSeekKnob(60.0);
  EXPECT_EQ(skin.SeekButton.Left, 130);  // 200 x 0.6 + 10
  PlaceSeekKnob(100.0);
  EXPECT_EQ(skin.SeekButton.Left, 190);  // kept inside the area
  EXPECT_EQ(skin.SeekButton.Pushed, 0);
  EXPECT_EQ(ScreenAt(200, 110), kPushedPixel);
  skin.VolumeArea = {.Top = 100, .Left = 0, .Width = 20, .Height = 120, .Vertical = 1};
  skin.VolumeButton = {.Top = 100, .Height = 20, .Direction = 1};
  PlaceVolumeKnob(25);
  EXPECT_EQ(skin.VolumeButton.Top, 130);  // 100 + 120 x 25 / 100
}

}  // namespace
