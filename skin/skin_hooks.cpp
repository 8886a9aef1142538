// The table through which the skin reaches the layers above it, with the null behaviour for
// every entry the window leaves empty.
#include "skin/skin.h"

namespace {

void NoPlayPause() {}
void NoSeek(int32_t) {}
ItemFacts NoItem() {
  return {};
}
PlaylistPosition NoList() {
  return {};
}
void NoListViewProc(WindowHandle) {}

constexpr SkinHooks kNullHooks{
    .playPause = NoPlayPause,
    .seekTo = NoSeek,
    .describeItem = NoItem,
    .playlistPosition = NoList,
    .installListViewProc = NoListViewProc,
};

}  // namespace

SkinHooks skinHooks = kNullHooks;

void SetSkinHooks(const SkinHooks& hooks) {
  skinHooks = {
      .playPause = hooks.playPause ? hooks.playPause : kNullHooks.playPause,
      .seekTo = hooks.seekTo ? hooks.seekTo : kNullHooks.seekTo,
      .describeItem = hooks.describeItem ? hooks.describeItem : kNullHooks.describeItem,
      .playlistPosition =
          hooks.playlistPosition ? hooks.playlistPosition : kNullHooks.playlistPosition,
      .installListViewProc =
          hooks.installListViewProc ? hooks.installListViewProc : kNullHooks.installListViewProc,
  };
}
