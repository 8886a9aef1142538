// The resume point: the last item and the frame it had reached, kept safe against a crash or a
// pulled battery. The settings record is stored only when the window closes; a player that is
// killed never gets there. So the main window also writes the item and its frame to
// "resume.bin" in the player's home whenever an item starts, pauses or stops, and every two
// seconds while it plays, each time atomically. The next start prefers that file to the
// record's lastItem and lastFrame; a clean close, which stores both in the record, removes it.
// Main thread only.
#pragma once

#include <cstdint>
#include <string>

#include "core/player_settings.h"

// What the watch compares from one look to the next.
struct PlaybackSnapshot {
  std::u16string item;   // lastItem as the opening of the item wrote it
  int32_t frame = 0;     // the video frame reached; 0 for an item without video
  bool running = false;  // a playback thread lives
  bool paused = false;
  bool operator==(const PlaybackSnapshot&) const = default;
};

// The watch looks every kResumeWatchMs; a running item's frame is stored every
// kResumeStoreLooks looks.
constexpr uint32_t kResumeWatchMs = 500;
constexpr int32_t kResumeStoreLooks = 4;

// Whether the point must be stored now: an item started or changed, a playback started or
// stopped, it was paused, or it plays on and `looksSinceStore` reached kResumeStoreLooks.
bool ResumePointDue(const PlaybackSnapshot& stored, const PlaybackSnapshot& now,
                    int32_t looksSinceStore);

// Writes the point atomically; false when it could not be written (the old one then stays).
bool StoreResumePoint(const std::u16string& item, int32_t frame);
// At start, after the record was loaded: a stored point replaces lastItem and lastFrame.
// A file that is not a whole point is ignored.
void ApplyResumePoint(PlayerSettings* settings);
// After a clean close stored the record.
void ForgetResumePoint();
