// A fresh folder under /tmp for one test, removed afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

struct TempFolder {
  std::string path;
  TempFolder() {
    char pattern[] = "/tmp/morvelant-test-XXXXXX";
    path = mkdtemp(pattern);
  }
  ~TempFolder() { std::filesystem::remove_all(path); }
  std::string operator/(const std::string& name) const { return path + "/" + name; }
};
