// The skin checks: the file's reading, element by element, through the same searches the player
// makes, then the geometry against the decoded images and the fonts.
#include "tools/skin/skin_check.h"

#include <algorithm>
#include <iterator>

#include "platform/files.h"
#include "platform/text.h"
#include "skin/skin_file.h"

namespace {

struct Checker {
  std::string bytes;
  SkinText text{};
  Skin parsed{};
  ElementReading readings[kSkinElementCount];
  std::vector<SkinFinding> findings;

  void Error(const std::string& element, size_t offset, const std::string& what) {
    findings.push_back({true, element, Line(offset), what});
  }
  void Warning(const std::string& element, size_t offset, const std::string& what) {
    findings.push_back({false, element, Line(offset), what});
  }
  int Line(size_t offset) const {
    return offset == std::string::npos ? 0 : LineOfOffset(bytes, offset);
  }
};

// Elements whose rectangle the player never uses (only their fonts and colours).
bool RectangleUnused(const std::string& name) {
  return name == "MediaView" || name == "PlaylistView";
}

bool IsKnob(const std::string& name) {
  return name == "SeekButton" || name == "VolumeButton";
}

bool HasPushedLook(const std::string& name) {
  return name.ends_with("Button");
}

bool IsZero(const SkinElement& e) {
  return e.Left == 0 && e.Top == 0 && e.Width == 0 && e.Height == 0;
}

// Where the text that an author would take for the element's block really ends: the next
// element name or "Files" after the empty line, whichever comes first.
size_t NextSectionAfter(const Checker& c, size_t from) {
  size_t next = c.bytes.size();
  for (const SkinElementName& element : kSkinElements)
    next = std::min(next, c.bytes.find(element.name, from));
  return std::min(next, c.bytes.find("Files", from));
}

void CheckKeys(Checker& c, const std::string& name, const ElementReading& reading) {
  const size_t tailEnd = reading.blockEnd == std::string::npos
                             ? c.bytes.size()
                             : NextSectionAfter(c, reading.blockEnd + 4);
  for (size_t k = 0; k < kSkinKeyCount; ++k) {
    const KeyReading& key = reading.keys[k];
    const std::string keyText = kSkinKeys[k].text;
    if (key.state == KeyState::BeyondBlock && key.offset < tailEnd)
      c.Error(name, key.offset,
              keyText + " lies after the empty line that ends the block: it is not read");
    const bool readFromPushed = key.state == KeyState::Found && key.offset >= 6 &&
                                c.bytes.compare(key.offset - 6, 6, "Pushed") == 0 &&
                                (keyText == "Left=" || keyText == "Top=");
    if (readFromPushed)
      c.Error(name, key.offset,
              keyText + " is read from Pushed" + keyText + ": put " + keyText + " before it");
  }
}

void ReadElements(Checker& c) {
  for (size_t i = 0; i < kSkinElementCount; ++i) {
    const std::string name = kSkinElements[i].name;
    const ElementReading& reading = c.readings[i] =
        ReadSkinElement(c.text, name, &(c.parsed.*kSkinElements[i].member));
    if (reading.nameOffset == std::string::npos) {
      c.Warning(name, std::string::npos, "missing: it draws nothing and never reacts");
      continue;
    }
    if (reading.blockEnd == std::string::npos) {
      c.Error(name, reading.nameOffset,
              "no empty line ends the block (the last line of the file must be empty): "
              "none of its values is read");
      continue;
    }
    CheckKeys(c, name, reading);
  }
}

Size ImageSize(const char16_t* path) {
  BitmapHandle image = LoadImageFile(WideView(path));
  const Size size = GetBitmapSize(image);
  DeleteBitmap(image);
  return size;
}

bool Inside(int32_t left, int32_t top, int32_t width, int32_t height, Size image) {
  return left >= 0 && top >= 0 && width >= 0 && height >= 0 && left + width <= image.cx &&
         top + height <= image.cy;
}

void CheckImages(Checker& c, std::u16string_view folder, Size* background, Size* buttons) {
  const FilesReading files = ReadSkinFiles(c.text, folder, &c.parsed);
  if (files.filesOffset == std::string::npos) {
    c.Error("Files", std::string::npos, "no Files block: the skin has no images");
    return;
  }
  if (files.blockEnd == std::string::npos) {
    c.Error("Files", files.filesOffset,
            "no empty line ends the block (the last line of the file must be empty): "
            "the images are not read");
    return;
  }
  struct Image {
    const char* key;
    const KeyReading& reading;
    bool tooLong;
    const char16_t* value;
    Size* size;
  };
  const Image images[] = {
      {"Background=", files.background, files.backgroundTooLong, c.parsed.BackgroundPath,
       background},
      {"Buttons=", files.buttons, files.buttonsTooLong, c.parsed.ButtonsPath, buttons}};
  for (const Image& image : images) {
    if (image.reading.state != KeyState::Found) {
      c.Error("Files", files.filesOffset, std::string(image.key) + " is missing from the block");
      continue;
    }
    if (image.tooLong) {
      c.Error("Files", image.reading.offset, std::string(image.key) + " names too long a path");
      continue;
    }
    *image.size = ImageSize(image.value);
    if (image.size->cx == 0)
      c.Error("Files", image.reading.offset,
              std::string(image.key) + " " + WideToUtf8(WideView(image.value)) +
                  (FileExists(WideToUtf8(WideView(image.value))) ? " does not decode"
                                                                 : " does not exist"));
  }
}

void CheckPlaces(Checker& c, Size background, Size buttons) {
  for (size_t i = 0; i < kSkinElementCount; ++i) {
    const std::string name = kSkinElements[i].name;
    const SkinElement& e = c.parsed.*kSkinElements[i].member;
    if (RectangleUnused(name) || IsZero(e)) continue;
    const size_t at = c.readings[i].nameOffset;
    if (background.cx > 0 && !Inside(e.Left, e.Top - kSkinTopOffset, e.Width, e.Height, background))
      c.Error(name, at, "lies outside the background image");
    if (buttons.cx > 0 && HasPushedLook(name) &&
        !Inside(e.PushedLeft, e.PushedTop, e.Width, e.Height, buttons))
      c.Error(name, at, "its pushed look lies outside the buttons image");
  }
}

bool Overlap(const SkinElement& a, const SkinElement& b) {
  return a.Left < b.Left + b.Width && b.Left < a.Left + a.Width && a.Top < b.Top + b.Height &&
         b.Top < a.Top + a.Height;
}

void CheckOverlaps(Checker& c) {
  for (size_t i = 0; i < kSkinElementCount; ++i)
    for (size_t j = i + 1; j < kSkinElementCount; ++j) {
      const std::string a = kSkinElements[i].name, b = kSkinElements[j].name;
      if (RectangleUnused(a) || RectangleUnused(b) || IsKnob(a) || IsKnob(b)) continue;
      if (Overlap(c.parsed.*kSkinElements[i].member, c.parsed.*kSkinElements[j].member))
        c.Error(b, c.readings[j].nameOffset, "overlaps " + a);
    }
}

void CheckKnob(Checker& c, const char* areaName, const SkinElement& area, size_t knobIndex) {
  const std::string name = kSkinElements[knobIndex].name;
  const SkinElement& knob = c.parsed.*kSkinElements[knobIndex].member;
  if (IsZero(knob) || IsZero(area)) return;
  const size_t at = c.readings[knobIndex].nameOffset;
  const bool tooLarge = area.Vertical ? knob.Height >= area.Height || knob.Width > area.Width
                                      : knob.Width >= area.Width || knob.Height > area.Height;
  if (tooLarge)
    c.Error(name, at, std::string("is as large as ") + areaName + " or larger: it cannot move");
  if (knob.BigStep <= 0)
    c.Error(name, at, "BigStep= must be positive: without it the slider always reads 0");
  if (!Overlap(knob, area)) c.Error(name, at, std::string("lies outside ") + areaName);
}

void CheckFonts(Checker& c) {
  DeviceContextHandle dc = CreateCompatibleDC(nullptr);
  for (size_t i = 0; i < kSkinElementCount; ++i) {
    const std::string name = kSkinElements[i].name;
    const SkinElement& e = c.parsed.*kSkinElements[i].member;
    if ((name != "InfoView" && name != "Time") || IsZero(e)) continue;
    FontHandle font = MakeElementFont(e, dc);
    FontHandle previous = SelectFont(dc, font);
    const int32_t line = GetTextMetrics(dc).height;
    SelectFont(dc, previous);
    DeleteFont(font);
    if (e.Height < line)
      c.Error(name, c.readings[i].nameOffset,
              "is " + std::to_string(e.Height) + " pixels high, its font needs " +
                  std::to_string(line));
  }
  DeleteDC(dc);
}

size_t IndexOf(const char* name) {
  for (size_t i = 0; i < kSkinElementCount; ++i)
    if (std::string(kSkinElements[i].name) == name) return i;
  return 0;
}

}  // namespace

std::vector<SkinFinding> CheckSkin(const std::string& path) {
  Checker c;
  if (!ReadWholeFile(path, &c.bytes)) return {{true, "", 0, "cannot be read"}};
  if (c.bytes.find('\n') != std::string::npos && c.bytes.find("\r\n") == std::string::npos)
    c.Error("", std::string::npos, "lines end with LF alone: the player reads CR LF line ends");
  c.text = FindSkinAnchor(c.bytes);
  if (c.text.anchor == std::string::npos) {
    c.Error("", std::string::npos, "no [Handheld] line: the player reads nothing of the file");
    return c.findings;
  }
  ReadElements(c);
  const size_t cut = path.find_last_of('/');
  const std::u16string folder =
      cut == std::string::npos ? u"" : Utf8ToWide(path.substr(0, cut + 1));
  Size background{}, buttons{};
  CheckImages(c, folder, &background, &buttons);
  CheckPlaces(c, background, buttons);
  CheckOverlaps(c);
  CheckKnob(c, "SeekArea", c.parsed.SeekArea, IndexOf("SeekButton"));
  CheckKnob(c, "VolumeArea", c.parsed.VolumeArea, IndexOf("VolumeButton"));
  CheckFonts(c);
  return c.findings;
}

std::string FormatFinding(const std::string& path, const SkinFinding& f) {
  std::string line = path + ":" + (f.line > 0 ? std::to_string(f.line) + ":" : "") +
                     (f.error ? " error: " : " warning: ");
  if (!f.element.empty()) line += f.element + ": ";
  return line + f.text;
}
