// Loading a skin: the file (or the screen-size skin beside the player), its elements, its two
// images.
#include <string>

#include "core/player_state.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "skin/skin.h"

Skin skin;

namespace {

constexpr char16_t kSkinErrorTitle[] = u"File Error";

// The folder of a skin path, with its separator: images are named relative to it.
std::u16string_view FolderOf(std::u16string_view path) {
  const size_t cut = path.find_last_of(u"/\\");
  return cut == std::u16string_view::npos ? std::u16string_view() : path.substr(0, cut + 1);
}

bool ReadSkinFile(std::u16string_view path, std::string* bytes) {
  return !path.empty() && ReadWholeFile(WideToUtf8(path), bytes);
}

void ReplaceImages() {
  DeleteBitmap(skin.BackgroundImage);
  DeleteBitmap(skin.ButtonsImage);
  skin.BackgroundImage = LoadImageFile(WideView(skin.BackgroundPath));
  skin.ButtonsImage = LoadImageFile(WideView(skin.ButtonsPath));
}

// Without any skin the window still works (blank, with its menus); the user is told once.
void SayNoSkinOnce(std::u16string_view requested, std::u16string_view fallback) {
  static bool said = false;
  if (said) return;
  said = true;
  std::u16string text = u"Cannot read the skin ";
  if (!requested.empty() && requested != fallback) text += std::u16string(requested) + u" nor ";
  text += std::u16string(fallback) + u".";
  MessageBox(mainWindow, text, kSkinErrorTitle);
}

}  // namespace

std::u16string FallbackSkinPath() {
  return Utf8ToWide(ExecutableFolder() + "/Skins/Kub_" + std::to_string(screenWidth) + "x" +
                    std::to_string(screenHeight) + ".pds");
}

void LoadSkin(char16_t* path, size_t capacity) {
  std::u16string chosen(WideView(path));
  std::string bytes;
  if (!ReadSkinFile(chosen, &bytes)) {
    const std::u16string requested = chosen;
    chosen = FallbackSkinPath();
    WideCopy(path, capacity, chosen);
    if (!ReadSkinFile(chosen, &bytes)) {
      bytes.clear();
      skin.BackgroundPath[0] = skin.ButtonsPath[0] = 0;
      SayNoSkinOnce(requested, chosen);
    }
  }
  ParseSkin(bytes, FolderOf(chosen), &skin);
  ReplaceImages();
}
