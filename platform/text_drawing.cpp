// Text output: lines laid out with the selected font and drawn anti-aliased in the text colour,
// over a filled line box when the background mode is opaque.
#include <algorithm>
#include <utility>
#include <vector>

#include "platform/drawing_internal.h"
#include "platform/font.h"
#include "platform/screen.h"

namespace {

struct Line {
  std::u32string text;
  int32_t width;
};

std::u32string CodePoints(std::u16string_view text) {
  std::u32string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    out.push_back(c);
  }
  return out;
}

int32_t Advance(Font* font, char32_t c) {
  if (FT_Load_Char(font->face, c, FT_LOAD_DEFAULT) != 0) return 0;
  return static_cast<int32_t>((font->face->glyph->advance.x + 32) >> 6);
}

int32_t WidthOf(Font* font, std::u32string_view text) {
  int32_t width = 0;
  for (char32_t c : text) width += Advance(font, c);
  return width;
}

// Breaks one paragraph at blanks so that each line fits `maxWidth` (a word longer than the
// width keeps a line of its own).
void WrapParagraph(Font* font, std::u32string_view paragraph, int32_t maxWidth,
                   std::vector<Line>* lines) {
  std::u32string line;
  size_t start = 0;
  while (start <= paragraph.size()) {
    size_t end = paragraph.find(U' ', start);
    if (end == std::u32string_view::npos) end = paragraph.size();
    const std::u32string_view word = paragraph.substr(start, end - start);
    std::u32string candidate =
        line.empty() ? std::u32string(word) : line + U' ' + std::u32string(word);
    if (!line.empty() && WidthOf(font, candidate) > maxWidth) {
      lines->push_back({line, WidthOf(font, line)});
      candidate = word;
    }
    line = candidate;
    start = end + 1;
  }
  lines->push_back({line, WidthOf(font, line)});
}

std::vector<Line> LayOut(Font* font, std::u16string_view text, uint32_t format, int32_t maxWidth) {
  std::u32string all = CodePoints(text);
  std::erase(all, U'\r');
  std::vector<Line> lines;
  if (format & DT_SINGLELINE) {
    std::replace(all.begin(), all.end(), U'\n', U' ');
    lines.push_back({all, WidthOf(font, all)});
    return lines;
  }
  size_t start = 0;
  while (true) {
    const size_t end = std::min(all.find(U'\n', start), all.size());
    const std::u32string_view paragraph = std::u32string_view(all).substr(start, end - start);
    if (format & DT_WORDBREAK)
      WrapParagraph(font, paragraph, maxWidth, &lines);
    else
      lines.push_back({std::u32string(paragraph), WidthOf(font, paragraph)});
    if (end >= all.size()) break;
    start = end + 1;
  }
  return lines;
}

uint16_t Blend(uint16_t under, uint32_t color, uint32_t coverage) {
  const uint32_t below = PixelToColor(under);
  uint32_t mixed = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const uint32_t a = (below >> shift) & 0xFF, b = (color >> shift) & 0xFF;
    mixed |= ((a * (255 - coverage) + b * coverage + 127) / 255) << shift;
  }
  return ColorToPixel(mixed);
}

// Draws one line with its top-left corner at (x, top) of the target, inside `clip` (surface
// coordinates).
void DrawLine(const DrawTarget& target, const DeviceContext& dc, Font* font, const Line& line,
              int32_t x, int32_t top, const Rect& clip) {
  const FontLineMetrics metrics = LineMetricsOf(font);
  const int32_t sx = x + target.originX, sy = top + target.originY;
  if (dc.backgroundMode == OPAQUE) {
    const Rect box =
        Intersect({sx, sy, sx + line.width, sy + metrics.ascent + metrics.descent}, clip);
    const uint16_t pixel = ColorToPixel(dc.backgroundColor);
    for (int32_t row = box.top; row < box.bottom; ++row)
      std::fill_n(target.bits + static_cast<ptrdiff_t>(row) * target.pitch + box.left,
                  std::max(0, box.right - box.left), pixel);
  }
  int32_t penX = sx;
  const int32_t baseline = sy + metrics.ascent;
  for (char32_t c : line.text) {
    if (FT_Load_Char(font->face, c, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot glyph = font->face->glyph;
    const FT_Bitmap& image = glyph->bitmap;
    for (uint32_t row = 0; row < image.rows; ++row) {
      const int32_t y = baseline - glyph->bitmap_top + static_cast<int32_t>(row);
      if (y < clip.top || y >= clip.bottom) continue;
      for (uint32_t column = 0; column < image.width; ++column) {
        const int32_t px = penX + glyph->bitmap_left + static_cast<int32_t>(column);
        const uint8_t coverage = image.buffer[row * image.pitch + column];
        if (px < clip.left || px >= clip.right || coverage == 0) continue;
        uint16_t* out = target.bits + static_cast<ptrdiff_t>(y) * target.pitch + px;
        *out = Blend(*out, dc.textColor, coverage);
      }
    }
    penX += static_cast<int32_t>((glyph->advance.x + 32) >> 6);
  }
}

int32_t LineHeight(Font* font) {
  const FontLineMetrics metrics = LineMetricsOf(font);
  return metrics.ascent + metrics.descent;
}

int32_t FirstLineTop(const Rect& rect, uint32_t format, int32_t textHeight) {
  if (!(format & DT_SINGLELINE)) return rect.top;
  if (format & DT_VCENTER) return rect.top + (rect.bottom - rect.top - textHeight) / 2;
  if (format & DT_BOTTOM) return rect.bottom - textHeight;
  return rect.top;
}

int32_t LineLeft(const Rect& rect, uint32_t format, int32_t width) {
  if (format & DT_CENTER) return rect.left + (rect.right - rect.left - width) / 2;
  if (format & DT_RIGHT) return rect.right - width;
  return rect.left;
}

}  // namespace

FontHandle SelectFont(DeviceContextHandle dc, FontHandle font) {
  if (!dc) return nullptr;
  const FontHandle previous = dc->font;
  dc->font = font;
  return previous;
}

uint32_t SetTextColor(DeviceContextHandle dc, uint32_t color) {
  return dc ? std::exchange(dc->textColor, color) : CLR_INVALID;
}

uint32_t SetBkColor(DeviceContextHandle dc, uint32_t color) {
  return dc ? std::exchange(dc->backgroundColor, color) : CLR_INVALID;
}

int32_t SetBkMode(DeviceContextHandle dc, int32_t mode) {
  if (!dc || (mode != OPAQUE && mode != TRANSPARENT)) return 0;
  return std::exchange(dc->backgroundMode, mode);
}

TextMetrics GetTextMetrics(DeviceContextHandle dc) {
  auto hold = LockFontEngine();
  Font* font = FontOrDefault(dc ? dc->font : nullptr);
  if (!font) return {};
  const FontLineMetrics m = LineMetricsOf(font);
  const int32_t average = std::max(1, WidthOf(font, U"x"));
  return {m.ascent + m.descent, m.ascent, m.descent, average};
}

Size GetTextExtent(DeviceContextHandle dc, std::u16string_view text) {
  auto hold = LockFontEngine();
  Font* font = FontOrDefault(dc ? dc->font : nullptr);
  if (!font) return {0, 0};
  const std::vector<Line> lines = LayOut(font, text, DT_SINGLELINE, 0);
  return {lines.front().width, LineHeight(font)};
}

void TextOut(DeviceContextHandle dc, int32_t x, int32_t y, std::u16string_view text) {
  const Size extent = GetTextExtent(dc, text);
  Rect rect{x, y, x + extent.cx, y + extent.cy};
  DrawText(dc, text, &rect, DT_SINGLELINE | DT_NOCLIP);
}

int32_t DrawText(DeviceContextHandle dc, std::u16string_view text, Rect* rect, uint32_t format) {
  if (!dc || !rect) return 0;
  // The frame lock before the font engine's: a frame may draw text while it holds the former.
  const ScreenHold screenHold(OnScreen(dc) && !(format & DT_CALCRECT));
  auto hold = LockFontEngine();
  Font* font = FontOrDefault(dc->font);
  if (!font) return 0;
  const std::vector<Line> lines = LayOut(font, text, format, rect->right - rect->left);
  const int32_t lineHeight = LineHeight(font);
  const int32_t height = lineHeight * static_cast<int32_t>(lines.size());
  if (format & DT_CALCRECT) {
    int32_t width = 0;
    for (const Line& line : lines) width = std::max(width, line.width);
    rect->right = rect->left + width;
    rect->bottom = rect->top + height;
    return height;
  }
  const DrawTarget target = TargetOf(dc);
  if (!target.bits) return height;
  Rect clip = target.clip;
  if (!(format & DT_NOCLIP))
    clip = Intersect(clip, {rect->left + target.originX, rect->top + target.originY,
                            rect->right + target.originX, rect->bottom + target.originY});
  int32_t top = FirstLineTop(*rect, format, height);
  for (const Line& line : lines) {
    DrawLine(target, *dc, font, line, LineLeft(*rect, format, line.width), top, clip);
    top += lineHeight;
  }
  if (OnScreen(dc)) PresentScreen();
  return height;
}
