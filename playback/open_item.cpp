#include "playback/open_item.h"

#include <cstring>
#include <new>

#include "codecs/audio_decoder_entries.h"
#include "codecs/codec_loading.h"
#include "core/player_state.h"
#include "device/backlight.h"
#include "device/system_bars.h"
#include "media/reader_selection.h"
#include "platform/clock.h"
#include "platform/menu.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "platform/thread.h"
#include "playback/engine_state.h"
#include "playback/output_setup.h"
#include "playback/playback_journal.h"
#include "playback/transport.h"
#include "playback/video_thread.h"
#include "playlist/playlist.h"
#include "skin/skin.h"

namespace {

constexpr int32_t kMaxPlainWidth = 640, kMaxPlainHeight = 480;
constexpr int32_t kMaxWidth = 1024, kMaxHeight = 512;
constexpr uint32_t kPaintAll = 0, kPaintPictureAndControls = 1;
constexpr uint32_t kRetryPauseMs = 1000;

void EnableCommandBar(bool enabled) {
  if (commandBar) CommandBarEnable(commandBar, enabled);
}

MenuHandle MenuBar() {
  return commandBar ? CommandBarGetMenu(commandBar) : nullptr;
}

void RemoveChapterItems() {
  if (!chaptersInMenu) return;
  const int32_t count = currentDescriptor ? currentDescriptor->ChapterCount : 0;
  if (MenuHandle menu = MenuBar())
    for (int32_t k = 0; k < count; ++k) DeleteMenuItem(menu, kFirstChapterCommand + k);
  chaptersInMenu = 0;
}

// Chapter k gets command 40060 + n - k; inserting each before the one inserted last puts them
// in order 0 to n - 1 above "(End of List)".
void InsertChapterItems(const MediaDescriptor& d) {
  MenuHandle menu = MenuBar();
  const int32_t n = std::min<int32_t>(d.ChapterCount, MAX_CHAPTERS);
  if (!menu || n <= 0) return;
  uint32_t before = kEndOfChaptersCommand;
  for (int32_t k = n - 1; k >= 0; --k) {
    const char16_t* name = d.ChapterNames[k];
    const uint32_t command = kEndOfChaptersCommand + n - k;
    InsertMenuItem(
        menu, before, command,
        std::u16string_view(name, std::char_traits<char16_t>::length(name) < CHAPTER_NAME_CHARS
                                      ? std::char_traits<char16_t>::length(name)
                                      : CHAPTER_NAME_CHARS));
    before = command;
  }
  chaptersInMenu = 1;
}

// Everything of the previous item is let go.
void CloseCurrentItem(WindowHandle window) {
  RemoveChapterItems();
  if (stillBitmap) {
    DeleteBitmap(stillBitmap);
    stillBitmap = nullptr;
    if (currentDescriptor && currentDescriptor->FrameCount == 0)
      SendMessage(window, kPaintMessage, 0, kPaintAll);
  }
  currentDescriptor = nullptr;
  audioBitrate = 0;
  if (readerOps.Close) readerOps.Close();
  delete[] pictureBuffer;
  pictureBuffer = nullptr;
}

int32_t OpenMode() {
  if (isUrl) return READER_MODE_URL;
  return playerSettings.cachedInput ? READER_MODE_CACHED : READER_MODE_LOCAL;
}

int32_t ReaderOpen(int32_t mode) {
  const int32_t result =
      readerOps.Open(currentPath, mode, playerSettings.readerParameter, &currentDescriptor);
  JournalReaderOpen(mode, result != 0);
  return result;
}

// A reopen that fails leaves nothing to play; it is reported like a failed open.
bool Reopen(WindowHandle window, int32_t mode) {
  if (ReaderOpen(mode)) return true;
  currentDescriptor = nullptr;
  MessageBox(window, u"Failed to load file, Please check available memory.", u"Load Error");
  return false;
}

// Step 21: the codecs, with one more try after the reader was closed.
bool LoadItemCodecs(WindowHandle window, int32_t mode) {
  if (LoadCodecs() == 0) return true;
  readerOps.Close();
  if (LoadCodecs() != 0) {
    readerOps.Close();
    currentDescriptor = nullptr;
    return false;
  }
  return Reopen(window, mode);
}

bool SizeAccepted(WindowHandle window, const MediaDescriptor& d) {
  if (d.Width > kMaxPlainWidth || d.Height > kMaxPlainHeight)
    MessageBox(window,
               u"The resolution of this file is very high.\nPerhaps you can play it only with the "
               u"fast forward button without sound.",
               u"Attention");
  if (d.Width > kMaxWidth || d.Height > kMaxHeight) {
    MessageBox(window, u"File resolution is greater than supported by the player.", u"Load Error");
    return false;
  }
  return true;
}

// An item without a picture shows the cover picture of its folder, when there is one.
void LoadCoverPicture(WindowHandle window) {
  stillBitmap =
      LoadImageFile(isUrl ? std::u16string(u"folder.jpg") : CoverPicturePath(currentPath));
  if (stillBitmap) {
    const Size size = GetBitmapSize(stillBitmap);
    pictureWidth = size.cx;
    pictureHeight = size.cy;
  }
  SendMessage(window, kPaintMessage, 0, kPaintPictureAndControls);
}

bool PreparePicture(WindowHandle window, const MediaDescriptor& d) {
  pictureWidth = d.Width;
  pictureHeight = d.Height;
  if (d.Height == 0) {
    LoadCoverPicture(window);
    return true;
  }
  const size_t pixels = size_t(d.Width) * size_t(d.Height);
  pictureBuffer = new (std::nothrow) uint16_t[pixels]();
  if (pictureBuffer) return true;
  MessageBox(window, u"Could not allocate enough memory", u"");
  return false;
}

void DrawInfoViewNow(WindowHandle window) {
  DeviceContextHandle dc = GetDC(window);
  DrawInfoView(dc);
  ReleaseDC(window, dc);
}

// The settings' last item: the playlist and the entry's index, or the item itself.
void RememberLastItem() {
  std::u16string item(currentPath);
  if (PlaylistPath[0])
    item = std::u16string(PlaylistPath) + u" " + Utf8ToWide(std::to_string(CurrentIndex.load()));
  WideCopy(playerSettings.lastItem, SETTINGS_PATH_CHARS, item);
}

// The handle of the previous playback's thread is let go here: that thread has ended (an item
// is opened only after its end message).
void StartVideoThread(WindowHandle window) {
  uint32_t id = 0;
  if (videoThreadHandle) CloseThreadHandle(videoThreadHandle);
  videoThreadHandle = CreateThread(VideoThread, window, &id);
  videoThreadId = videoThreadHandle ? id : 0;
  if (videoThreadHandle) JournalItemOpened();
}

// Steps 10 to 30 for one entry; false when Open failed (the caller may try the next entry).
bool OpenCurrentPath(WindowHandle window, int32_t startFrame) {
  SendMessage(window, kWaitCursorMessage, 0, 1);
  // Cached input is opened plainly first and then again cached.
  const int32_t mode = OpenMode();
  if (!ReaderOpen(mode == READER_MODE_URL ? READER_MODE_URL : READER_MODE_LOCAL)) {
    currentDescriptor = nullptr;
    SendMessage(window, kWaitCursorMessage, 0, 0);
    EnableCommandBar(true);
    return false;
  }
  if (mode == READER_MODE_CACHED) {
    readerOps.Close();
    if (!Reopen(window, READER_MODE_CACHED)) return true;
  }
  SendMessage(window, kWaitCursorMessage, 0, 0);
  MediaDescriptor& d = *currentDescriptor;
  if (d.ChapterCount > 0) InsertChapterItems(d);
  if (d.AudioLength == 0 && d.FrameCount == 0) return true;
  if (!SizeAccepted(window, d)) return true;
  DrawInfoViewNow(window);
  if (!LoadItemCodecs(window, mode)) return true;
  if (!PreparePicture(window, *currentDescriptor)) return true;
  LayoutListViews();
  framesToPlay = currentDescriptor->FrameCount;
  ClearAudioTags();
  BuildInfoText();
  EnableCommandBar(true);
  RememberLastItem();
  ComputeGeometry();
  stopRequested = 0;
  ConfigureOutput(0);
  clockRebased = 0;
  const bool playAtOnce = startRequest;
  StartVideoThread(window);
  if (playAtOnce) {
    if (readerOps.SetPaused) readerOps.SetPaused(0);
    if (playerSettings.keepAwake) HoldBacklight(true);
    DrawElementPushed(skin.PlayButton);
    JournalPlaybackState("playing");
  } else {
    TogglePause();
  }
  if (startFrame != 0 && currentDescriptor->FrameCount != 0) SeekTo(startFrame, 0, 1);
  return true;
}

}  // namespace

std::u16string CoverPicturePath(std::u16string_view itemPath) {
  const size_t cut = itemPath.find_last_of(u"/\\");
  std::u16string path(cut == std::u16string_view::npos ? u"" : itemPath.substr(0, cut));
  if (cut != std::u16string_view::npos) path += u'/';
  return path + u"folder.jpg";
}

void OpenItem(WindowHandle window, int32_t startFrame) {
  // A playback that lives already owns the item: it was started (a Play tap) after the previous
  // playback ended but before that playback's end message came here. That message is stale, and
  // closing the item would pull the descriptor from under the running threads.
  if (loading || videoThreadId != 0) return;
  // An entry of a list that cannot be opened gives way to the next one, a second later, until
  // every other entry was tried once.
  for (int32_t retries = 0;; ++retries) {
    loading = 1;
    fastForward = 0;
    DrawElementNormal(skin.PlayButton);
    if (!currentPath[0]) {
      loading = 0;
      return;
    }
    screenTakeover = 0;
    ShowSystemBars(true);
    EnableCommandBar(false);
    paused = 0;
    CloseCurrentItem(window);
    if (closing) return;
    if (startFrame < 0 || SelectReader() != 0 || OpenCurrentPath(window, startFrame)) break;
    if (LastIndex == 0 || retries >= LastIndex) {
      MessageBox(window, u"Failed to load file, Please check available memory.", u"Load Error");
      break;
    }
    RepaintWindow(true);
    Sleep(kRetryPauseMs);
    StepPlaylist(1);
    BuildInfoText();
    LayoutListViews();
  }
  EnableCommandBar(true);
  stopRequested = 0;
  loading = 0;
}

void RestartItem(WindowHandle window) {
  if (stopRequested) return;
  if (videoThreadId != 0)
    StopPlayback();
  else
    OpenItem(window, 0);
  userStopped = 0;
}
