// The backlight watcher: one thread from OpenBackend to CloseBackend. It meets the main thread
// only through the named event, the registry (which has its own lock) and the atomics below.
#include "platform/screen_saver.h"

#include <atomic>
#include <thread>

#include "platform/backend_table.h"
#include "platform/journal.h"
#include "platform/registry.h"
#include "platform/screen_saver_bus.h"
#include "platform/sync.h"

namespace {

constexpr char kChangeEvent[] = "BackLightChangeEvent";
constexpr char16_t kBacklightKey[] = u"ControlPanel\\Backlight";
constexpr char16_t kBatteryTimeout[] = u"BatteryTimeout";
constexpr char16_t kMainsTimeout[] = u"ACTimeout";

std::thread watcher;                    // main thread starts and joins it
EventHandle changeEvent = nullptr;      // main thread opens and closes it around the watcher
std::atomic<bool> stopWatching{false};  // W main; R watcher
std::atomic<bool> held{false};          // W watcher; R any

uint32_t Timeout(const char16_t* name) {
  uint32_t seconds = 0;
  RegistryGetNumber(RegistryRoot::CurrentUser, kBacklightKey, name, &seconds);
  return seconds;
}

bool BacklightHeldOn() {
  return Timeout(kBatteryTimeout) >= kBacklightNeverOff &&
         Timeout(kMainsTimeout) >= kBacklightNeverOff;
}

void Hold(bool hold) {
  if (held.exchange(hold) == hold) return;
  ActiveBackend().holdScreenSaver(hold);
  if (hold) {
    InhibitOverSessionBus();
  } else {
    UninhibitOverSessionBus();
  }
  JournalWrite("screen-saver", {{"held", int64_t{hold}}});
}

void Watch() {
  Hold(BacklightHeldOn());
  while (true) {
    WaitForEvent(changeEvent, INFINITE);
    if (stopWatching) break;
    Hold(BacklightHeldOn());
  }
  Hold(false);
}

}  // namespace

void WatchBacklightChanges() {
  if (watcher.joinable()) return;
  changeEvent = CreateNamedEvent(kChangeEvent, false, false);
  stopWatching = false;
  watcher = std::thread(Watch);
}

void StopWatchingBacklightChanges() {
  if (!watcher.joinable()) return;
  stopWatching = true;
  SetEvent(changeEvent);
  watcher.join();
  CloseEvent(changeEvent);
  changeEvent = nullptr;
}

bool ScreenSaverHeld() {
  return held.load();
}
