// The playlist view and the open dialogs on the headless screen: rows and their texts, a tap on
// a row and below the rows, the list views' procedure, and every kind of open dialog answered
// by a script.
#include <gtest/gtest.h>

#include <filesystem>

#include "../platform_ui/ui_fixture.h"
#include "core/commands.h"
#include "platform/controls/list_view.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/script.h"
#include "playlist/playlist_text.h"
#include "playlist_fixture.h"

namespace {

constexpr Rect kViewBounds{10, 40, 230, 200};

std::vector<std::string> sent;  // what the main window was sent by the playlist, in order
WindowProc fixtureProc = nullptr;
int restarts = 0;
std::vector<std::string> skinCalls;

intptr_t MainProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == kMessageListFocusGained) sent.push_back("focus gained");
  if (message == kMessageListFocusLost) sent.push_back("focus lost");
  if (message == WM_KEYDOWN) sent.push_back("key " + std::to_string(wParam));
  if (message == WM_COMMAND) sent.push_back("command " + std::to_string(wParam));
  // As the main window does: a tap in the playlist view goes to the click handling.
  if (message == WM_NOTIFY) {
    const auto* click = reinterpret_cast<const ListViewClick*>(lParam);
    if (click->header.code == NM_CLICK && click->header.from == playlistView)
      OnPlaylistViewClick(click->item);
  }
  return CallWindowProc(fixtureProc, window, message, wParam, lParam);
}

class PlaylistViewTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ResetPlaylist();
    ::mainWindow = mainWindow;
    fixtureProc = SetWindowProc(mainWindow, MainProc);
    sent.clear();
    restarts = 0;
    skinCalls.clear();
    playlistHooks.restartItem = [](WindowHandle window) { restarts += window == ::mainWindow; };
    playlistHooks.applySkin = [](char16_t* path, WindowHandle) {
      skinCalls.push_back("skin " + WideToUtf8(WideView(path)));
    };
    playlistHooks.computeGeometry = [] { skinCalls.push_back("geometry"); };
    playlistHooks.repaintWindow = [] { skinCalls.push_back("repaint"); };
    playlistHooks.layoutListViews = [] { skinCalls.push_back("layout"); };
    playlistView = CreateListView({.parent = mainWindow, .bounds = kViewBounds, .visible = true});
    mediaInfoView = CreateListView({.parent = mainWindow, .bounds = kViewBounds});
    ListViewSetFullRowSelect(playlistView, true);
    playerSettings.showPlaylist = 1;
    Pump();
  }
  void TearDown() override {
    playlistView = mediaInfoView = nullptr;
    ::mainWindow = nullptr;
    ResetPlaylist();
    UiTest::TearDown();
  }
  std::vector<std::u16string> Rows() {
    std::vector<std::u16string> rows;
    for (int32_t i = 0; i < ListViewRowCount(playlistView); ++i)
      rows.push_back(ListViewRowText(playlistView, i));
    return rows;
  }
  int32_t RowY(int32_t row) {
    return kViewBounds.top + 2 + row * ListViewRowHeight(playlistView) +
           ListViewRowHeight(playlistView) / 2;
  }
  // Opens a dialog whose answer the script gives.
  void Dialog(const std::string& answer, int32_t urlMode, int32_t broadcast, int32_t kind) {
    StartScript({{.op = ScriptOp::Answer, .text = answer}}, mainWindow);
    OpenFromDialog(mainWindow, urlMode, broadcast, kind);
    StopScript();
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(folder / name).parent_path());
    std::ofstream(folder / name, std::ios::binary) << bytes;
    return folder / name;
  }

  TempFolder folder;
};

TEST_F(PlaylistViewTest, RowsShowTitlesOrFileNames) {
  const std::string list = Write("l.m3u", "#EXTINF:1,Titled\n/m/a.mp3\n/m/b.ogg\n/m/noext\n");
  LoadM3uPlaylist(Utf8ToWide(list).c_str(), 1);
  const std::vector<std::u16string> rows{u"Titled", u"b.ogg", u"/m/noext"};
  EXPECT_EQ(Rows(), rows);
  RebuildPlaylistView();  // the same rows again, not twice
  EXPECT_EQ(Rows(), rows);
  EXPECT_EQ(ListViewSelectedRow(playlistView), 0);

  StepPlaylist(+1);
  RebuildPlaylistView();
  EXPECT_EQ(ListViewSelectedRow(playlistView), 1);
  EXPECT_EQ(ListViewFocusedRow(playlistView), 1);

  ReleasePlaylist();
  WideCopy(currentPath, kMediaPathChars, u"/v/single.avi");
  RebuildPlaylistView();
  EXPECT_EQ(Rows(), std::vector<std::u16string>{u"single.avi"});
  currentPath[0] = 0;
  RebuildPlaylistView();
  EXPECT_TRUE(Rows().empty());

  AddMediaInfoRow(u"Bit rate: 128 kbit/s");
  EXPECT_EQ(ListViewRowText(mediaInfoView, 0), u"Bit rate: 128 kbit/s");
}

TEST_F(PlaylistViewTest, ReorderAsksTheMainWindowToRebuild) {
  MakeList(4);
  RebuildPlaylistView();
  playerSettings.shuffle = 1;
  DriveTickCount(5);
  ReorderPlaylist();
  Message message;
  ASSERT_TRUE(PeekMessage(&message, true));
  EXPECT_EQ(message.message, kMessageRebuildPlaylist);
  EXPECT_EQ(message.window, mainWindow);
  RebuildPlaylistView();
  for (int32_t i = 0; i < 4; ++i)
    EXPECT_EQ(ListViewRowText(playlistView, i), PlaylistRowText(PlayOrder[i].Path, u""));
  ReleaseTickCount();
}

TEST_F(PlaylistViewTest, TapOnARowOpensItTapBelowTogglesPlay) {
  MakeList(3);
  RebuildPlaylistView();
  Pump();
  Tap(50, RowY(2));
  Pump();
  EXPECT_EQ(CurrentIndex, 2);
  EXPECT_EQ(WideView(currentPath), u"/m/2.mp3");
  EXPECT_EQ(startRequest, 1);
  EXPECT_EQ(restarts, 1);

  startRequest = 0;
  ListViewSetRowState(playlistView, 0, true, true);  // the user moved the selection away
  Tap(50, RowY(3) + 10);                             // below the last row
  Pump();
  EXPECT_EQ(CurrentIndex, 2);
  EXPECT_EQ(ListViewSelectedRow(playlistView), 2);
  EXPECT_EQ(restarts, 1);
  EXPECT_EQ(startRequest, 0);
  EXPECT_EQ(sent, std::vector<std::string>{"command " + std::to_string(kCommandPlayPause)});
}

TEST_F(PlaylistViewTest, TapOnTheRowOfASingleFileReopensIt) {
  WideCopy(currentPath, kMediaPathChars, u"/v/single.avi");
  RebuildPlaylistView();
  Tap(50, RowY(0));
  Pump();
  EXPECT_EQ(WideView(currentPath), u"/v/single.avi");
  EXPECT_EQ(restarts, 1);
}

TEST_F(PlaylistViewTest, ListViewProcHandsFocusAndKeysToTheMainWindow) {
  WindowHandle other = CreateWindow({.className = u"Other", .visible = false});
  InstallListViewProc(playlistView);
  InstallListViewProc(playlistView);  // a second install keeps the first previous procedure
  ListViewAppendRow(playlistView, u"a");
  ListViewAppendRow(playlistView, u"b");
  ListViewSetRowState(playlistView, 0, true, true);

  SetFocus(playlistView);
  Key(0x28);  // Down: the player's key, not the view's
  Pump();
  SetFocus(mainWindow);  // to the main window: no focus-lost message
  SetFocus(playlistView);
  SetFocus(other);
  EXPECT_EQ(sent,
            (std::vector<std::string>{"focus gained", "key 40", "focus gained", "focus lost"}));
  EXPECT_EQ(ListViewFocusedRow(playlistView), 0);

  RestoreListViewProc(playlistView);
  EXPECT_NE(GetWindowProc(playlistView), ListViewProc);
  sent.clear();
  SetFocus(playlistView);
  Key(0x28);
  Pump();
  EXPECT_TRUE(sent.empty());
  EXPECT_EQ(ListViewFocusedRow(playlistView), 1);  // the view's own procedure again
  DestroyWindow(other);
}

TEST_F(PlaylistViewTest, CancelledDialogChangesNothing) {
  MakeList(3);
  CurrentIndex = 1;
  WideCopy(currentPath, kMediaPathChars, u"/m/1.mp3");
  WideCopy(PlaylistPath, kMediaPathChars, u"/lists/x.m3u");
  for (int32_t kind : {kDialogMedia, kDialogSkin, kDialogPlaylist}) {
    Dialog("cancel", 0, 0, kind);
    EXPECT_EQ(LastIndex, 2);
    EXPECT_EQ(CurrentIndex, 1);
    EXPECT_EQ(WideView(currentPath), u"/m/1.mp3");
    EXPECT_EQ(WideView(PlaylistPath), u"/lists/x.m3u");
  }
  EXPECT_EQ(restarts, 0);
  EXPECT_TRUE(skinCalls.empty());
}

TEST_F(PlaylistViewTest, SeveralFilesBecomeAListInDialogOrder) {
  const std::string c = Write("c.avi", "x"), a = Write("a.avi", "x"), b = Write("b.avi", "x");
  WideCopy(PlaylistPath, kMediaPathChars, u"/lists/old.pdl");
  playerSettings.autoPlay = 1;
  Dialog(c + "|" + a + "|" + b, 0, 0, kDialogMedia);
  EXPECT_EQ(Paths(FileOrder),
            (std::vector<std::u16string>{Utf8ToWide(c), Utf8ToWide(a), Utf8ToWide(b)}));
  EXPECT_EQ(LastIndex, 2);
  EXPECT_EQ(CurrentIndex, 0);
  EXPECT_EQ(WideView(currentPath), Utf8ToWide(c));
  EXPECT_EQ(WideView(PlaylistPath), u"");
  EXPECT_EQ(Rows(), (std::vector<std::u16string>{u"c.avi", u"a.avi", u"b.avi"}));
  EXPECT_EQ(startRequest, 1);
  EXPECT_EQ(restarts, 1);

  // One file: the list is gone.
  Dialog(b, 0, 0, kDialogMedia);
  EXPECT_EQ(LastIndex, 0);
  EXPECT_TRUE(PlayOrder.empty());
  EXPECT_EQ(WideView(currentPath), Utf8ToWide(b));
  EXPECT_EQ(restarts, 2);
}

TEST_F(PlaylistViewTest, PlaylistSkinUrlAndBroadcastDialogs) {
  const std::string list = Write("lists/Radio.PLS",
                                 "File1=http://r.example/1\nTitle1=One\n"
                                 "File2=http://r.example/2\n");
  Dialog(list, 0, 0, kDialogPlaylist);
  EXPECT_EQ(LastIndex, 1);
  EXPECT_EQ(WideView(PlaylistPath), Utf8ToWide(list));
  EXPECT_EQ(WideView(currentPath), u"http://r.example/1");
  EXPECT_EQ(isUrl, 1);
  EXPECT_EQ(Rows(), (std::vector<std::u16string>{u"One", u"http://r.example/2"}));
  EXPECT_EQ(restarts, 1);

  const std::string pdl = Write("lists/p.pdl", std::string("r\0e\0l\0.\0a\0v\0i\0\r\0\n\0", 18));
  Dialog(pdl, 0, 0, kDialogPlaylist);
  EXPECT_EQ(WideView(currentPath), Utf8ToWide(folder / "lists/rel.avi"));
  EXPECT_EQ(WideView(PlaylistPath), Utf8ToWide(pdl));

  // A skin is applied from the player's "Skins" folder; the list and the item stay.
  SetExecutableFolder(folder.path);
  Write("Skins/Big.pds", "x");
  skinCalls.clear();
  Dialog("Big.pds", 0, 0, kDialogSkin);
  EXPECT_EQ(skinCalls, (std::vector<std::string>{"skin " + folder / "Skins/Big.pds", "geometry",
                                                 "repaint", "layout"}));
  EXPECT_EQ(WideView(currentPath), Utf8ToWide(folder / "lists/rel.avi"));
  EXPECT_EQ(restarts, 2);

  Dialog("http://radio.example/live", 1, 0, kDialogMedia);
  EXPECT_EQ(WideView(currentPath), u"http://radio.example/live");
  EXPECT_EQ(isUrl, 1);
  EXPECT_EQ(WideView(PlaylistPath), u"");

  stopRequested = 1;
  OpenFromDialog(mainWindow, 0, 1, kDialogMedia);  // no chooser for the broadcast source
  EXPECT_EQ(WideView(currentPath), u"Broadcast");
  EXPECT_EQ(isUrl, 0);
  EXPECT_EQ(startRequest, 1);
  EXPECT_EQ(stopRequested, 0);
  EXPECT_EQ(restarts, 4);
}

TEST(MediaDialogFilter, SupportedExtensionsReplaceTheDefault) {
  TempFolder home;
  RegistryLoad(home.path, home / "none.reg");
  EXPECT_EQ(MediaDialogFilter(), u"*.divx,*.avi");
  ASSERT_TRUE(RegistrySetString(RegistryRoot::LocalMachine, u"Software\\Morvelant\\Plugins\\Format",
                                u"SupportedExtensions", u"*.avi,*.mp3,*.ogg"));
  EXPECT_EQ(MediaDialogFilter(), u"*.avi,*.mp3,*.ogg");
  ASSERT_TRUE(RegistrySetString(RegistryRoot::LocalMachine, u"software\\Morvelant\\plugins\\format",
                                u"SupportedExtensions", std::u16string(300, u'x')));
  EXPECT_EQ(MediaDialogFilter().size(), 199u);
}

}  // namespace
