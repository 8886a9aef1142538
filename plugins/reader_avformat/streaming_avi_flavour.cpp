// plenvar: the streaming AVI reader, for network AVIs and, with useStreamingReader, local ones.
// It walks the movi list from the start without idx1, so a file still being downloaded or
// recorded, or one whose index is lost, plays from its start.
#include "plugins/reader_avformat/reader_flavour.h"

const ReaderFlavour kReaderFlavour = {
    .inputFormat = "avi", .ignoreIndex = true, .live = false, .source = nullptr};
