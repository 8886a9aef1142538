// The command line: a skin plus an item, a playlist, or a media item. The line is searched,
// not split into words, and the first rule that matches wins.
#pragma once

#include <string>
#include <string_view>

enum class CommandLineRule {
  SkinAndItem,
  PdlPlaylist,
  PlsPlaylist,
  M3uPlaylist,
  PyPlaylist,
  MediaItem
};

struct CommandLineChoice {
  CommandLineRule rule;
  std::u16string skin;  // SkinAndItem: from right after "-ts" to the ".pds" that ends it
  // SkinAndItem: what follows the skin, less one character; otherwise the text the rule read.
  std::u16string item;
};

// "-ts" with no ".pds" after it names no skin: the option is dropped (with the one blank after
// it) and the rest of the line is read by the other rules.
CommandLineChoice InterpretCommandLine(std::u16string_view line);

// The playlist loaders take the whole line and whether rows are to be added to the view.
using PlaylistLoader = void (*)(const char16_t* commandLine, int addRows);
struct PlaylistLoaders {
  PlaylistLoader pdl = nullptr;
  PlaylistLoader pls = nullptr;
  PlaylistLoader m3u = nullptr;  // also reads ".py" playlists
};
// The playlist's loaders; tests put their own in, and a missing loader leaves the line unread.
extern PlaylistLoaders playlistLoaders;

// Sets `commandLineSkin`, `currentPath` and `isUrl`, or hands the line to a playlist loader.
void ApplyCommandLine(std::u16string_view line);
// The remembered last item, read by the same playlist rules (there is no skin option in it),
// with the playlist's rows added to the view; sets `currentPath` and `isUrl`.
void ApplyLastItem(std::u16string_view item);
