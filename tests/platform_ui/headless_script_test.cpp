// The whole road under --headless: a script taps the File menu's title and its Jump To item,
// answers the dialog that command opens, and quits; the journal records the box.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "../platform/temp_folder.h"
#include "app/resources.h"
#include "app/startup_library/startup_dialogs.h"
#include "app/startup_library/startup_library.h"
#include "core/commands.h"
#include "platform/backend.h"
#include "platform/controls/command_bar_view.h"
#include "platform/controls/menu_popup.h"

namespace {

int32_t jumpResult = 0;

intptr_t PlayerLikeProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == WM_COMMAND && (wParam & 0xFFFF) == kCommandJumpTo) {
    jumpResult = JumpTo(window, 0);
    return 0;
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProc(window, message, wParam, lParam);
}

TEST(HeadlessScript, AMenuChoiceOpensJumpToWhichTheScriptAnswers) {
  TempFolder folder;
  PlayerSettings settings;
  DefaultPlayerSettings(&settings);
  std::ofstream(folder / "run.txt") << "tap 15 12\n"  // the File title
                                       "tap 30 77\n"  // its third item, Jump To
                                       "answer 1:02:05\n"
                                       "quit\n";
  ASSERT_TRUE(OpenBackend({.headless = true,
                           .screenWidth = 320,
                           .screenHeight = 240,
                           .script = folder / "run.txt",
                           .journal = folder / "journal.jsonl"}));
  CommandBarHandle bar = nullptr;
  WindowHandle window =
      CreateMainWindow(0, &playerInstance, 1, &settings, &bar, PlayerLikeProc, kActionNames);
  ASSERT_NE(window, nullptr);
  CommandBarCreateView(bar);
  // The item's place, as the menu lays it out.
  const Rect title = CommandBarTitleRect(bar, 0);
  const Rect item =
      PopupItemRect(PopupRect(GetSubmenu(CommandBarGetMenu(bar), 0), title.left, title.bottom), 2);
  ASSERT_TRUE(title.left <= 15 && 15 < title.right);
  ASSERT_TRUE(item.top <= 77 && 77 < item.bottom && item.left <= 30);
  BackendMainWindowCreated(window);
  Message message;
  while (GetMessage(&message)) DispatchMessage(&message);
  CloseBackend();
  CommandBarDestroy(bar);

  EXPECT_EQ(jumpResult, 3725);
  std::ifstream file(folder / "journal.jsonl");
  std::stringstream journal;
  journal << file.rdbuf();
  EXPECT_NE(journal.str().find("\"event\":\"dialog\",\"name\":\"Jump To\""), std::string::npos)
      << journal.str();
}

}  // namespace
