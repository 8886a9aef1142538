#include "core/player_state.h"

PlayerSettings playerSettings;
char16_t currentPath[kMediaPathChars];
uint8_t isUrl;
char16_t commandLineSkin[kSkinPathChars];
int32_t screenWidth = 640, screenHeight = 480;
WindowHandle mainWindow;
CommandBarHandle commandBar;
uint32_t startupVolume;
WindowHandle playlistView, mediaInfoView;

std::atomic<uint8_t> paused, stopRequested, fastForward, busy, userStopped, reachedEnd;
std::atomic<int32_t> playlistStep{1};
std::atomic<uint8_t> startRequest, closing, screenTakeover;
std::atomic<uint32_t> videoThreadId;
std::atomic<int32_t> drawLevel{2};
std::atomic<uint8_t> previousFrameDrawn;
std::atomic<int32_t> targetFrame, videoFrame, framesToPlay, durationMs;
std::atomic<uint32_t> clockStartTick;
std::atomic<int64_t> audioSpan;
std::atomic<int32_t> droppedFrames;
std::atomic<uint8_t> altRotation;

int32_t pictureWidth, pictureHeight;
uint16_t* pictureBuffer;
BitmapHandle stillBitmap;
