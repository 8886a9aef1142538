#include "plugins/reader_avformat/reader_flavour.h"

const ReaderFlavour kReaderFlavour = {
    .inputFormat = nullptr, .ignoreIndex = false, .live = false, .source = nullptr};
