// Where the environment puts the session directory on POSIX.
#include "platform/posix/session_dir_path.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "support/fixed_environment.h"

namespace rqx340::posix {
namespace {

TEST(SessionDirPathTest, EnvironmentChoosesTheDirectory) {
  struct Case {
    const char* what;
    std::map<std::string, std::string> environment;
    const char* expected;
  };
  const Case cases[] = {
      {"own variable first", {{"RQX340_RUNTIME_DIR", "/a/b"}, {"XDG_RUNTIME_DIR", "/x"}}, "/a/b"},
      {"trailing slash dropped", {{"RQX340_RUNTIME_DIR", "/a/b/"}}, "/a/b"},
      {"relative made absolute", {{"RQX340_RUNTIME_DIR", "rel/./dir"}}, "/home/u/rel/dir"},
      {"empty own variable is unset",
       {{"RQX340_RUNTIME_DIR", ""}, {"XDG_RUNTIME_DIR", "/run/user/5"}},
       "/run/user/5/zul"},
      {"runtime dir before TMPDIR",
       {{"XDG_RUNTIME_DIR", "/run/user/5"}, {"TMPDIR", "/var/tmp"}},
       "/run/user/5/zul"},
      {"empty runtime dir is unset",
       {{"XDG_RUNTIME_DIR", ""}, {"TMPDIR", "/var/tmp"}},
       "/var/tmp/zul-5"},
      {"TMPDIR with slash", {{"TMPDIR", "/var/tmp/"}}, "/var/tmp/zul-5"},
      {"empty TMPDIR is unset", {{"TMPDIR", ""}}, "/tmp/zul-5"},
      {"nothing set", {}, "/tmp/zul-5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ChooseSessionDirPath(rqx340::test::FixedEnvironment(c.environment), 5, "/home/u"),
              c.expected);
  }
}

}  // namespace
}  // namespace rqx340::posix
