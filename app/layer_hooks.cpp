#include "app/layer_hooks.h"

#include "codecs/audio_decoder_entries.h"
#include "core/player_state.h"
#include "core/shared_word.h"
#include "device/system_bars.h"
#include "media/reader_state.h"
#include "playback/engine_state.h"
#include "playback/open_item.h"
#include "playback/output_setup.h"
#include "playback/transport.h"
#include "playlist/playlist.h"
#include "skin/skin.h"

namespace {

bool lastHadVideo = false;  // main thread: kept while nothing is open

ItemFacts DescribeItem() {
  const MediaDescriptor* item = currentDescriptor;
  if (!item) return {.lastHadVideo = lastHadVideo};
  lastHadVideo = item->FrameCount != 0;
  // A live stream's own title, once it has one, stands for the tags read at its start.
  std::u16string streamTitle;
  const bool live = ReadStreamTitle(&streamTitle) > 0 && !streamTitle.empty();
  return {.open = true,
          .lastHadVideo = lastHadVideo,
          .frameCount = item->FrameCount,
          .currentFrame = LoadSharedWord(item->CurrentFrame),
          .framesPerSecond = item->FramesPerSecond,
          .audioLength = item->AudioLength,
          .endless = item->FrameCount == 0 && item->AudioLength == AUDIO_LENGTH_UNKNOWN,
          .sampleRate = LoadSharedWord(item->SampleRate),
          .channels = LoadSharedWord(item->Channels),
          .position = GetPosition(),
          .title = live ? streamTitle : audioTitle,
          .artist = live ? u"" : audioArtist,
          .album = audioAlbum,
          .bitrate = audioBitrate};
}

}  // namespace

void ConnectLayers() {
  SetSkinHooks({
      .playPause = PlayPause,
      .seekTo = [](int32_t percent) { SeekTo(percent, 0, 0); },
      .describeItem = DescribeItem,
      .playlistPosition =
          [] {
            return PlaylistPosition{LastIndex, CurrentIndex};
          },
      .installListViewProc = InstallListViewProc,
  });
  playlistHooks = {
      .layoutListViews = LayoutListViews,
      // The open dialog's selection: a path of kMediaPathChars, which the screen-size skin's
      // path may replace.
      .applySkin = [](char16_t* path,
                      WindowHandle window) { ApplySkin(path, kMediaPathChars, window); },
      .computeGeometry = ComputeGeometry,
      .repaintWindow = [] { RepaintWindow(true); },
      .restartItem = RestartItem,
  };
}
