/* The input library interface is plain C a third party can build against, on 32-bit too. */
#include "morvelant/input_library.h"

_Static_assert(TARNIC_FROM_START == 0 && TARNIC_FROM_CURRENT == 1, "seek origins");

static int32_t Open(const char16_t* path, int32_t reserved1, int32_t reserved2, int32_t tuning1,
                    int32_t tuning2) {
  return path && !reserved1 && !reserved2 && tuning1 < tuning2;
}

TarnicOpenFunction open_entry = Open;
