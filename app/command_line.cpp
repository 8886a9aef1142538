#include "app/command_line.h"

#include "core/player_state.h"
#include "platform/text.h"
#include "playlist/playlist.h"

PlaylistLoaders playlistLoaders{LoadPdlPlaylist, LoadPlsPlaylist, LoadM3uPlaylist};

namespace {

constexpr std::u16string_view kSkinOption = u"-ts";
constexpr std::u16string_view kSkinExtension = u".pds";
constexpr std::u16string_view kUrlPrefix = u"http://";

struct PlaylistRule {
  std::u16string_view extension;
  CommandLineRule rule;
};
constexpr PlaylistRule kPlaylistRules[] = {
    {u".pdl", CommandLineRule::PdlPlaylist},
    {u".pls", CommandLineRule::PlsPlaylist},
    {u".m3u", CommandLineRule::M3uPlaylist},
    {u".py", CommandLineRule::PyPlaylist},
};

CommandLineChoice InterpretWithoutSkin(std::u16string_view line) {
  for (const PlaylistRule& playlist : kPlaylistRules)
    if (line.find(playlist.extension) != std::u16string_view::npos)
      return {playlist.rule, {}, std::u16string(line)};
  return {CommandLineRule::MediaItem, {}, std::u16string(line)};
}

PlaylistLoader LoaderFor(CommandLineRule rule) {
  switch (rule) {
    case CommandLineRule::PdlPlaylist:
      return playlistLoaders.pdl;
    case CommandLineRule::PlsPlaylist:
      return playlistLoaders.pls;
    case CommandLineRule::M3uPlaylist:
    case CommandLineRule::PyPlaylist:
      return playlistLoaders.m3u;
    default:
      return nullptr;
  }
}

}  // namespace

CommandLineChoice InterpretCommandLine(std::u16string_view line) {
  const size_t option = line.find(kSkinOption);
  if (option == std::u16string_view::npos) return InterpretWithoutSkin(line);
  const size_t skinStart = option + kSkinOption.size();
  const size_t extension = line.find(kSkinExtension, skinStart);
  if (extension == std::u16string_view::npos) {
    std::u16string_view rest = line.substr(skinStart);
    if (rest.starts_with(u' ')) rest.remove_prefix(1);
    return InterpretWithoutSkin(rest);
  }
  const size_t skinEnd = extension + kSkinExtension.size();
  CommandLineChoice choice{CommandLineRule::SkinAndItem,
                           std::u16string(line.substr(skinStart, skinEnd - skinStart)),
                           {}};
  if (skinEnd + 1 < line.size()) choice.item = line.substr(skinEnd + 1);
  return choice;
}

void ApplyLastItem(std::u16string_view item) {
  const CommandLineChoice choice = InterpretWithoutSkin(item);
  if (choice.rule == CommandLineRule::MediaItem) {
    WideCopy(currentPath, kMediaPathChars, choice.item);
  } else if (PlaylistLoader loader = LoaderFor(choice.rule)) {
    loader(choice.item.c_str(), 1);
  }
  isUrl = WideView(currentPath).starts_with(kUrlPrefix) ? 1 : 0;
}

void ApplyCommandLine(std::u16string_view line) {
  const CommandLineChoice choice = InterpretCommandLine(line);
  if (choice.rule == CommandLineRule::SkinAndItem) {
    WideCopy(commandLineSkin, kSkinPathChars, choice.skin);
    WideCopy(currentPath, kMediaPathChars, choice.item);
  } else if (choice.rule == CommandLineRule::MediaItem) {
    WideCopy(currentPath, kMediaPathChars, choice.item);
  } else if (PlaylistLoader loader = LoaderFor(choice.rule)) {
    loader(choice.item.c_str(), 0);
  }
  isUrl = WideView(currentPath).starts_with(kUrlPrefix) ? 1 : 0;
}
