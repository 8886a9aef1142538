// The skin: 21 named rectangles over a background image, with a second image holding every
// button's pushed look, and everything that reads them: the file parser, the images, the
// pen-driven controls, the list views and the info and time views.
//
// Threads: everything here runs on the main window's thread; the skin has no lock. The records
// are plain globals read by the window's paint handler, the engine and the output geometry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/drawing.h"
#include "platform/window.h"

// The skin's own coordinates start this many rows below the window's client area (the command
// bar); every Top is stored with it added.
constexpr int32_t kSkinTopOffset = 25;
constexpr size_t kSkinFontChars = 100;  // face name, terminator included
constexpr size_t kSkinImagePathChars = 255;
// The window timer that moves the seek knob and the text views once a second.
constexpr uint32_t kSeekTimerId = 11;
constexpr uint32_t kSeekTimerPeriodMs = 1000;

struct SkinElement {
  int32_t Top;  // client coordinates: the file's value plus kSkinTopOffset
  int32_t Left;
  int32_t Width;
  int32_t Height;
  int32_t PushedTop;  // origin of the pushed look inside the buttons image
  int32_t PushedLeft;
  int32_t Vertical;   // 1 when Height > Width
  int32_t Pushed;     // 1 while the element shows its pushed look (controls only)
  int32_t Direction;  // +1 when BigStep > 0, else -1
  int32_t BigStep;    // pixels a knob moves on a tap beside it
  char16_t Font[kSkinFontChars];
  int32_t PointSize;                     // 0: the default font
  int32_t FontRed, FontGreen, FontBlue;  // all 0: the default text colour
  int32_t BackRed, BackGreen, BackBlue;  // all 0: transparent text
  uint8_t ScrollText;                    // the info line scrolls
};

struct Skin {
  SkinElement ViewPort, MediaView, PlaylistView, Time, InfoView;
  SkinElement PlayButton, StopButton, NextButton, PrevButton, FFWDButton;
  SkinElement OpenButton, PlaylistButton;
  SkinElement MuteButton, RepeatButton, EQButton, FullScreenButton, RotateButton;
  SkinElement SeekArea, SeekButton, VolumeArea, VolumeButton;
  char16_t BackgroundPath[kSkinImagePathChars];
  char16_t ButtonsPath[kSkinImagePathChars];
  BitmapHandle BackgroundImage;  // owned by the skin, replaced by every LoadSkin
  BitmapHandle ButtonsImage;
};

extern Skin skin;  // W main (LoadSkin, controls); R main

// The 21 elements by name, in the order LoadSkin parses them.
struct SkinElementName {
  const char* name;
  SkinElement Skin::*member;
};
constexpr size_t kSkinElementCount = 21;
extern const SkinElementName kSkinElements[kSkinElementCount];

// ---- Skin files (pure functions over the file's bytes) ----

// A skin file's bytes and where its "[Handheld]" anchor is (npos: none, nothing is read).
struct SkinText {
  std::string_view bytes;
  size_t anchor;
};
SkinText FindSkinAnchor(std::string_view bytes);

// The element's record cleared and filled from the text.
void ParseSkinElement(const SkinText& text, std::string_view name, SkinElement* element);
// The two image paths from the "Files" block, each the folder followed by the value; a key
// that is missing (or a joined path longer than the record holds) leaves its path as it was.
void ParseSkinFiles(const SkinText& text, std::u16string_view folder, Skin* target);
// Every element, then the "Files" block; the images are left alone.
void ParseSkin(std::string_view bytes, std::u16string_view folder, Skin* target);

// Reads the skin file at `path` (a buffer of `capacity` wide characters) into `skin` and loads
// its two images. When the file cannot be read, the screen-size skin
// "<executable's folder>/Skins/Kub_<W>x<H>.pds" is used and its path written into `path`.
// When neither can be read every element stays zero, there are no images, and the player says
// so once per run.
void LoadSkin(char16_t* path, size_t capacity);
template <size_t N>
void LoadSkin(char16_t (&path)[N]) {
  LoadSkin(path, N);
}
// The screen-size skin's path for the current screen.
std::u16string FallbackSkinPath();

// ---- Images ----

// The picture file decoded by the platform's image decoder, at most 800 x 600; null when the
// file cannot be opened or does not decode. The caller owns the bitmap (DeleteBitmap).
BitmapHandle LoadImageFile(std::u16string_view path);

// ---- Controls ----

// True when the point lies strictly inside the element (an edge is outside).
bool HitElement(int32_t x, int32_t y, const SkinElement& element);
// Copy the element's normal look from the background image (or its pushed look from the buttons
// image) to the main window, unless the video owns the screen and plays; then clear (or set)
// its Pushed.
void DrawElementNormal(SkinElement& element);
void DrawElementPushed(SkinElement& element);
// The main window's pointer messages, in client coordinates.
void OnPointerDown(int32_t x, int32_t y);
void OnPointerMove(int32_t x, int32_t y);
void OnPointerUp(int32_t x, int32_t y);

enum class SliderKind { Seek, Volume };
// The knob's place as a percentage of the area's extent minus the knob's, 0..100 (0 when the
// knob is as large as its area).
int32_t KnobPercent(SliderKind slider);
// Moves the volume knob to `percent` of its slider; does not draw.
void PlaceVolumeKnob(int32_t percent);
// Moves the seek knob to `position` per cent (the reader's progress) and draws the seek bar.
void PlaceSeekKnob(double position);

// ---- Layout and list views ----

// The two list views (playlistView, mediaInfoView) are player-wide state: the playlist fills
// one and the window tells clicks in it apart.
// Loads the skin at `path` (which may be rewritten with the screen-size skin's path), stores
// that path in the settings, starts or stops the seek timer on `window`, places the volume knob,
// and builds the two list views as children of `window`.
void ApplySkin(char16_t* path, size_t capacity, WindowHandle window);
template <size_t N>
void ApplySkin(char16_t (&path)[N], WindowHandle window) {
  ApplySkin(path, N, window);
}
// Shows, hides and places the two list views for the open item, the list and the view switches.
void LayoutListViews();
// The font an element asks for on `dc` ("Tahoma" at 9 points when its PointSize is 0).
// The caller deletes it.
FontHandle MakeElementFont(const SkinElement& element, DeviceContextHandle dc);

// ---- Info and time views ----

extern std::u16string InfoText;  // W main (BuildInfoText); R main
extern int32_t ScrollOffset;     // W main (DrawInfoView); R main

// H:MM:SS, the hours only when not 0.
std::u16string FormatTime(int32_t seconds);
void BuildInfoText();
void DrawInfoView(DeviceContextHandle dc);
void DrawTimeView(DeviceContextHandle dc);

// ---- What the skin asks of the layers above it ----

// The open item as the info line, the time view and the list layout see it.
struct ItemFacts {
  bool open = false;          // an item is open
  bool lastHadVideo = false;  // the last item opened had video frames
  int32_t frameCount = 0, currentFrame = 0;
  double framesPerSecond = 0;
  int32_t audioLength = 0;  // bytes of audio data
  bool endless = false;     // a live stream, or audio of unknown length: no running time
  int32_t sampleRate = 0, channels = 0;
  double position = 0;                  // per cent, the reader's progress
  std::u16string title, artist, album;  // as the audio decoder reported them
  int32_t bitrate = 0;                  // bits per second; its magnitude is used
};
struct PlaylistPosition {
  int32_t lastIndex = 0, currentIndex = 0;
};
// The transport operations, the open item and the playlist live in layers above the skin, so
// the window hands them over as a table at start-up (before ApplySkin). Entries left null keep
// the null behaviour: nothing plays, nothing is open, no list.
struct SkinHooks {
  void (*playPause)() = nullptr;              // the play/pause toggle
  void (*seekTo)(int32_t percent) = nullptr;  // a plain position seek, 0..100
  ItemFacts (*describeItem)() = nullptr;
  PlaylistPosition (*playlistPosition)() = nullptr;
  void (*installListViewProc)(WindowHandle view) = nullptr;  // each new list view
};
void SetSkinHooks(const SkinHooks& hooks);
extern SkinHooks skinHooks;  // W main (SetSkinHooks); R main; never with a null entry
