// Fonts through fontconfig (choosing the file) and FreeType (rendering). FreeType faces are not
// thread-safe, so every use of the engine holds fontLock.
#include "platform/font.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <string>

#include "platform/text.h"

namespace {

constexpr int32_t kDefaultFontHeight = 13;
constexpr int32_t kBoldFrom = 600;
constexpr const char* kFallbackFamily = "sans-serif";

std::recursive_mutex fontLock;
FT_Library library = nullptr;  // guarded by fontLock
Font* defaultFont = nullptr;   // guarded by fontLock

bool SameFamily(FcPattern* match, const std::string& family) {
  FcChar8* found = nullptr;
  if (FcPatternGetString(match, FC_FAMILY, 0, &found) != FcResultMatch) return false;
  return FcStrCmpIgnoreCase(found, reinterpret_cast<const FcChar8*>(family.c_str())) == 0;
}

// The font file fontconfig picks for the family and weight; "" when there is none. With
// `exact`, only a match of the family itself counts.
std::string FindFontFile(const std::string& family, int32_t weight, bool exact) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, weight >= kBoldFrom ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  std::string file;
  FcChar8* path = nullptr;
  if (match && (!exact || SameFamily(match, family)) &&
      FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
    file = reinterpret_cast<const char*>(path);
  if (match) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return file;
}

// Positive heights are line heights (ascent + descent), negative ones em sizes.
void SizeFace(FT_Face face, int32_t height) {
  int32_t em = std::max(1, height < 0 ? -height : height);
  const int32_t lineUnits = face->ascender - face->descender;
  if (height > 0 && lineUnits > 0)
    em = std::max(1, static_cast<int32_t>(int64_t{height} * face->units_per_EM / lineUnits));
  FT_Set_Pixel_Sizes(face, 0, em);
}

Font* OpenFont(const std::string& family, int32_t height, int32_t weight) {
  if (!library && FT_Init_FreeType(&library) != 0) return nullptr;
  std::string file = FindFontFile(family, weight, true);
  if (file.empty()) file = FindFontFile(kFallbackFamily, weight, false);
  FT_Face face = nullptr;
  if (file.empty() || FT_New_Face(library, file.c_str(), 0, &face) != 0) return nullptr;
  SizeFace(face, height);
  return new Font{.face = face};
}

}  // namespace

std::unique_lock<std::recursive_mutex> LockFontEngine() {
  return std::unique_lock<std::recursive_mutex>(fontLock);
}

FontHandle CreateFont(std::u16string_view face, int32_t height, int32_t weight) {
  auto hold = LockFontEngine();
  return OpenFont(WideToUtf8(face), height, weight);
}

void DeleteFont(FontHandle font) {
  if (!font) return;
  auto hold = LockFontEngine();
  FT_Done_Face(font->face);
  delete font;
}

Font* FontOrDefault(FontHandle font) {
  if (font) return font;
  if (!defaultFont) defaultFont = OpenFont(kFallbackFamily, kDefaultFontHeight, FW_NORMAL);
  return defaultFont;
}

FontLineMetrics LineMetricsOf(Font* font) {
  const FT_Size_Metrics& m = font->face->size->metrics;
  const int32_t ascent = static_cast<int32_t>((m.ascender + 63) >> 6);
  const int32_t descent = static_cast<int32_t>((-m.descender + 63) >> 6);
  return {ascent, descent};
}
