#include "ui/win32/message_loop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "support/app_context.h"
#include "support/session.h"

namespace rqx340 {
namespace {

// A window of this thread that notes the messages dispatched to it.
class NotingWindow {
 public:
  NotingWindow() {
    static const ATOM registered = [] {
      WNDCLASSW window_class{};
      window_class.lpfnWndProc = Procedure;
      window_class.hInstance = GetModuleHandleW(nullptr);
      window_class.lpszClassName = L"rqx340.NotingWindow";
      return RegisterClassW(&window_class);
    }();
    EXPECT_NE(registered, 0);
    m_hWnd = CreateWindowExW(0, L"rqx340.NotingWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~NotingWindow() { DestroyWindow(m_hWnd); }
  HWND Handle() const { return m_hWnd; }
  std::vector<std::pair<UINT, WPARAM>> seen;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<NotingWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && message >= WM_USER) self->seen.emplace_back(message, wparam);
    return DefWindowProcW(window, message, wparam, lparam);
  }
  HWND m_hWnd = nullptr;
};

bool QueueIsEmpty() {
  MSG message{};
  return PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) == 0;
}

class MessageLoopTest : public ::testing::Test {
 protected:
  MessageLoopTest() : app(test::TestAppContext({}, "C:\\nowhere\\", profile)), loop(app) {}
  ~MessageLoopTest() override {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  test::MemoryProfile profile;
  CRQX340App app;
  Win32MessageLoop loop;
  NotingWindow window;
};

TEST_F(MessageLoopTest, AnEmptyQueueEndsTheTurnAtOnce) {
  EXPECT_FALSE(loop.ProcessPendingEvents());
  std::int32_t stop = 0;
  EXPECT_EQ(app.PumpPendingMessages(&stop), 0);
}

TEST_F(MessageLoopTest, TheHostsStopRequestIsTakenOutUndispatched) {
  ASSERT_TRUE(PostMessageW(window.Handle(), kHostMessage, 5, 0));
  ASSERT_TRUE(PostMessageW(window.Handle(), kHostMessage, kHostStopRequest, 0));
  ASSERT_TRUE(PostMessageW(window.Handle(), kHostMessage, 6, 0));
  EXPECT_TRUE(loop.ProcessPendingEvents());
  EXPECT_EQ(window.seen, (std::vector<std::pair<UINT, WPARAM>>{{kHostMessage, 5}}));
  EXPECT_FALSE(loop.ProcessPendingEvents());  // 6 is an ordinary one
  EXPECT_EQ(window.seen.size(), 2u);
  EXPECT_TRUE(QueueIsEmpty());

  // Through the application's pump: 1, then 0 for an empty queue.
  ASSERT_TRUE(PostMessageW(window.Handle(), kHostMessage, kHostStopRequest, 0));
  std::int32_t stop = 0;
  EXPECT_EQ(app.PumpPendingMessages(&stop), 1);
  EXPECT_EQ(app.PumpPendingMessages(&stop), 0);
  // Not the host's message, or another wParam: dispatched.
  ASSERT_TRUE(PostMessageW(window.Handle(), WM_USER, kHostStopRequest, 0));
  ASSERT_TRUE(PostMessageW(window.Handle(), kHostMessage, kHostStopRequest + 1, 0));
  EXPECT_EQ(app.PumpPendingMessages(&stop), 0);
  EXPECT_EQ(window.seen.size(), 4u);
}

TEST_F(MessageLoopTest, AQuitMessageEndsTheTurnAndStaysForTheLoopThatWaitsForIt) {
  PostQuitMessage(3);
  EXPECT_TRUE(loop.ProcessPendingEvents());
  MSG message{};
  ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 0u);

  PostQuitMessage(4);
  int turns = 0;
  EXPECT_FALSE(loop.RunUntil([&] { return ++turns > 100; }));
  ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 4u);
}

TEST_F(MessageLoopTest, RunUntilDispatchesUntilDone) {
  for (WPARAM i = 0; i < 3; ++i) PostMessageW(window.Handle(), WM_USER + 5, i, 0);
  EXPECT_TRUE(loop.RunUntil([&] { return window.seen.size() == 3; }));
  EXPECT_EQ(window.seen.back().second, 2u);
}

TEST(MessageLoopHostTest, TheHostsMessagesReachTheToolsWindowThroughTheLoop) {
  test::TestSession session;
  auto host = test::MakeWindow(session.Open());
  ASSERT_TRUE(host);
  test::MemoryProfile profile;
  CRQX340App app(test::TestAppContext({}, "C:\\nowhere\\", profile));
  std::int32_t language = 0;
  ASSERT_TRUE(
      app.InitInstance(std::vector<std::string>{test::HostSwitch(host->Handle())}, language));
  ASSERT_TRUE(app.CreateClientWindow());
  Win32MessageLoop loop(app);
  auto messenger = test::MakeMessenger(session.Open());
  std::atomic<std::uint32_t> reply{1234};
  const DWORD gui_thread = GetCurrentThreadId();
  std::thread sender([&] {
    reply = messenger->Send(app.ClientWindow(), {kHostMessage, 26, 0});
    PostThreadMessageW(gui_thread, WM_NULL, 0, 0);  // wakes the loop to look again
  });
  // The send is answered by the loop of this thread, through the arrival window.
  EXPECT_TRUE(loop.RunUntil([&] { return reply != 1234; }));
  sender.join();
  EXPECT_EQ(reply.load(), 0u);
  app.ExitInstance();
}

}  // namespace
}  // namespace rqx340
