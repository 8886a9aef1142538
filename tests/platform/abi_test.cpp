// The 64-bit layouts of the records whose words hold addresses: pointer-sized slots, every
// other field keeping its width and order.
#include <gtest/gtest.h>

#include <cstddef>

#include "morvelant/decoded_picture.h"
#include "morvelant/reader_interface.h"

TEST(Abi, ReaderOpsIsElevenPointerSlotsInOrder) {
  EXPECT_EQ(sizeof(ReaderOps), 11 * sizeof(void*));
  EXPECT_EQ(offsetof(ReaderOps, Open), 0u);
  EXPECT_EQ(offsetof(ReaderOps, GetProgress), 5 * sizeof(void*));
  EXPECT_EQ(offsetof(ReaderOps, Stop), 10 * sizeof(void*));
}

TEST(Abi, DecodedPictureKeepsFieldOrder) {
  const size_t slot = sizeof(void*);
  EXPECT_EQ(offsetof(DecodedPicture, Cr), slot);
  EXPECT_EQ(offsetof(DecodedPicture, Cb), 2 * slot);
  EXPECT_EQ(offsetof(DecodedPicture, LumaStride), 3 * slot);
  EXPECT_EQ(offsetof(DecodedPicture, ChromaStride), 3 * slot + 4);
  EXPECT_EQ(offsetof(DecodedPicture, PreviousLuma), 3 * slot + 16);
  EXPECT_EQ(offsetof(DecodedPicture, PreviousCb), 5 * slot + 16);
  EXPECT_EQ(offsetof(DecodedPicture, CodecOwn40), 6 * slot + 16);
}

TEST(Abi, ChapterNamesFillTheDescriptorExactly) {
  // 100 names of 50 wide characters end exactly at the record's end.
  EXPECT_EQ(offsetof(MediaDescriptor, ChapterNames) + sizeof(MediaDescriptor::ChapterNames),
            sizeof(MediaDescriptor));
}
