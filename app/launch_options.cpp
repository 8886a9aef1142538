#include "app/launch_options.h"

#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "platform/text.h"

namespace {

using Setter = bool (*)(BackendOptions&, const std::string&);

bool ParseNumber(const std::string& text, int32_t* value) {
  if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  *value = std::atoi(text.c_str());
  return *value > 0;
}

// The screen surface takes width x height x 2 bytes, and the player a picture buffer as large:
// each side is held to what real screens have.
bool ScreenSideFits(int32_t pixels) {
  return pixels >= kMinScreenSide && pixels <= kMaxScreenSide;
}

bool SetScreen(BackendOptions& options, const std::string& value) {
  const size_t x = value.find('x');
  return x != std::string::npos && ParseNumber(value.substr(0, x), &options.screenWidth) &&
         ParseNumber(value.substr(x + 1), &options.screenHeight) &&
         ScreenSideFits(options.screenWidth) && ScreenSideFits(options.screenHeight);
}
bool SetScale(BackendOptions& options, const std::string& value) {
  return ParseNumber(value, &options.scale);
}
// A folder, a FIFO or an unreadable file is refused here, not read as an empty script.
bool SetScript(BackendOptions& options, const std::string& value) {
  options.script = value;
  return IsReadableRegularFile(value);
}
bool SetAudio(BackendOptions& options, const std::string& value) {
  options.audio = value;
  return value == "sdl" || value == "null" || (value.starts_with("wav:") && value.size() > 4);
}
bool SetJournal(BackendOptions& options, const std::string& value) {
  options.journal = value;
  return !value.empty();
}
bool SetJournalFrames(BackendOptions& options, const std::string& value) {
  options.journalFrames = value.empty() || value == "1" || value == "yes";
  return true;
}

bool SetHeadless(BackendOptions& options, const std::string& value) {
  options.headless = value.empty() || value == "1" || value == "yes";
  return true;
}

struct OptionRow {
  const char* name;         // after "--"
  const char* environment;  // MORVELANT_*
  Setter set;
};
constexpr OptionRow kOptions[] = {
    {"headless", "MORVELANT_HEADLESS", SetHeadless},
    {"screen", "MORVELANT_SCREEN", SetScreen},
    {"scale", "MORVELANT_SCALE", SetScale},
    {"script", "MORVELANT_SCRIPT", SetScript},
    {"audio", "MORVELANT_AUDIO", SetAudio},
    {"journal", "MORVELANT_JOURNAL", SetJournal},
    {"journal-frames", "MORVELANT_JOURNAL_FRAMES", SetJournalFrames},
};

// "--name" or "--name=value"; false when the option is unknown or its value is bad.
bool ApplyOption(LaunchOptions& options, const std::string& argument) {
  const size_t equals = argument.find('=');
  const std::string name =
      argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
  const std::string value = equals == std::string::npos ? "" : argument.substr(equals + 1);
  if (name == "help") return options.showHelp = true;
  if (name == "version") return options.showVersion = true;
  for (const OptionRow& row : kOptions)
    if (name == row.name) return row.set(options.backend, value);
  return false;
}

}  // namespace

LaunchOptions ParseLaunchOptions(const std::vector<std::string>& arguments) {
  LaunchOptions options;
  for (const OptionRow& row : kOptions) {
    const char* value = std::getenv(row.environment);
    if (value && *value && !row.set(options.backend, value))
      options.error = std::string("bad value in ") + row.environment + ": " + value;
  }
  size_t index = 0;
  for (; index < arguments.size() && arguments[index].starts_with("--"); ++index) {
    if (arguments[index] == "--") {
      ++index;
      break;
    }
    if (!ApplyOption(options, arguments[index]))
      options.error = "unknown option or bad value: " + arguments[index];
  }
  std::string line;
  for (; index < arguments.size(); ++index) line += (line.empty() ? "" : " ") + arguments[index];
  options.commandLine = Utf8ToWide(line);
  return options;
}

const char* UsageText() {
  return "Usage: morvelant [OPTIONS] [COMMAND LINE]\n"
         "Plays a media file or URL, a playlist (.pdl .pls .m3u .py, optionally followed by a\n"
         "blank and the index of the entry to start with), or a skin and an item\n"
         "(-ts/path/skin.pds /path/clip.avi).\n"
         "\n"
         "Options (each also read from the MORVELANT_* variable named beside it):\n"
         "  --headless          no window; the screen exists only in memory "
         "(MORVELANT_HEADLESS=1)\n"
         "  --screen=WxH        screen size in pixels, 64 to 4096 each, default 640x480\n"
         "                      (MORVELANT_SCREEN)\n"
         "  --scale=N           show each pixel N times larger; default fits the desktop\n"
         "                      (MORVELANT_SCALE)\n"
         "  --script=FILE       run the input script FILE once the window exists "
         "(MORVELANT_SCRIPT)\n"
         "  --audio=sdl|null|wav:FILE  where sound goes (MORVELANT_AUDIO)\n"
         "  --journal=FILE      write one JSON line per observable event (MORVELANT_JOURNAL)\n"
         "  --journal-frames    journal every frame drawn too (MORVELANT_JOURNAL_FRAMES=1)\n"
         "  --help, --version   print this text or the version and exit\n"
         "Settings and the registry live in $MORVELANT_HOME (default ~/.config/morvelant).\n";
}
