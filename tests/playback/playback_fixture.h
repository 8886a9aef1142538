// In-process playback: the headless backend, the registry and plug-ins of build/dist, a main
// window whose procedure records the engine's messages, and media made with ffmpeg.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/window.h"

// Makes `fileName` in the test media folder with `ffmpeg -y <args> <path>` once per run; "" when
// ffmpeg failed.
std::string MakePlaybackMedia(const std::string& fileName, const std::string& ffmpegArgs);
// Lines of the journal holding "event":"<event>".
std::vector<std::string> JournalEvents(const std::string& journal, const std::string& event);
// The integer value of `field` in a journal line (-1000000 when absent).
int64_t JournalNumber(const std::string& line, const std::string& field);

class PlaybackTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Opens the backend with `audio` ("null", "wav:FILE") before the first open.
  void StartBackend(const std::string& audio);
  void Open(const std::string& path, bool play, int32_t startFrame = 0);
  // Pumps the main thread's messages until the playback-ended message arrived (false after
  // `timeoutMs`); the handler reopens nothing.
  bool WaitForEnd(uint32_t timeoutMs = 60000);
  // Pumps messages for `ms` milliseconds.
  void Pump(uint32_t ms);
  std::string JournalText() const;

  std::string home, journal, wavPath;
  WindowHandle window = nullptr;
  bool backendOpen = false;
};

extern int endMessages;  // playback-ended messages seen by the test window
extern intptr_t lastEndParameter;
extern bool reopenOnEnd;  // the test window reopens the item on the playback-ended message
