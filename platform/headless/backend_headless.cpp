// The headless backend: the screen surface without a window. Nothing is presented; screenshots
// read the surface. Message boxes are answered by the script's `answer` lines, OK without one.
#include <string>

#include "platform/backend_table.h"
#include "platform/message_box.h"
#include "platform/screen.h"
#include "platform/script.h"

namespace {

int32_t AnswerFromScript(WindowHandle, std::u16string_view, std::u16string_view, uint32_t) {
  std::string answer;
  if (TakeScriptAnswer(&answer) && answer == "cancel") return IDCANCEL;
  return IDOK;
}

bool OpenHeadless(const BackendOptions&) {
  return true;
}

void HeadlessWindowCreated(WindowHandle) {
  SetMessageBoxPresenter(AnswerFromScript);
}

void CloseHeadless() {
  SetMessageBoxPresenter(nullptr);
}

void PresentNothing() {}

void NoCursor(int32_t) {}

// No desktop and no panel of its own: the screen saver is the session bus's, the blanking the
// surface's.
void NoSwitch(bool) {}

}  // namespace

const BackendTable kHeadlessBackend{.name = "headless",
                                    .open = OpenHeadless,
                                    .mainWindowCreated = HeadlessWindowCreated,
                                    .close = CloseHeadless,
                                    .present = PresentNothing,
                                    .showCursor = NoCursor,
                                    .capture = CaptureScreen,
                                    .holdScreenSaver = NoSwitch,
                                    .displayPower = NoSwitch};
