// SDL audio: SDL's audio thread pulls the queued sound; silence while paused or dry.
#include <SDL.h>

#include <cstring>

#include "platform/wave_out_internal.h"

namespace {

constexpr Uint16 kSdlBufferFrames = 1024;

SDL_AudioDeviceID sdlDevice = 0;  // opened and closed under the device core's open/close lock

void FillFromDevice(void* device, Uint8* stream, int length) {
  const size_t taken =
      PullWaveBytes(static_cast<WaveOutHandle>(device), stream, static_cast<size_t>(length));
  std::memset(stream + taken, 0, static_cast<size_t>(length) - taken);
}

bool StartSdlAudio(WaveOutHandle device, const WaveFormat& format) {
  if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  SDL_AudioSpec wanted{};
  wanted.freq = static_cast<int>(format.samplesPerSec);
  wanted.format = AUDIO_S16SYS;
  wanted.channels = static_cast<Uint8>(format.channels);
  wanted.samples = kSdlBufferFrames;
  wanted.callback = FillFromDevice;
  wanted.userdata = device;
  SDL_AudioSpec obtained{};
  sdlDevice = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (sdlDevice == 0) return false;
  SDL_PauseAudioDevice(sdlDevice, 0);
  return true;
}

void StopSdlAudio(WaveOutHandle) {
  if (sdlDevice != 0) SDL_CloseAudioDevice(sdlDevice);
  sdlDevice = 0;
}

}  // namespace

const SoundOutput kSdlSoundOutput{.name = "sdl", .start = StartSdlAudio, .stop = StopSdlAudio};
