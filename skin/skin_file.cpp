// The skin file reader: plain, case-sensitive substring searches from the "[Handheld]" anchor,
// as skin authors have always relied on. Pure functions over the file's bytes: the player, the
// lint tool and the fuzzer share them.
#include "skin/skin_file.h"

#include <algorithm>

#include "platform/text.h"

namespace {

constexpr std::string_view kAnchor = "[Handheld]";
constexpr std::string_view kFilesName = "Files";
constexpr std::string_view kBlockEnd = "\r\n\r\n";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kBackgroundKey = "Background=";
constexpr std::string_view kButtonsKey = "Buttons=";
constexpr size_t kFontValueChars = kSkinFontChars - 1;
constexpr size_t kImageValueBytes = 255;

void StoreNumber(int32_t* field, std::string_view value) {
  *field = SkinNumber(value);
}

template <int32_t SkinElement::*Field>
void Number(SkinElement* element, std::string_view value) {
  StoreNumber(&(element->*Field), value);
}

void TopNumber(SkinElement* element, std::string_view value) {
  element->Top = SkinNumber(value) + kSkinTopOffset;
}

void FontText(SkinElement* element, std::string_view value) {
  const std::u16string wide = AnsiToWide(value);
  WideCopy(element->Font, kSkinFontChars, std::u16string_view(wide).substr(0, kFontValueChars));
}

void ScrollFlag(SkinElement* element, std::string_view value) {
  element->ScrollText = SkinNumber(value) != 0 ? 1 : 0;
}

// The value after a key: up to the next line end, or the end of the file.
std::string_view ValueAfter(std::string_view bytes, size_t keyOffset, std::string_view key) {
  const size_t start = keyOffset + key.size();
  const size_t end = bytes.find(kLineEnd, start);
  return bytes.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// The first occurrence of `key` after `from`, counted only when it starts before `blockEnd`
// (a block that no empty line ends has no keys).
KeyReading FindKey(std::string_view bytes, size_t from, size_t blockEnd, std::string_view key) {
  KeyReading reading;
  reading.offset = bytes.find(key, from);
  if (reading.offset == std::string_view::npos) return reading;
  reading.state = blockEnd != std::string_view::npos && reading.offset < blockEnd
                      ? KeyState::Found
                      : KeyState::BeyondBlock;
  return reading;
}

size_t FindAfterAnchor(const SkinText& text, std::string_view needle) {
  if (text.anchor == std::string_view::npos) return std::string_view::npos;
  return text.bytes.find(needle, text.anchor);
}

// folder + value into a path record; false (record untouched) when the value or the joined
// path is longer than the record holds.
bool StoreImagePath(char16_t* path, std::u16string_view folder, std::string_view value) {
  if (value.size() > kImageValueBytes) return false;
  const std::u16string joined = std::u16string(folder) + AnsiToWide(value);
  if (joined.size() > kSkinImagePathChars - 1) return false;
  WideCopy(path, kSkinImagePathChars, joined);
  return true;
}

void DeriveFields(SkinElement* element) {
  element->Vertical = element->Height > element->Width ? 1 : 0;
  element->Direction = element->BigStep > 0 ? 1 : -1;
}

}  // namespace

const SkinKey kSkinKeys[kSkinKeyCount] = {
    {"Left=", Number<&SkinElement::Left>},
    {"Top=", TopNumber},
    {"Width=", Number<&SkinElement::Width>},
    {"Height=", Number<&SkinElement::Height>},
    {"PushedLeft=", Number<&SkinElement::PushedLeft>},
    {"PushedTop=", Number<&SkinElement::PushedTop>},
    {"BigStep=", Number<&SkinElement::BigStep>},
    {"Font=", FontText},
    {"PointSize=", Number<&SkinElement::PointSize>},
    {"FontRed=", Number<&SkinElement::FontRed>},
    {"FontGreen=", Number<&SkinElement::FontGreen>},
    {"FontBlue=", Number<&SkinElement::FontBlue>},
    {"BackRed=", Number<&SkinElement::BackRed>},
    {"BackGreen=", Number<&SkinElement::BackGreen>},
    {"BackBlue=", Number<&SkinElement::BackBlue>},
    {"ScrollText=", ScrollFlag},
};

const SkinElementName kSkinElements[kSkinElementCount] = {
    {"ViewPort", &Skin::ViewPort},
    {"StopButton", &Skin::StopButton},
    {"NextButton", &Skin::NextButton},
    {"PrevButton", &Skin::PrevButton},
    {"PlayButton", &Skin::PlayButton},
    {"FFWDButton", &Skin::FFWDButton},
    {"InfoView", &Skin::InfoView},
    {"SeekArea", &Skin::SeekArea},
    {"SeekButton", &Skin::SeekButton},
    {"VolumeArea", &Skin::VolumeArea},
    {"VolumeButton", &Skin::VolumeButton},
    {"RotateButton", &Skin::RotateButton},
    {"FullScreenButton", &Skin::FullScreenButton},
    {"EQButton", &Skin::EQButton},
    {"RepeatButton", &Skin::RepeatButton},
    {"MuteButton", &Skin::MuteButton},
    {"OpenButton", &Skin::OpenButton},
    {"PlaylistButton", &Skin::PlaylistButton},
    {"Time", &Skin::Time},
    {"PlaylistView", &Skin::PlaylistView},
    {"MediaView", &Skin::MediaView},
};

int32_t SkinNumber(std::string_view value) {
  size_t i = 0;
  while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
  int64_t number = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
    number = std::min<int64_t>(number * 10 + (value[i] - '0'), kSkinNumberLimit);
  return static_cast<int32_t>(negative ? -number : number);
}

int32_t LineOfOffset(std::string_view bytes, size_t offset) {
  offset = std::min(offset, bytes.size());
  return 1 + static_cast<int32_t>(std::count(bytes.begin(), bytes.begin() + offset, '\n'));
}

SkinText FindSkinAnchor(std::string_view bytes) {
  return {bytes, bytes.find(kAnchor)};
}

ElementReading ReadSkinElement(const SkinText& text, std::string_view name, SkinElement* element) {
  ElementReading reading;
  *element = SkinElement{};
  reading.nameOffset = FindAfterAnchor(text, name);
  if (reading.nameOffset != std::string_view::npos) {
    const size_t from = reading.nameOffset + name.size();
    reading.blockEnd = text.bytes.find(kBlockEnd, from);
    for (size_t k = 0; k < kSkinKeyCount; ++k) {
      reading.keys[k] = FindKey(text.bytes, from, reading.blockEnd, kSkinKeys[k].text);
      if (reading.keys[k].state == KeyState::Found)
        kSkinKeys[k].store(element,
                           ValueAfter(text.bytes, reading.keys[k].offset, kSkinKeys[k].text));
    }
  }
  DeriveFields(element);
  return reading;
}

void ParseSkinElement(const SkinText& text, std::string_view name, SkinElement* element) {
  ReadSkinElement(text, name, element);
}

FilesReading ReadSkinFiles(const SkinText& text, std::u16string_view folder, Skin* target) {
  FilesReading reading;
  reading.filesOffset = FindAfterAnchor(text, kFilesName);
  if (reading.filesOffset == std::string_view::npos) return reading;
  const size_t from = reading.filesOffset + kFilesName.size();
  reading.blockEnd = text.bytes.find(kBlockEnd, from);
  reading.background = FindKey(text.bytes, from, reading.blockEnd, kBackgroundKey);
  reading.buttons = FindKey(text.bytes, from, reading.blockEnd, kButtonsKey);
  if (reading.background.state == KeyState::Found)
    reading.backgroundTooLong =
        !StoreImagePath(target->BackgroundPath, folder,
                        ValueAfter(text.bytes, reading.background.offset, kBackgroundKey));
  if (reading.buttons.state == KeyState::Found)
    reading.buttonsTooLong = !StoreImagePath(
        target->ButtonsPath, folder, ValueAfter(text.bytes, reading.buttons.offset, kButtonsKey));
  return reading;
}

void ParseSkinFiles(const SkinText& text, std::u16string_view folder, Skin* target) {
  ReadSkinFiles(text, folder, target);
}

void ParseSkin(std::string_view bytes, std::u16string_view folder, Skin* target) {
  const SkinText text = FindSkinAnchor(bytes);
  for (const SkinElementName& element : kSkinElements)
    ParseSkinElement(text, element.name, &(target->*element.member));
  ParseSkinFiles(text, folder, target);
}
