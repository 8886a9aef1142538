// Runs the whole player in the test's process, headless, with a script, and records the
// messages its main window receives: a window-message test suite's way of checking what a
// window does (expected sequences with optional entries, compared in order).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/player_settings.h"

struct SeenMessage {
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
  uint32_t tick;  // GetTickCount when it arrived
};

// An expected message: wParam and lParam are compared only when given.
struct ExpectedMessage {
  uint32_t message;
  int64_t wParam = -1;
  int64_t lParam = -1;
  bool optional = false;  // may be absent; may also repeat
};

// A fresh home for the player: settings (first-start defaults changed by `edit`), the
// registry of build/dist, and build/dist as the executable's folder.
struct TestHome {
  std::string path;
  explicit TestHome(const std::function<void(PlayerSettings*)>& edit = {});
  ~TestHome();
  std::string operator/(const std::string& name) const { return path + "/" + name; }
};

// Runs the player on `commandLine` with `script` until it quits; returns the exit code and
// fills `seen` with the messages of interest (timers other than the start timers, pointer
// moves and the volume fade are left out). `during`, when given, runs on a thread of its own
// while the player runs.
int32_t RunPlayer(const TestHome& home, const std::u16string& commandLine,
                  const std::string& script, std::vector<SeenMessage>* seen,
                  const std::function<void()>& during = {});

// Compares in order; on a difference returns a description of both sequences, else "".
std::string CompareSequence(const std::vector<SeenMessage>& seen,
                            const std::vector<ExpectedMessage>& expected);

// A clip made once per run with ffmpeg ("" when it could not be made).
std::string TestClip(const std::string& name, const std::string& ffmpegArguments);
