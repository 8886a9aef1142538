// A main window as the player has one: made by the start-up library with the player's menu,
// the command bar's view on it, and a procedure that records what it receives.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/player_settings.h"
#include "platform/drawing.h"
#include "platform/menu.h"
#include "platform/window.h"

constexpr int32_t kTestScreenWidth = 320;
constexpr int32_t kTestScreenHeight = 240;
constexpr uint32_t kWindowBackground = 0x006000;  // the main window paints itself green

class UiTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Handles every queued message (a box opened by one of them consumes the input after it).
  void Pump();
  void Tap(int32_t x, int32_t y);
  void PostPen(uint32_t message, int32_t x, int32_t y);
  void Key(uint32_t virtualKey);
  void Char(char16_t c);
  // Runs `probe` from inside whatever modal loop is running when the queue reaches it.
  void Probe(std::function<void()> probe);
  // Writes the screen under build/screenshots/.
  void Screenshot(const std::string& name);
  MenuHandle Menu() const { return CommandBarGetMenu(bar); }

  PlayerSettings settings{};
  CommandBarHandle bar = nullptr;
  WindowHandle mainWindow = nullptr;
  WindowHandle barView = nullptr;

 public:
  static std::vector<std::string> received;  // what the main window was sent, in order
};

// The screen pixel as a 0x00BBGGRR colour.
uint32_t ScreenColor(int32_t x, int32_t y);
// A colour as the 16-bit screen keeps it.
uint32_t Rounded(uint32_t color);
