#include "media/reader_selection.h"

#include <string>

#include "core/player_state.h"
#include "media/avi_reader.h"
#include "media/reader_state.h"
#include "platform/library.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace {

constexpr std::u16string_view kBroadcastPath = u"Broadcast";
constexpr std::u16string_view kBroadcastReader = u"Dremmet.dll";
constexpr std::u16string_view kStreamingAviReader = u"plenvar.dll";
constexpr std::u16string_view kNetworkFallbackReader = u"quellin.dll";
// A reader library whose name holds this is loaded once and never unloaded.
constexpr std::u16string_view kKeptReaderMark = u"Sulvane";
constexpr std::u16string_view kAviMarks[] = {u".avi", u".AVI", u".divx", u".DIVX"};
constexpr std::u16string_view kFormatKey = u"software\\Morvelant\\plugins\\format";
// Registry values are read into a 400-byte buffer: 199 characters and the terminator.
constexpr size_t kRegistryValueChars = 200;
constexpr const char* kInitializeReaderExport = "InitializeReader";

constexpr std::u16string_view kUnknownFormatText = u"This file is of an unknown format";
constexpr std::u16string_view kVideoErrorTitle = u"Video Error";
constexpr std::u16string_view kFileErrorTitle = u"File Error";
constexpr std::u16string_view kLoadErrorTitle = u"Error loading file reader";
constexpr std::u16string_view kNoLibraryText =
    u"No reader library is registered for this file type";

// Main thread only.
LibraryHandle currentReaderLibrary;
LibraryHandle keptReaderLibrary;

int32_t Refuse(std::u16string_view text, std::u16string_view title) {
  readerOps = {};
  MessageBox(mainWindow, text, title);
  return -1;
}

void ForgetCurrentLibrary() {
  if (currentReaderLibrary != keptReaderLibrary) FreeLibrary(currentReaderLibrary);
  currentReaderLibrary = nullptr;
}

// Slots the player calls only when the item has audio, or video: a reader that leaves them
// empty gets stand-ins that end that stream at once instead of a call through null.
int32_t NoAudio(uint8_t*, int32_t) {
  return 0;
}
int32_t NoVideo(uint8_t*, int32_t) {
  return -1;
}
int32_t NoAudioResync() {
  return 0;
}
int32_t EveryFrameKey(int32_t) {
  return 1;
}

void FillStreamStandIns(ReaderOps* table) {
  if (!table->ReadAudio) table->ReadAudio = NoAudio;
  if (!table->ReadVideoFrame) table->ReadVideoFrame = NoVideo;
  if (!table->ResyncAudio) table->ResyncAudio = NoAudioResync;
  if (!table->IsKeyFrame) table->IsKeyFrame = EveryFrameKey;
}

// Has the library fill the table; the text of the refusal when it cannot be used.
std::u16string InitializeLibraryReader(std::u16string_view name) {
  const auto initialize = reinterpret_cast<InitializeReaderFunction>(
      GetProcAddress(currentReaderLibrary, kInitializeReaderExport));
  const std::u16string file = Utf8ToWide(LibraryFileName(name));
  if (!initialize) return file + u": the reader does not export InitializeReader";
  initialize(&readerOps);
  if (!readerOps.Open || !readerOps.Seek || !readerOps.GetProgress || !readerOps.Close)
    return file + u": the reader does not provide Open, Seek, GetProgress and Close";
  FillStreamStandIns(&readerOps);
  return {};
}

int32_t InstallLibraryReader(std::u16string_view name) {
  currentReaderLibrary = LoadLibrary(name);
  if (!currentReaderLibrary) return Refuse(Utf8ToWide(LibraryLoadError()), kLoadErrorTitle);
  readerOps = {};
  const std::u16string refusal = InitializeLibraryReader(name);
  if (!refusal.empty()) {
    ForgetCurrentLibrary();
    return Refuse(refusal, kLoadErrorTitle);
  }
  if (name.find(kKeptReaderMark) != std::u16string_view::npos)
    keptReaderLibrary = currentReaderLibrary;
  readerStreamTitle = reinterpret_cast<ReaderStreamTitleFunction>(
      GetProcAddress(currentReaderLibrary, READER_EXPORT_STREAM_TITLE));
  return 0;
}

bool IsAviPath(std::u16string_view path) {
  for (const std::u16string_view mark : kAviMarks)
    if (path.find(mark) != std::u16string_view::npos) return true;
  return false;
}

int32_t SelectRegisteredReader(std::u16string_view extension) {
  if (!RegistryKeyExists(RegistryRoot::LocalMachine, kFormatKey))
    return Refuse(kUnknownFormatText, kVideoErrorTitle);
  std::u16string library;
  const bool found =
      !extension.empty() &&
      RegistryGetString(RegistryRoot::LocalMachine, kFormatKey, WideLower(extension), &library) &&
      library.size() < kRegistryValueChars;
  if (!found) {
    if (isUrl) return InstallLibraryReader(kNetworkFallbackReader);
    return Refuse(kUnknownFormatText, kFileErrorTitle);
  }
  if (library.empty()) return Refuse(kNoLibraryText, kLoadErrorTitle);
  return InstallLibraryReader(library);
}

}  // namespace

std::u16string_view PathExtension(std::u16string_view path) {
  for (size_t i = path.size(); i-- > 0;) {
    if (path[i] == u'/') return {};
    if (path[i] == u'.') return i == 0 ? std::u16string_view() : path.substr(i + 1);
  }
  return {};
}

int32_t SelectReader() {
  ForgetCurrentLibrary();
  readerOps = {};
  readerStreamTitle = nullptr;
  const std::u16string_view path = WideView(currentPath);
  if (path == kBroadcastPath) return InstallLibraryReader(kBroadcastReader);
  if (IsAviPath(path)) {
    if (isUrl || playerSettings.useStreamingReader)
      return InstallLibraryReader(kStreamingAviReader);
    InstallAviReader(&readerOps);
    return 0;
  }
  return SelectRegisteredReader(PathExtension(path));
}
