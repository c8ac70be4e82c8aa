#include "platform/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <system_error>
#include <thread>

namespace rqx340 {
namespace {

using std::chrono::milliseconds;

TEST(ThreadEventTest, AnAutoResetEventLetsOneWaitThrough) {
  ThreadEvent event(false, false);
  EXPECT_FALSE(event.IsSignalled());
  EXPECT_FALSE(event.WaitFor(milliseconds(0)));
  event.Set();
  // Looking does not take the signal; waiting does.
  EXPECT_TRUE(event.IsSignalled());
  EXPECT_TRUE(event.IsSignalled());
  EXPECT_TRUE(event.WaitFor(milliseconds(0)));
  EXPECT_FALSE(event.IsSignalled());
  EXPECT_FALSE(event.WaitFor(milliseconds(0)));
  event.Set();
  event.Reset();
  EXPECT_FALSE(event.WaitFor(milliseconds(0)));
}

TEST(ThreadEventTest, AManualResetEventStaysSignalledUntilReset) {
  ThreadEvent event(true, true);
  EXPECT_TRUE(event.IsSignalled());
  EXPECT_TRUE(event.WaitFor(milliseconds(0)));
  event.Wait();
  EXPECT_TRUE(event.IsSignalled());
  event.Reset();
  EXPECT_FALSE(event.IsSignalled());
  EXPECT_FALSE(event.WaitFor(milliseconds(0)));
}

TEST(WorkerThreadTest, TheBodyRunsOnItsOwnThreadAndJoinWaitsForIt) {
  ThreadEvent go(true, false);
  ThreadEvent done(true, false);
  std::atomic<bool> finished{false};
  std::thread::id body_thread;
  WorkerThread worker;
  EXPECT_FALSE(worker.Joinable());
  worker.Join();  // nothing to wait for
  worker.Start([&] {
    body_thread = std::this_thread::get_id();
    done.Set();
    go.Wait();
    finished = true;
  });
  EXPECT_TRUE(worker.Joinable());
  done.Wait();
  // A second thread on a running one is refused.
  EXPECT_THROW(worker.Start([] {}), std::system_error);
  EXPECT_FALSE(finished);
  go.Set();
  worker.Join();
  EXPECT_TRUE(finished);
  EXPECT_FALSE(worker.Joinable());
  EXPECT_NE(body_thread, std::this_thread::get_id());

  // Joined, it can run again; going out of scope joins.
  std::atomic<int> runs{0};
  {
    WorkerThread again;
    again.Start([&] { ++runs; });
  }
  worker.Start([&] { ++runs; });
  worker.Join();
  EXPECT_EQ(runs, 2);
}

}  // namespace
}  // namespace rqx340
