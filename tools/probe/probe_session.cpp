#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/player_state.h"
#include "media/reader_selection.h"
#include "media/reader_state.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tools/probe/probe.h"

namespace {

constexpr const char* kUrlPrefixes[] = {"http://", "https://"};
constexpr char kDefaultsFile[] = "/registry.default.reg";
constexpr char16_t kLoadErrorTitle[] = u"Load Error";
constexpr char16_t kOpenFailedText[] = u"Failed to load file, Please check available memory.";

// The probe's own registry home when $MORVELANT_HOME does not name one, removed at exit.
std::string temporaryHome;

void RemoveTemporaryHome() {
  for (const char* file : {"/system.reg", "/user.reg"}) std::remove((temporaryHome + file).c_str());
  std::remove(temporaryHome.c_str());
}

void LoadRegistry() {
  std::string home;
  if (std::getenv("MORVELANT_HOME")) {
    home = PlayerHome();
  } else {
    char pattern[] = "/tmp/morvelant-probe-XXXXXX";
    if (mkdtemp(pattern)) {
      home = temporaryHome = pattern;
      std::atexit(RemoveTemporaryHome);
    }
  }
  RegistryLoad(home, ExecutableFolder() + kDefaultsFile);
}

// Message boxes become the probe's error line.
int32_t PrintBox(WindowHandle, std::u16string_view text, std::u16string_view title, uint32_t) {
  PrintProbeError(WideToUtf8(title), WideToUtf8(text));
  return IDOK;
}

}  // namespace

void PrintProbeError(const std::string& title, const std::string& text) {
  std::string line = "error=" + title + ": ";
  for (const char c : text) line += c == '\n' ? std::string("\\n") : std::string(1, c);
  std::printf("%s\n", line.c_str());
}

bool ProbeOpen(const std::string& path) {
  LoadRegistry();
  SetMessageBoxPresenter(PrintBox);
  WideCopy(currentPath, kMediaPathChars, Utf8ToWide(path));
  bool url = false;
  for (const char* prefix : kUrlPrefixes) url = url || path.rfind(prefix, 0) == 0;
  isUrl = url;
  if (SelectReader() != 0) return false;
  const int32_t mode = isUrl ? READER_MODE_URL : READER_MODE_LOCAL;
  if (readerOps.Open(currentPath, mode, playerSettings.readerParameter, &currentDescriptor) != 0)
    return true;
  MessageBox(mainWindow, kOpenFailedText, kLoadErrorTitle);
  return false;
}

void ProbeClose() {
  currentDescriptor = nullptr;
  if (readerOps.Close) readerOps.Close();
}

const MediaDescriptor& ProbeDescriptor() {
  return *currentDescriptor;
}

uint64_t Fnv1a64(uint64_t hash, const uint8_t* bytes, size_t count) {
  constexpr uint64_t kFnvPrime = 1099511628211ull;
  for (size_t i = 0; i < count; ++i) hash = (hash ^ bytes[i]) * kFnvPrime;
  return hash;
}
