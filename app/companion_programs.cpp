#include "app/companion_programs.h"

#include <cstdio>

#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "platform/text.h"

namespace {

constexpr char kManualFile[] = "Tesk.htm";
constexpr char kContentsAnchor[] = "MAIN_CONTENTS";
constexpr char kPlaylistEditor[] = "Fennick";

bool KeptInUrl(unsigned char character) {
  return (character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z') ||
         (character >= '0' && character <= '9') ||
         std::string_view("/-._~").find(static_cast<char>(character)) != std::string_view::npos;
}

std::string EscapeForUrl(std::string_view path) {
  std::string escaped;
  for (const unsigned char character : path) {
    if (KeptInUrl(character)) {
      escaped += static_cast<char>(character);
      continue;
    }
    char code[4];
    std::snprintf(code, sizeof code, "%%%02X", character);
    escaped += code;
  }
  return escaped;
}

}  // namespace

std::string ManualAddress(std::string_view folder, std::string_view anchor) {
  return "file://" + EscapeForUrl(std::string(folder) + "/" + kManualFile) + "#" +
         std::string(anchor);
}

void OpenManual(WindowHandle window) {
  const std::string folder = ExecutableFolder();
  if (OpenWithDesktop(ManualAddress(folder, kContentsAnchor))) return;
  MessageBox(window,
             u"No program to show the manual was found. Open this file in a web browser:\r\n" +
                 Utf8ToWide(folder + "/" + kManualFile),
             u"Help");
}

ProgramStart PlaylistEditorStart(std::string_view folder, std::u16string_view playlistPath) {
  ProgramStart start{.program = std::string(folder) + "/" + kPlaylistEditor, .arguments = {}};
  if (!playlistPath.empty()) start.arguments.push_back(WideToUtf8(playlistPath));
  return start;
}

void StartPlaylistEditor(std::u16string_view playlistPath) {
  const ProgramStart start = PlaylistEditorStart(ExecutableFolder(), playlistPath);
  StartProgram(start.program, start.arguments);
}
