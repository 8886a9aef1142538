// Test media made with ffmpeg once and shared by the tests that run side by side.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

// FOLDER/NAME, made by `ffmpeg FFMPEG_ARGS` unless it is there already; "" when ffmpeg failed.
// Each process writes a partial file of its own (same extension, so that ffmpeg picks the same
// format) and the rename puts a whole one in place: no test reads a file another one writes.
inline std::string MakeMediaOnce(const std::filesystem::path& folder, const std::string& name,
                                 const std::string& ffmpegArgs) {
  const std::filesystem::path path = folder / name;  // a name may hold subfolders
  if (std::filesystem::exists(path)) return path.string();
  std::filesystem::create_directories(path.parent_path());
  const std::filesystem::path partial =
      path.parent_path() /
      (".partial-" + std::to_string(getpid()) + "-" + path.filename().string());
  const std::string command = "ffmpeg -nostdin -loglevel error -y " + ffmpegArgs + " '" +
                              partial.string() + "' 2>/dev/null && mv '" + partial.string() +
                              "' '" + path.string() + "'";
  return std::system(command.c_str()) == 0 ? path.string() : std::string();
}
