// The screen saver is held off while the backlight is held: the backend's switch and the
// freedesktop inhibit on a private session bus, answered by a small screen-saver service.
#include "platform/screen_saver.h"

#include <dbus/dbus.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/backlight.h"
#include "platform/registry.h"
#include "temp_folder.h"

namespace {

constexpr char kService[] = "org.freedesktop.ScreenSaver";
constexpr uint32_t kCookie = 42;

// A dbus-daemon of the test's own.
struct SessionBus {
  std::string address;
  pid_t pid = 0;
  SessionBus() {
    FILE* output = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
    if (!output) return;
    char line[512] = {};
    if (std::fgets(line, sizeof line, output))
      address = std::string(line, std::strcspn(line, "\n"));
    if (std::fgets(line, sizeof line, output)) pid = std::atoi(line);
    pclose(output);
  }
  ~SessionBus() {
    if (pid > 0) kill(pid, SIGTERM);
  }
};

// Answers Inhibit with a cookie and records every call it receives.
class ScreenSaverService {
 public:
  bool Start(const std::string& address) {
    connection = dbus_connection_open_private(address.c_str(), nullptr);
    if (!connection || !dbus_bus_register(connection, nullptr)) return false;
    if (dbus_bus_request_name(connection, kService, DBUS_NAME_FLAG_DO_NOT_QUEUE, nullptr) !=
        DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER)
      return false;
    thread = std::thread([this] { Serve(); });
    return true;
  }
  ~ScreenSaverService() {
    stop = true;
    if (thread.joinable()) thread.join();
    if (connection) {
      dbus_connection_close(connection);
      dbus_connection_unref(connection);
    }
  }
  std::vector<std::string> Calls() {
    std::lock_guard<std::mutex> hold(lock);
    return calls;
  }

 private:
  void Answer(DBusMessage* call) {
    DBusMessage* reply = dbus_message_new_method_return(call);
    const std::string member = dbus_message_get_member(call);
    std::string seen = member;
    if (member == "Inhibit") {
      dbus_message_append_args(reply, DBUS_TYPE_UINT32, &kCookie, DBUS_TYPE_INVALID);
    } else {
      uint32_t cookie = 0;
      dbus_message_get_args(call, nullptr, DBUS_TYPE_UINT32, &cookie, DBUS_TYPE_INVALID);
      seen = member + ' ' + std::to_string(cookie);
    }
    {
      std::lock_guard<std::mutex> hold(lock);  // recorded before the caller hears the reply
      calls.push_back(seen);
    }
    dbus_connection_send(connection, reply, nullptr);
    dbus_message_unref(reply);
  }
  void Serve() {
    while (!stop && dbus_connection_read_write(connection, 20)) {
      while (DBusMessage* message = dbus_connection_pop_message(connection)) {
        if (dbus_message_get_type(message) == DBUS_MESSAGE_TYPE_METHOD_CALL &&
            dbus_message_has_interface(message, kService))
          Answer(message);
        dbus_message_unref(message);
      }
    }
  }

  DBusConnection* connection = nullptr;
  std::thread thread;
  std::atomic<bool> stop{false};
  std::mutex lock;
  std::vector<std::string> calls;
};

template <typename Condition>
bool Eventually(Condition condition) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

void UseRegistry(const TempFolder& home) {
  RegistryLoad(home.path, home / "none.reg");
  RegistrySetNumber(RegistryRoot::CurrentUser, u"ControlPanel\\Backlight", u"BatteryTimeout", 30);
  RegistrySetNumber(RegistryRoot::CurrentUser, u"ControlPanel\\Backlight", u"ACTimeout", 120);
}

TEST(ScreenSaver, HeldOffOverTheSessionBusWhileTheBacklightIsHeld) {
  SessionBus bus;
  ASSERT_FALSE(bus.address.empty()) << "dbus-daemon could not start";
  ScreenSaverService service;
  ASSERT_TRUE(service.Start(bus.address));
  setenv("DBUS_SESSION_BUS_ADDRESS", bus.address.c_str(), 1);
  TempFolder home;
  UseRegistry(home);

  WatchBacklightChanges();
  EXPECT_FALSE(ScreenSaverHeld());
  HoldBacklight(true);
  EXPECT_TRUE(Eventually([&] { return service.Calls().size() == 1; }));
  EXPECT_TRUE(ScreenSaverHeld());
  HoldBacklight(true);  // the next item: still one inhibit
  HoldBacklight(false);
  EXPECT_TRUE(Eventually([&] { return service.Calls().size() == 2; }));
  EXPECT_FALSE(ScreenSaverHeld());
  EXPECT_EQ(service.Calls(), (std::vector<std::string>{"Inhibit", "UnInhibit 42"}));

  HoldBacklight(true);
  EXPECT_TRUE(Eventually([&] { return service.Calls().size() == 3; }));
  StopWatchingBacklightChanges();  // the player closes while holding: the inhibit goes too
  EXPECT_FALSE(ScreenSaverHeld());
  EXPECT_EQ(service.Calls().back(), "UnInhibit 42");
  HoldBacklight(false);
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

TEST(ScreenSaver, WithoutASessionBusTheHoldStillFollowsTheBacklight) {
  TempFolder home;
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  setenv("XDG_RUNTIME_DIR", home.path.c_str(), 1);  // no "bus" socket there
  UseRegistry(home);
  WatchBacklightChanges();
  HoldBacklight(true);
  EXPECT_TRUE(Eventually([] { return ScreenSaverHeld(); }));
  HoldBacklight(false);
  EXPECT_TRUE(Eventually([] { return !ScreenSaverHeld(); }));
  StopWatchingBacklightChanges();
}

}  // namespace
