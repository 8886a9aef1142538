// Generated items played to their end by the player binary, headless, with a fixed skin: the
// sound goes to a WAV file, every drawn frame is journaled, and screenshots are taken mid-play.
// What the screen shows is checked against the probe's decoded pictures converted by the
// reference conversion, placed where the output geometry puts them in the skin's viewport.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/player_settings.h"
#include "platform/png_file.h"
#include "platform/screen.h"
#include "player_process.h"
#include "skin/skin.h"
#include "tests/platform/temp_folder.h"
#include "tests/readers/http_test_server.h"
#include "video/colour_conversion.h"
#include "video/output_geometry.h"

namespace {

constexpr int kScreenWidth = 640, kScreenHeight = 480;
const std::string kSkinFile = std::string(MORVELANT_DIST_DIR) + "/Skins/Kub_640x480.pds";
const std::string kProbe = std::string(MORVELANT_DIST_DIR) + "/morvelant-probe";
// A screenshot's journal line follows its capture by the time the PNG takes to write, and frames
// drawn meanwhile are journaled before it: the frame on screen is one journaled within this
// long before the line.
constexpr int64_t kScreenshotWriteMs = 500;
// The opening repaints the window once (the video area too, until the next frame): screenshots
// this soon after the first frame may show it.
constexpr int64_t kSettleMs = 300;

struct Settings {
  bool showStatistics = false;
  bool cachedInput = false;
};

void WriteSettings(const TempFolder& home, const Settings& wanted) {
  PlayerSettings settings{};
  settings.audioEnabled = 1;
  settings.autoPlay = 1;
  settings.lateWindow = 10;
  settings.volume = 0xFFFFFFFF;  // full: the sound is written unscaled
  settings.showStatistics = wanted.showStatistics;
  settings.cachedInput = wanted.cachedInput;
  std::ofstream(home / "settings.bin", std::ios::binary)
      .write(reinterpret_cast<const char*>(&settings), sizeof settings);
}

// ---- The journal ----

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool IsEvent(const std::string& line, const std::string& event) {
  return line.find("\"event\":\"" + event + "\"") != std::string::npos;
}

std::vector<size_t> EventIndexes(const std::vector<std::string>& lines, const std::string& event) {
  std::vector<size_t> found;
  for (size_t i = 0; i < lines.size(); ++i)
    if (IsEvent(lines[i], event)) found.push_back(i);
  return found;
}

int64_t Number(const std::string& line, const std::string& field) {
  const std::string key = "\"" + field + "\":";
  const size_t at = line.find(key);
  return at == std::string::npos ? -1000000
                                 : std::strtoll(line.c_str() + at + key.size(), nullptr, 10);
}

double Real(const std::string& line, const std::string& field) {
  const std::string key = "\"" + field + "\":";
  const size_t at = line.find(key);
  return at == std::string::npos ? -1 : std::strtod(line.c_str() + at + key.size(), nullptr);
}

// A text field as the journal wrote it (JSON escapes kept).
std::string Text(const std::string& line, const std::string& field) {
  const std::string key = "\"" + field + "\":\"";
  const size_t at = line.find(key);
  if (at == std::string::npos) return "";
  const size_t from = at + key.size();
  size_t to = from;
  while (to < line.size() && line[to] != '"') to += line[to] == '\\' ? 2 : 1;
  return line.substr(from, to - from);
}

// ---- Media and references ----

// The frames the container announces, or the video packets ffprobe counts where it announces
// none (Matroska); 0 without video.
int64_t ContainerFrames(const std::string& clip) {
  const std::string announced = CommandOutput(
      "ffprobe -v error -select_streams v:0 -show_entries stream=nb_frames -of csv=p=0 '" + clip +
      "'");
  if (announced.empty()) return 0;
  if (std::isdigit(static_cast<unsigned char>(announced[0]))) return std::atoll(announced.c_str());
  return std::atoll(CommandOutput("ffprobe -v error -select_streams v:0 -count_packets "
                                  "-show_entries stream=nb_read_packets -of csv=p=0 '" +
                                  clip + "'")
                        .c_str());
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

struct Y4m {
  int width = 0, height = 0;
  std::vector<std::string> frames;  // Y, then Cb, then Cr
};

Y4m ReadY4m(const std::string& path) {
  Y4m y4m;
  const std::string bytes = ReadBytes(path);
  size_t at = bytes.find('\n');
  if (at == std::string::npos) return y4m;
  std::istringstream header(bytes.substr(0, at));
  for (std::string word; header >> word;) {
    if (word[0] == 'W') y4m.width = std::atoi(word.c_str() + 1);
    if (word[0] == 'H') y4m.height = std::atoi(word.c_str() + 1);
  }
  const size_t size = size_t(y4m.width) * y4m.height * 3 / 2;
  while (at + 1 < bytes.size()) {
    const size_t frameLine = bytes.find('\n', at + 1);
    if (frameLine == std::string::npos || frameLine + 1 + size > bytes.size()) break;
    y4m.frames.push_back(bytes.substr(frameLine + 1, size));
    at = frameLine + size;
  }
  return y4m;
}

// The screen pixel of picture sample (x, y) as the reference conversion makes it, as the
// screenshot's 8-bit RGB holds it.
uint32_t ReferenceColour(const Y4m& y4m, const std::string& frame, int x, int y) {
  const size_t lumaSize = size_t(y4m.width) * y4m.height;
  const size_t chroma = size_t(y / 2) * (y4m.width / 2) + x / 2;
  const auto sample = [&](size_t at) { return static_cast<uint8_t>(frame[at]); };
  const uint8_t cb = sample(lumaSize + chroma), cr = sample(lumaSize + lumaSize / 4 + chroma);
  return PixelToColor(ExactPixel(sample(size_t(y) * y4m.width + x), cr, cb, 0));
}

uint32_t ImageColour(const RgbImage& image, int x, int y) {
  const uint8_t* p = &image.rgb[3 * (size_t(y) * image.width + x)];
  return p[0] | p[1] << 8 | p[2] << 16;
}

bool PictureMatches(const RgbImage& image, const Y4m& y4m, const std::string& frame, int left,
                    int top) {
  for (int y = 0; y < y4m.height; ++y)
    for (int x = 0; x < y4m.width; ++x)
      if (ImageColour(image, left + x, top + y) != ReferenceColour(y4m, frame, x, y)) return false;
  return true;
}

ViewportRect SkinViewport() {
  auto parsed = std::make_unique<Skin>();
  ParseSkin(ReadBytes(kSkinFile), u"", parsed.get());
  const SkinElement& v = parsed->ViewPort;
  return {v.Left, v.Top, v.Width, v.Height};
}

// ---- One run of the player ----

struct PlayerRun {
  std::vector<std::string> journal;
  std::string wav;
};

// Plays `clip` with the fixed skin (the player exits when the playback ends), running `script`.
PlayerRun PlayToTheEnd(const TempFolder& home, const std::string& clip, const std::string& script) {
  std::ofstream(home / "script.txt") << script;
  PlayerProcess player = StartPlayer(home.path, home / "journal.jsonl",
                                     {"--audio=wav:" + home / "out.wav", "--journal-frames",
                                      "--script=" + home / "script.txt", "-ts" + kSkinFile, clip});
  EXPECT_EQ(WaitForExit(player), 0) << clip;
  return {.journal = Lines(ReadFile(player.journal)), .wav = ReadBytes(home / "out.wav")};
}

// The line of the playback's end. After it the item may be opened again, paused at its start,
// and closed (a second end) as the player exits.
size_t EndLine(const PlayerRun& run) {
  const auto ended = EventIndexes(run.journal, "item-ended");
  return ended.empty() ? run.journal.size() : ended.front();
}

// The item opened once, played every frame it has and reached its end.
void ExpectPlayedToTheEnd(const PlayerRun& run, int64_t frames) {
  const auto opened = EventIndexes(run.journal, "item-opened");
  const auto ended = EventIndexes(run.journal, "item-ended");
  ASSERT_FALSE(opened.empty());
  ASSERT_EQ(
      std::count_if(opened.begin(), opened.end(), [&](size_t line) { return line < EndLine(run); }),
      1);
  ASSERT_FALSE(ended.empty());
  EXPECT_EQ(Number(run.journal[opened[0]], "frames"), frames);
  const std::string& end = run.journal[ended[0]];
  EXPECT_EQ(Number(end, "reached_end"), 1) << end;
  EXPECT_EQ(Number(end, "played"), frames) << end;
  EXPECT_EQ(Number(end, "total"), frames) << end;
}

// Screenshot lines taken while the item played: a while after its first drawn frame (or its
// opening, without video) and before its end.
std::vector<size_t> MidPlayScreenshots(const PlayerRun& run, bool video) {
  const auto started = EventIndexes(run.journal, video ? "frame" : "item-opened");
  const auto ended = EventIndexes(run.journal, "item-ended");
  std::vector<size_t> shots;
  if (started.empty() || ended.empty()) return shots;
  const int64_t settled = Number(run.journal[started.front()], "t") + kSettleMs;
  for (size_t line : EventIndexes(run.journal, "screenshot"))
    if (Number(run.journal[line], "t") >= settled && line < ended.front()) shots.push_back(line);
  return shots;
}

// The frames journaled shortly before journal line `line`, newest first.
std::vector<int64_t> FramesBefore(const PlayerRun& run, size_t line) {
  const int64_t from = Number(run.journal[line], "t") - kScreenshotWriteMs;
  std::vector<int64_t> frames;
  for (size_t i = line; i-- > 0 && Number(run.journal[i], "t") >= from;)
    if (IsEvent(run.journal[i], "frame")) frames.push_back(Number(run.journal[i], "frame"));
  return frames;
}

std::string StatisticsText(const std::string& ended, double fps) {
  const int64_t dropped = Number(ended, "dropped"), played = Number(ended, "played");
  const float ratio = float(played - dropped + 1) / float(played + 1);
  char text[160];
  std::snprintf(text, sizeof text,
                "Dropped: %lld\\u000d\\u000aPlayed: %lld\\u000d\\u000aTotal: %lld\\u000d\\u000aAvg "
                "FPS: %.2f",
                static_cast<long long>(dropped), static_cast<long long>(played),
                static_cast<long long>(Number(ended, "total")), double(ratio) * fps);
  return text;
}

std::vector<int64_t> ReaderOpenModes(const PlayerRun& run) {
  std::vector<int64_t> modes;
  for (size_t line : EventIndexes(run.journal, "reader-open")) {
    if (line > EndLine(run)) break;
    EXPECT_EQ(Number(run.journal[line], "ok"), 1) << run.journal[line];
    modes.push_back(Number(run.journal[line], "mode"));
  }
  return modes;
}

// ---- The items ----

struct ItemCase {
  const char* name;
  const char* file;  // under the test media folder
  const char* ffmpegArgs;
  bool pcm = false;          // the WAV output must be the file's audio as 16-bit samples
  bool cover = false;        // an audio-only item with a folder.jpg beside it
  bool cachedInput = false;  // the reader opens it plainly, then cached
};

// Every video frame is a key frame, so every frame is drawn whole: with the compare flag the
// upright blitter keeps a block whose top-left luma did not change, showing parts of earlier
// frames by design.
const ItemCase kItems[] = {
    {.name = "XvidWithMp3",
     .file = "xvid_mp3.avi",
     .ffmpegArgs = "-f lavfi -i testsrc=size=176x144:rate=25 -f lavfi -i "
                   "sine=frequency=440:sample_rate=44100 -t 4 -c:v mpeg4 -vtag XVID -q:v 5 -g 1 "
                   "-c:a libmp3lame -b:a 128k",
     .cachedInput = true},
    {.name = "Divx3WithPcm",
     .file = "divx3_pcm.avi",
     .ffmpegArgs = "-f lavfi -i testsrc=size=176x144:rate=25 -f lavfi -i "
                   "sine=frequency=330:sample_rate=22050 -t 4 -c:v msmpeg4 -vtag DIV3 -g 1 "
                   "-c:a pcm_s16le -ac 1",
     .pcm = true},
    {.name = "MjpegWithEightBitPcm",
     .file = "mjpeg_pcm8.avi",
     .ffmpegArgs = "-f lavfi -i testsrc=size=176x144:rate=25 -f lavfi -i "
                   "sine=frequency=330:sample_rate=11025 -t 4 -c:v mjpeg -vtag MJPG -q:v 3 "
                   "-c:a pcm_u8 -ac 1",
     .pcm = true},
    {.name = "Mpeg1WithoutAudio",
     .file = "mpeg1.avi",
     .ffmpegArgs = "-f lavfi -i testsrc=size=176x144:rate=25 -t 4 -c:v mpeg1video -q:v 4 -g 1"},
    {.name = "Mp3OnlyWithCover",
     .file = "cover/mp3_only.avi",
     .ffmpegArgs =
         "-f lavfi -i sine=frequency=550:sample_rate=44100 -t 4 -c:a libmp3lame -b:a 128k",
     .cover = true},
};

// A colour far from the skin's dark viewport, kept close by JPEG and the 16-bit screen.
constexpr uint8_t kCoverRed = 224, kCoverGreen = 112, kCoverBlue = 32;
constexpr int kCoverTolerance = 12;

bool NearCover(uint32_t colour) {
  const auto near = [](int value, int wanted) {
    return std::abs(value - wanted) <= kCoverTolerance;
  };
  return near(colour & 0xFF, kCoverRed) && near((colour >> 8) & 0xFF, kCoverGreen) &&
         near((colour >> 16) & 0xFF, kCoverBlue);
}

// A cover of exactly the viewport's size, beside the audio-only clip.
bool MakeCover(const ViewportRect& viewport) {
  char colour[16];
  std::snprintf(colour, sizeof colour, "0x%02X%02X%02X", kCoverRed, kCoverGreen, kCoverBlue);
  return !MakeMedia("cover/folder.jpg", std::string("-f lavfi -i color=c=") + colour +
                                            ":s=" + std::to_string(viewport.width) + "x" +
                                            std::to_string(viewport.height) +
                                            ",format=yuvj444p -frames:v 1 -q:v 1")
              .empty();
}

void ExpectCoverFillsTheViewport(const RgbImage& image, const ViewportRect& v) {
  size_t off = 0;
  for (int y = v.top; y < v.top + v.height; ++y)
    for (int x = v.left; x < v.left + v.width; ++x) off += !NearCover(ImageColour(image, x, y));
  EXPECT_EQ(off, 0u) << "viewport pixels that do not show the cover";
  // Just outside, the skin shows again on every side.
  size_t outside = 0, covered = 0;
  for (int x = v.left; x < v.left + v.width; ++x)
    for (int y : {v.top - 1, v.top + v.height}) {
      ++outside;
      covered += NearCover(ImageColour(image, x, y));
    }
  for (int y = v.top; y < v.top + v.height; ++y)
    for (int x : {v.left - 1, v.left + v.width}) {
      ++outside;
      covered += NearCover(ImageColour(image, x, y));
    }
  EXPECT_EQ(covered, 0u) << "of " << outside << " pixels around the viewport";
}

void PrintTo(const ItemCase& item, std::ostream* out) {
  *out << item.name;
}

class PlaybackEndToEnd : public ::testing::TestWithParam<ItemCase> {};

TEST_P(PlaybackEndToEnd, PlaysToItsEndAndShowsWhatItDecodes) {
  const ItemCase& item = GetParam();
  const std::string clip = MakeMedia(item.file, item.ffmpegArgs);
  ASSERT_FALSE(clip.empty()) << "ffmpeg could not make " << item.file;
  const ViewportRect viewport = SkinViewport();
  ASSERT_GT(viewport.width, 0) << kSkinFile;
  if (item.cover) {
    ASSERT_TRUE(MakeCover(viewport));
  }
  const int64_t frames = ContainerFrames(clip);
  ASSERT_EQ(frames == 0, item.cover);

  TempFolder home;
  WriteSettings(home, {.showStatistics = true, .cachedInput = item.cachedInput});
  // The item opens a second after the start; screenshots spread over its four seconds, at
  // least one of them while it plays even on a slow machine.
  std::string script = "answer ok\n";  // the statistics box
  for (int shot = 0; shot < 5; ++shot)
    script += "wait 700\nscreenshot " + home / ("shot" + std::to_string(shot) + ".png") + "\n";
  const PlayerRun run = PlayToTheEnd(home, clip, script);
  ASSERT_NO_FATAL_FAILURE(ExpectPlayedToTheEnd(run, frames));
  const std::string& ended = run.journal[EventIndexes(run.journal, "item-ended")[0]];
  const std::string& opened = run.journal[EventIndexes(run.journal, "item-opened")[0]];

  // Cached input opens the item plainly first, then cached.
  const std::vector<int64_t> modes =
      item.cachedInput ? std::vector<int64_t>{0, 2} : std::vector<int64_t>{0};
  EXPECT_EQ(ReaderOpenModes(run), modes);

  // The statistics box after a video, in its exact format; none after sound alone.
  std::vector<std::string> statistics;
  for (size_t line : EventIndexes(run.journal, "messagebox"))
    if (Text(run.journal[line], "title") == "Playback Statistics")
      statistics.push_back(Text(run.journal[line], "text"));
  if (frames > 0) {
    ASSERT_EQ(statistics.size(), 1u);
    EXPECT_EQ(statistics[0], StatisticsText(ended, Real(opened, "fps")));
  } else {
    EXPECT_TRUE(statistics.empty());
  }

  // The sound device got every byte the engine queued (without sound no device is opened and
  // no file written); PCM comes out as the file holds it, 8-bit samples widened to 16 bits.
  const int64_t audioBytes = Number(ended, "audio_bytes");
  EXPECT_EQ(int64_t(std::max<size_t>(run.wav.size(), 44) - 44), audioBytes);
  EXPECT_EQ(audioBytes > 0, Number(opened, "audio_length") > 0);
  if (item.pcm) {
    const std::string raw = home / "audio.raw";
    ASSERT_EQ(std::system(("ffmpeg -nostdin -loglevel error -y -i '" + clip +
                           "' -map 0:a -f s16le '" + raw + "'")
                              .c_str()),
              0);
    EXPECT_TRUE(run.wav.substr(44) == ReadBytes(raw)) << "the written PCM differs from the file's";
  }

  const std::vector<size_t> shots = MidPlayScreenshots(run, frames > 0);
  ASSERT_FALSE(shots.empty()) << "no screenshot was taken while the item played";
  Y4m pictures;
  OutputGeometry geometry;
  if (frames > 0) {
    ASSERT_EQ(
        std::system(
            (kProbe + " video '" + clip + "' '" + home / "pictures.y4m" + "' >/dev/null").c_str()),
        0);
    pictures = ReadY4m(home / "pictures.y4m");
    ASSERT_FALSE(pictures.frames.empty());
    ASSERT_LE(int64_t(pictures.frames.size()), frames);
    geometry = ComputeOutputGeometry({.pictureWidth = pictures.width,
                                      .pictureHeight = pictures.height,
                                      .hasVideo = true,
                                      .screenWidth = kScreenWidth,
                                      .screenHeight = kScreenHeight,
                                      .viewport = viewport});
    ASSERT_FALSE(geometry.takeover);
  }
  for (size_t line : shots) {
    RgbImage image;
    ASSERT_TRUE(ReadPng(Text(run.journal[line], "file"), &image)) << run.journal[line];
    ASSERT_EQ(image.width, kScreenWidth);
    ASSERT_EQ(image.height, kScreenHeight);
    if (frames == 0) {
      ExpectCoverFillsTheViewport(image, viewport);
      continue;
    }
    // The picture on screen is one of the frames drawn just before, converted exactly. An empty
    // packet (the previous frame again) gives the probe no picture, so frame k is picture k - e
    // for the e empty packets before it.
    const std::vector<int64_t> candidates = FramesBefore(run, line);
    const int64_t empties = frames - int64_t(pictures.frames.size());
    bool matched = false;
    for (int64_t frame : candidates)
      for (int64_t e = 0; e <= empties; ++e)
        matched = matched || (frame - e >= 0 && frame - e < int64_t(pictures.frames.size()) &&
                              PictureMatches(image, pictures, pictures.frames[frame - e],
                                             geometry.originColumn, geometry.originRow));
    EXPECT_TRUE(matched) << Text(run.journal[line], "file") << " shows none of the frames "
                         << ::testing::PrintToString(candidates) << " at (" << geometry.originColumn
                         << ", " << geometry.originRow << ")";
  }
}

INSTANTIATE_TEST_SUITE_P(Items, PlaybackEndToEnd, ::testing::ValuesIn(kItems),
                         [](const auto& info) { return std::string(info.param.name); });

// Three chapters two seconds (50 frames) apart. Keys open the File menu's Chapters submenu and
// choose its third, first and second item, then the command of the third chapter comes
// straight: each must seek to its own chapter.
TEST(PlaybackEndToEndChapters, TheMenuListsTheChaptersInOrderAndEachSeeksToItsChapter) {
  TempFolder home;
  std::ofstream(home / "chapters.txt")
      << ";FFMETADATA1\n"
      << "[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=2000\ntitle=Opening\n"
      << "[CHAPTER]\nTIMEBASE=1/1000\nSTART=2000\nEND=4000\ntitle=Middle\n"
      << "[CHAPTER]\nTIMEBASE=1/1000\nSTART=4000\nEND=6000\ntitle=Credits\n";
  const std::string clip = MakeMedia(
      "chapters.mkv", "-f lavfi -i testsrc=size=176x144:rate=25 -i '" + home / "chapters.txt" +
                          "' -t 6 -map 0 -map_chapters 1 -c:v mpeg4 -g 25 -q:v 5");
  ASSERT_FALSE(clip.empty());
  constexpr int64_t kFramesPerChapter = 50;
  const int64_t frames = ContainerFrames(clip);
  ASSERT_EQ(frames, 3 * kFramesPerChapter);

  struct Step {
    std::string input;
    int64_t chapter;
  };
  // F10 opens the File menu on its first item; Down moves to Chapters, Right opens it on its
  // first item.
  const auto menuItem = [](int item) {
    std::string keys = "key 0x79\nkey 0x28\nkey 0x27\n";
    for (int i = 0; i < item; ++i) keys += "key 0x28\n";
    return keys + "key 0x0D\n";
  };
  const Step steps[] = {
      {menuItem(2), 2}, {menuItem(0), 0}, {menuItem(1), 1}, {"command 40061\n", 2}};
  std::string script = "wait 2500\n";  // the item opens a second after the start
  for (const Step& step : steps) script += step.input + "wait 700\n";

  WriteSettings(home, {.cachedInput = true});
  const PlayerRun run = PlayToTheEnd(home, clip, script);
  ASSERT_NO_FATAL_FAILURE(ExpectPlayedToTheEnd(run, frames));
  EXPECT_EQ(ReaderOpenModes(run), (std::vector<int64_t>{0, 2}));

  const auto seeks = EventIndexes(run.journal, "seek");
  ASSERT_EQ(seeks.size(), std::size(steps));
  for (size_t i = 0; i < seeks.size(); ++i) {
    const std::string& seek = run.journal[seeks[i]];
    EXPECT_EQ(Number(seek, "frame"), -1) << seek;  // a chapter seek names neither
    EXPECT_EQ(Number(seek, "percent"), -1) << seek;
    // The first frame drawn once the seek resumed playing: the seek is journaled as it starts,
    // and a frame the video thread was drawing then may be journaled after it.
    size_t line = seeks[i] + 1;
    while (line < run.journal.size() &&
           run.journal[line].find("\"state\":\"playing\"") == std::string::npos)
      ++line;
    int64_t first = -1;
    for (; line < run.journal.size() && first < 0; ++line)
      if (IsEvent(run.journal[line], "frame")) first = Number(run.journal[line], "frame");
    const int64_t chapterStart = steps[i].chapter * kFramesPerChapter;
    EXPECT_GE(first, chapterStart) << steps[i].input;
    EXPECT_LT(first, chapterStart + kFramesPerChapter / 2) << steps[i].input;
  }
}

// A network item is opened once, as a network item, whatever the cached input setting says.
TEST(PlaybackEndToEndNetwork, ANetworkItemIsOpenedOnceWhateverCachedInputSays) {
  const std::string clip = MakeMedia(kItems[0].file, kItems[0].ffmpegArgs);
  ASSERT_FALSE(clip.empty());
  const std::string bytes = ReadBytes(clip);
  TestHttpServer server([&](const HttpRequest&, int socket, TestHttpServer&) {
    SendBytes(socket, "HTTP/1.0 200 OK\r\nContent-Type: video/x-msvideo\r\nContent-Length: " +
                          std::to_string(bytes.size()) + "\r\n\r\n" + bytes);
  });
  ASSERT_GT(server.port, 0);
  TempFolder home;
  WriteSettings(home, {.cachedInput = true});
  const PlayerRun run = PlayToTheEnd(home, server.Url("/clip.avi"), "");
  EXPECT_EQ(ReaderOpenModes(run), std::vector<int64_t>{1});
  const auto opened = EventIndexes(run.journal, "item-opened");
  ASSERT_FALSE(opened.empty());
  EXPECT_EQ(Number(run.journal[opened[0]], "frames"), ContainerFrames(clip));
}

}  // namespace
