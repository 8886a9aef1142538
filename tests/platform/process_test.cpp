#include "platform/process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "temp_folder.h"

TEST(Processes, StartedProgramsRunWithTheirArgumentsAndMissingOnesFail) {
  TempFolder folder;
  const std::string marker = folder / "started";
  ASSERT_TRUE(StartProgram("touch", {marker}));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!std::filesystem::exists(marker) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(std::filesystem::exists(marker));
  EXPECT_FALSE(StartProgram("/nonexistent/Fennick", {}));
}
