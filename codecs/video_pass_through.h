// The built-in video decoder pair, used when no video codec library is loaded: a reader that
// decodes by itself delivers a ready DecodedPicture as its packet.
#pragma once

#include "morvelant/decoded_picture.h"

int32_t VideoPassThroughInit(int32_t zero, int32_t command, void* params, int32_t zero2);
// Copies the record at the packet's start; a packet too short to hold one gives no picture.
int32_t VideoPassThroughFrame(const uint8_t* packet, int32_t size, DecodedPicture* picture,
                              int32_t render);
