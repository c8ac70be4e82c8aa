#include "platform/process.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/session.h"
#include "support/temp_dir.h"
#include "support/system.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;

TEST(ProcessTest, ExecutableDirectoryResolvesLinks) {
  RQX340_POSIX_ONLY("symbolic links and POSIX paths");
  const auto self = RunningExecutablePath();
  ASSERT_TRUE(self);
  EXPECT_EQ(fs::path(*self).filename(), "platform_tests");
  const auto directory = ExecutableDirectory(*self);
  ASSERT_TRUE(directory);
  EXPECT_EQ(*directory, fs::canonical(*self).parent_path().string() + "/");

  test::TempDir temp;
  fs::create_symlink(*self, temp.Path() / "link-to-tests");
  EXPECT_EQ(ExecutableDirectory((temp.Path() / "link-to-tests").string()).ValueOr(""), *directory);
  EXPECT_FALSE(ExecutableDirectory((temp.Path() / "missing").string()));
  EXPECT_FALSE(ExecutableDirectory(""));
}

TEST(ProcessTest, ChildrenReportOutputAndExitCodes) {
  test::TestSession session;
  auto usage = ChildProcess::Spawn(test::ProgramPath("rqx340-testclient"), {"nonsense"},
                                   session.ChildOptions());
  ASSERT_TRUE(usage) << usage.ErrorText();
  EXPECT_EQ(usage->Wait(), 2);
  EXPECT_EQ(usage->TryWait(), 2);

  auto holder = ChildProcess::Spawn(test::ProgramPath("rqx340-testclient"), {"hold-lock", "L"},
                                    session.ChildOptions());
  ASSERT_TRUE(holder) << holder.ErrorText();
  EXPECT_EQ(holder->ReadLine(30000), "locked");
  EXPECT_FALSE(holder->TryWait());
  holder->Terminate();
  EXPECT_EQ(holder->Wait(), 128 + 15);

  EXPECT_FALSE(ChildProcess::Spawn((session.Path() / "no-such-program").string(), {},
                                   session.ChildOptions()));
}

}  // namespace
}  // namespace rqx340
