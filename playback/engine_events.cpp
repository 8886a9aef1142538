#include "playback/engine_events.h"

#include <iterator>

namespace {

struct EventSpec {
  const char* name;
  bool initiallySet;
};
constexpr EventSpec kEvents[] = {
    {"eventStopped", false}, {"eventAudioStopped", false}, {"eventAudioStarted", false},
    {"eventAudio", true},    {"eventNextFrame", false},
};

struct EventTable {
  EventHandle handles[std::size(kEvents)];
  EventTable() {
    for (size_t i = 0; i < std::size(kEvents); ++i)
      handles[i] = CreateNamedEvent(kEvents[i].name, true, kEvents[i].initiallySet);
  }
};

}  // namespace

EventHandle EngineEventHandle(EngineEvent event) {
  static const EventTable table;
  return table.handles[static_cast<size_t>(event)];
}
