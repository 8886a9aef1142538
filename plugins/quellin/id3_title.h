// A small ID3v2.4 tag carrying a station's stream title, put in front of the MPEG audio bytes
// so that the MPEG audio codec shows it as the item's title (and artist, when the title reads
// "Artist - Title", as most stations send it).
#pragma once

#include <string>

std::string Id3TitleTag(const std::string& streamTitle);
