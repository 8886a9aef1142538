// Loading a playlist file, for the loaders, the open dialog and morvelant-probe. Main thread.
#pragma once

#include <string_view>

#include "playlist/playlist_text.h"

// Replaces the list with the entries of the file at `path` (no start suffix). False when the
// file cannot be read (the list is then empty and PlaylistPath names the file).
bool LoadPlaylistFile(std::u16string_view path, PlaylistFormat format, int addRows);
// The same after cutting off a start suffix, which sets StartEntry (0 when none).
bool LoadPlaylistWithSuffix(std::u16string_view path, PlaylistFormat format, int addRows);
// The format named by the first playlist extension found in `path`, in the command line's order
// (".pdl", ".pls", ".m3u", ".py"); false when it names none.
bool PlaylistFormatOf(std::u16string_view path, PlaylistFormat* format);
