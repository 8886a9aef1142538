// The freedesktop screen-saver inhibit. The inhibit lives as long as the connection that asked
// for it, so the connection is opened with the hold and closed with its release (and by the
// kernel when the process dies). Watcher thread only.
#include "platform/screen_saver_bus.h"

#include <dbus/dbus.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

constexpr char kService[] = "org.freedesktop.ScreenSaver";
constexpr char kPath[] = "/org/freedesktop/ScreenSaver";
constexpr int kReplyTimeoutMs = 2000;

DBusConnection* bus = nullptr;  // open while a hold is asked for
uint32_t cookie = 0;
bool inhibited = false;

// The session bus's address; never autolaunched (that would start a bus of our own).
std::string SessionBusAddress() {
  if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address)
    return address;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!runtime || !*runtime) return {};
  const std::string socket = std::string(runtime) + "/bus";
  return access(socket.c_str(), F_OK) == 0 ? "unix:path=" + socket : std::string();
}

void Disconnect() {
  if (!bus) return;
  dbus_connection_close(bus);
  dbus_connection_unref(bus);
  bus = nullptr;
}

bool Connect() {
  const std::string address = SessionBusAddress();
  if (address.empty()) return false;
  DBusError error;
  dbus_error_init(&error);
  bus = dbus_connection_open_private(address.c_str(), &error);
  if (bus) {
    dbus_connection_set_exit_on_disconnect(bus, false);
    if (!dbus_bus_register(bus, &error)) Disconnect();
  }
  dbus_error_free(&error);
  return bus != nullptr;
}

// Sends a call to the screen-saver service and waits for its reply (null on error).
DBusMessage* Call(const char* method, int firstType, ...) {
  DBusMessage* call = dbus_message_new_method_call(kService, kPath, kService, method);
  if (!call) return nullptr;
  va_list arguments;
  va_start(arguments, firstType);
  const bool built = dbus_message_append_args_valist(call, firstType, arguments);
  va_end(arguments);
  DBusError error;
  dbus_error_init(&error);
  DBusMessage* reply =
      built ? dbus_connection_send_with_reply_and_block(bus, call, kReplyTimeoutMs, &error)
            : nullptr;
  dbus_error_free(&error);
  dbus_message_unref(call);
  return reply;
}

}  // namespace

bool InhibitOverSessionBus() {
  if (inhibited) return true;
  if (!bus && !Connect()) return false;
  const char* application = "Morvelant";
  const char* reason = "Playing media";
  DBusMessage* reply =
      Call("Inhibit", DBUS_TYPE_STRING, &application, DBUS_TYPE_STRING, &reason, DBUS_TYPE_INVALID);
  if (reply) {
    inhibited = dbus_message_get_args(reply, nullptr, DBUS_TYPE_UINT32, &cookie, DBUS_TYPE_INVALID);
    dbus_message_unref(reply);
  }
  if (!inhibited) Disconnect();
  return inhibited;
}

void UninhibitOverSessionBus() {
  if (!inhibited) return;
  if (DBusMessage* reply = Call("UnInhibit", DBUS_TYPE_UINT32, &cookie, DBUS_TYPE_INVALID))
    dbus_message_unref(reply);
  inhibited = false;
  Disconnect();
}
