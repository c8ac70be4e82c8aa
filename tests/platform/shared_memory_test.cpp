#include "platform/shared_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/named_mutex.h"
#include "support/session.h"
#include "support/system.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;
using test::ModeOf;
using test::TestSession;

TEST(SharedMemoryTest, CreateMakesAPrivateZeroFilledBlockSharedByName) {
  RQX340_POSIX_ONLY("the block is a file of the session directory");
  TestSession session;
  const SessionDir dir = session.Open();
  auto first = SharedMemory::OpenOrCreate(dir, "ZUL12345678", 4096);
  ASSERT_TRUE(first) << first.ErrorText();
  EXPECT_EQ(fs::file_size(session.Path() / "ZUL12345678"), 4096u);
  EXPECT_EQ(ModeOf(session.Path() / "ZUL12345678"), 0600u);
  auto view = first->Map(4096);
  ASSERT_TRUE(view) << view.ErrorText();
  ASSERT_EQ(view->Bytes().size(), 4096u);
  EXPECT_TRUE(std::all_of(view->Bytes().begin(), view->Bytes().end(),
                          [](std::byte b) { return b == std::byte{0}; }));

  // A second opener sees the same bytes, both ways.
  auto second = SharedMemory::OpenExisting(dir, "ZUL12345678");
  ASSERT_TRUE(second) << second.ErrorText();
  auto other_view = second->Map(4096);
  ASSERT_TRUE(other_view) << other_view.ErrorText();
  view->Bytes()[4095] = std::byte{0x5A};
  other_view->Bytes()[0] = std::byte{0xA5};
  EXPECT_EQ(other_view->Bytes()[4095], std::byte{0x5A});
  EXPECT_EQ(view->Bytes()[0], std::byte{0xA5});

  // Creating it again opens it and keeps what is in it.
  auto again = SharedMemory::OpenOrCreate(dir, "ZUL12345678", 4096);
  ASSERT_TRUE(again) << again.ErrorText();
  EXPECT_EQ(again->Map(4096)->Bytes()[4095], std::byte{0x5A});
}

TEST(SharedMemoryTest, OpenExistingNeverCreates) {
  TestSession session;
  const SessionDir dir = session.Open();
  const auto missing = SharedMemory::OpenExisting(dir, "ZUL00000000");
  EXPECT_FALSE(missing);
  const std::string& error = missing.ErrorText();
  EXPECT_NE(error.find("ZUL00000000"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(session.Path() / "ZUL00000000"));
}

TEST(SharedMemoryTest, ShortObjectIsNotMappedPastItsEnd) {
  RQX340_POSIX_ONLY("a block can be cut short as a file");
  TestSession session;
  const SessionDir dir = session.Open();
  { std::ofstream(session.Path() / "ZULSHORT", std::ios::binary) << std::string(100, 'x'); }
  auto memory = SharedMemory::OpenExisting(dir, "ZULSHORT");
  ASSERT_TRUE(memory) << memory.ErrorText();
  const auto refused = memory->Map(4096);
  EXPECT_FALSE(refused);
  const std::string& error = refused.ErrorText();
  EXPECT_NE(error.find("100 bytes"), std::string::npos) << error;

  // Creating grows it and keeps the bytes it had; the rest reads as zero.
  auto grown = SharedMemory::OpenOrCreate(dir, "ZULSHORT", 4096);
  ASSERT_TRUE(grown) << grown.ErrorText();
  auto view = grown->Map(4096);
  ASSERT_TRUE(view) << view.ErrorText();
  EXPECT_EQ(view->Bytes()[99], std::byte{'x'});
  EXPECT_EQ(view->Bytes()[100], std::byte{0});
}

TEST(SharedMemoryTest, RefusesNamesOutsideTheDirectoryAndLinks) {
  RQX340_POSIX_ONLY("names are paths in the session directory");
  TestSession session;
  const SessionDir dir = session.Open();
  for (const char* name : {"", ".", "..", "a/b", "../ZUL1"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(SharedMemory::OpenOrCreate(dir, name, 4096));
    EXPECT_FALSE(NamedMutex::Open(dir, name));
  }
  test::TempDir elsewhere;
  fs::create_symlink(elsewhere.Path() / "target", session.Path() / "ZULLINK");
  EXPECT_FALSE(SharedMemory::OpenOrCreate(dir, "ZULLINK", 4096));
  EXPECT_FALSE(fs::exists(elsewhere.Path() / "target"));
}

TEST(NamedMutexTest, TwoHoldersExcludeEachOtherInsideOneProcess) {
  TestSession session;
  const SessionDir dir = session.Open();
  auto first = NamedMutex::Open(dir, "ZUL1MUX");
  auto second = NamedMutex::Open(dir, "ZUL1MUX");
  ASSERT_TRUE(first && second) << first.ErrorText() << second.ErrorText();
  if (test::kPosix) EXPECT_EQ(ModeOf(session.Path() / "ZUL1MUX"), 0600u);
  first->Lock();
  EXPECT_FALSE(second->TryLock());
  first->Unlock();
  EXPECT_TRUE(second->TryLock());
  EXPECT_FALSE(first->TryLock());
  second->Unlock();
  {
    NamedMutexLock lock(*first);
    EXPECT_FALSE(second->TryLock());
  }
  EXPECT_TRUE(second->TryLock());
  second->Unlock();
  // One that goes while it holds the mutex gives it back.
  {
    auto gone = NamedMutex::Open(dir, "ZUL1MUX");
    ASSERT_TRUE(gone && gone->TryLock());
    EXPECT_FALSE(second->TryLock());
  }
  EXPECT_TRUE(second->TryLock());
  second->Unlock();
}

TEST(NamedMutexTest, AHolderThatDiesReleasesTheMutex) {
  TestSession session;
  const SessionDir dir = session.Open();
  auto mutex = NamedMutex::Open(dir, "ZULDEADMUX");
  ASSERT_TRUE(mutex) << mutex.ErrorText();

  for (const bool killed : {true, false}) {
    SCOPED_TRACE(killed ? "killed" : "ends normally");
    auto holder = ChildProcess::Spawn(test::ProgramPath("rqx340-testclient"),
                                      {"hold-lock", "ZULDEADMUX"}, session.ChildOptions());
    ASSERT_TRUE(holder) << holder.ErrorText();
    ASSERT_EQ(holder->ReadLine(30000), "locked");
    EXPECT_FALSE(mutex->TryLock());
    if (killed) {
      holder->Kill();
      EXPECT_EQ(holder->Wait(), 128 + 9);
    } else {
      holder->CloseStdin();
      EXPECT_EQ(holder->Wait(), 0);
    }
    EXPECT_TRUE(mutex->TryLock());
    mutex->Unlock();
  }
}

}  // namespace
}  // namespace rqx340
