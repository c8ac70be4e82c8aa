// The POSIX windows: sockets in the session directory, and what a peer that
// misbehaves on them can and cannot do.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/process.h"
#include "platform/window.h"
#include "support/run_program.h"
#include "support/session.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;
using test::MakeMessenger;
using test::MakeWindow;
using test::TestSession;

TEST(WindowSocketTest, AWindowIsASocketNamedAfterItsHandleWhileItLives) {
  TestSession session;
  const SessionDir dir = session.Open();
  auto messenger = MakeMessenger(dir);
  ASSERT_TRUE(messenger);
  WindowHandle handle = 0;
  {
    auto window = MakeWindow(dir);
    ASSERT_TRUE(window);
    handle = window->Handle();
    EXPECT_NE(handle, 0u);
    char name[16];
    std::snprintf(name, sizeof name, "wnd-%08X", handle);
    EXPECT_EQ(WindowEndpointName(handle), name);
    EXPECT_TRUE(fs::is_socket(session.Path() / name));
    EXPECT_TRUE(messenger->IsWindow(handle));
    auto other = MakeWindow(dir);
    EXPECT_NE(other->Handle(), handle);
  }
  EXPECT_FALSE(messenger->IsWindow(handle));
  EXPECT_FALSE(messenger->IsWindow(0));
  EXPECT_FALSE(fs::exists(session.Path() / WindowEndpointName(handle)));
  EXPECT_EQ(messenger->Send(handle, {kWmUser + 1, 5, 0}), kSendFailed);
  EXPECT_FALSE(messenger->Post(handle, {kWmUser + 1, 100, 0}));
}

TEST(WindowSocketTest, ALeftoverOfADeadWindowIsReplacedALiveOneIsNot) {
  TestSession session;
  const SessionDir dir = session.Open();
  auto messenger = MakeMessenger(dir);
  auto child = ChildProcess::Spawn(test::ProgramPath("rqx340-testclient"), {"window"},
                                   session.ChildOptions());
  ASSERT_TRUE(child) << child.ErrorText();
  const auto line = child->ReadLine(30000);
  ASSERT_TRUE(line && line->rfind("window ", 0) == 0);
  const auto handle = static_cast<WindowHandle>(std::stoul(line->substr(7), nullptr, 16));
  EXPECT_TRUE(messenger->IsWindow(handle));
  EXPECT_EQ(messenger->Send(handle, {kWmUser + 1, 40, 2}), 42u);
  const auto taken = MessageEndpoint::CreateWithHandle(dir, handle);
  EXPECT_FALSE(taken);
  EXPECT_NE(taken.ErrorText().find("alive"), std::string::npos) << taken.ErrorText();

  child->Kill();
  child->Wait();
  ASSERT_TRUE(fs::exists(session.Path() / WindowEndpointName(handle)));
  EXPECT_FALSE(messenger->IsWindow(handle));
  EXPECT_EQ(messenger->Send(handle, {kWmUser + 1, 40, 2}), kSendFailed);

  auto reborn = MessageEndpoint::CreateWithHandle(dir, handle);
  ASSERT_TRUE(reborn) << reborn.ErrorText();
  EXPECT_TRUE(messenger->IsWindow(handle));
}

// A raw connection to a window's socket, as a misbehaving peer makes one.
int ConnectRaw(const fs::path& socket_path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = socket_path.string();
  path.copy(address.sun_path, std::min(path.size(), sizeof address.sun_path - 1));
  if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// True when the endpoint has closed `fd`, waiting at most `timeout_ms`.
bool ClosedByEndpoint(int fd, int timeout_ms) {
  pollfd entry{fd, POLLIN, 0};
  if (poll(&entry, 1, timeout_ms) <= 0) return false;
  char byte = 0;
  return recv(fd, &byte, 1, MSG_DONTWAIT) == 0;
}

// Idle peers cannot make a window look dead: every connection is served from
// one poll set, the oldest idle ones go when there are too many, and a peer
// that does not finish its request within a second is dropped.
TEST(WindowSocketTest, IdlePeersNeitherHideTheWindowNorStay) {
  TestSession session;
  const SessionDir dir = session.Open();
  auto messenger = MakeMessenger(dir);
  auto window = MakeWindow(dir);
  ASSERT_TRUE(window);
  const fs::path socket_path = session.Path() / WindowEndpointName(window->Handle());

  std::vector<int> idle;
  for (int i = 0; i < 200; ++i) {
    const int fd = ConnectRaw(socket_path);
    ASSERT_GE(fd, 0) << i;
    idle.push_back(fd);
  }
  // Half a request, then nothing.
  const char partial[10] = {'Z', 'W', 'M', '1', 1, 0, 0, 0, 0, 0};
  ASSERT_EQ(send(idle.back(), partial, sizeof partial, MSG_NOSIGNAL), 10);

  EXPECT_TRUE(messenger->IsWindow(window->Handle()));
  // The ping came after them all: the oldest idle peers had to make room for
  // it, the newest are still waiting for their request.
  EXPECT_TRUE(ClosedByEndpoint(idle.front(), 0));
  EXPECT_FALSE(ClosedByEndpoint(idle[idle.size() - 2], 0));
  // Within its second and a little, every idle peer is gone.
  for (const int fd : idle) EXPECT_TRUE(ClosedByEndpoint(fd, 5000));
  for (const int fd : idle) close(fd);

  // The window still answers as before.
  std::thread owner([&] { window->Wait(-1)->Reply(9); });
  EXPECT_EQ(messenger->Send(window->Handle(), {kWmUser + 1, 1, 0}), 9u);
  owner.join();
}

TEST(WindowSocketTest, LongSessionPathsWork) {
  test::TempDir temp;
  fs::path path = temp.Path();
  while (path.string().size() < 150) path /= "a-rather-long-directory-name";
  fs::create_directories(path);
  for (fs::path p = path; p != temp.Path(); p = p.parent_path()) {
    fs::permissions(p, fs::perms::owner_all, fs::perm_options::replace);
  }
  auto dir = SessionDir::OpenPath(path.string());
  ASSERT_TRUE(dir) << dir.ErrorText();
  auto window = MakeWindow(*dir);
  ASSERT_TRUE(window);
  EXPECT_TRUE(fs::is_socket(path / WindowEndpointName(window->Handle())));
  auto messenger = MakeMessenger(*dir);
  EXPECT_TRUE(messenger->IsWindow(window->Handle()));
  std::thread owner([&] { window->Wait(-1)->Reply(77); });
  EXPECT_EQ(messenger->Send(window->Handle(), {kWmUser + 1, 1, 0}), 77u);
  owner.join();
}

}  // namespace
}  // namespace rqx340
