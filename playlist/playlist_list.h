// The list's own steps shared by the loaders and the open dialog. Main thread.
#pragma once

#include <string_view>
#include <vector>

#include "playlist/playlist_text.h"

// Empty arrays with room for the first 100 entries; LastIndex and CurrentIndex 0.
void StartNewList();
// Appends one entry to both arrays (cut to their width), with a view row when asked.
void AppendEntry(std::u16string_view path, std::u16string_view title, int addRows);
// Appends parsed entries, their relative paths taken from `folder`.
void AppendEntries(const std::vector<ParsedEntry>& entries, std::u16string_view folder,
                   int addRows);
// After the entries are in: when there is at least one, the first entry to play becomes current
// and startRequest follows autoPlay; otherwise nothing else changes.
void FinishNewList();
// currentPath = path, and isUrl from it (the path begins with "http://").
void MakeCurrent(std::u16string_view path);
// Whether a path names a network item: it begins with "http://" (case matters).
bool IsHttpPath(std::u16string_view path);
// Removes the playlist view's rows when the view is switched on.
void ClearPlaylistRowsIfShown();
