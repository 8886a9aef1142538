// morvelant-probe playlist FILE: the playlist as the player's own loader reads it.
#include <cstdio>

#include "platform/text.h"
#include "playlist/playlist.h"
#include "playlist/playlist_loading.h"
#include "tools/probe/probe.h"

int ProbePlaylist(const std::string& argument) {
  const std::u16string path = Utf8ToWide(argument);  // may end in a start suffix: "a.pdl 3"
  PlaylistFormat format;
  if (!PlaylistFormatOf(path, &format)) {
    PrintProbeError("File Error", "Not a playlist (.pdl, .pls, .m3u or .py): " + argument);
    return 1;
  }
  if (!LoadPlaylistWithSuffix(path, format, 0)) {
    PrintProbeError("File Error", "Cannot read " + WideToUtf8(WideView(PlaylistPath)));
    return 1;
  }
  SelectStartEntry();
  const int32_t start = PlayOrder.empty() ? 0 : PlayOrder[CurrentIndex].FileIndex;
  std::printf("entries=%zu\nstart=%d\n", FileOrder.size(), start);
  for (size_t i = 0; i < FileOrder.size(); ++i) {
    std::printf("entry.%zu.path=%s\n", i, WideToUtf8(WideView(FileOrder[i].Path)).c_str());
    std::printf("entry.%zu.title=%s\n", i, WideToUtf8(WideView(FileOrder[i].Title)).c_str());
  }
  return 0;
}
