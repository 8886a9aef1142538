#include "playback/output_setup.h"

#include "codecs/codec_loading.h"
#include "core/player_state.h"
#include "device/system_bars.h"
#include "playback/engine_state.h"
#include "playback/frame_presenter.h"
#include "playback/transport.h"
#include "skin/skin.h"
#include "video/output_geometry.h"

std::atomic<int16_t> originRow, originColumn;
std::atomic<int32_t> originOffset, rowSkip;
std::atomic<Blitter> currentBlitter{BlitUpright};

void ComputeGeometry() {
  GeometryInput input;
  input.pictureWidth = pictureWidth;
  input.pictureHeight = pictureHeight;
  input.rotate = playerSettings.rotate;
  input.fullScreen = playerSettings.fullScreen;
  input.hasVideo = OpenFrameCount() != 0;
  input.screenWidth = screenWidth;
  input.screenHeight = screenHeight;
  input.viewport = {skin.ViewPort.Left, skin.ViewPort.Top, skin.ViewPort.Width,
                    skin.ViewPort.Height};
  input.previousRow = originRow;
  input.previousColumn = originColumn;
  stopRequested = 0;
  const OutputGeometry g = ComputeOutputGeometry(input);
  screenTakeover = playerSettings.videoTakeover && input.hasVideo;
  originRow = g.originRow;
  originColumn = g.originColumn;
  originOffset = g.originOffset;
  rowSkip = g.rowSkip;
  if (g.takeover) {
    screenTakeover = 1;
    if (!paused) ShowSystemBars(false);
  }
}

int32_t ConfigureOutput(int32_t purpose) {
  previousFrameDrawn = 0;
  const int32_t kind = OutputKindFor(purpose, playerSettings.rotate, playerSettings.fullScreen);
  if (purpose == 0 && decodeInit) {
    VideoDecoderParams params{pictureWidth, pictureHeight, 0, kind, playerSettings.filtering};
    decodeInit(0, DECODE_INIT_NEW_ITEM, &params, 0);
  }
  SelectBlitter(kind);
  return 0;
}

int32_t SelectBlitter(int32_t kind) {
  if (Blitter blitter = BlitterForKind(kind, altRotation)) currentBlitter = blitter;
  return 1;
}

void ToggleDisplayOption(WindowHandle, uint8_t* flag) {
  auto flip = [flag] {
    if (flag) *flag = !*flag;
  };
  if (videoThreadId == 0 || OpenFrameCount() == 0) {
    flip();
  } else if (!paused) {
    TogglePause();
    flip();
    ComputeGeometry();
    ConfigureOutput(-1);
    TogglePause();
  } else {
    flip();
    ComputeGeometry();
    RedrawStill();
  }
}
