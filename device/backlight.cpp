#include "device/backlight.h"

#include <cstdint>

#include "device/display_power.h"
#include "platform/registry.h"
#include "platform/sync.h"

namespace {

constexpr char16_t kBacklightKey[] = u"ControlPanel\\Backlight";
// The user's own time-outs while a hold is in effect: the next start restores them from here.
constexpr char16_t kKeptKey[] = u"Software\\Morvelant\\Backlight";
constexpr char kChangeEvent[] = "BackLightChangeEvent";
constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;

struct Timeout {
  const char16_t* name;
  uint32_t kept;  // 0: nothing kept
};

// Main thread only.
Timeout timeouts[] = {{u"BatteryTimeout", 0}, {u"ACTimeout", 0}};
bool held = false;

void AnnounceChange() {
  if (EventHandle event = CreateNamedEvent(kChangeEvent, false, false)) {
    SetEvent(event);
    CloseEvent(event);
  }
}

// The first hold keeps the user's values, in memory and in the registry.
void KeepUserTimeouts() {
  for (Timeout& timeout : timeouts) {
    RegistryGetNumber(kUser, kBacklightKey, timeout.name, &timeout.kept);
    if (timeout.kept != 0) RegistrySetNumber(kUser, kKeptKey, timeout.name, timeout.kept);
  }
  held = true;
}

void Raise() {
  if (!held) KeepUserTimeouts();
  for (const Timeout& timeout : timeouts)
    RegistrySetNumber(kUser, kBacklightKey, timeout.name, kHeldBacklightTimeout);
}

// Writing back only what a hold raised: the user may have changed the values since an earlier
// restore, and those must not be overwritten with older ones.
void Restore() {
  if (!held) return;
  for (const Timeout& timeout : timeouts) {
    if (timeout.kept != 0) RegistrySetNumber(kUser, kBacklightKey, timeout.name, timeout.kept);
    RegistryDeleteValue(kUser, kKeptKey, timeout.name);
  }
  held = false;
}

}  // namespace

void HoldBacklight(bool hold) {
  if (DisplaySwitchedOff()) return;
  if (!RegistryKeyExists(kUser, kBacklightKey)) return;
  if (hold) {
    Raise();
  } else {
    Restore();
  }
  AnnounceChange();
}

void RecoverBacklightTimeouts() {
  bool recovered = false;
  for (const Timeout& timeout : timeouts) {
    uint32_t kept = 0;
    if (!RegistryGetNumber(kUser, kKeptKey, timeout.name, &kept)) continue;
    if (kept != 0) RegistrySetNumber(kUser, kBacklightKey, timeout.name, kept);
    RegistryDeleteValue(kUser, kKeptKey, timeout.name);
    recovered = true;
  }
  if (recovered) AnnounceChange();
}
