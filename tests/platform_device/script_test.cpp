// The script format: what each line becomes and how bad lines are reported.
#include "platform/script.h"

#include <gtest/gtest.h>

namespace {

TEST(ScriptParser, ReadsEveryCommandWithDecimalAndHexNumbersAndComments) {
  const char* text =
      "# a comment line\n"
      "wait 250\n"
      "down 10 30   # pen down\n"
      "move 0x10 0x20\n"
      "up 12 34\r\n"
      "tap 5 6\n"
      "\n"
      "key 0x26\n"
      "command 40002\n"
      "screenshot shots/first one.png\n"
      "answer http://radio.example/#live\n"
      "quit\n"
      "audio-refuse 32\n";
  std::vector<ScriptCommand> commands;
  std::string error;
  ASSERT_TRUE(ParseScript(text, &commands, &error)) << error;
  ASSERT_EQ(commands.size(), 11u);
  EXPECT_EQ(commands[0].op, ScriptOp::Wait);
  EXPECT_EQ(commands[0].first, 250);
  EXPECT_EQ(commands[0].line, 2);
  EXPECT_EQ(commands[1].op, ScriptOp::Down);
  EXPECT_EQ(commands[1].second, 30);
  EXPECT_EQ(commands[2].first, 16);
  EXPECT_EQ(commands[2].second, 32);
  EXPECT_EQ(commands[3].op, ScriptOp::Up);
  EXPECT_EQ(commands[4].op, ScriptOp::Tap);
  EXPECT_EQ(commands[5].op, ScriptOp::Key);
  EXPECT_EQ(commands[5].first, 0x26);
  EXPECT_EQ(commands[6].op, ScriptOp::Command);
  EXPECT_EQ(commands[6].first, 40002);
  EXPECT_EQ(commands[7].text, "shots/first one.png");
  EXPECT_EQ(commands[8].op, ScriptOp::Answer);
  EXPECT_EQ(commands[8].text, "http://radio.example/#live");  // '#' inside a word is kept
  EXPECT_EQ(commands[9].op, ScriptOp::Quit);
  EXPECT_EQ(commands[9].line, 12);
  EXPECT_EQ(commands[10].op, ScriptOp::AudioRefuse);
  EXPECT_EQ(commands[10].first, 32);
}

TEST(ScriptParser, NamesTheLineAndTheFaultOfABadScript) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"wait 10\njump 3\n", "2: unknown command 'jump'"},
      {"tap 10\n", "1: tap needs 2 number(s)"},
      {"key 0x\n", "1: key needs 1 number(s)"},
      {"wait 12ms\n", "1: wait needs 1 number(s)"},
      {"quit now\n", "1: unexpected 'now' after quit"},
      {"\n\nscreenshot\n", "3: screenshot needs a text"},
  };
  for (const auto& c : cases) {
    std::vector<ScriptCommand> commands;
    std::string error;
    EXPECT_FALSE(ParseScript(c.text, &commands, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
  std::vector<ScriptCommand> commands;
  std::string error;
  EXPECT_FALSE(LoadScript("/nonexistent/run.txt", &commands, &error));
  EXPECT_EQ(error, "/nonexistent/run.txt: cannot be read");
  // A folder is not an empty script.
  EXPECT_FALSE(LoadScript("/tmp", &commands, &error));
  EXPECT_EQ(error, "/tmp: cannot be read");
}

// Numbers beyond what a verb can mean are held to its range (a huge wait once overflowed the
// sleep's duration).
TEST(ScriptParser, ClampsNumbersToTheirMeaningfulRange) {
  const struct {
    const char* text;
    int64_t first, second;
  } cases[] = {
      {"wait 9223372036854775807", kMaxScriptWaitMs, 0},
      {"wait -5", 0, 0},
      {"tap 99999999999 -99999999999", kMaxScriptCoordinate, -kMaxScriptCoordinate},
      {"key 0x7fffffffffffffff", 255, 0},
      {"command -1", 0, 0},
      {"audio-refuse 0x100000000", INT32_MAX, 0},
      {"wait 1500", 1500, 0},
  };
  for (const auto& c : cases) {
    std::vector<ScriptCommand> commands;
    std::string error;
    ASSERT_TRUE(ParseScript(c.text, &commands, &error)) << c.text << error;
    EXPECT_EQ(commands[0].first, c.first) << c.text;
    EXPECT_EQ(commands[0].second, c.second) << c.text;
  }
}

}  // namespace
