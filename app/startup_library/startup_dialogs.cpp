#include "app/startup_library/startup_dialogs.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "core/shared_word.h"
#include "platform/controls/dialog_box.h"
#include "platform/controls/file_chooser.h"
#include "platform/message_box.h"
#include "platform/text.h"

namespace {

constexpr int32_t kSecondsPerMinute = 60;
constexpr size_t kTimeTextLength = 12;
constexpr char16_t kTimeKeys[] = u"1234567890:\b";
constexpr int8_t kBandMinDb = -12;
constexpr int8_t kBandMaxDb = 12;

// The flags that the menus toggle with their check marks (Filtering, Shuffle, Repeat and the
// two views) are left to the menus, so a check mark never disagrees with its setting.
struct FlagRow {
  const char* name;
  const char16_t* label;
  size_t offset;
};
constexpr FlagRow kFlagRows[] = {
    {"autoPlay", u"Play items as they open", offsetof(PlayerSettings, autoPlay)},
    {"resumeLastItem", u"Resume the last item", offsetof(PlayerSettings, resumeLastItem)},
    {"audioEnabled", u"Play the sound", offsetof(PlayerSettings, audioEnabled)},
    {"keepAwake", u"Keep the device awake", offsetof(PlayerSettings, keepAwake)},
    {"rotate", u"Rotate the picture", offsetof(PlayerSettings, rotate)},
    {"fullScreen", u"Double small pictures", offsetof(PlayerSettings, fullScreen)},
    {"videoTakeover", u"Video takes the screen", offsetof(PlayerSettings, videoTakeover)},
    {"showStatistics", u"Statistics after a video", offsetof(PlayerSettings, showStatistics)},
    {"cachedInput", u"Cached input for files", offsetof(PlayerSettings, cachedInput)},
    {"useStreamingReader", u"Streaming AVI reader", offsetof(PlayerSettings, useStreamingReader)},
};

struct NumberRow {
  const char* name;
  const char16_t* label;
  size_t offset;
  int32_t minimum, maximum, step;
};
constexpr NumberRow kNumberRows[] = {
    {"lateWindow", u"Late frames to skip", offsetof(PlayerSettings, lateWindow), 1, 1000, 1},
    {"brightness", u"Brightness", offsetof(PlayerSettings, brightness), -1000, 1000, 10},
    {"readerParameter", u"Reader parameter", offsetof(PlayerSettings, readerParameter), -1000000,
     1000000, 1},
};

struct KeyRow {
  const char* name;
  const char16_t* label;
  size_t offset;
};
constexpr KeyRow kKeyRows[] = {
    {"keyPlayPause", u"Play / pause key", offsetof(PlayerSettings, keyPlayPause)},
    {"keyStop", u"Stop key", offsetof(PlayerSettings, keyStop)},
    {"keyNextItem", u"Next item key", offsetof(PlayerSettings, keyNextItem)},
    {"keyPreviousItem", u"Previous item key", offsetof(PlayerSettings, keyPreviousItem)},
    {"keyFastForward", u"Fast forward key", offsetof(PlayerSettings, keyFastForward)},
    {"keyVolumeUp", u"Volume up key", offsetof(PlayerSettings, keyVolumeUp)},
    {"keyVolumeDown", u"Volume down key", offsetof(PlayerSettings, keyVolumeDown)},
    {"keyMute", u"Mute key", offsetof(PlayerSettings, keyMute)},
    {"keyFullScreen", u"Full screen key", offsetof(PlayerSettings, keyFullScreen)},
    {"keyRotate", u"Rotate key", offsetof(PlayerSettings, keyRotate)},
    {"keyBrightnessUp", u"Brighter key", offsetof(PlayerSettings, keyBrightnessUp)},
    {"keyBrightnessDown", u"Darker key", offsetof(PlayerSettings, keyBrightnessDown)},
    {"keyDisplayPower", u"Display power key", offsetof(PlayerSettings, keyDisplayPower)},
};

constexpr const char* kBandNames[] = {"preamp", "band1", "band2", "band3", "band4", "band5",
                                      "band6",  "band7", "band8", "band9", "band10"};
constexpr const char16_t* kBandLabels[] = {u"Preamp", u"31 Hz",  u"62 Hz", u"125 Hz",
                                           u"250 Hz", u"500 Hz", u"1 kHz", u"2 kHz",
                                           u"4 kHz",  u"8 kHz",  u"16 kHz"};
static_assert(std::size(kBandNames) == EQUALIZER_BAND_COUNT);

int32_t ReadWord(const PlayerSettings& settings, size_t offset) {
  int32_t value;
  std::memcpy(&value, reinterpret_cast<const uint8_t*>(&settings) + offset, sizeof value);
  return value;
}

// The playback threads read some settings while they play: each is stored whole.
void WriteWord(PlayerSettings* settings, size_t offset, int32_t value) {
  StoreSharedWord(*reinterpret_cast<int32_t*>(reinterpret_cast<uint8_t*>(settings) + offset),
                  value);
}

uint8_t& ByteAt(PlayerSettings* settings, size_t offset) {
  return reinterpret_cast<uint8_t*>(settings)[offset];
}

void AddButtons(DialogBox* box) {
  box->widgets.push_back(
      {.kind = WidgetKind::Button, .name = "ok", .label = u"OK", .result = IDOK});
  box->widgets.push_back(
      {.kind = WidgetKind::Button, .name = "cancel", .label = u"Cancel", .result = IDCANCEL});
}

}  // namespace

DialogBox OptionsBox(const PlayerSettings& settings) {
  DialogBox box{.title = u"Options", .name = "Options"};
  PlayerSettings copy = settings;
  for (const FlagRow& row : kFlagRows)
    box.widgets.push_back({.kind = WidgetKind::CheckBox,
                           .name = row.name,
                           .label = row.label,
                           .value = ByteAt(&copy, row.offset) != 0});
  box.widgets.push_back({.kind = WidgetKind::CheckBox,
                         .name = "showHiddenFiles",
                         .label = u"Show hidden files in Open",
                         .value = (settings.dialogOption & kChooserShowHidden) != 0});
  for (const NumberRow& row : kNumberRows)
    box.widgets.push_back({.kind = WidgetKind::Stepper,
                           .name = row.name,
                           .label = row.label,
                           .value = ReadWord(settings, row.offset),
                           .minimum = std::min(row.minimum, ReadWord(settings, row.offset)),
                           .maximum = std::max(row.maximum, ReadWord(settings, row.offset)),
                           .step = row.step});
  for (const KeyRow& row : kKeyRows)
    box.widgets.push_back({.kind = WidgetKind::KeyField,
                           .name = row.name,
                           .label = row.label,
                           .value = ReadWord(settings, row.offset)});
  AddButtons(&box);
  return box;
}

namespace {

void StoreOptions(DialogBox* box, PlayerSettings* settings) {
  for (const FlagRow& row : kFlagRows)
    StoreSharedWord(ByteAt(settings, row.offset), uint8_t(FindWidget(box, row.name)->value != 0));
  const bool hidden = FindWidget(box, "showHiddenFiles")->value != 0;
  settings->dialogOption = hidden ? settings->dialogOption | kChooserShowHidden
                                  : settings->dialogOption & ~kChooserShowHidden;
  for (const NumberRow& row : kNumberRows)
    WriteWord(settings, row.offset, FindWidget(box, row.name)->value);
  for (const KeyRow& row : kKeyRows)
    WriteWord(settings, row.offset, FindWidget(box, row.name)->value);
}

}  // namespace

DialogBox EqualizerBox(const PlayerSettings& settings) {
  DialogBox box{.title = u"Equalizer", .name = "Equalizer"};
  box.widgets.push_back({.kind = WidgetKind::CheckBox,
                         .name = "on",
                         .label = u"Equalizer on",
                         .value = settings.equalizerOn != 0});
  for (size_t band = 0; band < EQUALIZER_BAND_COUNT; ++band)
    box.widgets.push_back(
        {.kind = WidgetKind::Slider,
         .name = kBandNames[band],
         .label = kBandLabels[band],
         .value = std::clamp<int32_t>(settings.equalizerBands[band], kBandMinDb, kBandMaxDb),
         .minimum = kBandMinDb,
         .maximum = kBandMaxDb,
         .suffix = u" dB"});
  AddButtons(&box);
  return box;
}

namespace {

bool ParseTimePart(std::u16string_view digits, int64_t* value) {
  if (digits.empty() || digits.size() > 9) return false;
  *value = 0;
  for (char16_t c : digits) {
    if (c < u'0' || c > u'9') return false;
    *value = *value * 10 + (c - u'0');
  }
  return true;
}

bool AcceptTime(DialogBox& box, int32_t* seconds) {
  if (ParseTime(FindWidget(&box, "time")->text, seconds)) return true;
  box.status = u"Enter a time as H:MM:SS or MM:SS";
  return false;
}

}  // namespace

void ShowOptionsDialog(int32_t, const AppInstance*, WindowHandle, PlayerSettings* settings) {
  DialogBox box = OptionsBox(*settings);
  if (RunDialogBox(&box) == IDOK) StoreOptions(&box, settings);
}

void ShowEqualizerDialog(int32_t, const AppInstance*, WindowHandle, PlayerSettings* settings) {
  DialogBox box = EqualizerBox(*settings);
  if (RunDialogBox(&box) != IDOK) return;
  settings->equalizerOn = FindWidget(&box, "on")->value != 0;
  for (size_t band = 0; band < EQUALIZER_BAND_COUNT; ++band)
    settings->equalizerBands[band] = static_cast<int8_t>(FindWidget(&box, kBandNames[band])->value);
}

DialogBox JumpToBox(int32_t seconds, int32_t* chosen) {
  DialogBox box{.title = u"Jump To", .name = "Jump To"};
  box.widgets.push_back({.kind = WidgetKind::TextField,
                         .name = "time",
                         .text = FormatTime(seconds),
                         .maxLength = kTimeTextLength});
  box.widgets.push_back({.kind = WidgetKind::Keypad, .name = "keypad", .text = kTimeKeys});
  AddButtons(&box);
  box.accept = [chosen](DialogBox& b) { return AcceptTime(b, chosen); };
  box.answer = [](DialogBox& b, const std::string& answer) {
    FindWidget(&b, "time")->text = Utf8ToWide(answer);
    return true;
  };
  return box;
}

int32_t JumpTo(WindowHandle, int32_t seconds) {
  int32_t chosen = -1;
  DialogBox box = JumpToBox(seconds, &chosen);
  return RunDialogBox(&box) == IDOK ? chosen : -1;
}

bool ParseTime(std::u16string_view text, int32_t* seconds) {
  std::vector<int64_t> parts;
  size_t start = 0;
  while (true) {
    const size_t colon = std::min(text.find(u':', start), text.size());
    int64_t value = 0;
    if (!ParseTimePart(text.substr(start, colon - start), &value)) return false;
    parts.push_back(value);
    if (colon == text.size()) break;
    start = colon + 1;
  }
  if (parts.size() > 3) return false;
  int64_t total = 0;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0 && parts[i] >= kSecondsPerMinute) return false;
    total = total * kSecondsPerMinute + parts[i];
  }
  if (total > std::numeric_limits<int32_t>::max()) return false;
  *seconds = static_cast<int32_t>(total);
  return true;
}
