// The pen-driven controls: every control is a rectangle of the skin, drawn by copying pieces of
// its two images. A press arms a button or starts a knob drag; the release acts. The element's
// Pushed field is the only memory of a press.
#include <algorithm>
#include <iterator>

#include "core/commands.h"
#include "core/player_state.h"
#include "core/volume.h"
#include "platform/wave_out.h"
#include "skin/skin.h"

namespace {

struct Slider {
  SkinElement& area;
  SkinElement& knob;
};

Slider SliderOf(SliderKind kind) {
  if (kind == SliderKind::Seek) return {skin.SeekArea, skin.SeekButton};
  return {skin.VolumeArea, skin.VolumeButton};
}

struct ElementCommand {
  SkinElement Skin::*element;
  uint32_t command;
};
// Buttons that act on release, in the order a release looks for them.
constexpr ElementCommand kReleaseButtons[] = {
    {&Skin::StopButton, kCommandStop},         {&Skin::PlaylistButton, kCommandPlaylistEditor},
    {&Skin::OpenButton, kCommandOpenFile},     {&Skin::NextButton, kCommandNextItem},
    {&Skin::PrevButton, kCommandPreviousItem},
};
// The order a press looks for them (it only pushes them).
constexpr SkinElement Skin::*kPressArmedButtons[] = {&Skin::StopButton, &Skin::PlaylistButton,
                                                     &Skin::OpenButton, &Skin::PrevButton,
                                                     &Skin::NextButton};
// The order a move looks for the one that is armed.
constexpr SkinElement Skin::*kArmedOnMove[] = {&Skin::StopButton, &Skin::OpenButton,
                                               &Skin::PlaylistButton, &Skin::NextButton,
                                               &Skin::PrevButton};
// Buttons that act at once on press.
constexpr ElementCommand kPressButtons[] = {
    {&Skin::FFWDButton, kCommandFastForward},  {&Skin::RotateButton, kCommandRotate},
    {&Skin::MuteButton, kCommandMute},         {&Skin::FullScreenButton, kCommandFullScreen},
    {&Skin::EQButton, kCommandEqualizerOnOff}, {&Skin::RepeatButton, kCommandRepeat},
};

// While the video owns the screen and plays, the skin is neither drawn nor used.
bool VideoOwnsScreen() {
  return screenTakeover.load() && !paused.load();
}

void SendCommand(uint32_t command) {
  SendMessage(mainWindow, WM_COMMAND, command, 0);
}

// The window's shared memory context belongs to the window layer; a copy takes its own for the
// moment of the copy, which costs no more than selecting into a shared one.
void CopyToWindow(BitmapHandle image, int32_t sourceX, int32_t sourceY, const SkinElement& e) {
  if (!image) return;
  DeviceContextHandle window = GetDC(mainWindow);
  DeviceContextHandle memory = CreateCompatibleDC(window);
  BitmapHandle previous = SelectBitmap(memory, image);
  BitBlt(window, e.Left, e.Top, e.Width, e.Height, memory, sourceX, sourceY);
  SelectBitmap(memory, previous);
  DeleteDC(memory);
  ReleaseDC(mainWindow, window);
}

int32_t ClampPercent(int64_t percent) {
  return static_cast<int32_t>(std::clamp<int64_t>(percent, 0, 100));
}

void SetDeviceVolume(int32_t percent) {
  WaveOutSetVolume(nullptr, VolumeWordOf(ClampPercent(percent)));
}

void DragKnob(Slider s, int32_t x, int32_t y) {
  if (s.area.Vertical) {
    if (!(s.area.Top < y && y < s.area.Top + s.area.Height)) return;
    s.knob.Top = y;
    if (s.knob.Top + s.knob.Height > s.area.Top + s.area.Height)
      s.knob.Top = s.area.Top + s.area.Height - s.knob.Height;
  } else {
    s.knob.Left = std::max(x - s.knob.Width / 2, s.area.Left);
    if (s.knob.Left + s.knob.Width > s.area.Left + s.area.Width)
      s.knob.Left = s.area.Left + s.area.Width - s.knob.Width;
  }
  DrawElementNormal(s.area);
  DrawElementPushed(s.knob);
}

// A tap beside the knob moves it by its step; the result is its place over the area's full
// extent, kept within 0..100 before anyone uses it.
int32_t TapKnob(Slider s, int32_t x, int32_t y) {
  const int32_t step = s.knob.BigStep;
  int64_t offset, extent;
  if (s.area.Vertical) {
    if (y > s.knob.Top + s.knob.Height)
      s.knob.Top += step;
    else if (y < s.knob.Top)
      s.knob.Top -= step;
    offset = s.knob.Top - s.area.Top;
    extent = s.area.Height;
  } else {
    if (x > s.knob.Left + s.knob.Width) {
      s.knob.Left += step;
      if (s.knob.Left + s.knob.Width > s.area.Left + s.area.Width)
        s.knob.Left = s.area.Left + s.area.Width - s.knob.Width;
    } else if (x < s.knob.Left) {
      s.knob.Left = std::max(s.knob.Left - step, s.area.Left);
    }
    offset = s.knob.Left - s.area.Left;
    extent = s.area.Width;
  }
  return extent > 0 ? ClampPercent(offset * s.knob.Direction * 100 / extent) : 0;
}

void RedrawSlider(Slider s) {
  DrawElementNormal(s.area);
  DrawElementPushed(s.knob);
  s.knob.Pushed = 0;
}

bool ReleaseKnob(SliderKind kind) {
  SkinElement& knob = SliderOf(kind).knob;
  if (!knob.Pushed) return false;
  knob.Pushed = 0;
  const int32_t percent = KnobPercent(kind);
  if (kind == SliderKind::Seek)
    skinHooks.seekTo(percent);
  else if (!playerSettings.muted)
    SetDeviceVolume(percent);
  return true;
}

bool ReleaseButton(int32_t x, int32_t y) {
  for (const ElementCommand& button : kReleaseButtons) {
    SkinElement& element = skin.*button.element;
    if (!HitElement(x, y, element)) continue;
    DrawElementNormal(element);
    SendCommand(button.command);
    return true;
  }
  return false;
}

bool TapSlider(SliderKind kind, int32_t x, int32_t y) {
  const Slider slider = SliderOf(kind);
  if (!HitElement(x, y, slider.area)) return false;
  const int32_t percent = TapKnob(slider, x, y);
  if (kind == SliderKind::Seek)
    skinHooks.seekTo(percent);
  else if (!playerSettings.muted)
    SetDeviceVolume(percent);
  RedrawSlider(slider);
  return true;
}

bool PressButton(int32_t x, int32_t y) {
  for (SkinElement Skin::*member : kPressArmedButtons)
    if (HitElement(x, y, skin.*member)) {
      DrawElementPushed(skin.*member);
      return true;
    }
  if (HitElement(x, y, skin.PlayButton)) {
    skinHooks.playPause();
    return true;
  }
  for (const ElementCommand& button : kPressButtons)
    if (HitElement(x, y, skin.*button.element)) {
      SendCommand(button.command);
      return true;
    }
  return false;
}

}  // namespace

bool HitElement(int32_t x, int32_t y, const SkinElement& e) {
  return e.Left < x && x < e.Left + e.Width && e.Top < y && y < e.Top + e.Height;
}

void DrawElementNormal(SkinElement& element) {
  if (!VideoOwnsScreen())
    CopyToWindow(skin.BackgroundImage, element.Left, element.Top - kSkinTopOffset, element);
  element.Pushed = 0;
}

void DrawElementPushed(SkinElement& element) {
  if (!VideoOwnsScreen())
    CopyToWindow(skin.ButtonsImage, element.PushedLeft, element.PushedTop, element);
  element.Pushed = 1;
}

void OnPointerDown(int32_t x, int32_t y) {
  if (VideoOwnsScreen() || HitElement(x, y, skin.ViewPort)) {
    skinHooks.playPause();
    return;
  }
  if (PressButton(x, y)) return;
  if (HitElement(x, y, skin.SeekButton)) {
    DrawElementPushed(skin.SeekButton);
  } else if (HitElement(x, y, skin.VolumeButton)) {
    DrawElementPushed(skin.VolumeButton);
  } else if (HitElement(x, y, skin.InfoView)) {
    skin.InfoView.ScrollText = skin.InfoView.ScrollText ? 0 : 1;
  }
}

void OnPointerMove(int32_t x, int32_t y) {
  if (VideoOwnsScreen()) return;
  if (skin.SeekButton.Pushed) return DragKnob(SliderOf(SliderKind::Seek), x, y);
  if (skin.VolumeButton.Pushed) return DragKnob(SliderOf(SliderKind::Volume), x, y);
  for (SkinElement Skin::*member : kArmedOnMove) {
    SkinElement& button = skin.*member;
    if (!button.Pushed) continue;
    // Sliding back onto the button does not push it again.
    if (!HitElement(x, y, button)) DrawElementNormal(button);
    return;
  }
}

void OnPointerUp(int32_t x, int32_t y) {
  if (VideoOwnsScreen()) return;
  if (ReleaseKnob(SliderKind::Seek) || ReleaseKnob(SliderKind::Volume)) return;
  if (ReleaseButton(x, y)) return;
  if (TapSlider(SliderKind::Seek, x, y)) return;
  TapSlider(SliderKind::Volume, x, y);
}

int32_t KnobPercent(SliderKind kind) {
  const Slider s = SliderOf(kind);
  const int64_t offset = s.area.Vertical ? s.knob.Top - s.area.Top : s.knob.Left - s.area.Left;
  const int64_t extent =
      s.area.Vertical ? s.area.Height - s.knob.Height : s.area.Width - s.knob.Width;
  // A knob as large as its area has nowhere to go.
  if (extent <= 0) return 0;
  return ClampPercent(offset * s.knob.Direction * 100 / extent);
}

void PlaceVolumeKnob(int32_t percent) {
  const Slider s = SliderOf(SliderKind::Volume);
  const int64_t v = ClampPercent(percent);
  if (s.area.Vertical)
    s.knob.Top =
        static_cast<int32_t>(s.area.Top + s.knob.Direction * int64_t{s.area.Height} * v / 100);
  else
    s.knob.Left = static_cast<int32_t>(s.area.Left + (int64_t{s.area.Width} - s.knob.Width) *
                                                         s.knob.Direction * v / 100);
}

void PlaceSeekKnob(double position) {
  const Slider s = SliderOf(SliderKind::Seek);
  // A position outside 0..100 (or not a number) from a reader is kept within the bar.
  const double p = position > 0 ? std::min(position, 100.0) : 0.0;
  if (s.area.Vertical)
    s.knob.Top =
        static_cast<int32_t>(s.knob.Direction * double(s.area.Height) * p * 0.01 + s.area.Top);
  else
    s.knob.Left =
        static_cast<int32_t>(double(s.area.Width) * s.knob.Direction * p * 0.01 + s.area.Left);
  if (s.knob.Top + s.knob.Height > s.area.Top + s.area.Height)
    s.knob.Top = s.area.Top + s.area.Height - s.knob.Height;
  if (s.knob.Left + s.knob.Width > s.area.Left + s.area.Width)
    s.knob.Left = s.area.Left + s.area.Width - s.knob.Width;
  RedrawSlider(s);
}
