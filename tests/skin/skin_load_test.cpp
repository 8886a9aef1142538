// Loading a skin from its file: the screen-size fallback, images, and what a second skin keeps.
#include <sys/stat.h>

#include "platform/files.h"
#include "skin_fixture.h"

namespace {

constexpr uint16_t kBackPixel = 0x001F;
constexpr uint16_t kButtonsPixel = 0x07E0;

struct SkinLoadTest : SkinScreenTest {
  void SetUp() override {
    SkinScreenTest::SetUp();
    SetExecutableFolder(folder.path);
    std::filesystem::create_directories(folder / "Skins");
  }
};

TEST_F(SkinLoadTest, MissingSkinFallsBackToTheScreenSizeSkinBesideThePlayer) {
  screenWidth = 640;
  screenHeight = 240;
  WriteImage(folder / "Skins/back.png", 640, 215, kBackPixel);
  WriteText(folder / "Skins/Kub_640x240.pds",
            "[Handheld]\r\n" + Block("PlayButton", 10, 10, 30, 30) +
                "Files\r\nBackground=back.png\r\nButtons=missing.png\r\n\r\n");
  char16_t path[200] = u"/nowhere/Fancy.pds";
  LoadSkin(path);
  EXPECT_EQ(std::u16string(path), Utf8ToWide(folder / "Skins/Kub_640x240.pds"));
  EXPECT_EQ(skin.PlayButton.Top, 35);
  ASSERT_NE(skin.BackgroundImage, nullptr);
  EXPECT_EQ(GetBitmapSize(skin.BackgroundImage).cx, 640);
  EXPECT_EQ(skin.ButtonsImage, nullptr);  // only the pushed looks are absent
}

TEST_F(SkinLoadTest, SecondSkinWithoutBackgroundKeepsTheFirstOnesPicture) {
  WriteImage(folder / "back.png", 320, 215, kBackPixel);
  WriteImage(folder / "buttons.png", 100, 50, kButtonsPixel);
  WriteText(folder / "first.pds",
            "[Handheld]\r\nFiles\r\nBackground=back.png\r\nButtons=buttons.png\r\n\r\n");
  std::filesystem::create_directories(folder / "second");
  WriteImage(folder / "second/b2.png", 60, 20, kButtonsPixel);
  WriteText(folder / "second/second.pds", "[Handheld]\r\n" + Block("StopButton", 1, 1, 20, 20) +
                                              "Files\r\nButtons=b2.png\r\n\r\n");
  char16_t first[200] = {}, second[200] = {};
  WideCopy(first, 200, Utf8ToWide(folder / "first.pds"));
  WideCopy(second, 200, Utf8ToWide(folder / "second/second.pds"));
  LoadSkin(first);
  LoadSkin(second);
  EXPECT_EQ(std::u16string(skin.BackgroundPath), Utf8ToWide(folder / "back.png"));
  EXPECT_EQ(GetBitmapSize(skin.BackgroundImage).cx, 320);
  EXPECT_EQ(GetBitmapSize(skin.ButtonsImage).cx, 60);
  EXPECT_EQ(skin.StopButton.Width, 20);
}

TEST_F(SkinLoadTest, NoSkinAtAllLeavesEveryElementZeroAndNoImages) {
  WriteImage(folder / "back.png", 320, 215, kBackPixel);
  WriteText(folder / "first.pds", "[Handheld]\r\n" + Block("PlayButton", 1, 1, 20, 20) +
                                      "Files\r\nBackground=back.png\r\n\r\n");
  char16_t path[200] = {};
  WideCopy(path, 200, Utf8ToWide(folder / "first.pds"));
  LoadSkin(path);
  ASSERT_NE(skin.BackgroundImage, nullptr);
  char16_t missing[200] = u"/nowhere/gone.pds";
  LoadSkin(missing);
  EXPECT_EQ(std::u16string(missing), Utf8ToWide(folder / "Skins/Kub_320x240.pds"));
  EXPECT_EQ(skin.PlayButton.Width, 0);
  EXPECT_EQ(skin.BackgroundImage, nullptr);
  EXPECT_EQ(skin.ButtonsImage, nullptr);
}

TEST_F(SkinLoadTest, LargePicturesComeBackNoLargerThan800By600) {
  WriteImage(folder / "huge.png", 1600, 1200, kBackPixel);
  BitmapHandle picture = LoadImageFile(Utf8ToWide(folder / "huge.png"));
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(GetBitmapSize(picture).cx, 800);
  EXPECT_EQ(GetBitmapSize(picture).cy, 600);
  DeleteBitmap(picture);
  WriteText(folder / "folder.jpg", "not a picture at all");
  EXPECT_EQ(LoadImageFile(Utf8ToWide(folder / "folder.jpg")), nullptr);
  EXPECT_EQ(LoadImageFile(Utf8ToWide(folder / "absent.jpg")), nullptr);
  // A FIFO named like a cover picture is refused at once instead of blocking the open.
  ASSERT_EQ(mkfifo((folder / "pipe.jpg").c_str(), 0600), 0);
  EXPECT_EQ(LoadImageFile(Utf8ToWide(folder / "pipe.jpg")), nullptr);
}

}  // namespace
