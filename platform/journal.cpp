#include "platform/journal.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>

namespace {

std::mutex journalLock;
std::FILE* journalFile = nullptr;  // guarded by journalLock
const auto startTime = std::chrono::steady_clock::now();

std::string FormatValue(const JournalField& field) {
  if (const auto* number = std::get_if<int64_t>(&field.value)) return std::to_string(*number);
  if (const auto* real = std::get_if<double>(&field.value)) {
    char text[40];
    std::snprintf(text, sizeof(text), "%.6f", *real);
    return text;
  }
  return JsonQuote(std::get<std::string>(field.value));
}

}  // namespace

std::string JsonQuote(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof(escape), "\\u%04x", c);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

bool JournalOpen(const std::string& path) {
  std::lock_guard<std::mutex> hold(journalLock);
  if (journalFile) std::fclose(journalFile);
  journalFile = std::fopen(path.c_str(), "w");
  return journalFile != nullptr;
}

void JournalClose() {
  std::lock_guard<std::mutex> hold(journalLock);
  if (journalFile) std::fclose(journalFile);
  journalFile = nullptr;
}

bool JournalIsOpen() {
  std::lock_guard<std::mutex> hold(journalLock);
  return journalFile != nullptr;
}

namespace {
std::atomic<bool> framesOn{false};  // W main at start; R video
}  // namespace

void JournalSetFrames(bool on) {
  framesOn = on;
}

bool JournalFramesOn() {
  return framesOn;
}

void JournalWrite(std::string_view event, std::initializer_list<JournalField> fields) {
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - startTime);
  std::string line = "{\"t\":" + std::to_string(elapsed.count()) + ",\"event\":" + JsonQuote(event);
  for (const JournalField& field : fields) {
    line += ',';
    line += JsonQuote(field.name);
    line += ':';
    line += FormatValue(field);
  }
  line += "}\n";
  std::lock_guard<std::mutex> hold(journalLock);
  if (!journalFile) return;
  std::fputs(line.c_str(), journalFile);
  std::fflush(journalFile);
}
