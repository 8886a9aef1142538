#include "media/reader_state.h"

ReaderOps readerOps;
MediaDescriptor* currentDescriptor;
