#include "app/folder_browser.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace rqx340 {
namespace {

// Counts the pump's turns; a stop flag it is given stays 0.
class CountingPump final : public MessagePump {
 public:
  bool PumpPendingMessages(std::int32_t* stop) override {
    ++calls;
    EXPECT_EQ(*stop, 0);
    return true;
  }
  std::atomic<int> calls{0};
};

// Answers each request with the next scripted answer and notes what it was
// given, and on which thread, and whether the main window was disabled.
class ScriptedBrowser final : public CShellThreadBase {
 public:
  ScriptedBrowser(MessagePump& pump, char separator)
      : CShellThreadBase(EnglishStrings(), pump, separator) {}
  ~ScriptedBrowser() override { Stop(); }
  bool Browse(std::string& folder) { return Request(folder); }

  struct Call {
    std::string title;
    std::string initial;
    bool on_worker;
    bool modal;
  };
  std::vector<std::optional<std::string>> answers;
  std::vector<Call> calls;
  int first_requests = 0;
  int modal_depth = 0;
  std::thread::id requester = std::this_thread::get_id();

 protected:
  void OnFirstRequest() override { ++first_requests; }
  void BeginModalState() override { ++modal_depth; }
  void EndModalState() override { --modal_depth; }
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& initial) override {
    calls.push_back({title, initial, std::this_thread::get_id() != requester, modal_depth == 1});
    return answers.at(calls.size() - 1);
  }
};

TEST(FolderBrowserTest, TheWorkerStartsAtTheFirstRequestAndHandsTheFolderBack) {
  struct Step {
    std::optional<std::string> answer;
    std::string in;
    bool chosen;
    std::string out;
  };
  struct Case {
    char separator;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {'/',
       {{"/data/meas", "/old", true, "/data/meas/"},  // the separator comes with it
        {std::nullopt, "/old", false, "/old"},        // cancelled: unchanged
        {"/", "", true, "/"},                         // the root has one already
        {"", "/old", false, "/old"}}},                // no path: as cancelled
      {'\\',
       {{"C:\\data", "D:\\x", true, "C:\\data\\"},
        {"C:\\", "C:\\data\\", true, "C:\\"},
        {std::nullopt, "C:\\data\\", false, "C:\\data\\"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.separator);
    CountingPump pump;
    ScriptedBrowser browser(pump, c.separator);
    EXPECT_FALSE(browser.Started());
    for (const Step& step : c.steps) browser.answers.push_back(step.answer);
    for (const Step& step : c.steps) {
      SCOPED_TRACE(step.in);
      std::string folder = step.in;
      EXPECT_EQ(browser.Browse(folder), step.chosen);
      EXPECT_EQ(folder, step.out);
      EXPECT_TRUE(browser.Started());
      EXPECT_FALSE(browser.Busy());
      EXPECT_EQ(browser.modal_depth, 0);
    }
    EXPECT_EQ(browser.first_requests, 1);  // later requests reuse the worker
    EXPECT_EQ(browser.Requests(), static_cast<int>(c.steps.size()));
    ASSERT_EQ(browser.calls.size(), c.steps.size());
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
      EXPECT_EQ(browser.calls[i].title, "Select RQX340 source folder");
      EXPECT_EQ(browser.calls[i].initial, c.steps[i].in);
      EXPECT_TRUE(browser.calls[i].on_worker);
      EXPECT_TRUE(browser.calls[i].modal);
    }
    browser.Stop();
    EXPECT_FALSE(browser.Started());
    EXPECT_TRUE(browser.Ended());
  }
}

TEST(FolderBrowserTest, AChooserThatEndsAtOnceDoesNotLeaveTheRequestWaiting) {
  // The worker may be done before the asking thread ever sees it busy.
  CountingPump pump;
  ScriptedBrowser browser(pump, '/');
  constexpr int kRequests = 200;
  browser.answers.assign(kRequests, std::nullopt);
  for (int i = 0; i < kRequests; ++i) {
    std::string folder = "/old";
    EXPECT_FALSE(browser.Browse(folder));
  }
  EXPECT_EQ(browser.calls.size(), static_cast<std::size_t>(kRequests));
}

TEST(FolderBrowserTest, StopWithoutARequestReturnsAtOnce) {
  CountingPump pump;
  ScriptedBrowser browser(pump, '/');
  browser.Stop();
  EXPECT_FALSE(browser.Started());
  EXPECT_EQ(pump.calls, 0);
}

}  // namespace
}  // namespace rqx340
