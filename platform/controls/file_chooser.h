// The file chooser (the role of GetFileName.DLL, ordinal 1): a modal box that browses folders
// from the initial folder and shows the files matching the filter, or, in URL mode, takes an
// address. Tapping a folder enters it (".." goes up); tapping a file ticks or unticks it, and
// OK returns the ticked files in the order they were ticked. Main thread.
//
// A script answers it with "cancel", "ok" (the ticked files), or paths separated by '|'
// (relative ones from the folder shown; each must name an existing file), or in URL mode with
// the address.
#pragma once

#include <cstdint>

#include "platform/window.h"

// The 32-bit value handed through from the settings: bit 0 shows hidden files (names starting
// with '.'); the other bits are ignored.
constexpr int32_t kChooserShowHidden = 1;

// filter: comma-separated wildcard patterns ('*' and '?', any case), e.g. "*.divx,*.avi".
// initialFolder: where browsing starts; null or empty: the folder of the last choice, else the
// home folder. result: receives one path (terminated) when one is chosen; resultChars is its
// size. selection: receives a list of several chosen paths, each followed by "\r\n"; it stays
// valid until the next call and is not released by the caller.
// Returns 0 on cancel, 1 with the path in `result`, or the number of paths in the list (> 1).
// A path that does not fit `result` cannot be chosen (the box says so).
int32_t ChooseFile(WindowHandle owner, const char16_t* filter, const char16_t* initialFolder,
                   char16_t* result, int32_t resultChars, const char16_t** selection,
                   int32_t passThrough, int32_t urlMode);

// Whether a file name matches one of the comma-separated patterns, ignoring case.
bool MatchesFilter(std::u16string_view name, std::u16string_view filter);
