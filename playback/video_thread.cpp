#include "playback/video_thread.h"

#include <cstdio>
#include <string>

#include "codecs/codec_loading.h"
#include "core/player_state.h"
#include "core/shared_word.h"
#include "device/system_bars.h"
#include "platform/clock.h"
#include "platform/gapi.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "platform/thread.h"
#include "playback/audio_output.h"
#include "playback/audio_thread.h"
#include "playback/engine_events.h"
#include "playback/engine_state.h"
#include "playback/frame_presenter.h"
#include "playback/output_setup.h"
#include "playback/playback_journal.h"
#include "playback/transport.h"
#include "playlist/playlist.h"

namespace {

constexpr uint32_t kStartPauseMs = 100;
constexpr uint32_t kAudioStartWaitMs = 5000;
constexpr uint32_t kNextFrameWaitMs = 500;
constexpr uint32_t kCommandExit = 40002;

using ClockFunction = void (*)();
ClockFunction clockFunction = TickClock;  // video only
bool audioStarted = false;                // video only: this playback started an audio thread

int32_t DurationOf(int32_t frames) {
  const double fps = currentDescriptor->FramesPerSecond;
  return fps > 0 ? static_cast<int32_t>(int64_t{frames} * 1000 / fps) : 0;
}

void StartAudio() {
  const EventHandle nextFrame = EngineEventHandle(EngineEvent::NextFrame);
  const EventHandle started = EngineEventHandle(EngineEvent::AudioStarted);
  ResetEvent(nextFrame);
  ResetEvent(started);
  ResetEvent(EngineEventHandle(EngineEvent::AudioStopped));
  clockFunction = AudioClock;
  StampAudioClock(-1, 0, 0);
  audioThreadActive = 1;
  ThreadHandle audio =
      CreateThread(AudioThread, startRequest ? reinterpret_cast<void*>(1) : nullptr, nullptr);
  if (!audio) {
    audioThreadActive = 0;
    clockStartTick = GetTickCount();
    clockFunction = TickClock;
    return;
  }
  CloseThreadHandle(audio);
  audioStarted = true;
  WaitForEvent(started, kAudioStartWaitMs);
  ResetEvent(started);
  if (waveDevice) {
    WaitForEvent(nextFrame, INFINITE);
  } else {
    // No sound device: the picture follows the tick clock instead of a clock that never moves.
    clockStartTick = GetTickCount();
    clockFunction = TickClock;
  }
  ResetEvent(nextFrame);
}

void StartPlayback() {
  busy = 1;
  Sleep(kStartPauseMs);
  videoFrame = 0;
  targetFrame = kNoTargetFrame;
  durationMs = DurationOf(framesToPlay);
  reachedEnd = 0;
  audioStarted = false;
  if (AudioActive()) {
    StartAudio();
  } else {
    clockStartTick = GetTickCount();
    clockFunction = TickClock;
  }
  StartVolumeFadeIn();
  if (currentDescriptor->FreeRunning) clockFunction = FreeRunClock;
  startRequest = 0;
  drawLevel = 2;
  busy = 0;
  videoFrame = 1;
}

void InTimePass(int32_t diff, int32_t target) {
  const VideoPacket packet = FetchVideoPacket(packetBuffer, diff > 0 ? 2 : 0);
  if (packet.size == 0) {
    ++droppedFrames;
    return;
  }
  const int32_t frame = DescriptorCurrentFrame() - 1;
  uint16_t* framePointer = BeginDraw();
  uint16_t* destination = framePointer ? framePointer + originOffset : nullptr;
  const bool hidden = paused || drawLevel == 0 || !framePointer;
  const int32_t render = hidden ? 0 : (diff > 0 ? 1 : int32_t{drawLevel});
  if (DecodeAndPresent(packetBuffer, packet.size, destination, render, hidden ? 0 : rowSkip.load(),
                       packet.keyFrame))
    JournalFrameDrawn(frame, target);
  EndDraw();
}

void EarlyPass() {
  if (fastForward) {
    uint16_t* framePointer = BeginDraw();
    EndDraw();
    FastForwardStep(framePointer ? framePointer + originOffset : nullptr, rowSkip);
    Sleep(0);
  } else if (audioStarted && clockFunction == AudioClock) {
    const EventHandle nextFrame = EngineEventHandle(EngineEvent::NextFrame);
    if (waveDevice) WaitForEvent(nextFrame, MsUntilAudioReaches(videoFrame - 1, kNextFrameWaitMs));
    ResetEvent(nextFrame);
  } else {
    Sleep(1);
  }
  --videoFrame;
}

// The audio has ended while frames remain: the rest follows the tick clock from here.
void FollowTickClock() {
  clockStartTick = GetTickCount();
  framesToPlay = framesToPlay - videoFrame;
  videoFrame = 1;
  durationMs = DurationOf(framesToPlay);
  clockFunction = TickClock;
}

void PlayLoop() {
  while (DescriptorCurrentFrame() < currentDescriptor->FrameCount && !stopRequested) {
    const int32_t lateWindow = LoadSharedWord(playerSettings.lateWindow);
    if (clockFunction == AudioClock && !audioThreadActive) FollowTickClock();
    clockFunction();
    const int32_t target = clockFunction == AudioClock ? CarriedAudioTarget() : targetFrame.load();
    const int16_t diff = static_cast<int16_t>(target - videoFrame);
    if (diff > -2 && diff < lateWindow) {
      InTimePass(diff, target);
    } else if (diff >= lateWindow) {
      SkipLateFrames();
      ++videoFrame;
    } else {
      EarlyPass();
    }
    ++videoFrame;
  }
}

std::string StatisticsText() {
  const int32_t current = DescriptorCurrentFrame(), dropped = droppedFrames;
  const float ratio = float(current - dropped + 1) / float(current + 1);
  char text[160];
  std::snprintf(text, sizeof text, "Dropped: %d\r\nPlayed: %d\r\nTotal: %d\r\nAvg FPS: %.2f",
                dropped, current, currentDescriptor->FrameCount,
                double(ratio) * currentDescriptor->FramesPerSecond);
  return text;
}

// lParam of the end message: -1 closes a network item for good when nothing is to follow it.
intptr_t EndMessageParameter() {
  const bool nothingFollows = LastIndex == 0 || userStopped;
  return isUrl && nothingFollows && !reachedEnd ? -1 : 0;
}

void EndPlayback(WindowHandle window) {
  const bool wasFastForward = fastForward;
  if (wasFastForward) {
    fastForward = 0;
    ShowSystemBars(true);
  }
  // Frames that ran out while the audio plays on let the audio finish: its end ends the item.
  // Paused audio (fast forward, or a pause) would never finish: the item ends with the frames.
  const bool audioPlaysOut =
      !stopRequested && !paused && !wasFastForward && audioThreadActive && waveDevice;
  if (framesToPlay != 0 && !audioPlaysOut) {
    if (videoFrame >= framesToPlay) reachedEnd = 1;
    stopRequested = 1;
    if (AudioActive()) SetEvent(EngineEventHandle(EngineEvent::Audio));
  }
  if (audioStarted) {
    WaitForEvent(EngineEventHandle(EngineEvent::AudioStopped), INFINITE);
  }
  const bool ended = reachedEnd;
  if (ended) AdvanceAfterItem();
  ResetEvent(EngineEventHandle(EngineEvent::AudioStopped));
  JournalItemEnded(ended, DescriptorCurrentFrame(), droppedFrames, currentDescriptor->FrameCount,
                   audioBytesQueued);
  const bool showStatistics =
      LoadSharedWord(playerSettings.showStatistics) && framesToPlay != 0 && !closing;
  const std::string statistics = showStatistics ? StatisticsText() : std::string();
  const intptr_t lParam = EndMessageParameter();
  droppedFrames = 0;
  // The main thread may be decoding a still picture: the decoder ends only between decodes.
  EnterCriticalSection(&decodeLock);
  if (decodeInit) decodeInit(0, DECODE_INIT_END_ITEM, nullptr, 0);
  LeaveCriticalSection(&decodeLock);
  JournalPlaybackState("stopped");
  videoThreadId = 0;
  SetEvent(EngineEventHandle(EngineEvent::Stopped));
  if (lParam == -1) busy = 0;
  PostMessage(window, kPlaybackEndedMessage, 0, lParam);
  if (showStatistics) MessageBox(window, Utf8ToWide(statistics), u"Playback Statistics");
  if (commandLineSkin[0]) SendMessage(window, WM_COMMAND, kCommandExit, 0);
}

}  // namespace

uint32_t VideoThread(void* window) {
  StartPlayback();
  PlayLoop();
  EndPlayback(static_cast<WindowHandle>(window));
  return 0;
}
