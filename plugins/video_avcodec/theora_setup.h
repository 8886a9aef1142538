// Theora's decoder needs the stream's three set-up packets before any picture. They travel in
// front of each key frame, each after its 16-bit big-endian length (the container's own
// layout of them), so that a stream can start at any key frame.
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes of set-up packets at the start of `data`: the identification, comment and tables
// packets, in order and whole; 0 when the packet does not start with them.
size_t TheoraSetupBytes(const uint8_t* data, size_t size);
