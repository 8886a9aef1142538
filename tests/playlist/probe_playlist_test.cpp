// morvelant-probe playlist: its fixed output for a playlist as other programs write it, a start
// suffix, and an unreadable file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>

#include "playlist_fixture.h"

namespace {

struct ProbeRun {
  std::string output;
  int status = -1;
};

ProbeRun RunProbe(const std::string& argument) {
  ProbeRun run;
  FILE* pipe =
      popen((std::string(MORVELANT_DIST_DIR) + "/morvelant-probe playlist '" + argument + "' 2>&1")
                .c_str(),
            "r");
  char chunk[4096];
  while (const size_t got = fread(chunk, 1, sizeof(chunk), pipe)) run.output.append(chunk, got);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

using ProbePlaylist = PlaylistTest;

TEST_F(ProbePlaylist, PrintsTheEntriesInFileOrder) {
  const std::string path = Write("mix.m3u",
                                 "#EXTM3U\r\n#EXTINF:200,Caf\xE9 del Mar\r\nsong.mp3\n"
                                 "http://radio.example/live\r\n/abs/\xE9t\xE9.mp3");
  const ProbeRun run = RunProbe(path + " 1");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output,
            "entries=3\nstart=1\n"
            "entry.0.path=" +
                folder / "song.mp3" +
                "\n"
                "entry.0.title=Caf\xC3\xA9 del Mar\n"
                "entry.1.path=http://radio.example/live\n"
                "entry.1.title=\n"
                "entry.2.path=/abs/\xC3\xA9t\xC3\xA9.mp3\n"
                "entry.2.title=\n");
}

TEST_F(ProbePlaylist, EmptyAndUnreadable) {
  EXPECT_EQ(RunProbe(Write("empty.pls", "[playlist]\nNumberOfEntries=0\n")).output,
            "entries=0\nstart=0\n");
  const ProbeRun missing = RunProbe(folder / "gone.pdl 2");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.output, "error=File Error: Cannot read " + folder / "gone.pdl" + "\n");
}

}  // namespace
