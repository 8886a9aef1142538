// Playlist files as text: pure functions from a file's bytes to its entries, shared by the
// loaders, morvelant-probe, the fuzzer and the tests. No file, window or global is touched.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ParsedEntry {
  std::u16string path;
  std::u16string title;
  bool operator==(const ParsedEntry&) const = default;
};

enum class PlaylistFormat { Pdl, M3u, Pls };

// The file's bytes as wide text. A UTF-16 byte-order mark (either order) wins; otherwise
// ".pdl" is UTF-16 little-endian and the others are 8-bit text (UTF-8 with or without its
// mark, else Windows-1252). A leading mark never becomes part of the text.
std::u16string DecodePlaylistBytes(std::string_view bytes, PlaylistFormat format);

// The entries of decoded text. Lines end at CR, LF or CR LF.
// Pdl: every line is an entry, empty ones included (they fail to open later).
// M3u: every non-empty line that does not start with '#'; "#EXTINF:seconds,title" gives its
//      title to the entry that follows.
// Pls: lines holding "=http://" are stream entries (the text after the first '='); the line
//      right after one is its title when its key begins with "Title".
std::vector<ParsedEntry> ParsePlaylistText(std::u16string_view text, PlaylistFormat format);

// An entry path made usable: "file://" URLs become paths, and a relative path is taken from
// `folder` (the playlist's own folder, empty when the entries are already absolute).
std::u16string ResolveEntryPath(std::u16string_view entry, std::u16string_view folder);
// The folder of a path: the text before its last '/' or '\', empty when it has none.
std::u16string_view FolderOf(std::u16string_view path);

// A start suffix: `path` ends in `extension`, a blank and decimal digits. Returns the path
// without the suffix and sets *index to the number; without a suffix returns the path as given
// and sets *index to -1.
std::u16string_view CutStartSuffix(std::u16string_view path, std::u16string_view extension,
                                   int32_t* index);

// The text of a playlist-view row: the title when there is one, else the file name after the
// path's last separator when it holds a '.', else the whole path.
std::u16string PlaylistRowText(std::u16string_view path, std::u16string_view title);

// Copies text into a buffer of `capacity` characters, terminated, cut if needed at a character
// boundary (never between the halves of a surrogate pair).
void CopyCut(char16_t* destination, size_t capacity, std::u16string_view text);

// Whether `path` ends in `extension`, ignoring ASCII case.
bool HasExtension(std::u16string_view path, std::u16string_view extension);
