// The message queue as a program sees it: posted messages, filters, the quit request, and
// WaitMessage sleeping until something arrives.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "platform/testing/synthetic_events.h"
#include "tests/platform/recording_window.h"

namespace {

using namespace std::chrono_literals;

class MessageQueue : public ::testing::Test {
 protected:
  void SetUp() override {
    window = testwindow::make();
    ASSERT_NE(window, nullptr);
    testwindow::received().clear();
  }
  void TearDown() override { testwindow::cleanUp(); }

  HWND window = nullptr;
};

TEST_F(MessageQueue, PostedMessagesComeBackInOrderAndReachTheirWindow) {
  ASSERT_TRUE(PostMessageA(window, WM_USER + 1, 7, 8));
  ASSERT_TRUE(PostMessageA(nullptr, WM_APP, 1, 2));

  MSG message{};
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(message.message, UINT{WM_USER + 1});
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));  // still there
  EXPECT_EQ(message.message, UINT{WM_USER + 1});

  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), 1);
  EXPECT_EQ(message.hwnd, window);
  EXPECT_EQ(message.wParam, WPARAM{7});
  EXPECT_EQ(message.lParam, LPARAM{8});
  DispatchMessageA(&message);
  ASSERT_EQ(testwindow::received().size(), 1u);
  EXPECT_EQ(testwindow::received()[0].message, UINT{WM_USER + 1});
  EXPECT_EQ(testwindow::received()[0].lParam, LPARAM{8});

  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), 1);
  EXPECT_EQ(message.hwnd, nullptr);  // a thread message: dispatched to no one
  EXPECT_EQ(message.message, UINT{WM_APP});
  EXPECT_EQ(DispatchMessageA(&message), 0);
  EXPECT_EQ(testwindow::received().size(), 1u);
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, FiltersPickByWindowAndByRange) {
  const HWND other = testwindow::make();
  PostMessageA(window, WM_USER + 1, 0, 0);
  PostMessageA(other, WM_USER + 2, 0, 0);
  PostMessageA(nullptr, WM_USER + 3, 0, 0);

  MSG message{};
  ASSERT_TRUE(PeekMessageA(&message, other, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, UINT{WM_USER + 2});
  ASSERT_TRUE(PeekMessageA(&message, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, UINT{WM_USER + 3});
  EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_USER + 2, WM_USER + 9, PM_REMOVE));
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_USER, WM_USER + 1, PM_REMOVE));
  EXPECT_EQ(message.hwnd, window);
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, AWindowThatIsGoneGetsNothingMore) {
  PostMessageA(window, WM_USER, 0, 0);
  ASSERT_TRUE(DestroyWindow(window));
  EXPECT_FALSE(DestroyWindow(window));
  EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));

  MSG message{};
  EXPECT_FALSE(PeekMessageA(&message, window, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetMessageA(&message, window, 0, 0), -1);
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));  // the message went with it
}

TEST_F(MessageQueue, TheQuitRequestComesAfterPostedMessagesWithItsCode) {
  PostMessageA(window, WM_USER, 0, 0);
  PostQuitMessage(7);

  MSG message{};
  EXPECT_FALSE(PeekMessageA(&message, window, WM_QUIT, WM_QUIT, PM_NOREMOVE));  // belongs to no window
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), 1);
  EXPECT_EQ(message.message, UINT{WM_USER});
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE));  // any range
  EXPECT_EQ(message.message, UINT{WM_QUIT});
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), 0);
  EXPECT_EQ(message.message, UINT{WM_QUIT});
  EXPECT_EQ(message.hwnd, nullptr);
  EXPECT_EQ(message.wParam, WPARAM{7});
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));

  // A quit message posted like any other ends GetMessage too.
  PostMessageA(nullptr, WM_QUIT, 3, 0);
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), 0);
  EXPECT_EQ(message.wParam, WPARAM{3});
}

// Runs WaitMessage on this thread while `wake` runs on another one after a pause.
template <typename Wake>
void waitUntilWoken(Wake wake) {
  auto waker = std::async(std::launch::async, [wake] {
    std::this_thread::sleep_for(50ms);
    wake();
  });
  EXPECT_TRUE(WaitMessage());
  waker.get();
}

TEST_F(MessageQueue, WaitMessageSleepsUntilAMessageIsPostedFromAnotherThread) {
  const HWND target = window;
  waitUntilWoken([target] { PostMessageA(target, WM_USER + 5, 0, 0); });
  MSG message{};
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, UINT{WM_USER + 5});
}

TEST_F(MessageQueue, WaitMessageSleepsUntilTheWindowSystemHasAnEvent) {
  const HWND target = window;
  waitUntilWoken([target] { synthetic::pushKey(target, "Left", true); });
  MSG message{};
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, UINT{WM_KEYDOWN});
  EXPECT_EQ(message.wParam, WPARAM{VK_LEFT});
}

TEST_F(MessageQueue, WaitMessageReturnsWhenAMessageWasSentMeanwhile) {
  const HWND target = window;
  waitUntilWoken([target] { synthetic::pushWindowEvent(target, synthetic::WindowEvent::minimized); });
  MSG message{};
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));  // nothing posted ...
  ASSERT_EQ(testwindow::receivedOf(WM_ACTIVATE).size(), 1u);      // ... but one was sent
}

TEST_F(MessageQueue, WaitMessageWakesForAPostedMessageEvenWhenTheWindowSystemRefusesTheWakeUp) {
  synthetic::refuseUserEvents(true);
  const HWND target = window;
  std::atomic<bool> returned{false};
  auto waker = std::async(std::launch::async, [target, &returned] {
    std::this_thread::sleep_for(50ms);
    PostMessageA(target, WM_USER + 6, 0, 0);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!returned.load() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
    const bool woken = returned.load();
    synthetic::refuseUserEvents(false);  // lets a wait still asleep go
    return woken;
  });
  EXPECT_TRUE(WaitMessage());
  returned.store(true);
  EXPECT_TRUE(waker.get()) << "WaitMessage slept on after the message was posted";
  MSG message{};
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, UINT{WM_USER + 6});
}

TEST_F(MessageQueue, GetMessageOnAnotherThreadSleepsUntilTheQuitRequest) {
  auto reader = std::async(std::launch::async, [] {
    MSG message{};
    const BOOL result = GetMessageA(&message, nullptr, 0, 0);
    return std::make_pair(result, message.wParam);
  });
  std::this_thread::sleep_for(50ms);
  PostQuitMessage(4);
  const auto [result, code] = reader.get();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(code, WPARAM{4});
}

}  // namespace
