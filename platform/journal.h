// The journal: one JSON object per line for every observable event, with "t" (milliseconds
// since start) and "event". Tests, demos and outside checks read it; keep names stable.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

struct JournalField {
  const char* name;
  std::variant<int64_t, double, std::string> value;
};

// Opens (truncates) the journal file; without it events are dropped. Any thread.
bool JournalOpen(const std::string& path);
void JournalClose();
bool JournalIsOpen();
// Whether every drawn frame is journaled too ("frame" events); off unless switched on.
void JournalSetFrames(bool on);
bool JournalFramesOn();
void JournalWrite(std::string_view event, std::initializer_list<JournalField> fields = {});
// Quotes and escapes text as a JSON string.
std::string JsonQuote(std::string_view text);
