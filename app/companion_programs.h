// The programs the player starts without waiting for them: the manual in the desktop's browser
// and the companion playlist editor.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/window.h"

// The manual's address at an anchor: a file URL of "Tesk.htm" in `folder`, with the characters
// a URL may not hold escaped.
std::string ManualAddress(std::string_view folder, std::string_view anchor);
// Opens the manual at MAIN_CONTENTS with the desktop's opener; without one, a message box owned
// by `window` names the file to open.
void OpenManual(WindowHandle window);

struct ProgramStart {
  std::string program;
  std::vector<std::string> arguments;
};
// The playlist editor "Fennick" in the player's own folder, given the loaded playlist's path
// when there is one.
ProgramStart PlaylistEditorStart(std::string_view folder, std::u16string_view playlistPath);
// Starts it; a failure is not reported.
void StartPlaylistEditor(std::u16string_view playlistPath);
