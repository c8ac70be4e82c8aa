#include "platform/session_dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;
using test::ModeOf;
using test::ScopedEnv;
using test::TempDir;

TEST(SessionDirTest, CreatesOnlyTheLastComponentPrivately) {
  TempDir temp;
  const auto path = temp.Path() / "zul";
  auto dir = SessionDir::OpenPath(path.string());
  ASSERT_TRUE(dir) << dir.ErrorText();
  EXPECT_EQ(dir->Path(), path.string());
  EXPECT_EQ(dir->PathOf("wnd-00000001"), (path / "wnd-00000001").string());
  EXPECT_EQ(ModeOf(path), 0700u);

  // An existing private directory is used as it is.
  const auto again = SessionDir::OpenPath(path.string());
  EXPECT_TRUE(again) << again.ErrorText();

  const auto deep = temp.Path() / "missing" / "zul";
  const auto refused = SessionDir::OpenPath(deep.string());
  EXPECT_FALSE(refused);
  const std::string& error = refused.ErrorText();
  EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(temp.Path() / "missing"));
}

TEST(SessionDirTest, OpenFollowsTheEnvironment) {
  TempDir temp;
  ScopedEnv own("RQX340_RUNTIME_DIR", (temp.Path() / "session").c_str());
  auto dir = SessionDir::Open();
  ASSERT_TRUE(dir) << dir.ErrorText();
  EXPECT_EQ(dir->Path(), (temp.Path() / "session").string());
  EXPECT_TRUE(fs::is_directory(temp.Path() / "session"));
  auto copy = dir->Duplicate();
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->Path(), dir->Path());
  EXPECT_NE(copy->Handle(), dir->Handle());
}

TEST(SessionDirTest, RefusesUnsafeDirectoriesAndTouchesNothing) {
  struct Case {
    const char* what;
    const char* reason;
    void (*make)(const fs::path& path, const fs::path& elsewhere);
  };
  const Case cases[] = {
      {"symbolic link", "symbolic link",
       [](const fs::path& path, const fs::path& elsewhere) {
         fs::create_directory(elsewhere);
         fs::permissions(elsewhere, fs::perms::owner_all, fs::perm_options::replace);
         fs::create_directory_symlink(elsewhere, path);
       }},
      {"open to the group", "open to group or others",
       [](const fs::path& path, const fs::path&) {
         fs::create_directory(path);
         fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec,
                         fs::perm_options::replace);
       }},
      {"searchable by others", "open to group or others",
       [](const fs::path& path, const fs::path&) {
         fs::create_directory(path);
         fs::permissions(path, fs::perms::owner_all | fs::perms::others_exec,
                         fs::perm_options::replace);
       }},
      {"not a directory", "not a directory",
       [](const fs::path& path, const fs::path&) {
         std::ofstream(path) << "x";
         fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write,
                         fs::perm_options::replace);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir temp;
    const auto path = temp.Path() / "zul";
    const auto elsewhere = temp.Path() / "elsewhere";
    c.make(path, elsewhere);
    const unsigned mode_before = ModeOf(path);
    const auto refused = SessionDir::OpenPath(path.string());
    EXPECT_FALSE(refused);
    const std::string& error = refused.ErrorText();
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_NE(error.find(path.string()), std::string::npos) << error;
    EXPECT_EQ(ModeOf(path), mode_before);
    if (fs::exists(elsewhere)) {
      EXPECT_TRUE(fs::is_empty(elsewhere));
    }
  }
}

TEST(SessionDirTest, RefusesADirectoryOfAnotherUser) {
  TempDir temp;
  const auto path = temp.Path() / "zul";
  fs::create_directory(path);
  fs::permissions(path, fs::perms::owner_all, fs::perm_options::replace);
  if (chown(path.c_str(), 65534, 65534) != 0) GTEST_SKIP() << "cannot give the directory away";
  const auto refused = SessionDir::OpenPath(path.string());
  EXPECT_FALSE(refused);
  const std::string& error = refused.ErrorText();
  EXPECT_NE(error.find("owned by uid 65534"), std::string::npos) << error;
  EXPECT_TRUE(fs::is_empty(path));
}

}  // namespace
}  // namespace rqx340
