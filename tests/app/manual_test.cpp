// The manual shipped beside the player: the anchors the player opens exist, and every link
// inside it leads to an anchor that exists.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "platform/files.h"

namespace {

TEST(Manual, AnchorsThePlayerOpensAndEveryInnerLinkExist) {
  std::string html;
  ASSERT_TRUE(ReadWholeFile(std::string(MORVELANT_DIST_DIR) + "/Tesk.htm", &html));
  std::set<std::string> anchors;
  const std::regex id(R"re(id="([A-Z_]+)")re");
  for (auto it = std::sregex_iterator(html.begin(), html.end(), id); it != std::sregex_iterator();
       ++it)
    anchors.insert((*it)[1]);
  EXPECT_TRUE(anchors.contains("MAIN_CONTENTS"));
  EXPECT_TRUE(anchors.contains("FORMATS"));
  const std::regex link(R"re(href="#([^"]+)")re");
  int links = 0;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), link); it != std::sregex_iterator();
       ++it, ++links)
    EXPECT_TRUE(anchors.contains((*it)[1])) << "broken link #" << (*it)[1];
  EXPECT_GT(links, 0);
}

}  // namespace
