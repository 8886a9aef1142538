// Inside the platform layer: the font engine behind CreateFont and the text functions.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <mutex>

#include "platform/drawing.h"

struct Font {
  FT_Face face;
};

struct FontLineMetrics {
  int32_t ascent, descent;
};

// Every use of a face (measuring, rendering) holds this lock.
std::unique_lock<std::recursive_mutex> LockFontEngine();
// The font, or the default font for null; null only when no font is installed. Hold the lock.
Font* FontOrDefault(FontHandle font);
FontLineMetrics LineMetricsOf(Font* font);
