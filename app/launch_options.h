// The options that lead the argument list ("--headless", "--screen=640x480", ...) and their
// MORVELANT_* environment twins. What follows them is the player's own command line.
#pragma once

#include <string>
#include <vector>

#include "platform/backend.h"

// "--screen" sizes outside these bounds are refused: no real screen is smaller or larger.
constexpr int32_t kMinScreenSide = 64;
constexpr int32_t kMaxScreenSide = 4096;

struct LaunchOptions {
  BackendOptions backend;
  bool showHelp = false;
  bool showVersion = false;
  std::string error;           // a bad option: the message to print
  std::u16string commandLine;  // the remaining arguments joined with single blanks
};

// Reads MORVELANT_HEADLESS, _SCREEN, _SCALE, _SCRIPT, _AUDIO and _JOURNAL, then the leading
// "--" options, which win.
LaunchOptions ParseLaunchOptions(const std::vector<std::string>& arguments);
const char* UsageText();
