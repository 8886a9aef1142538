// A network item: MP3 and AAC (ADTS) streams over HTTP and HTTPS, files as well as internet
// radio. The download fills a bounded buffer on a thread of its own (http_download.h) and
// NetworkReadAudio drains it. The station's ICY stream title reaches the item's title through
// an ID3 tag put in front of the MPEG audio bytes (id3_title.h); each title, the first
// included, is reported by NetworkStreamTitle once the audio it came with has been read (a tag
// put into the stream there would cut an MPEG frame in two, since the metadata blocks fall
// anywhere). A server that refuses, stalls or drops for good ends the item: the open fails, or
// the audio ends, with a "quellin:" line on the standard error. One item at a time.
#pragma once

#include <cstdint>

#include "morvelant/reader_interface.h"

// Opens `url`; nonzero when it is an MP3 or AAC stream. The descriptor stays valid until
// NetworkClose.
int32_t NetworkOpen(const char16_t* url, MediaDescriptor** descriptorOut);
// Fills the whole request unless the stream ends or stalls; 0 at the end.
int32_t NetworkReadAudio(uint8_t* destination, int32_t length);
// The audio span still to come (network items cannot be repositioned).
int32_t NetworkRemainingSpan();
// Percent of a file read; 0 for a radio stream.
double NetworkProgress();
int32_t NetworkClose();
// The stream title at the read position (UTF-16, cut to `capacity` characters with the
// terminator) and how many times it has changed since the item opened.
int32_t NetworkStreamTitle(char16_t* title, int32_t capacity);
