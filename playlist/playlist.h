// The playlist: the one list of entries in memory, its three file formats, stepping with
// shuffle and repeat, the playlist view and the open dialogs.
//
// Threads: everything here runs on the main window's thread, except StepPlaylist (and the
// ReorderPlaylist it may call), which AdvanceAfterItem runs at the end of the video thread;
// the main thread does not open the next item before that thread has finished. The indices are
// atomics so that the main thread may read them at any time; the arrays have no lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "core/player_state.h"
#include "platform/window.h"

constexpr int kPlaylistTextChars = 200;  // Path and Title, terminator included

struct PlaylistEntry {
  char16_t Path[kPlaylistTextChars];   // media path or URL
  char16_t Title[kPlaylistTextChars];  // display title; empty when the source gave none
  int32_t Picked;                      // mark used only while shuffling
  // The entry's place in FileOrder. A start suffix counts in file order, and a reshuffle draws
  // from an order that may already be shuffled, so the entry is found by this, not its place.
  int32_t FileIndex;
};

// The entries in the source's order, and the same entries in playing order (equal to FileOrder
// unless shuffle is on). Row i of the playlist view shows PlayOrder[i]. Both are empty when a
// single file was opened.
extern std::vector<PlaylistEntry> FileOrder;  // W main; R main, video
extern std::vector<PlaylistEntry> PlayOrder;  // W main, video (reshuffle at a wrap); R main, video
// Index of the last entry: 0 for a one-entry list and for no list at all.
extern std::atomic<int32_t> LastIndex;     // W main; R main, video
extern std::atomic<int32_t> CurrentIndex;  // W main, video; R main, video
// 1-based entry asked for by a start suffix, 0 when none; cleared once the first item opens.
extern std::atomic<int32_t> StartEntry;  // W main; R main, video
// Set by the shuffle command, consumed by the next StepPlaylist.
extern std::atomic<uint8_t> ReorderRequest;  // W main, video; R main, video
// The playlist file last loaded, without its start suffix; empty for a dialog selection or a
// single file.
extern char16_t PlaylistPath[kMediaPathChars];  // W main; R main

// ---- Loading (main thread) ----

// Each loader replaces the list with the entries of the file at `path`, which may end in a
// start suffix (a blank and a 0-based entry index, "party.pdl 3"). addRows: append one
// playlist-view row per entry as they are read (false before the view exists). When the file
// gives entries, the first entry to play becomes current (currentPath, startRequest from
// autoPlay); otherwise currentPath is left as it was. ".m3u" and ".py" are the same format.
void LoadPdlPlaylist(const char16_t* path, int addRows);
void LoadM3uPlaylist(const char16_t* path, int addRows);
void LoadPlsPlaylist(const char16_t* path, int addRows);
// Appends the entries of wide text in the ".pdl" layout (one path per line). The text need not
// be terminated.
void ParseEntryList(const char16_t* text, int32_t length, int addRows);
// Releases both arrays and forgets the list: LastIndex and CurrentIndex 0.
void ReleasePlaylist();
// What the window's start timer does before the first item opens: honours StartEntry (clearing
// it) or, with a list, steps to its first entry; then sets currentPath and isUrl.
void SelectStartEntry();

// ---- Views (main thread) ----

// A playlist-view row: the title, or else the path's file name with its extension.
void AddPlaylistRow(const char16_t* path, const char16_t* title);
// A row at the end of the media-information view.
void AddMediaInfoRow(const char16_t* text);
// Refills the playlist view (message kMessageRebuildPlaylist) and selects the current row.
void RebuildPlaylistView();
// A tap in the playlist view: `row` is the row tapped, or -1 below the last row.
void OnPlaylistViewClick(int32_t row);
// The procedure of both list views: focus changes go to the main window as messages 1325 and
// 1326, key presses go to the main window, key releases are dropped, the rest reaches the
// view's previous procedure. InstallListViewProc keeps that previous procedure;
// RestoreListViewProc gives it back.
intptr_t ListViewProc(WindowHandle view, uint32_t message, uintptr_t wParam, intptr_t lParam);
void InstallListViewProc(WindowHandle view);
void RestoreListViewProc(WindowHandle view);

// ---- Navigation ----

// Moves CurrentIndex by +1 or -1, wrapping at both ends (reshuffling at the wrap when shuffle is
// on or a reorder was asked for), and makes that entry current with startRequest set.
// Main thread, or the video thread at an item's end.
void StepPlaylist(int32_t step);
// Shuffle on: a fresh random PlayOrder, seeded from the tick count (tests drive it); StartEntry's
// new position becomes CurrentIndex. Shuffle off: PlayOrder back to FileOrder. Posts
// kMessageRebuildPlaylist to the main window.
void ReorderPlaylist();
// The end of an item (video thread, only when reachedEnd is set): moves on by playlistStep when
// there is a next entry or repeat is on, and resets playlistStep to +1; a single item with
// repeat on is played again.
void AdvanceAfterItem();

// ---- Open dialogs (main thread) ----

enum DialogKind : int32_t { kDialogMedia = 0, kDialogSkin = 1, kDialogPlaylist = 2 };
// The open dialogs of the File menu: media files (a multiple selection becomes a list), a URL
// (urlMode 1), the broadcast source, a skin, or a playlist. A cancel changes nothing.
void OpenFromDialog(WindowHandle window, int32_t urlMode, int32_t broadcast, int32_t kind);
// The media dialog's filter: "SupportedExtensions" of the format table when it can be read.
std::u16string MediaDialogFilter();

// ---- Operations of higher layers ----

// The playlist sits below the engine, the skin's window layout and the video geometry, yet
// its dialogs and clicks must apply a skin, lay out the views and reopen the item. The main
// window fills this table at start-up with those operations; until then each does nothing.
struct PlaylistHooks {
  void (*layoutListViews)() = [] {};
  void (*applySkin)(char16_t* path, WindowHandle window) = [](char16_t*, WindowHandle) {};
  void (*computeGeometry)() = [] {};  // recompute the output geometry after a new skin
  void (*repaintWindow)() = [] {};    // repaint the whole main window
  // Closes the playing item, if any, and opens currentPath.
  void (*restartItem)(WindowHandle window) = [](WindowHandle) {};
};
extern PlaylistHooks playlistHooks;
