// morvelant-skin check: silent on every shipped skin, and one finding for each fault planted in
// an otherwise sound skin.
#include "tools/skin/skin_check.h"

#include <algorithm>
#include <filesystem>
#include <functional>

#include "skin_fixture.h"

namespace {

struct Block {
  std::string name;
  std::vector<std::string> lines;
};

Block Rect(const std::string& name, int left, int top, int width, int height, bool pushed,
           std::vector<std::string> more = {}) {
  Block b{name,
          {"Left=" + std::to_string(left), "Top=" + std::to_string(top),
           "Width=" + std::to_string(width), "Height=" + std::to_string(height)}};
  if (pushed) {
    b.lines.push_back("PushedLeft=" + std::to_string(left));
    b.lines.push_back("PushedTop=" + std::to_string(top));
  }
  b.lines.insert(b.lines.end(), more.begin(), more.end());
  return b;
}

// A sound skin for a 320 x 215 background: the picture, the texts, one row of twelve buttons
// and two sliders.
std::vector<Block> SoundSkin() {
  std::vector<Block> blocks = {
      Rect("ViewPort", 0, 0, 200, 120, false),
      Rect("PlaylistView", 0, 0, 200, 120, false, {"Font=Sans", "PointSize=8"}),
      Rect("MediaView", 0, 0, 200, 120, false),
      Rect("InfoView", 0, 125, 200, 20, false, {"ScrollText=1"}),
      Rect("Time", 205, 125, 60, 20, false),
      Rect("SeekArea", 0, 180, 200, 16, false),
      Rect("SeekButton", 0, 180, 16, 16, true, {"BigStep=20"}),
      Rect("VolumeArea", 210, 180, 100, 16, false),
      Rect("VolumeButton", 210, 180, 16, 16, true, {"BigStep=10"}),
  };
  const char* buttons[] = {"PlayButton",   "StopButton", "NextButton",       "PrevButton",
                           "FFWDButton",   "OpenButton", "PlaylistButton",   "MuteButton",
                           "RepeatButton", "EQButton",   "FullScreenButton", "RotateButton"};
  int left = 0;
  for (const char* name : buttons) {
    blocks.push_back(Rect(name, left, 150, 24, 24, true));
    left += 26;
  }
  blocks.push_back({"[Files]", {"Background=back.png", "Buttons=buttons.png"}});
  return blocks;
}

std::string TextOf(const std::vector<Block>& blocks) {
  std::string text = "[Handheld]\r\n\r\n";
  for (const Block& b : blocks) {
    text += b.name + "\r\n";
    for (const std::string& line : b.lines) text += line + "\r\n";
    text += "\r\n";
  }
  return text;
}

Block& Find(std::vector<Block>& blocks, const std::string& name) {
  return *std::find_if(blocks.begin(), blocks.end(),
                       [&](const Block& b) { return b.name == name; });
}

void SetKey(std::vector<Block>& blocks, const std::string& name, const std::string& key,
            const std::string& value) {
  for (std::string& line : Find(blocks, name).lines)
    if (line.starts_with(key + "=")) line = key + "=" + value;
}

struct SkinCheckTest : SkinScreenTest {
  void SetUp() override {
    SkinScreenTest::SetUp();
    WriteImage(folder / "back.png", 320, 215, 0x1234);
    WriteImage(folder / "buttons.png", 320, 215, 0x4321);
    WriteText(folder / "bad.png", "this is not a picture");
  }
  std::vector<SkinFinding> Check(const std::string& text) {
    WriteText(folder / "skin.pds", text);
    return CheckSkin(folder / "skin.pds");
  }
};

TEST_F(SkinCheckTest, SoundSkinHasNoFindings) {
  const std::vector<SkinFinding> findings = Check(TextOf(SoundSkin()));
  for (const SkinFinding& f : findings) ADD_FAILURE() << FormatFinding("skin.pds", f);
}

TEST_F(SkinCheckTest, EachPlantedFaultIsFoundWithItsElement) {
  using Blocks = std::vector<Block>;
  struct Case {
    const char* what;
    std::function<std::string(Blocks&)> plant;  // returns the file text
    std::string element;
    std::string says;
  };
  const Case cases[] = {
      {"outside the background",
       [](Blocks& b) {
         SetKey(b, "PlayButton", "Left", "310");
         SetKey(b, "PlayButton", "PushedLeft", "290");
         return TextOf(b);
       },
       "PlayButton", "outside the background"},
      {"pushed look outside the buttons image",
       [](Blocks& b) {
         SetKey(b, "NextButton", "PushedTop", "200");
         return TextOf(b);
       },
       "NextButton", "pushed look lies outside"},
      {"overlap",
       [](Blocks& b) {
         SetKey(b, "StopButton", "Left", "10");
         SetKey(b, "StopButton", "PushedLeft", "10");
         return TextOf(b);
       },
       "PlayButton", "overlaps StopButton"},
      {"knob as wide as its area",
       [](Blocks& b) {
         SetKey(b, "SeekButton", "Width", "200");
         return TextOf(b);
       },
       "SeekButton", "cannot move"},
      {"knob without a positive step",
       [](Blocks& b) {
         SetKey(b, "VolumeButton", "BigStep", "0");
         return TextOf(b);
       },
       "VolumeButton", "BigStep="},
      {"key after the block's empty line",
       [](Blocks& b) {
         Find(b, "InfoView").lines.back() = "";
         Find(b, "InfoView").lines.push_back("ScrollText=1");
         return TextOf(b);
       },
       "InfoView", "ScrollText= lies after the empty line"},
      {"PushedLeft= before Left=",
       [](Blocks& b) {
         std::swap(Find(b, "EQButton").lines[0], Find(b, "EQButton").lines[4]);
         return TextOf(b);
       },
       "EQButton", "Left= is read from PushedLeft="},
      {"text lower than its font",
       [](Blocks& b) {
         SetKey(b, "Time", "Height", "8");
         return TextOf(b);
       },
       "Time", "pixels high, its font needs"},
      {"missing buttons image",
       [](Blocks& b) {
         SetKey(b, "[Files]", "Buttons", "gone.png");
         return TextOf(b);
       },
       "Files", "does not exist"},
      {"background that does not decode",
       [](Blocks& b) {
         SetKey(b, "[Files]", "Background", "bad.png");
         return TextOf(b);
       },
       "Files", "does not decode"},
      {"last block without its empty line",
       [](Blocks& b) {
         std::string text = TextOf(b);
         text.resize(text.size() - 2);  // the final empty line
         return text;
       },
       "Files", "no empty line ends the block"},
      {"unterminated element block",
       [](Blocks& b) {
         Block time = Find(b, "Time");
         b.erase(std::find_if(b.begin(), b.end(), [](const Block& x) { return x.name == "Time"; }));
         std::string text = TextOf(b) + time.name + "\r\nLeft=205\r\nTop=125\r\n";
         return text;
       },
       "Time", "no empty line ends the block"},
      {"LF line ends",
       [](Blocks& b) {
         std::string text = TextOf(b), lf;
         for (char c : text)
           if (c != '\r') lf += c;
         return lf;
       },
       "", "LF alone"},
      {"no anchor", [](Blocks& b) { return TextOf(b).substr(std::string("[Handheld]").size()); },
       "", "no [Handheld]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Blocks blocks = SoundSkin();
    const std::vector<SkinFinding> findings = Check(c.plant(blocks));
    const bool found = std::any_of(findings.begin(), findings.end(), [&](const SkinFinding& f) {
      return f.error && f.element == c.element && f.text.find(c.says) != std::string::npos;
    });
    EXPECT_TRUE(found);
    if (!found)
      for (const SkinFinding& f : findings) ADD_FAILURE() << FormatFinding("skin.pds", f);
  }
}

TEST_F(SkinCheckTest, MissingElementIsOnlyAWarning) {
  std::vector<Block> blocks = SoundSkin();
  blocks.erase(std::find_if(blocks.begin(), blocks.end(),
                            [](const Block& b) { return b.name == "RotateButton"; }));
  const std::vector<SkinFinding> findings = Check(TextOf(blocks));
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_FALSE(findings[0].error);
  EXPECT_EQ(findings[0].element, "RotateButton");
}

TEST(ShippedSkins, EveryOneChecksCleanAndFitsItsScreen) {
  const std::filesystem::path skins = std::filesystem::path(MORVELANT_DIST_DIR) / "Skins";
  int checked = 0;
  for (const auto& entry : std::filesystem::directory_iterator(skins)) {
    if (entry.path().extension() != ".pds") continue;
    SCOPED_TRACE(entry.path().filename().string());
    for (const SkinFinding& f : CheckSkin(entry.path().string()))
      ADD_FAILURE() << FormatFinding(entry.path().string(), f);
    ++checked;
  }
  // Every screen size the player looks for has its skin.
  for (const char* name :
       {"Kub_240x320", "Kub_320x240", "Kub_480x272", "Kub_640x240", "Kub_640x480", "Kub_800x480"})
    EXPECT_TRUE(std::filesystem::exists(skins / (std::string(name) + ".pds"))) << name;
  EXPECT_GE(checked, 7);
}

}  // namespace
