#include "platform/registry.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/files.h"
#include "platform/registry_file.h"
#include "temp_folder.h"

namespace {

constexpr char16_t kVideoKey[] = u"software\\Morvelant\\plugins\\video";

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path) << text;
}

std::u16string ReadString(std::u16string_view key, std::u16string_view name) {
  std::u16string value;
  return RegistryGetString(RegistryRoot::LocalMachine, key, name, &value) ? value : u"<missing>";
}

}  // namespace

TEST(Registry, ValuesSurviveAReloadAndIgnoreCase) {
  TempFolder home;
  RegistryLoad(home.path, home / "none.reg");
  ASSERT_TRUE(RegistrySetString(RegistryRoot::LocalMachine, kVideoKey, u"DivX", u"Codec \"A\".so"));
  ASSERT_TRUE(
      RegistrySetNumber(RegistryRoot::CurrentUser, u"ControlPanel\\Backlight", u"ACTimeout", 60));
  RegistryLoad(home.path, home / "none.reg");
  EXPECT_EQ(ReadString(u"SOFTWARE\\morvelant\\PLUGINS\\VIDEO", u"divx"), u"Codec \"A\".so");
  uint32_t timeout = 0;
  EXPECT_TRUE(RegistryGetNumber(RegistryRoot::CurrentUser, u"controlpanel\\backlight", u"actimeout",
                                &timeout));
  EXPECT_EQ(timeout, 60u);
  EXPECT_FALSE(RegistryKeyExists(RegistryRoot::LocalMachine, u"ControlPanel\\Backlight"));
  EXPECT_TRUE(RegistryDeleteValue(RegistryRoot::LocalMachine, kVideoKey, u"DIVX"));
  EXPECT_EQ(ReadString(kVideoKey, u"divx"), u"<missing>");
  EXPECT_TRUE(RegistryKeyExists(RegistryRoot::LocalMachine, kVideoKey));
}

TEST(Registry, DefaultsMergeWithoutOverwritingTheUsersValues) {
  TempFolder home;
  WriteText(home / "system.reg",
            "REGEDIT4\n[HKEY_LOCAL_MACHINE\\software\\Morvelant\\plugins\\video]\n\"xvid\"=\"Mine."
            "so\"\n");
  WriteText(home / "defaults.reg",
            "REGEDIT4\n"
            "[HKEY_LOCAL_MACHINE\\software\\Morvelant\\plugins\\video]\n"
            "\"xvid\"=\"Shipped.so\"\n\"div3\"=\"Shipped.so\"\n"
            "[HKEY_LOCAL_MACHINE\\software\\Morvelant\\plugins\\audio]\n\"85\"=\"Mp3.so\"\n");
  RegistryLoad(home.path, home / "defaults.reg");
  EXPECT_EQ(ReadString(kVideoKey, u"xvid"), u"Mine.so");
  EXPECT_EQ(ReadString(kVideoKey, u"div3"), u"Shipped.so");
  EXPECT_EQ(ReadString(u"software\\Morvelant\\plugins\\audio", u"85"), u"Mp3.so");
  // The merge was saved: the file alone now holds both.
  RegistryLoad(home.path, home / "none.reg");
  EXPECT_EQ(ReadString(kVideoKey, u"div3"), u"Shipped.so");
}

TEST(Registry, CorruptOrTruncatedFilesReadAsDefaults) {
  const std::string damaged[] = {
      std::string("\0\x01\x02garbage\xff", 11),
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\software\\Morvelant\\plugins\\video]\n\"xvid\"=\"Tru",
      "[unterminated\n\"a\"=dword:zz\n\"b\"=dword:123456789\n",
  };
  for (const std::string& text : damaged) {
    TempFolder home;
    WriteText(home / "system.reg", text);
    WriteText(home / "defaults.reg",
              "REGEDIT4\n[HKEY_LOCAL_MACHINE\\software\\Morvelant\\plugins\\video]\n\"xvid\"="
              "\"Shipped.so\"\n");
    RegistryLoad(home.path, home / "defaults.reg");
    EXPECT_EQ(ReadString(kVideoKey, u"xvid"), u"Shipped.so");
  }
}

TEST(RegistryFile, NumbersAndEscapesRoundTrip) {
  RegistryTree tree;
  ASSERT_TRUE(
      ParseRegistryText("REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Shell\\AutoHide]\r\n"
                        "\"Default\"=dword:0000003c\r\n\"Path\"=\"C:\\\\x \\\"y\\\"\"\r\n",
                        &tree));
  RegistryTree again;
  ASSERT_TRUE(ParseRegistryText(FormatRegistryText(tree), &again));
  const RegistryKey& key =
      again.at(RegistryKeyId(u"HKEY_CURRENT_USER", u"software\\microsoft\\shell\\autohide"));
  EXPECT_EQ(key.values.at(u"default").number, 60u);
  EXPECT_TRUE(key.values.at(u"default").isNumber);
  EXPECT_EQ(key.values.at(u"path").text, u"C:\\x \"y\"");
}
