// The command message: the chapter items, then a table from each command number to what it
// does. Settings toggles keep their menu check marks; the buttons of settings show their new
// look before the setting changes.
#include <iterator>

#include "app/command_dialogs.h"
#include "app/companion_programs.h"
#include "app/window_handlers.h"
#include "core/commands.h"
#include "core/player_state.h"
#include "core/shared_word.h"
#include "media/reader_state.h"
#include "platform/text.h"
#include "playback/output_setup.h"
#include "playback/transport.h"
#include "playlist/playlist.h"
#include "skin/skin.h"

namespace {

using SettingsFlag = uint8_t PlayerSettings::*;

// Flips the setting and gives its menu item the check mark when it is now on.
void Toggle(uint32_t command, SettingsFlag flag) {
  uint8_t& value = playerSettings.*flag;
  // The playback threads read some of these flags while they play.
  StoreSharedWord(value, uint8_t(value == 0 ? 1 : 0));
  CheckMenuItem(CommandBarGetMenu(commandBar), command, value == 1);
}

// Drawn before the setting changes: pushed when it is being switched on.
void ButtonLook(SkinElement& button, SettingsFlag flag) {
  if (playerSettings.*flag == 0) {
    DrawElementPushed(button);
  } else {
    DrawElementNormal(button);
  }
}

// While a playback runs, the list is reshuffled (or put back) at once; the item plays on.
void ToggleShuffle(WindowHandle) {
  Toggle(kCommandShuffle, &PlayerSettings::shuffle);
  if (videoThreadId == 0) return;
  CurrentIndex = LastIndex.load();
  ReorderRequest = 1;
  StepPlaylist(+1);
}

void ToggleEqualizer(WindowHandle) {
  ButtonLook(skin.EQButton, &PlayerSettings::equalizerOn);
  playerSettings.equalizerOn = playerSettings.equalizerOn == 0 ? 1 : 0;
  ApplyEqualizerToDecoder();
}

template <int32_t urlMode, int32_t broadcast, int32_t kind>
void Open(WindowHandle window) {
  OpenFromDialog(window, urlMode, broadcast, kind);
}

struct CommandHandler {
  uint32_t command;
  void (*run)(WindowHandle window);
};

constexpr CommandHandler kCommands[] = {
    {kCommandExit, [](WindowHandle window) { DestroyWindow(window); }},
    {kCommandPlayPause, [](WindowHandle) { PlayPause(); }},
    {kCommandRotate,
     [](WindowHandle window) {
       ButtonLook(skin.RotateButton, &PlayerSettings::rotate);
       ToggleDisplayOption(window, &playerSettings.rotate);
     }},
    {kCommandStop, StopItem},
    {kCommandOpenFile, Open<0, 0, kDialogMedia>},
    {kCommandFullScreen,
     [](WindowHandle window) {
       ButtonLook(skin.FullScreenButton, &PlayerSettings::fullScreen);
       ToggleDisplayOption(window, &playerSettings.fullScreen);
     }},
    {kCommandFiltering,
     [](WindowHandle window) {
       Toggle(kCommandFiltering, &PlayerSettings::filtering);
       ToggleDisplayOption(window, nullptr);
     }},
    {kCommandFastForward, [](WindowHandle) { ToggleFastForward(); }},
    {kCommandNextItem, NextItem},
    {kCommandOpenUrl, Open<1, 0, kDialogMedia>},
    {kCommandShuffle, ToggleShuffle},
    {kCommandConfigure, ShowOptions},
    {kCommandAbout, ShowAbout},
    {kCommandEqualizer, ShowEqualizer},
    {kCommandPreviousItem, PreviousItem},
    {kCommandEqualizerOnOff, ToggleEqualizer},
    {kCommandPlaylistEditor, [](WindowHandle) { StartPlaylistEditor(WideView(PlaylistPath)); }},
    {kCommandOpenReceive, Open<0, 1, kDialogMedia>},
    {kCommandOpenSkin, Open<0, 0, kDialogSkin>},
    {kCommandMediaInfo, ShowMediaInfo},
    {kCommandMute, [](WindowHandle) { ToggleMute(); }},
    {kCommandHelp, OpenManual},
    {kCommandOpenPlaylist, Open<0, 0, kDialogPlaylist>},
    {kCommandViewPlaylist,
     [](WindowHandle) {
       Toggle(kCommandViewPlaylist, &PlayerSettings::showPlaylist);
       LayoutListViews();
     }},
    {kCommandViewMediaInfo,
     [](WindowHandle) {
       Toggle(kCommandViewMediaInfo, &PlayerSettings::showMediaInfo);
       LayoutListViews();
     }},
    {kCommandSizeToViewport,
     [](WindowHandle window) {
       Toggle(kCommandSizeToViewport, &PlayerSettings::sizeToViewport);
       ToggleDisplayOption(window, nullptr);
     }},
    {kCommandRepeat,
     [](WindowHandle) {
       ButtonLook(skin.RepeatButton, &PlayerSettings::repeat);
       Toggle(kCommandRepeat, &PlayerSettings::repeat);
     }},
    {kCommandJumpTo, ShowJumpTo},
};

// Chapter n (from 40061) is counted from the end of the descriptor's list.
void SeekToChapter(uint32_t command) {
  if (!currentDescriptor) return;
  const int32_t chapters = currentDescriptor->ChapterCount;
  const int32_t number = static_cast<int32_t>(command);
  if (number <= static_cast<int32_t>(kCommandEndOfChapters) ||
      number > static_cast<int32_t>(kCommandEndOfChapters) + chapters)
    return;
  SeekTo(chapters + static_cast<int32_t>(kCommandEndOfChapters) - number, 1, 0);
}

}  // namespace

intptr_t OnCommand(WindowHandle window, uintptr_t wParam, intptr_t lParam) {
  const uint32_t command = static_cast<uint32_t>(wParam & 0xFFFF);
  for (const CommandHandler& handler : kCommands) {
    if (handler.command != command) continue;
    handler.run(window);
    return 0;
  }
  SeekToChapter(command);
  return DefWindowProc(window, WM_COMMAND, wParam, lParam);
}

intptr_t OnHelp(WindowHandle window, uintptr_t, intptr_t) {
  OpenManual(window);
  return 0;
}
