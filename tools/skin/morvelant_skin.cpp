// morvelant-skin: checks a skin file and renders a preview of it, with the player's own parser.
//
//   morvelant-skin check FILE.pds          one line per finding; exit 1 on an error
//   morvelant-skin preview FILE.pds OUT.png
#include <cstdio>
#include <string>

#include "tools/skin/skin_check.h"
#include "tools/skin/skin_preview.h"

namespace {

int Usage() {
  std::fputs(
      "usage: morvelant-skin check FILE.pds\n"
      "       morvelant-skin preview FILE.pds OUT.png\n",
      stderr);
  return 2;
}

int Check(const std::string& path) {
  bool failed = false;
  for (const SkinFinding& finding : CheckSkin(path)) {
    std::printf("%s\n", FormatFinding(path, finding).c_str());
    failed = failed || finding.error;
  }
  if (!failed) std::printf("%s: ok\n", path.c_str());
  return failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "check" && argc == 3) return Check(argv[2]);
  if (command == "preview" && argc == 4) return PreviewSkin(argv[2], argv[3]) ? 0 : 1;
  return Usage();
}
