// Backend selection and the parts every backend shares: the journal, the screen, the script.
#include "platform/backend.h"

#include <atomic>

#include "platform/backend_table.h"

namespace {

void NoPresent() {}
void NoCursor(int32_t) {}
bool NoOpen(const BackendOptions&) {
  return true;
}
void NoWindow(WindowHandle) {}
void NoClose() {}

// Until a backend is opened (tests that only draw): nothing is shown.
const BackendTable kNullBackend{.name = "headless",
                                .open = NoOpen,
                                .mainWindowCreated = NoWindow,
                                .close = NoClose,
                                .present = NoPresent,
                                .showCursor = NoCursor};

std::atomic<const BackendTable*> active{&kNullBackend};

}  // namespace

const BackendTable& ActiveBackend() {
  return *active.load();
}

const char* BackendName() {
  return ActiveBackend().name;
}
