// Display power, the system bars and the task bar's auto-hide value.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/player_state.h"
#include "device/display_power.h"
#include "device/system_bars.h"
#include "platform/drawing.h"
#include "platform/registry.h"
#include "platform/screen.h"
#include "temp_folder.h"

namespace {

bool ScreenIsBlack() {
  const std::vector<uint16_t> shown = CaptureScreen();
  return std::all_of(shown.begin(), shown.end(), [](uint16_t pixel) { return pixel == 0; });
}

TEST(DisplayPower, TheKeyTogglesAndActivationOnlySwitchesOn) {
  OpenScreen(64, 48);
  DeviceContextHandle screen = GetDC(nullptr);
  FillRect(screen, {0, 0, 64, 48}, RGB(255, 255, 255));
  ReleaseDC(nullptr, screen);

  struct Step {
    bool onlySwitchOn;
    bool offAfter;
  };
  const Step steps[] = {
      {true, false},   // activation while on: stays on
      {false, true},   // the display key: off
      {false, false},  // the key again: on
      {false, true},   // off
      {true, false},   // activation while off: on
  };
  for (const Step& step : steps) {
    ToggleDisplayPower(step.onlySwitchOn);
    EXPECT_EQ(DisplaySwitchedOff(), step.offAfter);
    EXPECT_EQ(DisplayPowerOn(), !step.offAfter);
    EXPECT_EQ(ScreenIsBlack(), step.offAfter);  // the picture behind is kept, only not shown
  }
}

TEST(SystemBars, HidingDisablesTheCommandBarAndShowingGivesItBack) {
  commandBar = CommandBarCreate(nullptr, CreateMenu());
  ShowSystemBars(false);
  EXPECT_FALSE(CommandBarIsVisible(commandBar));
  EXPECT_FALSE(CommandBarIsEnabled(commandBar));
  ShowSystemBars(true);
  EXPECT_TRUE(CommandBarIsVisible(commandBar));
  EXPECT_TRUE(CommandBarIsEnabled(commandBar));
  CommandBarDestroy(commandBar);
  commandBar = nullptr;
}

TEST(SystemBars, AutoHideWritesTheDefaultValue) {
  TempFolder home;
  RegistryLoad(home.path, home / "none.reg");
  uint32_t value = 7;
  for (const bool on : {true, false}) {
    SetTaskBarAutoHide(on);
    ASSERT_TRUE(RegistryGetNumber(RegistryRoot::LocalMachine,
                                  u"Software\\Microsoft\\Shell\\AutoHide", u"Default", &value));
    EXPECT_EQ(value, on ? 1u : 0u);
  }
}

}  // namespace
