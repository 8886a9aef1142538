// The process entry: the "--" options, the backend, and the player.
#include <cstdio>
#include <string>
#include <vector>

#include "app/launch_options.h"
#include "app/resources.h"
#include "app/startup.h"
#include "platform/backend.h"
#include "platform/journal.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/window.h"

#ifndef MORVELANT_VERSION
#define MORVELANT_VERSION "0.0.0"
#endif

namespace {

constexpr int kShowNormal = 1;
constexpr int kUsageError = 2;

// SIGINT and SIGTERM close the main window as its close button does.
void CloseOnSignal() {
  const WindowHandle window = FindWindow(playerInstance.windowClass, playerInstance.windowTitle);
  if (window) PostMessage(window, WM_CLOSE, 0, 0);
}

}  // namespace

int main(int argc, char** argv) {
  const LaunchOptions options = ParseLaunchOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (options.showHelp) {
    std::fputs(UsageText(), stdout);
    return 0;
  }
  if (options.showVersion) {
    std::printf("morvelant %s\n", MORVELANT_VERSION);
    return 0;
  }
  if (!options.error.empty()) {
    std::fprintf(stderr, "morvelant: %s\n%s", options.error.c_str(), UsageText());
    return kUsageError;
  }
  RouteTerminationSignals(CloseOnSignal);
  if (!OpenBackend(options.backend)) {
    std::fprintf(stderr, "morvelant: no screen could be opened (try --headless)\n");
    return 1;
  }
  RegistryLoadDefault();
  const int32_t code = PlayerMain(options.commandLine, kShowNormal);
  JournalWrite("exit", {{"code", int64_t{code}}});
  CloseBackend();
  return code;
}
