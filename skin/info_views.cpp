// The info line (title and running time, or the file name, optionally scrolling) and the
// elapsed time, drawn in their skin elements with the skin's fonts and colours; and the rows of
// the media-information view.
#include <cstdlib>
#include <string>

#include "core/player_state.h"
#include "platform/controls/list_view.h"
#include "platform/journal.h"
#include "platform/text.h"
#include "skin/skin.h"

std::u16string InfoText;
int32_t ScrollOffset;

namespace {

// How far the scrolling info line moves per drawing.
constexpr int32_t kScrollStep = 16;
constexpr char16_t kNoFile[] = u"(No File)";

std::u16string Decimal(int64_t value) {
  return Utf8ToWide(std::to_string(value));
}

std::u16string TwoDigits(int32_t value) {
  std::u16string digits = Decimal(value);
  if (value < 10) digits.insert(digits.begin(), u'0');
  return digits;
}

// Bytes per second of an audio item, 0 when unknown (a bitrate below 8 gives 0 too).
int64_t AudioBytesPerSecond(const ItemFacts& item) {
  return std::llabs(int64_t{item.bitrate}) / 8;
}

int32_t RunningSeconds(const ItemFacts& item) {
  if (item.frameCount != 0)
    return item.framesPerSecond > 0 ? static_cast<int32_t>(item.frameCount / item.framesPerSecond)
                                    : 0;
  const int64_t rate = AudioBytesPerSecond(item);
  return item.audioLength != 0 && rate != 0 ? static_cast<int32_t>(item.audioLength / rate) : 0;
}

int32_t ElapsedSeconds(const ItemFacts& item) {
  if (item.frameCount != 0)
    return item.framesPerSecond > 0 ? static_cast<int32_t>(item.currentFrame / item.framesPerSecond)
                                    : 0;
  const int64_t rate = AudioBytesPerSecond(item);
  if (item.audioLength == 0 || rate == 0) return 0;
  return static_cast<int32_t>(static_cast<int64_t>(item.audioLength * item.position * 0.01) / rate);
}

// The last part of the current path: local paths are cut at either separator, an address only
// at a backslash, so that it keeps its slashes.
std::u16string_view LastPathPart(std::u16string_view path, bool url) {
  const std::u16string_view separators = url ? u"\\" : u"\\/";
  const size_t end = path.find_last_not_of(separators);
  if (end == std::u16string_view::npos) return {};
  const size_t cut = path.find_last_of(separators, end);
  const size_t start = cut == std::u16string_view::npos ? 0 : cut + 1;
  return path.substr(start, end + 1 - start);
}

std::u16string InfoLine(const ItemFacts& item) {
  std::u16string line;
  if (item.title.empty())
    line = LastPathPart(WideView(currentPath), isUrl != 0);
  else if (!item.artist.empty())
    line = item.artist + u" - " + item.title;
  else
    line = item.title;
  if (line.empty()) line = kNoFile;
  if (item.open && !item.endless) line += u" (" + FormatTime(RunningSeconds(item)) + u")";
  return u" " + line + u" ";
}

void FillMediaInfoView(const ItemFacts& item) {
  const int64_t bitrate = std::llabs(int64_t{item.bitrate});
  const std::u16string rows[] = {
      u"TITLE=" + item.title,
      u"ARTIST=" + item.artist,
      u"ALBUM=" + item.album,
      u"RUNNING TIME=" + FormatTime(RunningSeconds(item)),
      u"BITRATE=" + Decimal(bitrate / 1000) + u"Kbps",
      u"SAMPLE RATE=" + Decimal(item.sampleRate / 1000) + u"khz",
      item.channels > 1 ? u"STEREO" : u"MONO",
  };
  ListViewDeleteAllRows(mediaInfoView);
  for (const std::u16string& row : rows) ListViewAppendRow(mediaInfoView, row);
}

Rect BoundsOf(const SkinElement& e) {
  return {e.Left, e.Top, e.Left + e.Width, e.Top + e.Height};
}

bool AnyColour(int32_t red, int32_t green, int32_t blue) {
  return red != 0 || green != 0 || blue != 0;
}

// Selects the element's font and colours into `dc`; returns the font that was selected before.
FontHandle SelectTextStyle(DeviceContextHandle dc, const SkinElement& e, FontHandle font) {
  if (AnyColour(e.FontRed, e.FontGreen, e.FontBlue))
    SetTextColor(dc, RGB(e.FontRed & 0xFF, e.FontGreen & 0xFF, e.FontBlue & 0xFF));
  if (AnyColour(e.BackRed, e.BackGreen, e.BackBlue)) {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(e.BackRed & 0xFF, e.BackGreen & 0xFF, e.BackBlue & 0xFF));
  } else {
    SetBkMode(dc, TRANSPARENT);
  }
  return SelectFont(dc, font);
}

// Draws the text at window x positions, clipped to the rectangle: the copies are drawn into a
// bitmap of the rectangle's size over what the window shows there, which is then copied back.
void DrawClipped(DeviceContextHandle dc, const Rect& rect, const SkinElement& e, FontHandle font,
                 std::initializer_list<int32_t> xs) {
  const int32_t width = rect.right - rect.left, height = rect.bottom - rect.top;
  BitmapHandle bitmap = CreateCompatibleBitmap(dc, width, height);
  if (!bitmap) return;
  DeviceContextHandle memory = CreateCompatibleDC(dc);
  BitmapHandle previousBitmap = SelectBitmap(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, dc, rect.left, rect.top);
  FontHandle previousFont = SelectTextStyle(memory, e, font);
  for (int32_t x : xs) TextOut(memory, x - rect.left, 0, InfoText);
  BitBlt(dc, rect.left, rect.top, width, height, memory, 0, 0);
  SelectFont(memory, previousFont);
  SelectBitmap(memory, previousBitmap);
  DeleteDC(memory);
  DeleteBitmap(bitmap);
}

void DrawScrolling(DeviceContextHandle dc, const Rect& rect, FontHandle font) {
  const SkinElement& e = skin.InfoView;
  FontHandle previous = SelectFont(dc, font);
  const int32_t textWidth = GetTextExtent(dc, InfoText).cx;
  SelectFont(dc, previous);
  const int32_t rectWidth = rect.right - rect.left;
  if (ScrollOffset < -textWidth)
    ScrollOffset += textWidth > rectWidth ? textWidth : e.Width + e.Left;
  if (textWidth > rectWidth && ScrollOffset < 0 && ScrollOffset + textWidth < rectWidth)
    return DrawClipped(dc, rect, e, font, {ScrollOffset, ScrollOffset + textWidth});
  if (textWidth <= rectWidth && ScrollOffset < 0)
    return DrawClipped(dc, rect, e, font, {ScrollOffset, ScrollOffset + rect.right});
  DrawClipped(dc, rect, e, font, {ScrollOffset});
}

}  // namespace

std::u16string FormatTime(int32_t seconds) {
  const int32_t h = seconds / 3600, m = (seconds - 3600 * h) / 60, r = seconds - 3600 * h - 60 * m;
  return (h != 0 ? Decimal(h) + u":" : u"") + TwoDigits(m) + u":" + TwoDigits(r);
}

void BuildInfoText() {
  const ItemFacts item = skinHooks.describeItem();
  const std::u16string line = InfoLine(item);
  if (line != InfoText) JournalWrite("info", {{"text", WideToUtf8(line)}});
  InfoText = line;
  if (mainWindow) {
    DeviceContextHandle dc = GetDC(mainWindow);
    DrawInfoView(dc);
    ReleaseDC(mainWindow, dc);
  }
  if (item.open && item.bitrate != 0 && mediaInfoView) FillMediaInfoView(item);
}

void DrawInfoView(DeviceContextHandle dc) {
  SkinElement& e = skin.InfoView;
  DrawElementNormal(e);
  FontHandle font = MakeElementFont(e, dc);
  Rect rect = BoundsOf(e);
  if (e.ScrollText == 0) {
    FontHandle previous = SelectTextStyle(dc, e, font);
    DrawText(dc, InfoText, &rect, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectFont(dc, previous);
  } else if (e.Width > 0 && e.Height > 0) {
    DrawScrolling(dc, rect, font);
  }
  DeleteFont(font);
  ScrollOffset -= kScrollStep;
}

void DrawTimeView(DeviceContextHandle dc) {
  SkinElement& e = skin.Time;
  const ItemFacts item = skinHooks.describeItem();
  const std::u16string text = FormatTime(item.open ? ElapsedSeconds(item) : 0);
  FontHandle font = MakeElementFont(e, dc);
  FontHandle previous = SelectTextStyle(dc, e, font);
  DrawElementNormal(e);
  Rect rect = BoundsOf(e);
  DrawText(dc, text, &rect, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
  SelectFont(dc, previous);
  DeleteFont(font);
}
