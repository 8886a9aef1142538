// The launch options and the player's command-line grammar. The input is the argument list,
// arguments separated by 0 bytes. Properties: an accepted screen size is one a screen has; a
// skin chosen by "-ts" ends with ".pds"; a media item is the whole line.
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/launch_options.h"
#include "platform/text.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  for (const char* name : {"MORVELANT_HEADLESS", "MORVELANT_SCREEN", "MORVELANT_SCALE",
                           "MORVELANT_SCRIPT", "MORVELANT_AUDIO", "MORVELANT_JOURNAL"})
    unsetenv(name);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> arguments(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0)
      arguments.emplace_back();
    else
      arguments.back() += char(data[i]);
  }
  const LaunchOptions options = ParseLaunchOptions(arguments);
  if (options.error.empty()) {
    const BackendOptions& b = options.backend;
    FUZZ_CHECK(b.screenWidth >= kMinScreenSide && b.screenWidth <= kMaxScreenSide);
    FUZZ_CHECK(b.screenHeight >= kMinScreenSide && b.screenHeight <= kMaxScreenSide);
  }
  const CommandLineChoice choice = InterpretCommandLine(options.commandLine);
  if (choice.rule == CommandLineRule::SkinAndItem)
    FUZZ_CHECK(choice.skin.size() >= 4 && choice.skin.ends_with(u".pds"));
  return 0;
}
