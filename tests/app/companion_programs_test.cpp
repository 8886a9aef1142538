// The programs the player starts: the manual's address and the playlist editor's command.
#include "app/companion_programs.h"

#include <gtest/gtest.h>

namespace {

TEST(CompanionPrograms, PlaylistEditorBesideThePlayerWithTheLoadedPlaylist) {
  const ProgramStart withList =
      PlaylistEditorStart("/Program Files/Player", u"/My Music/party.pdl");
  EXPECT_EQ(withList.program, "/Program Files/Player/Fennick");
  EXPECT_EQ(withList.arguments, std::vector<std::string>{"/My Music/party.pdl"});
  EXPECT_TRUE(PlaylistEditorStart("/opt/morvelant", u"").arguments.empty());
}

TEST(CompanionPrograms, ManualAddressIsAFileUrlAtTheAnchor) {
  EXPECT_EQ(ManualAddress("/opt/morvelant", "MAIN_CONTENTS"),
            "file:///opt/morvelant/Tesk.htm#MAIN_CONTENTS");
  EXPECT_EQ(ManualAddress("/home/me/My Player#2", "FORMATS"),
            "file:///home/me/My%20Player%232/Tesk.htm#FORMATS");
}

}  // namespace
