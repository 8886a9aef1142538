// The SDL backend: a window showing the screen surface, integer-scaled (--scale=N, or the
// largest scale that fits the desktop), with the pen and keys taken from SDL's events on the
// main thread.
//
// Pen: the left mouse button and touch (SDL turns touches into mouse events) give
// WM_LBUTTONDOWN, WM_MOUSEMOVE (only while pressed) and WM_LBUTTONUP with lParam = x | y << 16
// in screen pixels. Window focus gives WM_ACTIVATE (wParam 1 gained, 0 lost); the close button
// gives WM_CLOSE to the main window.
//
// Keys (SDL key -> virtual-key code, platform/virtual_keys.h):
//   A-Z -> 0x41-0x5A        0-9 and keypad 0-9 -> 0x30-0x39
//   Left/Up/Right/Down -> 0x25/0x26/0x27/0x28
//   Enter, keypad Enter -> 0x0D   Space -> 0x20   Escape -> 0x1B   Page Up/Down -> 0x21/0x22
//   F1-F12 -> 0x70-0x7B
//   Mute, Volume Down, Volume Up -> 0xAD, 0xAE, 0xAF
//   Next, Previous, Stop, Play/Pause -> 0xB0, 0xB1, 0xB2, 0xB3
// The hardware-like keys (F-keys, media and volume keys) reach the player only while it has
// taken the keys over (OpenInput); other keys always do.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "platform/backend_table.h"
#include "platform/drawing.h"
#include "platform/gapi.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/message_box_presenter.h"
#include "platform/screen.h"
#include "platform/sdl/display_power_drm.h"
#include "platform/text.h"
#include "platform/virtual_keys.h"

namespace {

constexpr int32_t kDesktopMargin = 64;  // room left for the desktop's panels when fitting
constexpr uintptr_t kActivated = 1;

struct KeyMapping {
  SDL_Keycode key;
  uint32_t virtualKey;
  bool hardware;  // delivered only while the keys are taken over
};

constexpr KeyMapping kKeys[] = {
    {SDLK_LEFT, VK_LEFT, false},
    {SDLK_UP, VK_UP, false},
    {SDLK_RIGHT, VK_RIGHT, false},
    {SDLK_DOWN, VK_DOWN, false},
    {SDLK_BACKSPACE, VK_BACK, false},
    {SDLK_RETURN, VK_RETURN, false},
    {SDLK_KP_ENTER, VK_RETURN, false},
    {SDLK_SPACE, VK_SPACE, false},
    {SDLK_ESCAPE, VK_ESCAPE, false},
    {SDLK_PAGEUP, VK_PRIOR, false},
    {SDLK_PAGEDOWN, VK_NEXT, false},
    {SDLK_AUDIOMUTE, VK_VOLUME_MUTE, true},
    {SDLK_VOLUMEDOWN, VK_VOLUME_DOWN, true},
    {SDLK_VOLUMEUP, VK_VOLUME_UP, true},
    {SDLK_AUDIONEXT, VK_MEDIA_NEXT_TRACK, true},
    {SDLK_AUDIOPREV, VK_MEDIA_PREV_TRACK, true},
    {SDLK_AUDIOSTOP, VK_MEDIA_STOP, true},
    {SDLK_AUDIOPLAY, VK_MEDIA_PLAY_PAUSE, true},
};

// Main thread only, except `presentWanted` (any thread sets it).
SDL_Window* window = nullptr;
SDL_Renderer* renderer = nullptr;
SDL_Texture* texture = nullptr;
SDL_Cursor* waitCursor = nullptr;
std::atomic<bool> presentWanted{false};
std::atomic<bool> screenSaverHeld{false};  // any thread writes; Poll applies it
bool screenSaverApplied = false;
bool penDown = false;

// The virtual key of an SDL key, 0 for none.
uint32_t VirtualKeyOf(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + static_cast<uint32_t>(key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + static_cast<uint32_t>(key - SDLK_0);
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return '1' + static_cast<uint32_t>(key - SDLK_KP_1);
  if (key == SDLK_KP_0) return '0';
  if (key >= SDLK_F1 && key <= SDLK_F12)
    return InputTakenOver() ? VK_F1 + static_cast<uint32_t>(key - SDLK_F1) : 0;
  for (const KeyMapping& mapping : kKeys)
    if (mapping.key == key) return !mapping.hardware || InputTakenOver() ? mapping.virtualKey : 0;
  return 0;
}

// Renders screen-sized pixels into the window's back buffer.
void Render(const uint16_t* pixels) {
  const ScreenHold hold;  // a whole frame, never half of one
  SDL_UpdateTexture(texture, nullptr, pixels, ScreenWidth() * 2);
  SDL_RenderClear(renderer);
  SDL_RenderCopy(renderer, texture, nullptr, nullptr);
}

void Present() {
  const std::vector<uint16_t> black(
      DisplayPowerOn() ? 0 : size_t{1} * ScreenWidth() * ScreenHeight(), 0);
  Render(DisplayPowerOn() ? ScreenPixels() : black.data());
  SDL_RenderPresent(renderer);
}

void OnWindowEvent(const SDL_WindowEvent& event) {
  switch (event.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      PostMessage(InputWindow(), WM_ACTIVATE, kActivated, 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      PostMessage(InputWindow(), WM_ACTIVATE, 0, 0);
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      presentWanted = true;
      break;
    case SDL_WINDOWEVENT_CLOSE:
      PostClose();
      break;
  }
}

void OnEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:
      PostClose();
      break;
    case SDL_WINDOWEVENT:
      OnWindowEvent(event.window);
      break;
    case SDL_MOUSEBUTTONDOWN:
      if (event.button.button != SDL_BUTTON_LEFT) break;
      penDown = true;
      PostPen(WM_LBUTTONDOWN, event.button.x, event.button.y);
      break;
    case SDL_MOUSEMOTION:
      if (penDown) PostPen(WM_MOUSEMOVE, event.motion.x, event.motion.y);
      break;
    case SDL_MOUSEBUTTONUP:
      if (event.button.button != SDL_BUTTON_LEFT || !penDown) break;
      penDown = false;
      PostPen(WM_LBUTTONUP, event.button.x, event.button.y);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (const uint32_t key = VirtualKeyOf(event.key.keysym.sym))
        PostKey(key, event.type == SDL_KEYDOWN);
      break;
    case SDL_TEXTINPUT:
      for (const char16_t unit : Utf8ToWide(event.text.text)) PostChar(unit);
      break;
  }
}

// Main thread, from every message wait: shows a new frame when one was presented, then takes
// SDL's events.
void Poll() {
  if (presentWanted.exchange(false)) Present();
  if (screenSaverHeld != screenSaverApplied) {
    screenSaverApplied = screenSaverHeld;
    if (screenSaverApplied) {
      SDL_DisableScreenSaver();
    } else {
      SDL_EnableScreenSaver();
    }
  }
  SDL_Event event;
  while (SDL_PollEvent(&event)) OnEvent(event);
}

int32_t ChooseScale(const BackendOptions& options) {
  if (options.scale > 0) return options.scale;
  SDL_DisplayMode desktop;
  if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) return 1;
  return std::max(1, std::min((desktop.w - kDesktopMargin) / options.screenWidth,
                              (desktop.h - kDesktopMargin) / options.screenHeight));
}

bool OpenSdl(const BackendOptions& options) {
  // The desktop's screen saver runs unless the player holds the backlight on.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
  const int32_t scale = ChooseScale(options);
  window = SDL_CreateWindow("Morvelant", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                            options.screenWidth * scale, options.screenHeight * scale, 0);
  if (window) renderer = SDL_CreateRenderer(window, -1, 0);
  SDL_StartTextInput();  // typed text arrives as SDL_TEXTINPUT, then WM_CHAR
  if (renderer) {
    SDL_RenderSetLogicalSize(renderer, options.screenWidth, options.screenHeight);
    SDL_RenderSetIntegerScale(renderer, SDL_TRUE);
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_BGR565, SDL_TEXTUREACCESS_STREAMING,
                                options.screenWidth, options.screenHeight);
  }
  if (!texture) {
    std::fprintf(stderr, "morvelant: SDL: %s\n", SDL_GetError());
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    renderer = nullptr;
    window = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    return false;
  }
  waitCursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT);
  SetMainThreadPoller(Poll);
  presentWanted = true;
  return true;
}

void SdlWindowCreated(WindowHandle) {
  SetMessageBoxPresenter(PresentDrawnMessageBox);
  SDL_RaiseWindow(window);
  presentWanted = true;
}

void CloseSdl() {
  SetMainThreadPoller(nullptr);
  SetMessageBoxPresenter(nullptr);
  if (waitCursor) SDL_FreeCursor(waitCursor);
  SDL_DestroyTexture(texture);
  SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  waitCursor = nullptr;
  texture = nullptr;
  renderer = nullptr;
  window = nullptr;
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

void RequestPresent() {
  presentWanted = true;
}

void HoldSdlScreenSaver(bool hold) {
  screenSaverHeld = hold;
}

// On a handheld's KMS/DRM console the panel itself is switched; a desktop window only shows
// black (the screen surface's own blanking).
void SwitchSdlDisplay(bool on) {
  if (window) SetDrmDisplayPower(window, on);
}

void ShowSdlCursor(int32_t cursor) {
  SDL_SetCursor(cursor == IDC_WAIT && waitCursor ? waitCursor : SDL_GetDefaultCursor());
}

// What the window shows, read back from the renderer at one pixel per screen pixel.
std::vector<uint16_t> ReadBackWindow() {
  std::vector<uint16_t> screen = CaptureScreen();
  Render(screen.data());
  int outputW = 0, outputH = 0;
  SDL_GetRendererOutputSize(renderer, &outputW, &outputH);
  std::vector<uint16_t> shown(size_t{1} * outputW * outputH);
  const bool read = SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_BGR565, shown.data(),
                                         outputW * 2) == 0;
  SDL_RenderPresent(renderer);
  std::fill(screen.begin(), screen.end(), 0);  // what could not be read back stays black
  if (!read) return screen;
  const int32_t scale = std::max(1, outputW / ScreenWidth());
  for (int32_t y = 0; y < ScreenHeight() && y * scale < outputH; ++y)
    for (int32_t x = 0; x < ScreenWidth() && x * scale < outputW; ++x)
      screen[size_t{1} * y * ScreenWidth() + x] =
          shown[size_t{1} * y * scale * outputW + x * scale];
  return screen;
}

}  // namespace

const BackendTable kSdlBackend{.name = "sdl",
                               .open = OpenSdl,
                               .mainWindowCreated = SdlWindowCreated,
                               .close = CloseSdl,
                               .present = RequestPresent,
                               .showCursor = ShowSdlCursor,
                               .capture = ReadBackWindow,
                               .holdScreenSaver = HoldSdlScreenSaver,
                               .displayPower = SwitchSdlDisplay};
