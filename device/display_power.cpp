#include "device/display_power.h"

#include "platform/drawing.h"

namespace {

// The last state the player set; main thread only.
VideoPowerManagement powerRecord{
    .length = sizeof(VideoPowerManagement), .version = 1, .powerState = VideoPowerOn};

}  // namespace

void ToggleDisplayPower(bool onlySwitchOn) {
  if (onlySwitchOn && powerRecord.powerState == VideoPowerOn) return;
  const uint32_t next = powerRecord.powerState == VideoPowerOn ? VideoPowerOff : VideoPowerOn;
  powerRecord = {.length = sizeof(VideoPowerManagement), .version = 1, .powerState = next};
  DeviceContextHandle screen = GetDC(nullptr);
  ExtEscape(screen, SETPOWERMANAGEMENT, sizeof(powerRecord), &powerRecord);
  ReleaseDC(nullptr, screen);
}

bool DisplaySwitchedOff() {
  return powerRecord.powerState == VideoPowerOff;
}
