// Inside the platform layer: the table of functions a backend provides. One table is chosen
// by OpenBackend; the null table (no window, nothing presented) serves until then, so callers
// never test an entry for null.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/backend.h"

struct BackendTable {
  const char* name;
  // Main thread.
  bool (*open)(const BackendOptions& options);
  void (*mainWindowCreated)(WindowHandle mainWindow);
  void (*close)();
  // Any thread: the screen surface changed and should be shown; must not block.
  void (*present)();
  // Main thread: the cursor to show (a standard cursor number, 0 for none).
  void (*showCursor)(int32_t cursor);
  // Main thread, between messages: the screen as presented (screen-sized 16-bit pixels).
  std::vector<uint16_t> (*capture)();
  // Any thread: hold the desktop's screen saver off (true) or let it run again; must not block.
  void (*holdScreenSaver)(bool hold);
  // Main thread: the display panel itself switched on or off, where the backend can.
  void (*displayPower)(bool on);
};

const BackendTable& ActiveBackend();
extern const BackendTable kHeadlessBackend;
extern const BackendTable kSdlBackend;
