// The skin file reader: what each element and key becomes, as a table of small files.
#include "skin/skin_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

struct ElementCase {
  const char* what;
  std::string file;  // "[Handheld]\r\n" is put in front
  const char* name;
  std::function<void(const SkinElement&)> check;
};

SkinElement Parse(const std::string& body, const char* name) {
  const std::string bytes = "[Handheld]\r\n" + body;
  SkinElement element;
  element.Pushed = 7;  // parsing clears everything
  ParseSkinElement(FindSkinAnchor(bytes), name, &element);
  return element;
}

TEST(SkinFile, ElementsAndKeysReadAsTheFileSays) {
  const ElementCase cases[] = {
      {"every key of a block",
       "PlayButton\r\nLeft=3\r\nTop=10\r\nWidth=40\r\nHeight=20\r\nPushedLeft=5\r\nPushedTop=10\r\n"
       "BigStep=30\r\nFont=Sans Bold\r\nPointSize=12\r\nFontRed=1\r\nFontGreen=2\r\nFontBlue=3\r\n"
       "BackRed=4\r\nBackGreen=5\r\nBackBlue=6\r\nScrollText=5\r\n\r\n",
       "PlayButton",
       [](const SkinElement& e) {
         EXPECT_EQ(e.Left, 3);
         EXPECT_EQ(e.Top, 35);  // the file's 10 below the command bar
         EXPECT_EQ(e.Width, 40);
         EXPECT_EQ(e.Height, 20);
         EXPECT_EQ(e.PushedLeft, 5);
         EXPECT_EQ(e.PushedTop, 10);  // no offset inside the buttons image
         EXPECT_EQ(e.BigStep, 30);
         EXPECT_EQ(std::u16string(e.Font), u"Sans Bold");
         EXPECT_EQ(e.PointSize, 12);
         EXPECT_EQ(e.FontRed + e.FontGreen * 10 + e.FontBlue * 100, 321);
         EXPECT_EQ(e.BackRed + e.BackGreen * 10 + e.BackBlue * 100, 654);
         EXPECT_EQ(e.ScrollText, 1);
         EXPECT_EQ(e.Vertical, 0);
         EXPECT_EQ(e.Direction, 1);
         EXPECT_EQ(e.Pushed, 0);
       }},
      {"last block without an empty line has no values", "PlayButton\r\nLeft=3\r\nWidth=9\r\n",
       "PlayButton",
       [](const SkinElement& e) {
         EXPECT_EQ(e.Left, 0);
         EXPECT_EQ(e.Width, 0);
         EXPECT_EQ(e.Top, 0);
         EXPECT_EQ(e.Direction, -1);
       }},
      {"PushedLeft= before Left= is read for Left too",
       "StopButton\r\nPushedLeft=70\r\nLeft=5\r\n\r\n", "StopButton",
       [](const SkinElement& e) {
         EXPECT_EQ(e.Left, 70);
         EXPECT_EQ(e.PushedLeft, 70);
       }},
      {"Width 40 Height 41 is vertical", "SeekArea\r\nWidth=40\r\nHeight=41\r\n\r\n", "SeekArea",
       [](const SkinElement& e) { EXPECT_EQ(e.Vertical, 1); }},
      {"Width 40 Height 40 is not", "SeekArea\r\nWidth=40\r\nHeight=40\r\n\r\n", "SeekArea",
       [](const SkinElement& e) { EXPECT_EQ(e.Vertical, 0); }},
      {"BigStep 0 points down", "SeekButton\r\nBigStep=0\r\n\r\n", "SeekButton",
       [](const SkinElement& e) { EXPECT_EQ(e.Direction, -1); }},
      {"missing BigStep points down", "SeekButton\r\nLeft=1\r\n\r\n", "SeekButton",
       [](const SkinElement& e) {
         EXPECT_EQ(e.Direction, -1);
         EXPECT_EQ(e.Left, 1);
       }},
      {"ScrollText of letters is 0", "InfoView\r\nScrollText=yes\r\n\r\n", "InfoView",
       [](const SkinElement& e) { EXPECT_EQ(e.ScrollText, 0); }},
      {"names are case-sensitive", "playbutton\r\nLeft=3\r\n\r\n", "PlayButton",
       [](const SkinElement& e) { EXPECT_EQ(e.Left, 0); }},
      {"a key beyond the block's empty line is missing",
       "Time\r\nLeft=4\r\n\r\nOther\r\nWidth=50\r\n\r\n", "Time",
       [](const SkinElement& e) {
         EXPECT_EQ(e.Left, 4);
         EXPECT_EQ(e.Width, 0);
       }},
      {"numbers: blanks, sign, digits up to a non-digit",
       "Time\r\nLeft=  -12px\r\nWidth=+7\r\nHeight=x9\r\n\r\n", "Time",
       [](const SkinElement& e) {
         EXPECT_EQ(e.Left, -12);
         EXPECT_EQ(e.Width, 7);
         EXPECT_EQ(e.Height, 0);
       }},
      {"absurd numbers are cut so that no sum can overflow",
       "Time\r\nLeft=99999999999999999999\r\nTop=-99999999999\r\n\r\n", "Time",
       [](const SkinElement& e) {
         EXPECT_EQ(e.Left, kSkinNumberLimit);
         EXPECT_EQ(e.Top, -kSkinNumberLimit + kSkinTopOffset);
       }},
      {"a font name is cut to 99 characters", "Time\r\nFont=" + std::string(150, 'F') + "\r\n\r\n",
       "Time",
       [](const SkinElement& e) { EXPECT_EQ(std::u16string(e.Font), std::u16string(99, u'F')); }},
      {"the font name is converted from Windows-1252", "Time\r\nFont=Caf\xE9\r\n\r\n", "Time",
       [](const SkinElement& e) { EXPECT_EQ(std::u16string(e.Font), u"Caf\u00E9"); }},
      {"an element missing from the file is all zero", "PlayButton\r\nLeft=3\r\n\r\n", "MuteButton",
       [](const SkinElement& e) {
         EXPECT_EQ(e.Left, 0);
         EXPECT_EQ(e.Pushed, 0);
         EXPECT_EQ(e.Direction, -1);
       }},
  };
  for (const ElementCase& c : cases) {
    SCOPED_TRACE(c.what);
    c.check(Parse(c.file, c.name));
  }
}

TEST(SkinFile, OnlyTheTextAfterTheAnchorCounts) {
  const std::string bytes =
      "PlayButton\r\nLeft=1\r\n\r\n[Other]\r\n[Handheld]\r\nStopButton\r\nLeft=2\r\n\r\n"
      "[More]\r\nPlayButton\r\nLeft=3\r\n\r\n";
  SkinElement element;
  ParseSkinElement(FindSkinAnchor(bytes), "PlayButton", &element);
  EXPECT_EQ(element.Left, 3);  // taken from the section after the anchor
  ParseSkinElement(FindSkinAnchor("PlayButton\r\nLeft=1\r\n\r\n"), "PlayButton", &element);
  EXPECT_EQ(element.Left, 0);  // no anchor: nothing is read
}

TEST(SkinFile, FilesBlockJoinsTheFolderAndKeepsWhatItLacks) {
  Skin target{};
  const std::string first =
      "[Handheld]\r\nFiles\r\nBackground=back.png\r\nButtons=buttons.png\r\n\r\n";
  ParseSkin(first, u"/skins/a/", &target);
  EXPECT_EQ(std::u16string(target.BackgroundPath), u"/skins/a/back.png");
  EXPECT_EQ(std::u16string(target.ButtonsPath), u"/skins/a/buttons.png");

  const std::string second = "[Handheld]\r\nFiles\r\nButtons=b2.png\r\n\r\n";
  ParseSkin(second, u"/skins/b/", &target);
  EXPECT_EQ(std::u16string(target.BackgroundPath), u"/skins/a/back.png");
  EXPECT_EQ(std::u16string(target.ButtonsPath), u"/skins/b/b2.png");

  // A joined path longer than the record is refused rather than cut to a wrong file.
  const std::string tooLong =
      "[Handheld]\r\nFiles\r\nBackground=" + std::string(250, 'x') + ".png\r\n\r\n";
  ParseSkin(tooLong, u"/skins/c/", &target);
  EXPECT_EQ(std::u16string(target.BackgroundPath), u"/skins/a/back.png");
}

TEST(SkinFile, ReadingTellsWhereEachKeyWasFound) {
  const std::string bytes = "[Handheld]\r\nTime\r\nLeft=4\r\n\r\nWidth=9\r\n\r\n";
  SkinElement element;
  const ElementReading reading = ReadSkinElement(FindSkinAnchor(bytes), "Time", &element);
  EXPECT_EQ(LineOfOffset(bytes, reading.nameOffset), 2);
  EXPECT_EQ(reading.keys[0].state, KeyState::Found);        // Left=
  EXPECT_EQ(reading.keys[2].state, KeyState::BeyondBlock);  // Width=
  EXPECT_EQ(LineOfOffset(bytes, reading.keys[2].offset), 5);
  EXPECT_EQ(reading.keys[3].state, KeyState::Missing);  // Height=
}

}  // namespace
