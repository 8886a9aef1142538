// The headless script parser. Properties: every number lies in its verb's range; line numbers
// rise; a bad script names a line.
#include <string_view>
#include <vector>

#include "platform/script.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

void CheckNumbers(const ScriptCommand& c) {
  switch (c.op) {
    case ScriptOp::Wait:
      FUZZ_CHECK(c.first >= 0 && c.first <= kMaxScriptWaitMs);
      break;
    case ScriptOp::Key:
      FUZZ_CHECK(c.first >= 0 && c.first <= 255);
      break;
    case ScriptOp::Command:
      FUZZ_CHECK(c.first >= 0 && c.first <= 65535);
      break;
    case ScriptOp::Down:
    case ScriptOp::Move:
    case ScriptOp::Up:
    case ScriptOp::Tap:
      for (const int64_t v : {c.first, c.second})
        FUZZ_CHECK(v >= -kMaxScriptCoordinate && v <= kMaxScriptCoordinate);
      break;
    case ScriptOp::AudioRefuse:
      FUZZ_CHECK(c.first >= INT32_MIN && c.first <= INT32_MAX);
      break;
    default:
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<ScriptCommand> commands;
  std::string error;
  if (!ParseScript(std::string_view(reinterpret_cast<const char*>(data), size), &commands,
                   &error)) {
    FUZZ_CHECK(!error.empty() && error[0] >= '1' && error[0] <= '9');
    return 0;
  }
  int32_t line = 0;
  for (const ScriptCommand& command : commands) {
    FUZZ_CHECK(command.line > line);
    line = command.line;
    CheckNumbers(command);
  }
  return 0;
}
