// Holding the backlight: the user's time-outs are raised, put back, never lost, and recovered
// after a player that died during a hold.
#include "device/backlight.h"

#include <gtest/gtest.h>

#include "device/display_power.h"
#include "platform/registry.h"
#include "platform/sync.h"
#include "temp_folder.h"

namespace {

constexpr char16_t kKey[] = u"ControlPanel\\Backlight";
constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;

struct Timeouts {
  uint32_t battery = 0, mains = 0;
  bool operator==(const Timeouts&) const = default;
};

Timeouts Read() {
  Timeouts values;
  RegistryGetNumber(kUser, kKey, u"BatteryTimeout", &values.battery);
  RegistryGetNumber(kUser, kKey, u"ACTimeout", &values.mains);
  return values;
}

void Write(Timeouts values) {
  RegistrySetNumber(kUser, kKey, u"BatteryTimeout", values.battery);
  RegistrySetNumber(kUser, kKey, u"ACTimeout", values.mains);
}

class Backlight : public testing::Test {
 protected:
  void SetUp() override {
    RegistryLoad(home.path, home / "none.reg");
    Write(kUsers);
    changes = CreateNamedEvent("BackLightChangeEvent", false, false);
  }
  void TearDown() override {
    HoldBacklight(false);  // no hold outlives its test
    CloseEvent(changes);
  }
  bool Announced() { return WaitForEvent(changes, 0) == WAIT_OBJECT_0; }

  static constexpr Timeouts kUsers{30, 120};
  static constexpr Timeouts kRaised{61439, 61439};
  TempFolder home;
  EventHandle changes = nullptr;
};

TEST_F(Backlight, HoldRaisesRestorePutsTheUsersValuesBackAndEachIsAnnounced) {
  HoldBacklight(true);
  EXPECT_EQ(Read(), kRaised);
  EXPECT_TRUE(Announced());
  HoldBacklight(false);
  EXPECT_EQ(Read(), kUsers);
  EXPECT_TRUE(Announced());
  HoldBacklight(true);  // resuming raises them again
  EXPECT_EQ(Read(), kRaised);
}

TEST_F(Backlight, ASecondHoldKeepsTheUsersValues) {
  HoldBacklight(true);
  HoldBacklight(true);  // the next item starts at once: the raised values are not the user's
  HoldBacklight(false);
  EXPECT_EQ(Read(), kUsers);
}

TEST_F(Backlight, ARestoreWithoutAHoldLeavesValuesTheUserChangedSince) {
  HoldBacklight(true);
  HoldBacklight(false);
  Write({45, 600});      // changed in the control panel while the player was paused
  HoldBacklight(false);  // closing the player
  EXPECT_EQ(Read(), (Timeouts{45, 600}));
  HoldBacklight(true);
  HoldBacklight(false);
  EXPECT_EQ(Read(), (Timeouts{45, 600}));
}

TEST_F(Backlight, NothingHappensWithTheDisplayOffOrWithoutTheKey) {
  ToggleDisplayPower(false);
  ASSERT_TRUE(DisplaySwitchedOff());
  HoldBacklight(true);
  ToggleDisplayPower(false);
  EXPECT_EQ(Read(), kUsers);
  EXPECT_FALSE(Announced());

  TempFolder empty;
  RegistryLoad(empty.path, empty / "none.reg");
  HoldBacklight(true);
  EXPECT_FALSE(RegistryKeyExists(kUser, kKey));
  EXPECT_FALSE(Announced());
}

TEST_F(Backlight, TheNextStartRecoversTheValuesOfAPlayerThatDiedHolding) {
  HoldBacklight(true);
  ASSERT_TRUE(Announced());
  // What a new process finds: the files as the held player left them.
  RegistryLoad(home.path, home / "none.reg");
  ASSERT_EQ(Read(), kRaised);
  RecoverBacklightTimeouts();
  EXPECT_EQ(Read(), kUsers);
  EXPECT_TRUE(Announced());
  RegistryLoad(home.path, home / "none.reg");
  RecoverBacklightTimeouts();  // recovered once: a later start changes nothing
  EXPECT_EQ(Read(), kUsers);
  EXPECT_FALSE(Announced());
}

}  // namespace
