// The skin parser over damaged copies of the shipped skins: cut short, bytes changed, key texts
// and line ends inserted at random places. Every reading must stay within the records and keep
// the derived fields true to the parsed ones. (The libFuzzer target explores further; this
// short, repeatable run is part of every test run.)
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "platform/files.h"
#include "skin/skin_file.h"

namespace {

constexpr int kMutationsPerSkin = 3000;
const std::string kPieces[] = {"\r\n\r\n",
                               "\r\n",
                               "Left=",
                               "Top=",
                               "PushedLeft=",
                               "Font=",
                               "[Handheld]",
                               "Files",
                               "Background=",
                               "-99999999999",
                               "ScrollText=",
                               std::string(300, 'x'),
                               std::string("\0\xff\xfe", 3)};

std::string Mutate(std::string bytes, std::mt19937& random) {
  const int steps = 1 + random() % 4;
  for (int i = 0; i < steps && !bytes.empty(); ++i) {
    const size_t at = random() % (bytes.size() + 1);
    switch (random() % 4) {
      case 0:
        bytes.resize(at);
        break;
      case 1:
        if (at < bytes.size()) bytes[at] = static_cast<char>(random());
        break;
      case 2:
        bytes.insert(at, kPieces[random() % std::size(kPieces)]);
        break;
      case 3:
        bytes.erase(at, random() % 64);
        break;
    }
  }
  return bytes;
}

void ExpectSound(const Skin& skin) {
  for (const SkinElementName& name : kSkinElements) {
    const SkinElement& e = skin.*name.member;
    EXPECT_EQ(e.Vertical, e.Height > e.Width ? 1 : 0) << name.name;
    EXPECT_EQ(e.Direction, e.BigStep > 0 ? 1 : -1) << name.name;
    EXPECT_EQ(e.Pushed, 0) << name.name;
    EXPECT_LE(std::abs(int64_t{e.Left}) + std::abs(int64_t{e.Width}), 2 * kSkinNumberLimit);
    EXPECT_LE(std::abs(int64_t{e.Top}), kSkinNumberLimit + kSkinTopOffset);
    EXPECT_LE(e.ScrollText, 1);
    EXPECT_EQ(e.Font[kSkinFontChars - 1], 0);
  }
  EXPECT_EQ(skin.BackgroundPath[kSkinImagePathChars - 1], 0);
  EXPECT_EQ(skin.ButtonsPath[kSkinImagePathChars - 1], 0);
}

TEST(SkinParserMutations, DamagedSkinsReadWithinTheirRecords) {
  std::mt19937 random(20261210);
  const std::filesystem::path folder = std::filesystem::path(MORVELANT_DIST_DIR) / "Skins";
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".pds") continue;
    std::string original;
    ASSERT_TRUE(ReadWholeFile(entry.path().string(), &original));
    for (int i = 0; i < kMutationsPerSkin; ++i) {
      Skin skin{};
      ParseSkin(Mutate(original, random), u"/skins/", &skin);
      ExpectSound(skin);
      if (::testing::Test::HasFailure()) return;
    }
  }
}

}  // namespace
