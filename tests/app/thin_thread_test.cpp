#include "app/thin_thread.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

namespace rqx340 {
namespace {

// Notes each call in order; each OnWork lets the test go on.
class RecordingThread final : public CThinThread {
 public:
  ~RecordingThread() override { Stop(); }

  std::vector<std::string> Calls() {
    const std::lock_guard lock(m_mutex);
    return m_calls;
  }
  ThreadEvent worked{false, false};

 protected:
  void OnStart() override { Note("start"); }
  void OnWork() override {
    Note("work");
    worked.Set();
  }
  void OnEnd() override { Note("end"); }

 private:
  void Note(std::string call) {
    const std::lock_guard lock(m_mutex);
    m_calls.push_back(std::move(call));
  }
  std::mutex m_mutex;
  std::vector<std::string> m_calls;
};

TEST(ThinThreadTest, EachSignalRunsTheWorkOnceAndStopEndsTheWorker) {
  RecordingThread thread;
  EXPECT_FALSE(thread.Started());
  EXPECT_TRUE(thread.Ended());
  thread.Stop();  // nothing started: returns at once
  EXPECT_TRUE(thread.Calls().empty());

  thread.Start();
  EXPECT_TRUE(thread.Started());
  for (int i = 0; i < 3; ++i) {
    thread.SignalWork();
    thread.worked.Wait();
  }
  thread.Stop();
  EXPECT_FALSE(thread.Started());
  EXPECT_TRUE(thread.Ended());
  EXPECT_EQ(thread.Calls(), (std::vector<std::string>{"start", "work", "work", "work", "end"}));
}

TEST(ThinThreadTest, AStopRequestIsNotTakenForWork) {
  RecordingThread thread;
  thread.Start();
  thread.Stop();
  EXPECT_EQ(thread.Calls(), (std::vector<std::string>{"start", "end"}));
  // Started again after a stop, it runs as before.
  thread.Start();
  thread.SignalWork();
  thread.worked.Wait();
  thread.Stop();
  EXPECT_EQ(thread.Calls(), (std::vector<std::string>{"start", "end", "start", "work", "end"}));
}

}  // namespace
}  // namespace rqx340
