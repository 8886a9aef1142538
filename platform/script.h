// Scripts that drive the player without a user (--script=FILE, with either backend).
//
// One command per line; '#' at the start of a line or after a blank starts a comment; numbers
// are decimal or 0x hexadecimal. Commands run in order from the moment the main window exists:
//   wait MS              sleep
//   down X Y / move X Y / up X Y   the pen (screen coordinates)
//   tap X Y              down and up
//   key VK               press and release of a virtual-key code
//   command N            WM_COMMAND with N to the main window
//   screenshot FILE      the screen as a PNG of exactly the screen's size (journaled)
//   answer TEXT          the reply to the next modal box or dialog (ok, cancel, a number, a
//                        time, a path or a URL): taken by the first box that asks once the
//                        input before the answer has been handled (in a window, a box that
//                        is open then takes it too)
//   quit                 closes the main window as its close button does
//   audio-refuse CODE    the next open of the sound device is refused with CODE (4 busy,
//                        32 bad format, any other code)
// The script's own end does not quit. Numbers are clamped to what they can mean: a wait to
// 0 .. kMaxScriptWaitMs, a coordinate to +-kMaxScriptCoordinate, a key to 0..255, a command to
// 0..65535, a refusal code to 32 bits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window.h"

constexpr int64_t kMaxScriptWaitMs = 24 * 3600 * 1000;  // one day
constexpr int64_t kMaxScriptCoordinate = 65535;

enum class ScriptOp {
  Wait,
  Down,
  Move,
  Up,
  Tap,
  Key,
  Command,
  Screenshot,
  Answer,
  Quit,
  AudioRefuse
};

struct ScriptCommand {
  ScriptOp op;
  int64_t first = 0, second = 0;  // the numbers (milliseconds, x and y, key, command)
  std::string text;               // screenshot file, answer
  int32_t line = 0;
};

// Parses a whole script (a pure function of its text). On a bad line returns false with
// "LINE: what is wrong" in *error.
bool ParseScript(std::string_view text, std::vector<ScriptCommand>* commands, std::string* error);
// Reads and parses a file; the error then starts with the file name.
bool LoadScript(const std::string& path, std::vector<ScriptCommand>* commands, std::string* error);

// Main thread: runs the commands on a thread of their own, delivering input to the main
// window's thread by posting; screenshots are taken on the main thread between messages.
void StartScript(std::vector<ScriptCommand> commands, WindowHandle mainWindow);
// Main thread: stops the script (a wait is cut short) and joins its thread.
void StopScript();

// The oldest answer the script has given and no box has taken yet. Any thread.
bool TakeScriptAnswer(std::string* answer);
// Main thread, between messages: paints what is invalid and writes the screen as the backend
// presents it (the SDL window read back, or the surface) as a PNG; the file is journaled as
// "screenshot". False when it cannot be written.
bool TakeScreenshot(const std::string& path);
