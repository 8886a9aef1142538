// Backend selection and what every backend shares: the journal, the screen, the script.
#include "platform/backend.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/backend_table.h"
#include "platform/input.h"
#include "platform/journal.h"
#include "platform/screen.h"
#include "platform/screen_saver.h"
#include "platform/script.h"
#include "platform/wave_out.h"

namespace {

void NoPresent() {}
void NoCursor(int32_t) {}
bool NoOpen(const BackendOptions&) {
  return true;
}
void NoWindow(WindowHandle) {}
void NoSwitch(bool) {}
void NoClose() {}

// Until a backend is opened (tests that only draw): nothing is shown.
const BackendTable kNullBackend{.name = "headless",
                                .open = NoOpen,
                                .mainWindowCreated = NoWindow,
                                .close = NoClose,
                                .present = NoPresent,
                                .showCursor = NoCursor,
                                .capture = CaptureScreen,
                                .holdScreenSaver = NoSwitch,
                                .displayPower = NoSwitch};

std::atomic<const BackendTable*> active{&kNullBackend};
std::vector<ScriptCommand> pendingScript;  // main thread: loaded at open, run at window creation
bool scriptLoaded = false;

bool IsSet(const char* variable) {
  const char* value = std::getenv(variable);
  return value && *value;
}

// A desktop session, or a video driver named for SDL (a handheld's "kmsdrm" console).
bool DisplayAvailable() {
  return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("SDL_VIDEODRIVER");
}

const BackendTable* OpenChosenBackend(const BackendOptions& options) {
  if (!options.headless && DisplayAvailable()) {
    if (kSdlBackend.open(options)) return &kSdlBackend;
    std::fprintf(stderr, "morvelant: no window could be opened; running headless\n");
  }
  return kHeadlessBackend.open(options) ? &kHeadlessBackend : nullptr;
}

}  // namespace

const BackendTable& ActiveBackend() {
  return *active.load();
}

const char* BackendName() {
  return ActiveBackend().name;
}

bool OpenBackend(const BackendOptions& options) {
  JournalSetFrames(options.journalFrames);
  if (!options.journal.empty() && !JournalOpen(options.journal)) {
    std::fprintf(stderr, "morvelant: the journal %s cannot be written\n", options.journal.c_str());
    return false;
  }
  if (!OpenScreen(options.screenWidth, options.screenHeight)) {
    std::fprintf(stderr, "morvelant: bad screen size %dx%d\n", options.screenWidth,
                 options.screenHeight);
    return false;
  }
  std::string error;
  scriptLoaded = !options.script.empty();
  if (scriptLoaded && !LoadScript(options.script, &pendingScript, &error)) {
    std::fprintf(stderr, "morvelant: script %s\n", error.c_str());
    return false;
  }
  const BackendTable* chosen = OpenChosenBackend(options);
  if (!chosen) return false;
  const char* defaultSound = chosen == &kHeadlessBackend ? "null" : "sdl";
  if (!OpenSoundOutput(options.audio, defaultSound)) {
    chosen->close();
    return false;
  }
  active = chosen;
  WatchBacklightChanges();
  return true;
}

void BackendMainWindowCreated(WindowHandle mainWindow) {
  SetInputWindow(mainWindow);
  const Rect bounds = GetWindowRect(mainWindow);
  JournalWrite("window-created", {{"width", int64_t{bounds.right - bounds.left}},
                                  {"height", int64_t{bounds.bottom - bounds.top}}});
  ActiveBackend().mainWindowCreated(mainWindow);
  if (scriptLoaded) StartScript(std::move(pendingScript), mainWindow);
  scriptLoaded = false;
}

void CloseBackend() {
  StopScript();
  StopWatchingBacklightChanges();
  ActiveBackend().close();
  CloseSoundOutput();
  SetInputWindow(nullptr);
  active = &kNullBackend;
  JournalClose();
}

// The leak checker of sanitizer builds: fontconfig and D-Bus (through SDL) keep process-wide
// allocations that they never give back; those are theirs, not leaks of the player.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}
