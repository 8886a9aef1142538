// Every shipped skin, loaded as the player loads it: each button, tapped in its middle, sends its
// command (Play and the picture toggle play and pause), and both sliders answer a tap.
#include <filesystem>

#include "core/commands.h"
#include "core/volume.h"
#include "platform/wave_out.h"
#include "skin_fixture.h"

namespace {

struct ButtonCommand {
  SkinElement Skin::*element;
  const char* name;
  uint32_t command;  // 0: the play/pause toggle
};
const ButtonCommand kButtons[] = {
    {&Skin::PlayButton, "PlayButton", 0},
    {&Skin::ViewPort, "ViewPort", 0},
    {&Skin::StopButton, "StopButton", kCommandStop},
    {&Skin::PlaylistButton, "PlaylistButton", kCommandPlaylistEditor},
    {&Skin::OpenButton, "OpenButton", kCommandOpenFile},
    {&Skin::NextButton, "NextButton", kCommandNextItem},
    {&Skin::PrevButton, "PrevButton", kCommandPreviousItem},
    {&Skin::FFWDButton, "FFWDButton", kCommandFastForward},
    {&Skin::RotateButton, "RotateButton", kCommandRotate},
    {&Skin::MuteButton, "MuteButton", kCommandMute},
    {&Skin::FullScreenButton, "FullScreenButton", kCommandFullScreen},
    {&Skin::EQButton, "EQButton", kCommandEqualizerOnOff},
    {&Skin::RepeatButton, "RepeatButton", kCommandRepeat},
};

std::vector<std::filesystem::path> ShippedSkins() {
  std::vector<std::filesystem::path> skins;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::filesystem::path(MORVELANT_DIST_DIR) / "Skins"))
    if (entry.path().extension() == ".pds") skins.push_back(entry.path());
  return skins;
}

struct ShippedSkinsTest : SkinScreenTest {
  void SetUp() override {
    SkinScreenTest::SetUp();
    ASSERT_TRUE(OpenScreen(800, 480));
  }
  void Load(const std::filesystem::path& path) {
    char16_t wide[kSkinPathChars] = {};
    WideCopy(wide, kSkinPathChars, Utf8ToWide(path.string()));
    LoadSkin(wide);
    ASSERT_NE(skin.BackgroundImage, nullptr);
    ASSERT_NE(skin.ButtonsImage, nullptr);
  }
};

TEST_F(ShippedSkinsTest, EveryButtonTappedInItsMiddleSendsItsCommand) {
  for (const std::filesystem::path& path : ShippedSkins()) {
    SCOPED_TRACE(path.filename().string());
    Load(path);
    for (const ButtonCommand& button : kButtons) {
      SCOPED_TRACE(button.name);
      const SkinElement& e = skin.*button.element;
      Recorded::Clear();
      OnPointerDown(e.Left + e.Width / 2, e.Top + e.Height / 2);
      OnPointerUp(e.Left + e.Width / 2, e.Top + e.Height / 2);
      if (button.command == 0) {
        EXPECT_EQ(Recorded::playPauses, 1);
        EXPECT_TRUE(Recorded::commands.empty());
      } else {
        EXPECT_EQ(Recorded::commands, std::vector<uint32_t>{button.command});
        EXPECT_EQ(Recorded::playPauses, 0);
      }
    }
  }
}

TEST_F(ShippedSkinsTest, SlidersAnswerATapNearTheirEnd) {
  for (const std::filesystem::path& path : ShippedSkins()) {
    SCOPED_TRACE(path.filename().string());
    Load(path);
    Recorded::Clear();
    const SkinElement& seek = skin.SeekArea;
    OnPointerDown(seek.Left + seek.Width - 2, seek.Top + seek.Height / 2);
    OnPointerUp(seek.Left + seek.Width - 2, seek.Top + seek.Height / 2);
    ASSERT_EQ(Recorded::seeks.size(), 1u);
    EXPECT_GT(Recorded::seeks[0], 0);

    WaveOutSetVolume(nullptr, VolumeWordOf(0));
    PlaceVolumeKnob(0);
    const SkinElement& volume = skin.VolumeArea;
    OnPointerDown(volume.Left + volume.Width - 2, volume.Top + volume.Height / 2);
    OnPointerUp(volume.Left + volume.Width - 2, volume.Top + volume.Height / 2);
    uint32_t word = 0;
    WaveOutGetVolume(nullptr, &word);
    EXPECT_GT(VolumePercentOf(word), 0);
  }
}

}  // namespace
