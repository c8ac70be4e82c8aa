#include "platform/window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/process.h"
#include "support/run_program.h"
#include "support/session.h"
#include "support/system.h"

namespace rqx340 {
namespace {

using test::MakeMessenger;
using test::MakeWindow;
using test::TestSession;

TEST(WindowTest, AWindowIsThereWhileItLives) {
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
    EXPECT_TRUE(messenger->IsWindow(handle));
    auto other = MakeWindow(dir);
    EXPECT_NE(other->Handle(), handle);
  }
  EXPECT_FALSE(messenger->IsWindow(handle));
  EXPECT_FALSE(messenger->IsWindow(0));
  EXPECT_EQ(messenger->Send(handle, {kWmUser + 1, 5, 0}), kSendFailed);
  EXPECT_FALSE(messenger->Post(handle, {kWmUser + 1, 100, 0}));
}

TEST(WindowTest, SendWaitsForTheOwnersReply) {
  TestSession session;
  const SessionDir dir = session.Open();
  auto messenger = MakeMessenger(dir);
  auto window = MakeWindow(dir);
  ASSERT_TRUE(window);

  std::atomic<bool> handled{false};
  std::thread owner([&] {
    struct Expected {
      std::uint32_t wparam;
      std::int32_t lparam;
      std::uint32_t reply;
    };
    for (const auto& e : {Expected{26, 3, 0x00000A00}, Expected{2, 31, 0xFFFFFF06},
                          Expected{0xFFFFFFFF, -1, 0x12345678}}) {
      auto message = window->Wait(-1);
      ASSERT_TRUE(message);
      EXPECT_TRUE(message->IsSent());
      EXPECT_EQ(message->Message().message, kWmUser + 1);
      EXPECT_EQ(message->Message().wparam, e.wparam);
      EXPECT_EQ(message->Message().lparam, e.lparam);
      handled = true;
      message->Reply(e.reply);
    }
  });
  EXPECT_EQ(messenger->Send(window->Handle(), {kWmUser + 1, 26, 3}), 0x00000A00u);
  EXPECT_TRUE(handled);
  EXPECT_EQ(messenger->Send(window->Handle(), {kWmUser + 1, 2, 31}), 0xFFFFFF06u);
  EXPECT_EQ(messenger->Send(window->Handle(), {kWmUser + 1, 0xFFFFFFFF, -1}), 0x12345678u);
  owner.join();
}

TEST(WindowTest, AMessageLeftUnansweredFailsTheSender) {
  TestSession session;
  const SessionDir dir = session.Open();
  auto messenger = MakeMessenger(dir);
  auto window = MakeWindow(dir);
  ASSERT_TRUE(window);
  std::thread owner([&] {
    auto message = window->Wait(-1);
    ASSERT_TRUE(message);
    // Dropped without a reply, as by an owner that goes away mid-message.
  });
  EXPECT_EQ(messenger->Send(window->Handle(), {kWmUser + 1, 22, 0}), kSendFailed);
  owner.join();
}

TEST(WindowTest, PingsAreAnsweredWhileTheOwnerIsBusy) {
  TestSession session;
  const SessionDir dir = session.Open();
  auto messenger = MakeMessenger(dir);
  auto window = MakeWindow(dir);
  ASSERT_TRUE(window);
  // A sender waits for the owner, who is not looking at its messages.
  std::thread sender([&] {
    EXPECT_EQ(MakeMessenger(dir)->Send(window->Handle(), {kWmUser + 1, 7, 1}), 8u);
  });
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(messenger->IsWindow(window->Handle()));
  auto message = window->Wait(-1);
  ASSERT_TRUE(message);
  message->Reply(8);
  sender.join();
}

TEST(WindowTest, PostedMessagesAreQueuedWithoutWaiting) {
  RQX340_POSIX_ONLY("a post reaches a Windows endpoint only when its thread takes it, not when PostMessage returns");
  TestSession session;
  const SessionDir dir = session.Open();
  auto messenger = MakeMessenger(dir);
  auto window = MakeWindow(dir);
  ASSERT_TRUE(window);
  EXPECT_FALSE(window->Peek());
  EXPECT_TRUE(messenger->Post(window->Handle(), {kWmUser + 1, 100, 0}));
  EXPECT_TRUE(messenger->Post(window->Handle(), {kWmUser + 1, 101, 2}));
  auto first = window->Wait(-1);
  ASSERT_TRUE(first);
  EXPECT_FALSE(first->IsSent());
  EXPECT_EQ(first->Message().wparam, 100u);
  first->Reply(1);  // nothing to answer
  auto second = window->Peek();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->Message().wparam, 101u);
  EXPECT_EQ(second->Message().lparam, 2);
  EXPECT_FALSE(window->Wait(0));
}

TEST(WindowTest, TheArrivalCallbackRunsOnTheEndpointsThreadForEveryQueuedMessage) {
  TestSession session;
  const SessionDir dir = session.Open();
  auto messenger = MakeMessenger(dir);
  auto window = MakeWindow(dir);
  ASSERT_TRUE(window);
  std::atomic<int> calls{0};
  std::atomic<bool> on_own_thread{true};
  const auto owner = std::this_thread::get_id();
  window->SetArrivalCallback([&] {
    if (std::this_thread::get_id() == owner) on_own_thread = false;
    ++calls;
  });
  EXPECT_TRUE(messenger->Post(window->Handle(), {kWmUser + 1, 1, 0}));
  std::thread sender([&] { EXPECT_EQ(messenger->Send(window->Handle(), {kWmUser, 2, 0}), 7u); });
  auto posted = window->Wait(-1);
  auto sent = window->Wait(-1);
  ASSERT_TRUE(posted && sent);
  sent->Reply(7);
  sender.join();
  EXPECT_TRUE(messenger->IsWindow(window->Handle()));  // a ping queues nothing
  EXPECT_EQ(calls.load(), 2);
  EXPECT_TRUE(on_own_thread.load());

  // Once removed, the callback never runs again.
  window->SetArrivalCallback({});
  EXPECT_TRUE(messenger->Post(window->Handle(), {kWmUser + 1, 3, 0}));
  EXPECT_TRUE(window->Wait(-1));
  EXPECT_EQ(calls.load(), 2);
}

TEST(WindowTest, AWindowThatDiesMidMessageFailsTheSender) {
  TestSession session;
  const SessionDir dir = session.Open();
  auto child = ChildProcess::Spawn(test::ProgramPath("rqx340-testclient"), {"silent-window"},
                                   session.ChildOptions());
  ASSERT_TRUE(child) << child.ErrorText();
  const auto line = child->ReadLine(30000);
  ASSERT_TRUE(line && line->rfind("window ", 0) == 0);
  const auto handle = static_cast<WindowHandle>(std::stoul(line->substr(7), nullptr, 16));
  std::uint32_t result = 0;
  std::thread sender([&] { result = MakeMessenger(dir)->Send(handle, {kWmUser + 1, 5, 0}); });
  // The owner never answers; the sender waits until the owner is gone.
  auto messenger = MakeMessenger(dir);
  EXPECT_TRUE(messenger->IsWindow(handle));
  child->Kill();
  child->Wait();
  sender.join();
  EXPECT_EQ(result, kSendFailed);
}

}  // namespace
}  // namespace rqx340
