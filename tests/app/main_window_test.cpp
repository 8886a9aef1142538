// The start-up library's window: class, title, the creation message during the call, and the
// command bar's menu with its numbers and check marks.
#include <gtest/gtest.h>

#include "app/resources.h"
#include "app/startup_library/startup_library.h"
#include "core/commands.h"

namespace {

CommandBarHandle seenBar;
CommandBarHandle* barSlot;
bool createdDuringCall = false;

intptr_t ProbeProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == WM_CREATE) {
    createdDuringCall = true;
    seenBar = *barSlot;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

std::vector<uint32_t> Commands(MenuHandle menu) {
  std::vector<uint32_t> commands;
  for (const MenuItem& item : menu->items) commands.push_back(item.command);
  return commands;
}

}  // namespace

TEST(MainWindow, CreationBuildsTheMenuWithChecksFromTheSettings) {
  PlayerSettings settings;
  DefaultPlayerSettings(&settings);
  settings.filtering = 1;
  settings.repeat = 0;
  settings.showMediaInfo = 1;
  CommandBarHandle bar = nullptr;
  barSlot = &bar;
  WindowHandle window =
      CreateMainWindow(0, &playerInstance, 1, &settings, &bar, ProbeProc, kActionNames);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(createdDuringCall);
  EXPECT_EQ(seenBar, bar);  // the bar exists before the creation message
  EXPECT_EQ(FindWindow(u"MORVELANT", u"Morvelant"), window);

  MenuHandle menu = CommandBarGetMenu(bar);
  ASSERT_EQ(menu->items.size(), 3u);
  EXPECT_EQ(menu->items[0].text, u"File");
  EXPECT_EQ(Commands(GetSubmenu(GetSubmenu(menu, 0), 0)),
            (std::vector<uint32_t>{40010, 40027, 40035, 40036, 40040}));
  EXPECT_TRUE(FindMenuItem(menu, kCommandOpenReceive)->greyed);
  EXPECT_EQ(Commands(GetSubmenu(GetSubmenu(menu, 0), 1)), std::vector<uint32_t>{40060});
  EXPECT_EQ(Commands(GetSubmenu(menu, 0)),
            (std::vector<uint32_t>{0, 0, 40055, 40034, 40037, 40030, 40039, 40002}));
  EXPECT_EQ(Commands(GetSubmenu(menu, 1)),
            (std::vector<uint32_t>{40012, 40028, 40054, 40031, 40029}));
  EXPECT_EQ(Commands(GetSubmenu(menu, 2)), (std::vector<uint32_t>{40049, 40050}));
  EXPECT_TRUE(FindMenuItem(menu, kCommandFiltering)->checked);
  EXPECT_FALSE(FindMenuItem(menu, kCommandRepeat)->checked);
  EXPECT_TRUE(FindMenuItem(menu, kCommandViewPlaylist)->checked);  // default on
  EXPECT_TRUE(FindMenuItem(menu, kCommandViewMediaInfo)->checked);

  // Chapter items go before "(End of List)" and leave by number.
  ASSERT_TRUE(InsertMenuItem(menu, kCommandEndOfChapters, 40061, u"Intro"));
  ASSERT_TRUE(InsertMenuItem(menu, kCommandEndOfChapters, 40062, u"Outro"));
  EXPECT_EQ(Commands(GetSubmenu(GetSubmenu(menu, 0), 1)),
            (std::vector<uint32_t>{40061, 40062, 40060}));
  EXPECT_TRUE(DeleteMenuItem(menu, 40061));
  EXPECT_EQ(Commands(GetSubmenu(GetSubmenu(menu, 0), 1)), (std::vector<uint32_t>{40062, 40060}));

  DestroyWindow(window);
  CommandBarDestroy(bar);
  Message message;
  while (PeekMessage(&message, true)) {
  }
}
