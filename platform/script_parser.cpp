#include <algorithm>
#include <charconv>
#include <sstream>

#include "platform/files.h"
#include "platform/script.h"

namespace {

// The range a verb's numbers mean something in; numbers beyond it are clamped to it, so that
// a huge wait or coordinate never overflows a duration or a pixel position downstream.
struct NumberRange {
  int64_t lowest, highest;
};
constexpr NumberRange kMilliseconds{0, kMaxScriptWaitMs};
constexpr NumberRange kCoordinate{-kMaxScriptCoordinate, kMaxScriptCoordinate};
constexpr NumberRange kVirtualKey{0, 255};
constexpr NumberRange kCommandNumber{0, 65535};
constexpr NumberRange kRefusalCode{INT32_MIN, INT32_MAX};

struct Verb {
  const char* name;
  ScriptOp op;
  int32_t numbers;  // how many numbers follow; -1: the rest of the line is text
  NumberRange range = kCoordinate;
};

constexpr Verb kVerbs[] = {
    {"wait", ScriptOp::Wait, 1, kMilliseconds},
    {"down", ScriptOp::Down, 2},
    {"move", ScriptOp::Move, 2},
    {"up", ScriptOp::Up, 2},
    {"tap", ScriptOp::Tap, 2},
    {"key", ScriptOp::Key, 1, kVirtualKey},
    {"command", ScriptOp::Command, 1, kCommandNumber},
    {"screenshot", ScriptOp::Screenshot, -1},
    {"answer", ScriptOp::Answer, -1},
    {"quit", ScriptOp::Quit, 0},
    {"audio-refuse", ScriptOp::AudioRefuse, 1, kRefusalCode},
};

std::string_view Trim(std::string_view s) {
  const size_t start = s.find_first_not_of(" \t\r");
  if (start == std::string_view::npos) return {};
  return s.substr(start, s.find_last_not_of(" \t\r") - start + 1);
}

std::string_view StripComment(std::string_view line) {
  for (size_t i = 0; i < line.size(); ++i)
    if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t'))
      return line.substr(0, i);
  return line;
}

bool ParseNumber(std::string_view word, int64_t* value) {
  int base = 10;
  if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
    word.remove_prefix(2);
    base = 16;
  }
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), *value, base);
  return error == std::errc() && end == word.data() + word.size();
}

bool ParseLine(std::string_view line, ScriptCommand* command, std::string* error) {
  const size_t verbEnd = std::min(line.find_first_of(" \t"), line.size());
  const std::string_view verb = line.substr(0, verbEnd);
  std::string_view rest = Trim(line.substr(verbEnd));
  for (const Verb& known : kVerbs) {
    if (verb != known.name) continue;
    command->op = known.op;
    if (known.numbers < 0) {
      command->text = rest;
      if (rest.empty()) *error = std::string(verb) + " needs a text";
      return !rest.empty();
    }
    std::istringstream words{std::string(rest)};
    std::string word;
    int64_t* slots[] = {&command->first, &command->second};
    for (int32_t i = 0; i < known.numbers; ++i) {
      if (!(words >> word) || !ParseNumber(word, slots[i])) {
        *error = std::string(verb) + " needs " + std::to_string(known.numbers) + " number(s)";
        return false;
      }
      *slots[i] = std::clamp(*slots[i], known.range.lowest, known.range.highest);
    }
    if (words >> word) {
      *error = "unexpected '" + word + "' after " + std::string(verb);
      return false;
    }
    return true;
  }
  *error = "unknown command '" + std::string(verb) + "'";
  return false;
}

}  // namespace

bool ParseScript(std::string_view text, std::vector<ScriptCommand>* commands, std::string* error) {
  commands->clear();
  int32_t lineNumber = 0;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = Trim(StripComment(text.substr(0, end)));
    text.remove_prefix(std::min(end + 1, text.size()));
    ++lineNumber;
    if (line.empty()) continue;
    ScriptCommand command{.line = lineNumber};
    std::string problem;
    if (!ParseLine(line, &command, &problem)) {
      *error = std::to_string(lineNumber) + ": " + problem;
      return false;
    }
    commands->push_back(std::move(command));
  }
  return true;
}

bool LoadScript(const std::string& path, std::vector<ScriptCommand>* commands, std::string* error) {
  std::string text;
  if (!ReadWholeFile(path, &text)) {
    *error = path + ": cannot be read";
    return false;
  }
  if (ParseScript(text, commands, error)) return true;
  *error = path + ":" + *error;
  return false;
}
