// The version text every program prints.
#include "base/version.h"

#include <gtest/gtest.h>

#include <regex>

namespace rqx340 {
namespace {

TEST(VersionTest, TextIsProgramVersionAndCommitWhenKnown) {
  EXPECT_EQ(ProjectVersion(), RQX340_PROJECT_VERSION);
  const std::string text = VersionText("rqx340");
  EXPECT_TRUE(std::regex_match(text, std::regex(R"(rqx340 \d+\.\d+\.\d+( \(git [0-9a-f]{7,}\))?)")))
      << text;
  EXPECT_EQ(text.rfind(std::string("rqx340 ") + RQX340_PROJECT_VERSION, 0), 0u) << text;
}

}  // namespace
}  // namespace rqx340
