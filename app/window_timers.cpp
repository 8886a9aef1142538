// The window's timers: keep-awake, the start of the first item, the volume fade, the resume
// point's watch, and the display tick that every other identifier runs (the skin's seek timer).
#include <iterator>

#include "app/resume_point.h"
#include "app/window_handlers.h"
#include "app/window_state.h"
#include "core/commands.h"
#include "core/player_state.h"
#include "core/shared_word.h"
#include "media/reader_state.h"
#include "platform/input.h"
#include "platform/text.h"
#include "playback/open_item.h"
#include "playback/transport.h"
#include "playlist/playlist.h"
#include "skin/skin.h"

namespace {

constexpr uint32_t VK_SHIFT = 16;

// A key press and release, as the user's own, so that the device does not fall asleep.
void KeepAwakeTick(WindowHandle) {
  if (videoThreadId == 0 || paused) return;
  PostKey(VK_SHIFT, true);
  PostKey(VK_SHIFT, false);
}

void StartTick(WindowHandle window, uint32_t timer) {
  KillTimer(window, timer);
  SendMessage(window, kMessageRebuildPlaylist, 0, 0);
  SelectStartEntry();
  if (timer == kStartTimer) {
    startRequest = 1;
    OpenItem(window, 0);
  } else {
    startRequest = playerSettings.autoPlay;
    OpenItem(window, playerSettings.lastFrame);
  }
}

// A live stream's title changed since the info line was built: build it again.
void FollowStreamTitle() {
  static int32_t shownChanges = 0;  // main thread
  std::u16string title;
  const int32_t changes = ReadStreamTitle(&title);
  if (changes == shownChanges) return;
  shownChanges = changes;
  BuildInfoText();
}

// The seek knob and the text views, skipped while a video owns the screen and runs, and while
// the knob is being dragged.
void DisplayTick(WindowHandle window) {
  FollowStreamTitle();
  if (screenTakeover && (!paused || fastForward)) return;
  if (skin.SeekButton.Pushed) return;
  PlaceSeekKnob(GetPosition());
  const bool scroll = skin.InfoView.ScrollText != 0, time = skin.Time.Width != 0;
  if (!scroll && !time) return;
  DeviceContextHandle dc = GetDC(window);
  if (scroll) DrawInfoView(dc);
  if (time) DrawTimeView(dc);
  ReleaseDC(window, dc);
}

// The resume point follows what plays (app/resume_point.h).
PlaybackSnapshot storedPoint;
int32_t looksSinceStore = 0;

PlaybackSnapshot CurrentSnapshot() {
  const bool video = currentDescriptor && currentDescriptor->FrameCount != 0;
  return {.item = std::u16string(WideView(playerSettings.lastItem)),
          .frame = video ? LoadSharedWord(currentDescriptor->CurrentFrame) : 0,
          .running = videoThreadId != 0,
          .paused = paused != 0};
}

void ResumeWatchTick(WindowHandle) {
  ++looksSinceStore;
  const PlaybackSnapshot now = CurrentSnapshot();
  if (now.item.empty() || !ResumePointDue(storedPoint, now, looksSinceStore)) return;
  if (StoreResumePoint(now.item, now.frame)) {
    storedPoint = now;
    looksSinceStore = 0;
  }
}

struct TimerAction {
  uint32_t timer;
  void (*tick)(WindowHandle window);
};

constexpr TimerAction kTimers[] = {
    {kKeepAwakeTimer, KeepAwakeTick},
    {kStartTimer, [](WindowHandle window) { StartTick(window, kStartTimer); }},
    {kResumeStartTimer, [](WindowHandle window) { StartTick(window, kResumeStartTimer); }},
    {kVolumeFadeTimer, VolumeFadeStep},
    {kResumeWatchTimer, ResumeWatchTick},
};

}  // namespace

intptr_t OnTimer(WindowHandle window, uintptr_t wParam, intptr_t) {
  for (const TimerAction& action : kTimers) {
    if (action.timer != wParam) continue;
    action.tick(window);
    return 0;
  }
  DisplayTick(window);
  return 0;
}
