// The audio thread: pulls the item's audio from the reader, decodes it to 16-bit PCM with the
// item's audio decoder and queues it to the sound device, whose buffer-done callback moves the
// audio clock. Started by the video thread; `autostart` nonzero lets it start the device once
// the queue is full (it is `startRequest` as the video thread found it).
#pragma once

#include <cstdint>

uint32_t AudioThread(void* autostart);
