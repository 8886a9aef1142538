#include "playback/transport.h"

#include "codecs/audio_decoder_entries.h"
#include "core/player_state.h"
#include "device/backlight.h"
#include "device/system_bars.h"
#include "platform/clock.h"
#include "platform/wave_out.h"
#include "playback/audio_output.h"
#include "playback/engine_events.h"
#include "playback/engine_state.h"
#include "playback/frame_presenter.h"
#include "playback/open_item.h"
#include "playback/output_setup.h"
#include "playback/playback_journal.h"
#include "playback/video_thread.h"
#include "skin/skin.h"

namespace {

constexpr uint32_t kLeaveFastForwardMs = 500;
constexpr uint32_t kEnterFastForwardMs = 1000;
constexpr uint32_t kSeekSettleMs = 100;
// The pause waits for the video thread to pass the clock; a thread that has ended, or a clock
// that no longer moves, must not hold the main thread for longer than this.
constexpr uint32_t kPauseWaitLimitMs = 2000;

bool DeviceOpen() {
  return playerSettings.audioEnabled && waveDevice;
}

void CallSetPaused(int32_t value) {
  if (readerOps.SetPaused) readerOps.SetPaused(value);
}

void WaitForPassedClock() {
  const uint32_t start = GetTickCount();
  while (targetFrame != 0 && videoFrame <= targetFrame + 1 && videoThreadId != 0 &&
         GetTickCount() - start < kPauseWaitLimitMs)
    Sleep(1);
}

void Pause() {
  paused = 1;
  if (DeviceOpen()) WaveOutPause(waveDevice);
  WaitForPassedClock();
  EnterCriticalSection(&decodeLock);
  LeaveCriticalSection(&decodeLock);
  if (!skin.FFWDButton.Pushed) {
    RedrawStill();
    if (screenTakeover) ShowSystemBars(true);
  }
  if (playerSettings.keepAwake) HoldBacklight(false);
  CallSetPaused(1);
  JournalPlaybackState("paused");
}

void Resume() {
  previousFrameDrawn = 0;
  drawLevel = 2;
  if (!AudioActive()) {
    clockStartTick = GetTickCount();
    framesToPlay = framesToPlay - videoFrame;
    videoFrame = 1;
  }
  const double fps = currentDescriptor ? currentDescriptor->FramesPerSecond : 0;
  durationMs = fps > 0 ? static_cast<int32_t>(int64_t{framesToPlay} * 1000 / fps) : 0;
  if (DeviceOpen()) WaveOutRestart(waveDevice);
  paused = 0;
  if (playerSettings.keepAwake) HoldBacklight(true);
  if (screenTakeover) ShowSystemBars(false);
  CallSetPaused(0);
  JournalPlaybackState("playing");
}

// Every queued buffer back from the device. A buffer the audio thread was filling during the
// reset still reaches the paused device afterwards, so the reset is repeated until none is left
// (within a bound: a seek never hangs the main thread).
void EmptyDeviceQueue() {
  const uint32_t start = GetTickCount();
  for (WaveOutHandle device; (device = waveDevice) && GetTickCount() - start < kPauseWaitLimitMs;) {
    ResetWaveDevice(device);
    if (queuedBuffers <= 0) return;
    Sleep(10);
  }
}

}  // namespace

void TogglePause() {
  if (paused)
    Resume();
  else
    Pause();
}

void PlayPause() {
  if (busy) return;
  if (videoThreadId != 0) {
    if (paused)
      DrawElementPushed(skin.PlayButton);
    else
      DrawElementNormal(skin.PlayButton);
    if (fastForward) {
      LeaveFastForward();
      Sleep(kLeaveFastForwardMs);
      ShowSystemBars(true);
      RedrawStill();
      JournalPlaybackState("paused");
    } else {
      TogglePause();
    }
  } else if (currentPath[0]) {
    startRequest = 1;
    OpenItem(mainWindow, 0);
  }
}

void StopPlayback() {
  const bool wasPaused = paused;
  paused = 0;
  if (readerOps.Stop) readerOps.Stop();
  const EventHandle stopped = EngineEventHandle(EngineEvent::Stopped);
  ResetEvent(stopped);
  stopRequested = 1;
  if (AudioActive() && DeviceOpen() && wasPaused) ResetWaveDevice(waveDevice);
  if (AudioActive()) SetEvent(EngineEventHandle(EngineEvent::Audio));
  WaitForEvent(stopped, INFINITE);
  ResetEvent(stopped);
}

void StopItem(WindowHandle window) {
  if (busy) return;
  userStopped = 1;
  busy = 1;
  RestartItem(window);
}

void NextItem(WindowHandle window) {
  if (busy) return;
  playlistStep = 1;
  reachedEnd = 1;
  busy = 1;
  RestartItem(window);
}

void PreviousItem(WindowHandle window) {
  if (busy) return;
  playlistStep = -1;
  reachedEnd = 1;
  RestartItem(window);
}

void ToggleFastForward() {
  if (OpenFrameCount() == 0) return;
  if (!fastForward && !skin.FFWDButton.Pushed) DrawElementPushed(skin.FFWDButton);
  if (videoThreadId == 0) return;
  if (fastForward) {
    LeaveFastForward();
    TogglePause();
    return;
  }
  if (!paused) {
    TogglePause();
    Sleep(kEnterFastForwardMs);
  }
  if (screenTakeover) ShowSystemBars(false);
  fastForward = 1;
  JournalPlaybackState("fast-forward");
}

void LeaveFastForward() {
  fastForward = 0;
  framesToPlay = currentDescriptor->FrameCount - DescriptorCurrentFrame();
  videoFrame = 0;
  clockStartTick = 0;
  if (!screenTakeover)
    DrawElementNormal(skin.FFWDButton);
  else
    skin.FFWDButton.Pushed = 0;
  if (AudioActive()) {
    audioSpan = static_cast<int64_t>(readerOps.ResyncAudio());
    clockRebased = 1;
    ++audioRepositions;
    if (auto exit = audioDecoder.DecoderExit.load()) exit();
    if (auto init = audioDecoder.DecoderInit.load()) init(playerSettings.equalizerOn, nullptr);
    if (WaveOutHandle device = waveDevice) ResetWaveDevice(device);
  }
}

void SeekTo(int32_t target, uint8_t byChapter, int32_t byFrame) {
  if (!currentDescriptor || isUrl) return;
  const bool wasPaused = paused;
  if (byFrame == 0 && target >= 99) target = 99;
  JournalSeek(byFrame && !byChapter ? target : -1, !byFrame && !byChapter ? target : -1);
  targetFrame = kNoTargetFrame;
  seekInProgress = 1;
  const bool audio = AudioActive();
  if (!wasPaused) {
    if (!readerOps.SetPaused) TogglePause();
    if (audio) EmptyDeviceQueue();
  }
  if (audio) {
    if (auto start = audioDecoder.SeekStart.load()) start();
  }
  int32_t result;
  if (byChapter)
    result = readerOps.SeekChapter ? readerOps.SeekChapter(target) : 0;
  else
    result = readerOps.Seek(target, byFrame);
  audioSpan = static_cast<int64_t>(result);
  clockRebased = 1;
  if (audio) ++audioRepositions;
  framesToPlay = currentDescriptor->FrameCount - DescriptorCurrentFrame();
  targetFrame = kNoTargetFrame;
  videoFrame = 0;
  clockStartTick = 0;
  if (audio) {
    if (auto end = audioDecoder.SeekEnd.load()) end();
  } else {
    clockStartTick = GetTickCount();
  }
  seekInProgress = 1;
  if (!wasPaused) {
    discardNextOutput = 1;
    if (!readerOps.SetPaused) TogglePause();
    StartVolumeFadeIn();
  } else {
    if (audio && DeviceOpen()) ResetWaveDevice(waveDevice);
    RedrawStill();
  }
  Sleep(kSeekSettleMs);
  targetFrame = kNoTargetFrame;
  seekInProgress = 0;
}

double GetPosition() {
  return currentDescriptor && readerOps.GetProgress ? readerOps.GetProgress() : 0.0;
}
