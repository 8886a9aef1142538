#include "playlist/playlist_text.h"

#include "platform/text.h"

namespace {

constexpr std::u16string_view kFileUrl = u"file://";
constexpr std::u16string_view kStreamMark = u"=http://";
constexpr std::u16string_view kTitleKey = u"title";
constexpr std::u16string_view kExtinf = u"#EXTINF:";

bool IsSeparator(char16_t c) {
  return c == u'/' || c == u'\\';
}
bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}
char16_t AsciiLower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? c + 32 : c;
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (AsciiLower(text[i]) != AsciiLower(prefix[i])) return false;
  return true;
}

std::u16string_view Trim(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::u16string text(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    const auto first = static_cast<uint8_t>(bytes[2 * i]);
    const auto second = static_cast<uint8_t>(bytes[2 * i + 1]);
    text[i] = bigEndian ? char16_t(first << 8 | second) : char16_t(second << 8 | first);
  }
  return text;
}

// Lines end at CR, LF or CR LF; a last line without an end counts too.
std::vector<std::u16string_view> SplitLines(std::u16string_view text) {
  std::vector<std::u16string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string_view::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n' ? 2 : 1);
  }
  return lines;
}

// The text after the first '=', empty when there is none.
std::u16string_view ValueOf(std::u16string_view line) {
  const size_t equals = line.find(u'=');
  return equals == std::u16string_view::npos ? std::u16string_view()
                                             : Trim(line.substr(equals + 1));
}

// "#EXTINF:seconds,title": the title is what follows the first comma outside quotes (attributes
// such as tvg-name="a,b" may sit before it).
std::u16string_view ExtinfTitle(std::u16string_view line) {
  bool quoted = false;
  for (size_t i = kExtinf.size(); i < line.size(); ++i) {
    if (line[i] == u'"') quoted = !quoted;
    if (line[i] == u',' && !quoted) return Trim(line.substr(i + 1));
  }
  return {};
}

std::vector<ParsedEntry> ParsePdl(std::u16string_view text) {
  std::vector<ParsedEntry> entries;
  for (std::u16string_view line : SplitLines(text)) entries.push_back({std::u16string(line), {}});
  return entries;
}

std::vector<ParsedEntry> ParseM3u(std::u16string_view text) {
  std::vector<ParsedEntry> entries;
  std::u16string_view title;
  for (std::u16string_view line : SplitLines(text)) {
    line = Trim(line);
    if (line.empty()) continue;
    if (line.front() == u'#') {
      if (StartsWithNoCase(line, kExtinf)) title = ExtinfTitle(line);
      continue;
    }
    entries.push_back({std::u16string(line), std::u16string(title)});
    title = {};
  }
  return entries;
}

std::vector<ParsedEntry> ParsePls(std::u16string_view text) {
  std::vector<ParsedEntry> entries;
  const std::vector<std::u16string_view> lines = SplitLines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find(kStreamMark) == std::u16string_view::npos) continue;
    ParsedEntry entry{std::u16string(ValueOf(lines[i])), {}};
    if (i + 1 < lines.size() && StartsWithNoCase(Trim(lines[i + 1]), kTitleKey))
      entry.title = ValueOf(lines[++i]);
    entries.push_back(std::move(entry));
  }
  return entries;
}

bool IsUrl(std::u16string_view path) {
  const size_t scheme = path.find(u"://");
  if (scheme == std::u16string_view::npos || scheme == 0) return false;
  for (size_t i = 0; i < scheme; ++i) {
    const char16_t c = AsciiLower(path[i]);
    if (!(c >= u'a' && c <= u'z') &&
        !(i > 0 && (c == u'+' || c == u'-' || c == u'.' || (c >= u'0' && c <= u'9'))))
      return false;
  }
  return true;
}

bool IsAbsolute(std::u16string_view path) {
  if (!path.empty() && IsSeparator(path.front())) return true;
  return path.size() >= 2 && path[1] == u':' && AsciiLower(path[0]) >= u'a' &&
         AsciiLower(path[0]) <= u'z';  // "C:\..." from another system: left as it is
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "file:///music/a%20b.mp3" or "file://localhost/music/..." -> "/music/a b.mp3".
std::u16string FileUrlToPath(std::u16string_view url) {
  std::u16string_view rest = url.substr(kFileUrl.size());
  if (StartsWithNoCase(rest, u"localhost/")) rest.remove_prefix(9);
  const std::string utf8 = WideToUtf8(rest);
  std::string bytes;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const int high = i + 2 < utf8.size() ? HexValue(utf8[i + 1]) : -1;
    const int low = i + 2 < utf8.size() ? HexValue(utf8[i + 2]) : -1;
    if (utf8[i] == '%' && high >= 0 && low >= 0) {
      bytes += char(high << 4 | low);
      i += 2;
    } else {
      bytes += utf8[i];
    }
  }
  return Utf8ToWide(bytes);
}

}  // namespace

std::u16string DecodePlaylistBytes(std::string_view bytes, PlaylistFormat format) {
  if (bytes.starts_with("\xFF\xFE")) return DecodeUtf16(bytes.substr(2), false);
  if (bytes.starts_with("\xFE\xFF")) return DecodeUtf16(bytes.substr(2), true);
  if (format == PlaylistFormat::Pdl && !bytes.starts_with("\xEF\xBB\xBF"))
    return DecodeUtf16(bytes, false);
  return AnsiToWide(bytes);
}

std::vector<ParsedEntry> ParsePlaylistText(std::u16string_view text, PlaylistFormat format) {
  switch (format) {
    case PlaylistFormat::Pdl:
      return ParsePdl(text);
    case PlaylistFormat::M3u:
      return ParseM3u(text);
    case PlaylistFormat::Pls:
      return ParsePls(text);
  }
  return {};
}

std::u16string ResolveEntryPath(std::u16string_view entry, std::u16string_view folder) {
  if (StartsWithNoCase(entry, kFileUrl)) return FileUrlToPath(entry);
  if (entry.empty() || folder.empty() || IsUrl(entry) || IsAbsolute(entry))
    return std::u16string(entry);
  std::u16string path(folder);
  path += u'/';
  path += entry;
  return path;
}

std::u16string_view FolderOf(std::u16string_view path) {
  const size_t separator = path.find_last_of(u"/\\");
  return separator == std::u16string_view::npos ? std::u16string_view() : path.substr(0, separator);
}

std::u16string_view CutStartSuffix(std::u16string_view path, std::u16string_view extension,
                                   int32_t* index) {
  *index = -1;
  const size_t blank = path.rfind(u' ');
  if (blank == std::u16string_view::npos || !HasExtension(path.substr(0, blank), extension))
    return path;
  const std::u16string_view digits = path.substr(blank + 1);
  if (digits.empty() || digits.size() > 9) return path;
  int32_t value = 0;
  for (const char16_t c : digits) {
    if (c < u'0' || c > u'9') return path;
    value = value * 10 + (c - u'0');
  }
  *index = value;
  return path.substr(0, blank);
}

std::u16string PlaylistRowText(std::u16string_view path, std::u16string_view title) {
  if (!title.empty()) return std::u16string(title);
  const size_t separator = path.find_last_of(u"/\\");
  if (separator == std::u16string_view::npos) return std::u16string(path);
  const std::u16string_view name = path.substr(separator + 1);
  return std::u16string(name.find(u'.') == std::u16string_view::npos ? path : name);
}

void CopyCut(char16_t* destination, size_t capacity, std::u16string_view text) {
  if (capacity == 0) return;
  size_t length = text.size();
  if (length >= capacity) {
    length = capacity - 1;
    if (length > 0 && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF) --length;
  }
  text.copy(destination, length);
  destination[length] = 0;
}

bool HasExtension(std::u16string_view path, std::u16string_view extension) {
  return path.size() >= extension.size() &&
         StartsWithNoCase(path.substr(path.size() - extension.size()), extension);
}
