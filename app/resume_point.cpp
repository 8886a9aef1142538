#include "app/resume_point.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "platform/files.h"

namespace {

constexpr char kResumeFile[] = "resume.bin";
constexpr char kMagic[4] = {'M', 'V', 'R', 'P'};
constexpr uint32_t kVersion = 1;

// The file's layout: a mark, a version, the item and the frame.
struct ResumeRecord {
  char magic[4];
  uint32_t version;
  char16_t lastItem[SETTINGS_PATH_CHARS];
  int32_t lastFrame;
};
static_assert(offsetof(ResumeRecord, lastItem) == 8 && offsetof(ResumeRecord, lastFrame) == 520 &&
              sizeof(ResumeRecord) == 524);

std::string ResumePath() {
  return PlayerHome() + "/" + kResumeFile;
}

}  // namespace

bool ResumePointDue(const PlaybackSnapshot& stored, const PlaybackSnapshot& now,
                    int32_t looksSinceStore) {
  if (now.item != stored.item || now.running != stored.running) return true;
  if (now.paused && !stored.paused) return true;
  const bool playing = now.running && !now.paused;
  return playing && now.frame != stored.frame && looksSinceStore >= kResumeStoreLooks;
}

bool StoreResumePoint(const std::u16string& item, int32_t frame) {
  ResumeRecord record{};
  std::memcpy(record.magic, kMagic, sizeof kMagic);
  record.version = kVersion;
  const size_t length = std::min(item.size(), size_t{SETTINGS_PATH_CHARS - 1});
  std::memcpy(record.lastItem, item.data(), length * sizeof(char16_t));
  record.lastFrame = frame;
  return WriteFileAtomic(ResumePath(), &record, sizeof record);
}

void ApplyResumePoint(PlayerSettings* settings) {
  std::string bytes;
  ResumeRecord record;
  if (!ReadWholeFile(ResumePath(), &bytes) || bytes.size() != sizeof record) return;
  std::memcpy(&record, bytes.data(), sizeof record);
  if (std::memcmp(record.magic, kMagic, sizeof kMagic) != 0 || record.version != kVersion) return;
  record.lastItem[SETTINGS_PATH_CHARS - 1] = 0;
  std::memcpy(settings->lastItem, record.lastItem, sizeof record.lastItem);
  settings->lastFrame = record.lastFrame;
}

void ForgetResumePoint() {
  std::remove(ResumePath().c_str());
}
