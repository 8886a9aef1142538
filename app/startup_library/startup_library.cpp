#include "app/startup_library/startup_library.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/controls/command_bar_view.h"
#include "platform/files.h"
#include "platform/journal.h"
#include "platform/system_metrics.h"
#include "platform/virtual_keys.h"

namespace {

constexpr char kSettingsFile[] = "settings.bin";
// 80 % in both channels: (80 * 65535) / 100 = 52428.
constexpr uint32_t kDefaultVolume = 52428u | (52428u << 16);
constexpr int32_t kDefaultLateWindow = 10;

// The menu items whose check marks mirror a settings flag.
struct CheckedItem {
  uint32_t command;
  size_t offset;
};
constexpr CheckedItem kCheckedItems[] = {
    {40012, offsetof(PlayerSettings, filtering)},
    {40053, offsetof(PlayerSettings, sizeToViewport)},
    {40028, offsetof(PlayerSettings, shuffle)},
    {40054, offsetof(PlayerSettings, repeat)},
    {40049, offsetof(PlayerSettings, showPlaylist)},
    {40050, offsetof(PlayerSettings, showMediaInfo)},
};

std::string SettingsPath() {
  return PlayerHome() + "/" + kSettingsFile;
}

}  // namespace

void DefaultPlayerSettings(PlayerSettings* settings) {
  std::memset(settings, 0, sizeof(*settings));
  settings->keepAwake = 1;
  settings->audioEnabled = 1;
  settings->autoPlay = 1;
  settings->keyPlayPause = VK_SPACE;
  settings->keyFastForward = 'F';
  settings->keyRotate = 'R';
  settings->keyFullScreen = VK_F11;
  settings->keyDisplayPower = 'D';
  settings->keyVolumeUp = VK_VOLUME_UP;
  settings->keyVolumeDown = VK_VOLUME_DOWN;
  settings->keyBrightnessUp = VK_PRIOR;
  settings->keyBrightnessDown = VK_NEXT;
  settings->keyNextItem = VK_MEDIA_NEXT_TRACK;
  settings->keyPreviousItem = VK_MEDIA_PREV_TRACK;
  settings->keyStop = VK_MEDIA_STOP;
  settings->keyMute = VK_VOLUME_MUTE;
  settings->lateWindow = kDefaultLateWindow;
  settings->showPlaylist = 1;
  settings->resumeLastItem = 1;
  settings->volume = kDefaultVolume;
}

void LoadPlayerSettings(PlayerSettings* settings) {
  std::string bytes;
  if (ReadWholeFile(SettingsPath(), &bytes) && bytes.size() == sizeof(PlayerSettings)) {
    std::memcpy(settings, bytes.data(), sizeof(PlayerSettings));
    // The texts must stay terminated within their buffers whatever the file held.
    settings->skinPath[SETTINGS_PATH_CHARS - 1] = 0;
    settings->lastItem[SETTINGS_PATH_CHARS - 1] = 0;
    return;
  }
  DefaultPlayerSettings(settings);
}

bool StorePlayerSettings(const PlayerSettings* settings) {
  const bool stored = WriteFileAtomic(SettingsPath(), settings, sizeof(PlayerSettings));
  if (stored) JournalWrite("settings-saved", {{"file", SettingsPath()}});
  return stored;
}

MenuHandle BuildMenuBar(const AppInstance* instance, const PlayerSettings* settings) {
  MenuHandle bar = CreateMenu();
  std::vector<MenuHandle> open = {bar};  // open[level] receives the rows of that level
  for (size_t row = 0; row < instance->menuRows; ++row) {
    const MenuResource& item = instance->menu[row];
    open.resize(static_cast<size_t>(item.level) + 1);
    if (item.command == 0) {
      open.push_back(AppendSubmenu(open[static_cast<size_t>(item.level)], item.text));
    } else {
      AppendMenuItem(open[static_cast<size_t>(item.level)], item.command, item.text, item.greyed);
    }
  }
  const auto* bytes = reinterpret_cast<const uint8_t*>(settings);
  for (const CheckedItem& checked : kCheckedItems)
    CheckMenuItem(bar, checked.command, bytes[checked.offset] != 0);
  return bar;
}

WindowHandle CreateMainWindow(int32_t, const AppInstance* instance, int32_t showMode,
                              PlayerSettings* settings, CommandBarHandle* commandBar,
                              WindowProc procedure, const char16_t* const*) {
  *commandBar = CommandBarCreate(nullptr, BuildMenuBar(instance, settings));
  WindowDescription description{
      .className = instance->windowClass,
      .title = instance->windowTitle,
      .procedure = procedure,
      .bounds = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
      .visible = showMode != 0};
  WindowHandle window = CreateWindow(description);
  if (!window) {
    CommandBarDestroy(*commandBar);
    *commandBar = nullptr;
    return nullptr;
  }
  CommandBarSetOwner(*commandBar, window);
  CommandBarCreateView(*commandBar);
  return window;
}
