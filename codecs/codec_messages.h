// The texts and titles of codec loading's message boxes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

constexpr std::u16string_view kRegistryErrorTitle = u"Registry Error";
constexpr std::u16string_view kAudioErrorTitle = u"Audio Error";
constexpr std::u16string_view kVideoErrorTitle = u"Video Error";

constexpr std::u16string_view kAudioKeyMissingText =
    u"Registry settings for audiocodecs not found!\n(HKLM\\software\\Morvelant\\plugins\\audio)\n"
    u"Please reinstall Morvelant.";
// Names the audio key on purpose: users and support scripts know this text as it is.
constexpr std::u16string_view kVideoKeyMissingText =
    u"Registry settings for videocodecs not found!\n(HKLM\\software\\Morvelant\\plugins\\audio)\n"
    u"Please reinstall Morvelant.";
constexpr std::u16string_view kAudioFormatText =
    u"This file contains an incompatible audio format!\nMissing audio decoder for %s!";
constexpr std::u16string_view kVideoFormatText =
    u"This file contains an incompatible video format!\nMissing audio decoder for codec %s!\n"
    u"This player supports currently:\nmpeg (MPEG I video)\nxvid (XVID Mpeg-4)\n"
    u"div3 (DivX 3.11 Low motion)\ndiv4 (DivX 3.11 Fast motion)\n"
    u"divx (DivX 4.12 and OpenDivX)\ndx50 (DivX 5.x (without extra features))\n";
// The codec refused the audio stream's format record (a block alignment or extra data it
// cannot decode with: a damaged or hostile file).
constexpr std::u16string_view kAudioRecordRefusedText =
    u"This file contains an incompatible audio format!\nThe codec cannot decode audio format %s "
    u"as the file describes it.";
// The last line of the video format text points at the formats section of the manual.
constexpr std::u16string_view kSampleVideosLine = u"Sample videos and formats: %s";
constexpr char kManualFile[] = "Tesk.htm";
constexpr char kManualFormatsAnchor[] = "FORMATS";
// A codec library that lacks one of the entry points the player calls is refused.
constexpr std::u16string_view kMissingExportText =
    u"The codec library %s cannot be used:\nit does not export %s.";
// A codec library named by the registry that cannot be loaded (missing, damaged, not a library
// of this machine). The second "%s" is the loader's reason.
constexpr std::u16string_view kLibraryLoadFailedText =
    u"The codec library %s cannot be loaded:\n%s";

// `format` with its first "%s" replaced by `value`.
std::u16string FormatMessageText(std::u16string_view format, std::u16string_view value);
// The refused-record text for audio format `tag`.
std::u16string AudioRecordRefusedMessage(int32_t tag);
// The full missing-video-codec text for `valueName`, ending with the manual's address.
std::u16string VideoFormatMessage(std::u16string_view valueName);
