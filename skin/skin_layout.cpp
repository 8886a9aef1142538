// Applying a skin to the main window: the skin itself, its timer, the volume knob and the two
// list views inside the ViewPort, each with the font and colours the skin gives it.
#include "core/commands.h"
#include "core/player_state.h"
#include "core/volume.h"
#include "platform/clock.h"
#include "platform/controls/list_view.h"
#include "platform/text.h"
#include "platform/wave_out.h"
#include "skin/skin.h"

namespace {

constexpr char16_t kDefaultFace[] = u"Tahoma";
constexpr int32_t kDefaultPoints = 9;
constexpr int32_t kPointsPerInch = 72;
constexpr uint32_t kListViewRetryMs = 1000;
// The playlist view's column leaves room for its scroll bar and edge; the other one a bit less.
constexpr int32_t kPlaylistColumnMargin = 26;
constexpr int32_t kMediaColumnMargin = 19;
constexpr int32_t kStackedViewGap = 5;

// The fonts the list views were given; the views do not own them.
FontHandle playlistFont, mediaInfoFont;

Rect BoundsOf(const SkinElement& e) {
  return {e.Left, e.Top, e.Left + e.Width, e.Top + e.Height};
}

bool AnyColour(int32_t red, int32_t green, int32_t blue) {
  return red != 0 || green != 0 || blue != 0;
}

uint32_t ColourOf(int32_t red, int32_t green, int32_t blue) {
  return RGB(red & 0xFF, green & 0xFF, blue & 0xFF);
}

WindowHandle CreateViewOnce(WindowHandle window) {
  return CreateListView({.parent = window, .bounds = BoundsOf(skin.ViewPort), .visible = false});
}

// One list view with the font and colours of `style`; null when it cannot be made.
WindowHandle CreateSkinListView(WindowHandle window, const SkinElement& style, int32_t margin,
                                FontHandle* font) {
  WindowHandle view = CreateViewOnce(window);
  if (!view) {
    Sleep(kListViewRetryMs);
    view = CreateViewOnce(window);
    if (!view) return nullptr;
  }
  DeviceContextHandle dc = GetDC(view);
  *font = MakeElementFont(style, dc);
  ReleaseDC(view, dc);
  ListViewSetFont(view, *font, true);
  skinHooks.installListViewProc(view);
  if (AnyColour(style.BackRed, style.BackGreen, style.BackBlue)) {
    const uint32_t back = ColourOf(style.BackRed, style.BackGreen, style.BackBlue);
    ListViewSetBackgroundColor(view, back);
    ListViewSetTextBackgroundColor(view, back);
  }
  if (AnyColour(style.FontRed, style.FontGreen, style.FontBlue))
    ListViewSetTextColor(view, ColourOf(style.FontRed, style.FontGreen, style.FontBlue));
  ListViewSetFullRowSelect(view, true);
  ListViewSetColumnWidth(view, skin.ViewPort.Width - margin);
  return view;
}

void DestroyListViews() {
  for (WindowHandle* view : {&playlistView, &mediaInfoView}) {
    if (*view) DestroyWindow(*view);
    *view = nullptr;
  }
  DeleteFont(playlistFont);
  DeleteFont(mediaInfoFont);
  playlistFont = mediaInfoFont = nullptr;
}

void RestartSeekTimer(WindowHandle window) {
  KillTimer(window, kSeekTimerId);
  if (skin.SeekButton.Width != 0) SetTimer(window, kSeekTimerId, kSeekTimerPeriodMs);
}

void PlaceKnobFromDevice() {
  if (skin.VolumeButton.Width == 0) return;
  uint32_t volume = 0;
  WaveOutGetVolume(nullptr, &volume);
  PlaceVolumeKnob(VolumePercentOf(volume));
}

void ShowCurrentRow() {
  const int32_t row = skinHooks.playlistPosition().currentIndex;
  ListViewSetRowState(playlistView, row, true, true);
  ListViewEnsureVisible(playlistView, row);
}

void ShowBothStacked() {
  const SkinElement& v = skin.ViewPort;
  const int32_t third = v.Height / 3;
  ListViewShow(playlistView, true);
  ListViewShow(mediaInfoView, true);
  ShowCurrentRow();
  ListViewMove(playlistView, {v.Left, v.Top, v.Left + v.Width, v.Top + third}, true);
  ListViewMove(mediaInfoView,
               {v.Left, v.Top + third + kStackedViewGap, v.Left + v.Width, v.Top + v.Height}, true);
}

void ShowOnly(WindowHandle shown, WindowHandle hidden) {
  ListViewShow(hidden, false);
  ListViewShow(shown, true);
  if (shown == playlistView) ShowCurrentRow();
  ListViewMove(shown, BoundsOf(skin.ViewPort), true);
}

}  // namespace

FontHandle MakeElementFont(const SkinElement& element, DeviceContextHandle dc) {
  const bool own = element.PointSize != 0;
  const int64_t points = own ? element.PointSize : kDefaultPoints;
  const int64_t height = int64_t{GetDeviceCaps(dc, LOGPIXELSY)} * points / kPointsPerInch;
  return CreateFont(own ? WideView(element.Font) : kDefaultFace, static_cast<int32_t>(height),
                    FW_NORMAL);
}

void ApplySkin(char16_t* path, size_t capacity, WindowHandle window) {
  LoadSkin(path, capacity);
  WideCopy(playerSettings.skinPath, SETTINGS_PATH_CHARS, WideView(path));
  RestartSeekTimer(window);
  PlaceKnobFromDevice();
  DestroyListViews();
  playlistView =
      CreateSkinListView(window, skin.PlaylistView, kPlaylistColumnMargin, &playlistFont);
  mediaInfoView = CreateSkinListView(window, skin.MediaView, kMediaColumnMargin, &mediaInfoFont);
  PostMessage(window, kMessageRebuildPlaylist, 0, 0);
  if (path[0] != 0) BuildInfoText();
}

void LayoutListViews() {
  // Views that could not be made stay absent.
  if (!playlistView || !mediaInfoView) return;
  const ItemFacts item = skinHooks.describeItem();
  if (item.open && item.frameCount > 0) {
    ListViewShow(playlistView, false);
    ListViewShow(mediaInfoView, false);
    return;
  }
  if (skinHooks.playlistPosition().lastIndex != 0 && playerSettings.showPlaylist) {
    if (playerSettings.showMediaInfo) return ShowBothStacked();
    return ShowOnly(playlistView, mediaInfoView);
  }
  if (item.open && playerSettings.showMediaInfo) return ShowOnly(mediaInfoView, playlistView);
  ListViewShow(playlistView, false);
  ListViewShow(mediaInfoView, false);
  // The picture of the last video leaves the ViewPort; the skin's own look comes back.
  if (item.lastHadVideo) DrawElementNormal(skin.ViewPort);
}
