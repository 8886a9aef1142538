// The player as a script sees it: the window opens, a screenshot shows the command bar, and
// "quit" ends the player like its close button.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "platform/png_file.h"
#include "player_process.h"

namespace {

constexpr int kBarRows = 25;

// Distinct colours in a band of rows: a drawn bar has its background, text and edges.
size_t ColoursInRows(const RgbImage& image, int first, int last) {
  std::set<uint32_t> colours;
  for (int y = first; y < last; ++y)
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = &image.rgb[3 * (y * image.width + x)];
      colours.insert(p[0] << 16 | p[1] << 8 | p[2]);
    }
  return colours.size();
}

}  // namespace

TEST(Screenshot, ScriptShowsTheCommandBarAndQuits) {
  char pattern[] = "/tmp/morvelant-shot-XXXXXX";
  const std::string home = mkdtemp(pattern);
  const std::string shot = home + "/bar.png";
  std::ofstream(home + "/script.txt")
      << "# open, look, leave\nwait 100\nscreenshot " << shot << "\nquit\n";
  PlayerProcess player = StartPlayer(home, home + "/journal.jsonl",
                                     {"--screen=320x240", "--script=" + home + "/script.txt"});
  EXPECT_EQ(WaitForExit(player), 0);
  const std::string journal = ReadFile(player.journal);
  EXPECT_NE(journal.find("\"event\":\"window-created\",\"width\":320,\"height\":240"),
            std::string::npos)
      << journal;
  EXPECT_NE(journal.find("\"event\":\"screenshot\""), std::string::npos) << journal;
  EXPECT_NE(journal.find("\"event\":\"exit\",\"code\":0"), std::string::npos) << journal;

  RgbImage image;
  ASSERT_TRUE(ReadPng(shot, &image));
  EXPECT_EQ(image.width, 320);
  EXPECT_EQ(image.height, 240);
  EXPECT_GE(ColoursInRows(image, 0, kBarRows), 3u);  // titles drawn on the bar
  std::filesystem::remove_all(home);
}
