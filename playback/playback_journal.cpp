#include "playback/playback_journal.h"

#include <atomic>
#include <cstring>
#include <string>

#include "core/player_state.h"
#include "platform/journal.h"
#include "platform/text.h"
#include "playback/audio_output.h"
#include "playback/engine_state.h"

namespace {

std::atomic<const char*> lastState{"stopped"};  // W main, video; R main, video

std::string FourCCText(const MediaDescriptor& d) {
  return std::string(d.FourCC, strnlen(d.FourCC, sizeof d.FourCC));
}

}  // namespace

void JournalItemOpened() {
  const MediaDescriptor& d = *currentDescriptor;
  JournalWrite("item-opened", {{"path", WideToUtf8(currentPath)},
                               {"width", int64_t{d.Width}},
                               {"height", int64_t{d.Height}},
                               {"frames", int64_t{d.FrameCount}},
                               {"fps", d.FramesPerSecond},
                               {"fourcc", FourCCText(d)},
                               {"audio_tag", int64_t{d.AudioFormatTag}},
                               {"audio_length", int64_t{d.AudioLength}}});
}

void JournalReaderOpen(int32_t mode, bool ok) {
  JournalWrite("reader-open",
               {{"path", WideToUtf8(currentPath)}, {"mode", int64_t{mode}}, {"ok", int64_t{ok}}});
}

void JournalPlaybackState(const char* state) {
  const char* previous = lastState.exchange(state);
  if (std::strcmp(previous, state) == 0) return;
  JournalWrite("state", {{"state", std::string(state)}});
}

void JournalSeek(int32_t frame, int32_t percent) {
  JournalWrite("seek", {{"frame", int64_t{frame}}, {"percent", int64_t{percent}}});
}

void JournalItemEnded(bool reachedEnd, int32_t played, int32_t dropped, int32_t total,
                      int64_t audioBytes) {
  JournalWrite("item-ended", {{"reached_end", int64_t{reachedEnd}},
                              {"played", int64_t{played}},
                              {"dropped", int64_t{dropped}},
                              {"total", int64_t{total}},
                              {"audio_bytes", audioBytes}});
}

void JournalFrameDrawn(int32_t frame, int32_t target) {
  if (!JournalFramesOn()) return;
  JournalWrite("frame", {{"frame", int64_t{frame}},
                         {"target", int64_t{target}},
                         {"audio_ms", AudioActive() && waveDevice ? ReadAudioClock().ms : -1}});
}
