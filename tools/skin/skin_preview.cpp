// The preview is drawn by the player's own skin code on a headless screen twice as wide as the
// skin, then written as a PNG.
#include "tools/skin/skin_preview.h"

#include <cstdio>

#include "core/player_state.h"
#include "platform/controls/list_view.h"
#include "platform/png_file.h"
#include "platform/screen.h"
#include "platform/text.h"
#include "skin/skin.h"

namespace {

constexpr int32_t kGap = 16;
constexpr const char16_t* kSampleRows[] = {u"Morning Light.mp3", u"Harbour Lights.mp3",
                                           u"Night Drive.avi", u"Rain on Glass.mp3",
                                           u"Long Road Home.ogg"};

ItemFacts SampleItem() {
  ItemFacts item;
  item.open = true;
  item.title = u"Harbour Lights";
  item.artist = u"Quay";
  item.album = u"Preview";
  item.bitrate = 192000;
  item.audioLength = 192000 / 8 * 200;  // 200 seconds
  item.position = 37.5;                 // 75 seconds in
  item.sampleRate = 44100;
  item.channels = 2;
  return item;
}

intptr_t PreviewWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                           intptr_t lParam) {
  return DefWindowProc(window, message, wParam, lParam);
}

void Caption(DeviceContextHandle dc, int32_t left, int32_t width, const char16_t* text) {
  Rect rect{left, 4, left + width, kSkinTopOffset};
  SetTextColor(dc, RGB(230, 230, 230));
  SetBkMode(dc, TRANSPARENT);
  DrawText(dc, text, &rect, DT_CENTER | DT_SINGLELINE);
}

void DrawPushedSide(int32_t offset, Size size) {
  DeviceContextHandle window = GetDC(mainWindow);
  DeviceContextHandle memory = CreateCompatibleDC(window);
  BitmapHandle previous = SelectBitmap(memory, skin.ButtonsImage);
  BitBlt(window, offset, kSkinTopOffset, size.cx, size.cy, memory, 0, 0);
  SelectBitmap(memory, previous);
  DeleteDC(memory);
  Caption(window, 0, size.cx, u"normal look, with sample text");
  Caption(window, offset, size.cx, u"pushed looks (buttons image)");
  ReleaseDC(mainWindow, window);
}

// The list views paint themselves when their messages are handled.
void PumpMessages() {
  Message message;
  while (PeekMessage(&message, true)) DispatchMessage(&message);
}

// The list views, both shown. The first layout shows them before it moves them, so they are laid
// out again over a fresh background, as the window's repaint would leave them.
void ShowListViews(SkinElement& whole) {
  for (const char16_t* row : kSampleRows) ListViewAppendRow(playlistView, row);
  playerSettings.showPlaylist = 1;
  playerSettings.showMediaInfo = 1;
  LayoutListViews();
  PumpMessages();
  DrawElementNormal(whole);
  LayoutListViews();
  PumpMessages();
}

}  // namespace

bool PreviewSkin(const std::string& path, const std::string& out) {
  // The screen is sized from the background image, so the skin is read once for its size.
  char16_t skinPath[kSkinPathChars] = {};
  WideCopy(skinPath, kSkinPathChars, Utf8ToWide(path));
  LoadSkin(skinPath);
  const Size size = GetBitmapSize(skin.BackgroundImage);
  if (size.cx == 0) {
    std::fprintf(stderr, "morvelant-skin: %s: the background image does not load\n", path.c_str());
    return false;
  }
  const int32_t width = size.cx * 2 + kGap, height = size.cy + kSkinTopOffset;
  OpenScreen(width, height);
  mainWindow = CreateWindow({.procedure = PreviewWindowProc, .bounds = {0, 0, width, height}});
  SetSkinHooks({.describeItem = SampleItem, .playlistPosition = [] {
                  return PlaylistPosition{4, 1};
                }});
  ApplySkin(skinPath, mainWindow);
  skin.InfoView.ScrollText = 0;  // centred, so the whole line shows
  DeviceContextHandle dc = GetDC(mainWindow);
  FillRect(dc, {0, 0, width, height}, RGB(40, 40, 40));
  ReleaseDC(mainWindow, dc);
  // The whole background, as the window's paint draws it.
  SkinElement whole{.Top = kSkinTopOffset, .Left = 0, .Width = size.cx, .Height = size.cy};
  BuildInfoText();  // fills the media-information view
  ShowListViews(whole);
  DrawPushedSide(size.cx + kGap, size);
  PlaceSeekKnob(37.5);
  PlaceVolumeKnob(80);
  DrawElementNormal(skin.VolumeArea);
  DrawElementPushed(skin.VolumeButton);
  BuildInfoText();
  dc = GetDC(mainWindow);
  DrawTimeView(dc);
  ReleaseDC(mainWindow, dc);
  const std::vector<uint16_t> pixels = CaptureScreen();
  if (!WritePng(out, pixels.data(), width, height)) {
    std::fprintf(stderr, "morvelant-skin: cannot write %s\n", out.c_str());
    return false;
  }
  return true;
}
