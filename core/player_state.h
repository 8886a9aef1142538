// Player-wide state: plain globals shared by every part of the player. Flags and counters that
// several threads touch are atomics of the stated width; the comment beside each names the
// threads that write (W) and read (R) it: main = the main window's thread, video, audio,
// callback = the wave-out buffer-done callback.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/player_settings.h"
#include "platform/drawing.h"
#include "platform/menu.h"
#include "platform/window.h"

constexpr int kMediaPathChars = 200;
constexpr int kSkinPathChars = 256;

extern PlayerSettings playerSettings;             // W main (load, dialogs, toggles); R all
extern char16_t currentPath[kMediaPathChars];     // W main; R main, video
extern uint8_t isUrl;                             // with currentPath
extern char16_t commandLineSkin[kSkinPathChars];  // W start-up; R main, video
extern int32_t screenWidth, screenHeight;         // W start-up, once; R all
extern WindowHandle mainWindow;                   // W start-up; R all
extern CommandBarHandle commandBar;               // W start-up; R main, video (its bars)
extern uint32_t startupVolume;                    // W start-up; R main at exit
// The skin's two list views, children of the main window; null while absent.
extern WindowHandle playlistView;   // W main (ApplySkin); R main
extern WindowHandle mediaInfoView;  // W main (ApplySkin); R main

extern std::atomic<uint8_t> paused;              // W main; R video, audio
extern std::atomic<uint8_t> stopRequested;       // W main, video, audio; R video, audio
extern std::atomic<uint8_t> fastForward;         // W main, video; R video, audio
extern std::atomic<uint8_t> busy;                // W main, video; R main
extern std::atomic<uint8_t> userStopped;         // W main; R video
extern std::atomic<uint8_t> reachedEnd;          // W main, video, audio; R video
extern std::atomic<int32_t> playlistStep;        // W main, video; R video
extern std::atomic<uint8_t> startRequest;        // W main; R video
extern std::atomic<uint8_t> closing;             // W main; R video
extern std::atomic<uint8_t> screenTakeover;      // W main; R main, video
extern std::atomic<uint32_t> videoThreadId;      // W main, video; R main
extern std::atomic<int32_t> drawLevel;           // W main, video; R video
extern std::atomic<uint8_t> previousFrameDrawn;  // W main, video; R video
extern std::atomic<int32_t> targetFrame;         // W callback, video; R video
extern std::atomic<int32_t> videoFrame;          // W video; R main
extern std::atomic<int32_t> framesToPlay;        // W main, video, callback; R all
extern std::atomic<int32_t> durationMs;          // W main, video; R callback
extern std::atomic<uint32_t> clockStartTick;     // W main, video; R video
extern std::atomic<int64_t> audioSpan;           // W main, audio; R callback
extern std::atomic<int32_t> droppedFrames;       // W video; R main
extern std::atomic<uint8_t> altRotation;         // W main at creation; R main

// The current picture: its size (the item's, or its cover picture's), the buffer a still frame
// is drawn into, and the bitmap the paint handler shows while paused. W main while no video
// thread runs (opening); R main, video.
extern int32_t pictureWidth, pictureHeight;
extern uint16_t* pictureBuffer;
extern BitmapHandle stillBitmap;  // W main; R main (paint)
