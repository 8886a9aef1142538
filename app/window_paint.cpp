// The paint handler: background, still or cover picture, info view and controls. lParam 0 is
// the platform's paint request; lParam 1 the player's own repaint of the picture and controls.
#include <algorithm>
#include <iterator>

#include "app/still_placement.h"
#include "app/window_handlers.h"
#include "app/window_state.h"
#include "core/player_state.h"
#include "media/reader_state.h"
#include "platform/screen.h"
#include "playback/engine_state.h"
#include "skin/skin.h"

namespace {

constexpr intptr_t kPaintPictureAndControls = 1;
constexpr int32_t kDrawFrames = 2;
constexpr int32_t kBarHeight = 25;
constexpr int32_t kFillSampleRow = 26;  // below the ViewPort's top, where the colour is read

// The skin is drawn unless a video owns the screen and runs.
bool ScreenIsFree() {
  return !screenTakeover || (paused && !fastForward);
}

bool ItemHasVideo() {
  return currentDescriptor && currentDescriptor->FrameCount != 0;
}

void DrawBackground(WindowHandle window, DeviceContextHandle dc) {
  const Rect client = GetWindowRect(window);
  const int32_t width = client.right - client.left, height = client.bottom - client.top;
  if (!skin.BackgroundImage) {
    FillRect(dc, {0, kBarHeight, width, height}, RGB(0, 0, 0));
  } else {
    BitmapHandle previous = SelectBitmap(memoryDC, skin.BackgroundImage);
    BitBlt(dc, 0, kBarHeight, width, height, memoryDC, 0, 0);
    SelectBitmap(memoryDC, previous);
  }
  fillColour = GetPixel(dc, skin.ViewPort.Left + 1, skin.ViewPort.Top + kFillSampleRow);
}

// The still picture's size: a video's picture turned with the rotation and no larger than the
// screen, as the still was made; a cover picture's own size.
void StillSize(int32_t* width, int32_t* height) {
  *width = static_cast<int16_t>(pictureWidth);
  *height = static_cast<int16_t>(pictureHeight);
  if (!ItemHasVideo()) return;
  if (playerSettings.rotate) std::swap(*width, *height);
  *width = std::min(*width, screenWidth);
  *height = std::min(*height, screenHeight);
}

void DrawStill(DeviceContextHandle dc) {
  const SkinElement& view = skin.ViewPort;
  FillRect(dc, {view.Left, view.Top, view.Left + view.Width, view.Top + view.Height}, fillColour);
  int32_t width = 0, height = 0;
  StillSize(&width, &height);
  const StillPlacement place = PlaceStill(
      width, height, {view.Left, view.Top, view.Width, view.Height}, playerSettings.fullScreen);
  const Size whole = GetBitmapSize(stillBitmap);
  BitmapHandle previous = SelectBitmap(memoryDC, stillBitmap);
  if (place.stretched) {
    StretchBlt(dc, place.x, place.y, place.width, place.height, memoryDC, 0, 0, whole.cx, whole.cy);
  } else {
    BitBlt(dc, place.x, place.y, width, height, memoryDC, 0, 0);
  }
  SelectBitmap(memoryDC, previous);
}

struct ControlLook {
  SkinElement Skin::*element;
  bool (*pushed)(const SkinElement& element);
};

bool OwnPushed(const SkinElement& element) {
  return element.Pushed != 0;
}

constexpr ControlLook kControls[] = {
    {&Skin::PlayButton, [](const SkinElement& e) { return e.Pushed != 0 && !paused; }},
    {&Skin::StopButton, OwnPushed},
    {&Skin::OpenButton, OwnPushed},
    {&Skin::PlaylistButton, OwnPushed},
    {&Skin::NextButton, OwnPushed},
    {&Skin::PrevButton, OwnPushed},
    {&Skin::FFWDButton, [](const SkinElement& e) { return e.Pushed != 0 && fastForward; }},
    {&Skin::MuteButton, [](const SkinElement&) { return playerSettings.muted != 0; }},
    {&Skin::RotateButton, [](const SkinElement&) { return playerSettings.rotate != 0; }},
    {&Skin::FullScreenButton, [](const SkinElement&) { return playerSettings.fullScreen != 0; }},
    {&Skin::EQButton, [](const SkinElement&) { return playerSettings.equalizerOn != 0; }},
    {&Skin::RepeatButton, [](const SkinElement&) { return playerSettings.repeat != 0; }},
};

void DrawSlider(SkinElement& area, SkinElement& knob) {
  DrawElementNormal(area);
  DrawElementPushed(knob);
  knob.Pushed = 0;
}

void DrawControls() {
  for (const ControlLook& control : kControls) {
    SkinElement& element = skin.*control.element;
    if (control.pushed(element)) {
      DrawElementPushed(element);
    } else {
      DrawElementNormal(element);
    }
  }
  DrawSlider(skin.SeekArea, skin.SeekButton);
  DrawSlider(skin.VolumeArea, skin.VolumeButton);
}

}  // namespace

intptr_t OnPaint(WindowHandle window, uintptr_t wParam, intptr_t lParam) {
  if (!commandBar) return 0;  // the start-up library is still making the window
  previousFrameDrawn = 0;
  const bool whole = lParam != kPaintPictureAndControls;
  if (whole) DefWindowProc(window, WM_PAINT, wParam, lParam);
  DeviceContextHandle dc = GetDC(window);
  const bool free = ScreenIsFree();
  {
    // The video thread draws its frames into the same screen: the background and the still go
    // down between two of its frames, never through one.
    const ScreenHold betweenFrames;
    if (whole && free) DrawBackground(window, dc);
    if (stillBitmap && (paused || !ItemHasVideo())) DrawStill(dc);
  }
  if (skin.InfoView.Height > 0 && free && CommandBarIsVisible(commandBar) && whole)
    DrawInfoView(dc);
  ReleaseDC(window, dc);
  if (free) DrawControls();
  drawLevel = kDrawFrames;
  return 0;
}
