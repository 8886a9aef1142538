// Free-running decode and draw: the video thread's own path (reader, codec plug-in, blitter into
// the headless screen) with pacing off and no sound, so every frame is decoded and drawn as fast
// as the machine goes. Prints one line: frames drawn, wall seconds and frames per second.
//   free_run_bench CLIP.avi
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/player_state.h"
#include "media/reader_state.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/gapi.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/window.h"
#include "playback/frame_presenter.h"
#include "playback/open_item.h"
#include "playback/video_thread.h"

namespace {

bool ended = false;

intptr_t BenchWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  // Once the reader has opened the item and before its video thread starts: pacing off.
  if (message == kWaitCursorMessage && lParam == 0 && currentDescriptor)
    currentDescriptor->FreeRunning = 1;
  if (message == kPlaybackEndedMessage) {
    ended = true;
    return 0;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: free_run_bench CLIP.avi\n");
    return 2;
  }
  SetExecutableFolder(MORVELANT_DIST_DIR);
  const std::string home = std::string(MORVELANT_BENCH_DIR) + "/free-run-home";
  RegistryLoad(home, std::string(MORVELANT_DIST_DIR) + "/registry.default.reg");
  playerSettings = {};
  playerSettings.audioEnabled = 0;
  playerSettings.lateWindow = 5;
  BackendOptions options;
  options.headless = true;
  options.audio = "null";
  if (const char* journal = std::getenv("BENCH_JOURNAL")) options.journal = journal;
  options.journalFrames = true;
  if (!OpenBackend(options)) return 1;
  screenWidth = 640;
  screenHeight = 480;
  WindowDescription description;
  description.className = u"FreeRunBench";
  description.procedure = BenchWindowProc;
  description.bounds = {0, 0, 640, 480};
  const WindowHandle window = mainWindow = CreateWindow(description);
  OpenDisplay(window, 0);
  WideCopy(currentPath, kMediaPathChars, Utf8ToWide(argv[1]));
  startRequest = 1;
  const uint32_t start = GetTickCount();
  OpenItem(window, 0);
  if (videoThreadId == 0) {
    std::fprintf(stderr, "free_run_bench: %s did not open\n", argv[1]);
    return 1;
  }
  while (!ended) {
    Message message;
    while (PeekMessage(&message, true)) DispatchMessage(&message);
    Sleep(1);
  }
  // The thread's start-up pause is not decoding: it is left out of the time.
  const double seconds = (GetTickCount() - start - 100) / 1000.0;
  const int32_t frames = DescriptorCurrentFrame();
  std::printf("frames %d seconds %.3f fps %.1f\n", frames, seconds, frames / seconds);
  OpenItem(window, -1);
  CloseDisplay();
  DestroyWindow(window);
  CloseBackend();
  return 0;
}
