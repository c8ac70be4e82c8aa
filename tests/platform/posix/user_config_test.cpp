#include "platform/user_config.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "support/fixed_environment.h"

namespace rqx340 {
namespace {

TEST(UserConfigTest, TheXdgRuleChoosesTheFolder) {
  struct Case {
    const char* name;
    std::map<std::string, std::string> env;
    std::optional<std::string> folder;
  };
  const Case cases[] = {
      {"XDG_CONFIG_HOME", {{"XDG_CONFIG_HOME", "/x/conf"}, {"HOME", "/home/u"}}, "/x/conf"},
      {"trailing slashes go", {{"XDG_CONFIG_HOME", "/x/conf//"}}, "/x/conf"},
      {"unset: HOME/.config", {{"HOME", "/home/u"}}, "/home/u/.config"},
      {"empty counts as unset", {{"XDG_CONFIG_HOME", ""}, {"HOME", "/home/u/"}}, "/home/u/.config"},
      {"relative is ignored",
       {{"XDG_CONFIG_HOME", "conf"}, {"HOME", "/home/u"}},
       "/home/u/.config"},
      {"home is the root", {{"HOME", "/"}}, "/.config"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(UserConfigFolder(test::FixedEnvironment(c.env)), c.folder);
  }
}

TEST(UserConfigTest, WithoutHomeTheUserDatabaseNamesTheHomeFolder) {
  const auto folder = UserConfigFolder(test::FixedEnvironment({}));
  // Every user of this machine, root included, has a home folder in the database.
  ASSERT_TRUE(folder);
  EXPECT_TRUE(folder->ends_with("/.config"));
  EXPECT_TRUE(folder->starts_with("/"));
}

}  // namespace
}  // namespace rqx340
