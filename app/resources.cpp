#include "app/resources.h"

#include <iterator>

#include "core/commands.h"

namespace {

constexpr MenuResource kMenu[] = {
    {0, u"File", 0, false},
    {1, u"Open", 0, false},
    {2, u"File", kCommandOpenFile, false},
    {2, u"URL", kCommandOpenUrl, false},
    {2, u"Receive", kCommandOpenReceive, true},
    {2, u"Skin", kCommandOpenSkin, false},
    {2, u"Playlist", kCommandOpenPlaylist, false},
    {1, u"Chapters", 0, false},
    {2, u"(End of List)", kCommandEndOfChapters, false},
    {1, u"Jump To", kCommandJumpTo, false},
    {1, u"Playlist Editor", kCommandPlaylistEditor, false},
    {1, u"Media Info", kCommandMediaInfo, false},
    {1, u"About", kCommandAbout, false},
    {1, u"Help", kCommandHelp, false},
    {1, u"Exit", kCommandExit, false},
    {0, u"Settings", 0, false},
    {1, u"Filtering", kCommandFiltering, false},
    {1, u"Shuffle", kCommandShuffle, false},
    {1, u"Repeat", kCommandRepeat, false},
    {1, u"Equalizer", kCommandEqualizer, false},
    {1, u"Configure...", kCommandConfigure, false},
    {0, u"View", 0, false},
    {1, u"Playlist", kCommandViewPlaylist, false},
    {1, u"Media Info", kCommandViewMediaInfo, false},
};

}  // namespace

const AppInstance playerInstance = {
    .windowClass = u"MORVELANT",
    .windowTitle = u"Morvelant",
    .menu = kMenu,
    .menuRows = std::size(kMenu),
};

const char16_t* const kActionNames[8] = {u"",
                                         u"Play",
                                         u"Stop",
                                         u"Fast Forward",
                                         u"Equalizer",
                                         u"Full Screen",
                                         u"PlayerOptions.Rotate",
                                         u"Next Item"};
