// The facts of the open item as the Media Info box and Jump To show and use them: pure
// functions of the reader's descriptor and what the audio decoder reported.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "morvelant/reader_interface.h"

// What the audio decoder reported: the bit rate in bits per second (its magnitude counts; 0
// unknown) and the tags.
struct AudioTags {
  int32_t bitrate = 0;
  std::u16string_view title, artist, album;
};

// The running time in whole seconds: frames over frame rate with video; without video the
// audio bytes over the bytes per second, 0 when either is unknown.
int32_t RunningSeconds(const MediaDescriptor& item, int32_t bitrate);
// The box's text; "No file loaded" without an item (null).
std::u16string MediaInfoText(const MediaDescriptor* item, std::u16string_view path,
                             const AudioTags& audio);

// Jump To: the position offered to the user, in whole seconds; `position` is the reader's
// progress in per cent.
int32_t JumpStartSeconds(const MediaDescriptor& item, int32_t bitrate, double position);
struct JumpSeek {
  bool seek = false;
  int32_t target = 0;  // a frame, or a percentage
  bool byFrame = false;
};
// The seek for the user's answer in seconds (negative: cancelled, no seek). An item without
// video seeks by percentage of its running time, as the seek bar does, so a reader sees the
// same kind of seek from both.
JumpSeek JumpToSeek(const MediaDescriptor& item, int32_t bitrate, int32_t answer);
