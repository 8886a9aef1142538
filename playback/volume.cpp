#include "core/volume.h"

#include <algorithm>

#include "core/player_state.h"
#include "platform/wave_out.h"
#include "playback/engine_state.h"
#include "playback/transport.h"
#include "skin/skin.h"

int32_t CurrentVolumePercent() {
  uint32_t word = 0;
  WaveOutGetVolume(nullptr, &word);
  return VolumePercentOf(word);
}

void SetVolumePercent(int32_t percent) {
  WaveOutSetVolume(nullptr, VolumeWordOf(std::clamp(percent, 0, 100)));
}

void StartVolumeFadeIn() {
  if (OpenFrameCount() != 0) return;
  fadeTarget = std::clamp(CurrentVolumePercent(), 0, 100);
  if (playerSettings.muted) return;
  SetVolumePercent(0);
  if (!SetTimer(mainWindow, kVolumeFadeTimer, kVolumeFadeMs)) SetVolumePercent(fadeTarget);
}

void VolumeFadeStep(WindowHandle window) {
  int32_t p = std::clamp(CurrentVolumePercent() + 10, 0, 100);
  if (p >= fadeTarget) {
    p = fadeTarget;
    KillTimer(window, kVolumeFadeTimer);
  }
  if (!playerSettings.muted) SetVolumePercent(p);
}

// While muted the device reads 0, so the keys move only the knob: to 5 (up) or 0 (down).
int32_t StepVolume(int32_t change) {
  const int32_t p = std::clamp(CurrentVolumePercent() + change, 0, 100);
  if (!playerSettings.muted) SetVolumePercent(p);
  if (skin.VolumeButton.Width != 0) {
    PlaceVolumeKnob(p);
    if (!(screenTakeover && videoThreadId != 0 && !paused)) {
      DrawElementNormal(skin.VolumeArea);
      DrawElementPushed(skin.VolumeButton);
      skin.VolumeButton.Pushed = 0;
    }
  }
  return p;
}

void ApplyVolume() {
  SetVolumePercent(playerSettings.muted ? 0 : KnobPercent(SliderKind::Volume));
}

void ToggleMute() {
  if (playerSettings.muted)
    DrawElementNormal(skin.MuteButton);
  else
    DrawElementPushed(skin.MuteButton);
  playerSettings.muted = !playerSettings.muted;
  ApplyVolume();
}
