// Stepping through the list, the shuffle and what follows the end of an item.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/commands.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "playlist/playlist.h"
#include "playlist/playlist_list.h"

namespace {

// The runtime generator the shuffle was made for: a linear congruential generator giving
// values 0..32767, seeded from the tick count.
constexpr int32_t kRandomMax = 32767;
uint32_t randomState;

int32_t NextRandom() {
  randomState = randomState * 214013u + 2531011u;
  return static_cast<int32_t>(randomState >> 16 & kRandomMax);
}

// A random index 0..count-1. The 15-bit draw reaches every index only while the list has at
// most 32767 entries; a longer list draws from two values joined, or some entries could never
// be picked and the shuffle would never end.
int32_t DrawIndex(int32_t count) {
  if (count <= kRandomMax) {
    const int32_t r = NextRandom();
    return static_cast<int32_t>(count * (r * (1 / 32767.0)));
  }
  const int32_t r = NextRandom() << 15 | NextRandom();
  return static_cast<int32_t>(count * (r * (1 / 1073741823.0)));
}

void RestoreFileOrder(int32_t last) {
  std::copy(FileOrder.begin(), FileOrder.begin() + last + 1, PlayOrder.begin());
}

void Shuffle(int32_t last) {
  for (int32_t i = 0; i <= last; ++i) PlayOrder[i].Picked = 0;
  std::vector<PlaylistEntry> scratch(last + 1);
  randomState = GetTickCount();
  for (int32_t i = 0; i <= last; ++i) {
    int32_t idx;
    do idx = DrawIndex(last + 1);
    while (idx > last || PlayOrder[idx].Picked);
    if (StartEntry != 0 && StartEntry == PlayOrder[idx].FileIndex + 1) CurrentIndex = i;
    scratch[i] = PlayOrder[idx];
    scratch[i].Picked = 0;
    PlayOrder[idx].Picked = 1;
  }
  std::copy(scratch.begin(), scratch.end(), PlayOrder.begin());
}

}  // namespace

void ReorderPlaylist() {
  const int32_t last = std::min<int32_t>(LastIndex, static_cast<int32_t>(PlayOrder.size()) - 1);
  if (last >= 0) {
    if (playerSettings.shuffle)
      Shuffle(last);
    else
      RestoreFileOrder(last);
  }
  // Posted after the new order is in place, so the view never shows a half-copied list.
  PostMessage(mainWindow, kMessageRebuildPlaylist, 0, 0);
}

void StepPlaylist(int32_t step) {
  CurrentIndex += step;
  if (CurrentIndex > LastIndex || ReorderRequest) {
    CurrentIndex = 0;
    if (playerSettings.shuffle || ReorderRequest) ReorderPlaylist();
  } else if (CurrentIndex < 0) {
    CurrentIndex = LastIndex.load();
  }
  ReorderRequest = 0;
  // A single opened file has no entries: it stays the current item.
  if (CurrentIndex < static_cast<int32_t>(PlayOrder.size()))
    MakeCurrent(PlayOrder[CurrentIndex].Path);
  else
    isUrl = IsHttpPath(WideView(currentPath)) ? 1 : 0;
  startRequest = 1;
}

void AdvanceAfterItem() {
  if (!reachedEnd) return;
  if (LastIndex != 0) {
    if (CurrentIndex < LastIndex || playerSettings.repeat) StepPlaylist(playlistStep);
    playlistStep = 1;
  } else if (playerSettings.repeat) {
    startRequest = 1;
  }
}
