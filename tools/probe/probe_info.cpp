// morvelant-probe info FILE: the descriptor the reader filled.
#include <cstdio>
#include <string>

#include "tools/probe/probe.h"

int ProbeInfo(const std::string& path) {
  if (!ProbeOpen(path)) return 1;
  const MediaDescriptor& d = ProbeDescriptor();
  std::printf("frames=%d\n", d.FrameCount);
  std::printf("fps=%.6f\n", d.FramesPerSecond);
  std::printf("width=%d\nheight=%d\n", d.Width, d.Height);
  std::printf("fourcc=%.4s\n", d.FourCC);
  std::printf("audio_tag=%d\naudio_length=%d\n", d.AudioFormatTag, d.AudioLength);
  std::printf("channels=%d\nsample_rate=%d\n", d.Channels, d.SampleRate);
  std::printf("keyframe_threshold=%d\n", d.KeyFrameThreshold);
  std::printf("chapters=%d\nfree_running=%d\n", d.ChapterCount, d.FreeRunning);
  ProbeClose();
  return 0;
}
