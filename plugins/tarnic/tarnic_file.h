// The file under both input libraries: opened by wide path, read at an offset, with the seek
// arithmetic both share. Positions are 64-bit inside; the interface reports them in 32 bits.
#pragma once

#include <cstdint>

struct TarnicFile {
  int descriptor = -1;
  int64_t length = 0;
};

// Opens the file read-only. False when it cannot be opened or is empty (nothing to read).
bool OpenTarnicFile(const char16_t* path, TarnicFile* file);
void CloseTarnicFile(TarnicFile* file);
bool TarnicFileIsOpen(const TarnicFile& file);
// Reads up to count bytes at offset with as few calls as the system allows; the bytes read.
int32_t ReadTarnicFileAt(const TarnicFile& file, int64_t offset, uint8_t* destination,
                         int32_t count);
// What TarnicOpen returns for an open file: its length, clamped to 32 bits.
int32_t TarnicOpenResult(const TarnicFile& file);
// The position a seek moves to from `current`, or -1 for an unknown origin or a negative result.
int64_t TarnicSeekTarget(int64_t current, int32_t offset, int32_t origin);
// A position as the interface reports it.
int32_t TarnicPositionResult(int64_t position);
