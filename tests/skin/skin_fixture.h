// Small skins made by the tests: files in a temporary folder, plain-coloured images, a main
// window that records the commands it receives, and hooks that record the transport calls.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "../platform/temp_folder.h"
#include "core/player_state.h"
#include "platform/png_file.h"
#include "platform/screen.h"
#include "platform/text.h"
#include "skin/skin.h"

// A PNG of one colour (16-bit pixel value).
inline void WriteImage(const std::string& path, int32_t width, int32_t height, uint16_t pixel) {
  std::vector<uint16_t> pixels(size_t(width) * height, pixel);
  ASSERT_TRUE(WritePng(path, pixels.data(), width, height));
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// One element block in the file's own form.
inline std::string Block(const std::string& name, int left, int top, int width, int height,
                         const std::string& more = "") {
  return name + "\r\nLeft=" + std::to_string(left) + "\r\nTop=" + std::to_string(top) +
         "\r\nWidth=" + std::to_string(width) + "\r\nHeight=" + std::to_string(height) + "\r\n" +
         more + "\r\n";
}

struct Recorded {
  static inline std::vector<uint32_t> commands;
  static inline int playPauses = 0;
  static inline std::vector<int32_t> seeks;
  static inline ItemFacts item;
  static inline PlaylistPosition list;
  static void Clear() {
    commands.clear();
    playPauses = 0;
    seeks.clear();
    item = {};
    list = {};
  }
};

inline intptr_t RecordingWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                                    intptr_t lParam) {
  if (message == WM_COMMAND) Recorded::commands.push_back(static_cast<uint32_t>(wParam));
  return DefWindowProc(window, message, wParam, lParam);
}

// A headless screen with a main window over it and recording hooks.
struct SkinScreenTest : ::testing::Test {
  TempFolder folder;
  void SetUp() override {
    ASSERT_TRUE(OpenScreen(320, 240));
    screenWidth = 320;
    screenHeight = 240;
    mainWindow = CreateWindow({.procedure = RecordingWindowProc, .bounds = {0, 0, 320, 240}});
    Recorded::Clear();
    SetSkinHooks({
        .playPause = [] { ++Recorded::playPauses; },
        .seekTo = [](int32_t percent) { Recorded::seeks.push_back(percent); },
        .describeItem = [] { return Recorded::item; },
        .playlistPosition = [] { return Recorded::list; },
    });
    skin = Skin{};
    screenTakeover = 0;
    paused = 0;
    playerSettings = PlayerSettings{};
  }
  void TearDown() override {
    DeleteBitmap(skin.BackgroundImage);
    DeleteBitmap(skin.ButtonsImage);
    skin = Skin{};
    DestroyWindow(mainWindow);
    mainWindow = nullptr;
    playlistView = mediaInfoView = nullptr;
    SetSkinHooks({});
    CloseScreen();
  }
  static uint16_t ScreenAt(int32_t x, int32_t y) { return ScreenPixels()[y * ScreenWidth() + x]; }
};
