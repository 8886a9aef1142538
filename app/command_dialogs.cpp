#include "app/command_dialogs.h"

#include "app/media_info.h"
#include "app/resources.h"
#include "app/startup_library/startup_dialogs.h"
#include "app/window_state.h"
#include "codecs/audio_decoder_entries.h"
#include "core/player_state.h"
#include "device/backlight.h"
#include "media/reader_state.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "playback/engine_state.h"
#include "playback/transport.h"

#ifndef MORVELANT_VERSION
#define MORVELANT_VERSION "0.0.0"
#endif

namespace {

constexpr char16_t kAboutText[] =
    u"Morvelant " MORVELANT_VERSION
    u"\r\nA skinnable audio and video player for handheld devices.\r\n\r\n"
    u"Video decoding by FFmpeg (libavcodec), MP3 by mpg123, drawing by SDL, FreeType and "
    u"fontconfig.";

// A running video is paused before a dialog, and stays paused after it.
void PauseForDialog() {
  if (videoThreadId != 0 && !paused && framesToPlay != 0) TogglePause();
}

AudioTags CurrentAudioTags() {
  return {.bitrate = audioBitrate,
          .title = WideView(audioTitle),
          .artist = WideView(audioArtist),
          .album = WideView(audioAlbum)};
}

void FollowKeepAwake(WindowHandle window) {
  if (playerSettings.keepAwake && keepAwakeTimer == 0) {
    keepAwakeTimer = SetTimer(window, kKeepAwakeTimer, kKeepAwakeMs);
  } else if (!playerSettings.keepAwake && keepAwakeTimer != 0) {
    KillTimer(window, kKeepAwakeTimer);
    keepAwakeTimer = 0;
  }
  HoldBacklight(playerSettings.keepAwake != 0);
}

}  // namespace

void ApplyEqualizerToDecoder() {
  if (const DecoderInitFunction init = audioDecoder.DecoderInit.load())
    init(playerSettings.equalizerOn, playerSettings.equalizerBands);
}

void ShowMediaInfo(WindowHandle window) {
  MessageBox(window, MediaInfoText(currentDescriptor, WideView(currentPath), CurrentAudioTags()),
             u"Media Info");
}

void ShowJumpTo(WindowHandle window) {
  if (!currentDescriptor) return;
  const MediaDescriptor& item = *currentDescriptor;
  const int32_t answer = JumpTo(window, JumpStartSeconds(item, audioBitrate, GetPosition()));
  const JumpSeek seek = JumpToSeek(item, audioBitrate, answer);
  if (seek.seek) SeekTo(seek.target, 0, seek.byFrame ? 1 : 0);
}

void ShowOptions(WindowHandle window) {
  PauseForDialog();
  ShowOptionsDialog(0, &playerInstance, window, &playerSettings);
  FollowKeepAwake(window);
}

void ShowEqualizer(WindowHandle window) {
  PauseForDialog();
  ShowEqualizerDialog(0, &playerInstance, window, &playerSettings);
  ApplyEqualizerToDecoder();
}

void ShowAbout(WindowHandle window) {
  MessageBox(window, kAboutText, u"Morvelant");
}
