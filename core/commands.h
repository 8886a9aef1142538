// Command numbers delivered in WM_COMMAND, and the player's private window messages. They live
// in the bottom layer because the engine, the skin and the playlist send them too.
#pragma once

#include <cstdint>

constexpr uint32_t kCommandExit = 40002;
constexpr uint32_t kCommandPlayPause = 40004;
constexpr uint32_t kCommandRotate = 40005;
constexpr uint32_t kCommandStop = 40008;
constexpr uint32_t kCommandOpenFile = 40010;
constexpr uint32_t kCommandFullScreen = 40011;
constexpr uint32_t kCommandFiltering = 40012;
constexpr uint32_t kCommandFastForward = 40016;
constexpr uint32_t kCommandNextItem = 40026;
constexpr uint32_t kCommandOpenUrl = 40027;
constexpr uint32_t kCommandShuffle = 40028;
constexpr uint32_t kCommandConfigure = 40029;
constexpr uint32_t kCommandAbout = 40030;
constexpr uint32_t kCommandEqualizer = 40031;
constexpr uint32_t kCommandPreviousItem = 40032;
constexpr uint32_t kCommandEqualizerOnOff = 40033;
constexpr uint32_t kCommandPlaylistEditor = 40034;
constexpr uint32_t kCommandOpenReceive = 40035;
constexpr uint32_t kCommandOpenSkin = 40036;
constexpr uint32_t kCommandMediaInfo = 40037;
constexpr uint32_t kCommandMute = 40038;
constexpr uint32_t kCommandHelp = 40039;
constexpr uint32_t kCommandOpenPlaylist = 40040;
constexpr uint32_t kCommandViewPlaylist = 40049;
constexpr uint32_t kCommandViewMediaInfo = 40050;
constexpr uint32_t kCommandSizeToViewport = 40053;
constexpr uint32_t kCommandRepeat = 40054;
constexpr uint32_t kCommandJumpTo = 40055;
constexpr uint32_t kCommandEndOfChapters = 40060;  // "(End of List)"; chapters from 40061

constexpr uint32_t kMessageWaitCursor = 1134;
constexpr uint32_t kMessagePlaybackEnded = 1135;
constexpr uint32_t kMessageListFocusGained = 1325;
constexpr uint32_t kMessageListFocusLost = 1326;
constexpr uint32_t kMessageRebuildPlaylist = 1425;
