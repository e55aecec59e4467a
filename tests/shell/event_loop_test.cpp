#include "shell/event_loop.h"

#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "recording_handler.h"
#include "shell/main_window.h"

namespace mirvot {
namespace {

using test::DrainThreadMessages;
using test::kRunStopped;
using test::LoopActions;
using test::RecordingHandler;
using test::ResizeClientArea;
using test::StoppableLoopFunctions;
using test::StopRun;
using Lines = std::vector<std::string>;

std::unique_ptr<MainWindow> OpenWindow(EventLoop& loop, const wchar_t* title = L"Loop test") {
  WindowAttributes attributes;
  attributes.title = title;
  attributes.inner_width = 640.0;
  attributes.inner_height = 400.0;
  std::unique_ptr<MainWindow> window;
  EXPECT_EQ(MainWindow::create(loop, attributes, window), S_OK);
  return window;
}

class EventLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DrainThreadMessages();
    test::ForgetStop();
    ASSERT_EQ(EventLoop::create(loop_, StoppableLoopFunctions()), S_OK);
    ASSERT_TRUE(loop_);
  }

  // Whether a window created with `loop` hands it its events: one resize, made before the run.
  bool GetsWindowEvents(EventLoop& loop) {
    window_ = OpenWindow(loop);
    if (!window_) {
      return false;
    }
    ResizeClientArea(window_->hwnd(), 321, 123);
    RecordingHandler handler;
    handler.onResumed = [](EventLoop&) { StopRun(); };
    const bool stopped = loop.run(handler) == kRunStopped;
    window_.reset();
    DrainThreadMessages();
    const Lines events = handler.Events();
    return stopped && std::find(events.begin(), events.end(), "resize 321x123") != events.end();
  }
  void TearDown() override {
    window_.reset();
    DrainThreadMessages();
    loop_.reset();
  }

  std::unique_ptr<EventLoop> loop_;
  std::unique_ptr<MainWindow> window_;
  RecordingHandler app_;
  LoopActions actions_;
};

// --- Creation -------------------------------------------------------------------------------

TEST_F(EventLoopTest, SecondLoopWhileOneExistsIsRefused) {
  std::unique_ptr<EventLoop> second;
  EXPECT_EQ(EventLoop::create(second), HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(second);
  EXPECT_TRUE(GetsWindowEvents(*loop_));
  // Also when asked to create it into the holder of the existing loop, which stays as it is.
  EventLoop* const existing = loop_.get();
  EXPECT_EQ(EventLoop::create(loop_), HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(loop_.get(), existing);
  EXPECT_TRUE(GetsWindowEvents(*loop_));
}

TEST_F(EventLoopTest, NewLoopCanBeCreatedOnceTheFirstIsGone) {
  loop_.reset();
  ASSERT_EQ(EventLoop::create(loop_, StoppableLoopFunctions()), S_OK);
  EXPECT_TRUE(GetsWindowEvents(*loop_));
}

TEST_F(EventLoopTest, CreationLeavesTheProcessPerMonitorDpiAware) {
  EXPECT_EQ(::GetAwarenessFromDpiAwarenessContext(::GetThreadDpiAwarenessContext()),
            DPI_AWARENESS_PER_MONITOR_AWARE);
}

TEST_F(EventLoopTest, NoWindowJoinsTheLoopFromAnotherThread) {
  HRESULT created = S_OK;
  std::unique_ptr<MainWindow> window;
  std::thread other([&] {
    WindowAttributes attributes;
    attributes.title = L"Other thread";
    created = MainWindow::create(*loop_, attributes, window);
  });
  other.join();
  EXPECT_EQ(created, RPC_E_WRONG_THREAD);
  EXPECT_FALSE(window);
  EXPECT_EQ(loop_->thread_id(), ::GetCurrentThreadId());
}

// --- Running --------------------------------------------------------------------------------

TEST_F(EventLoopTest, OnResumedRunsOnceBeforeAnyMessageIsDispatched) {
  ASSERT_TRUE(actions_.Post([this] { app_.Mark("posted action"); }));
  bool messageStillQueued = false;
  app_.onResumed = [&](EventLoop&) {
    MSG peeked{};
    messageStillQueued = ::PeekMessageW(&peeked, actions_.hwnd(), 0, 0, PM_NOREMOVE) != FALSE;
    ASSERT_TRUE(actions_.Post([] { StopRun(); }));
  };
  EXPECT_EQ(loop_->run(app_), kRunStopped);
  EXPECT_TRUE(messageStillQueued);
  EXPECT_EQ(app_.resumedCalls, 1);
  EXPECT_EQ(app_.log, Lines({"resumed", "resumed returned", "posted action"}));
}

TEST_F(EventLoopTest, FailedWaitEndsTheRunWithItsErrorAndTheLoopCanRunAgain) {
  app_.onResumed = [&](EventLoop&) { StopRun(); };
  EXPECT_EQ(loop_->run(app_), kRunStopped);
  EXPECT_EQ(loop_->run(app_), kRunStopped);
  EXPECT_EQ(app_.resumedCalls, 2);
}

TEST_F(EventLoopTest, RunOnAnotherThreadIsRefused) {
  HRESULT result = S_OK;
  std::thread other([&] { result = loop_->run(app_); });
  other.join();
  EXPECT_EQ(result, RPC_E_WRONG_THREAD);
  EXPECT_EQ(app_.resumedCalls, 0);
}

TEST_F(EventLoopTest, RunInsideARunningHandlerIsRefused) {
  RecordingHandler inner;
  HRESULT nested = S_OK;
  app_.onResumed = [&](EventLoop& loop) {
    nested = loop.run(inner);
    StopRun();
  };
  EXPECT_EQ(loop_->run(app_), kRunStopped);
  EXPECT_EQ(nested, kLoopAlreadyRunning);
  EXPECT_EQ(inner.resumedCalls, 0);
}

TEST_F(EventLoopTest, ExceptionFromOnResumedLeavesTheLoopUsable) {
  app_.onResumed = [](EventLoop&) { throw std::runtime_error("failed start"); };
  EXPECT_THROW(static_cast<void>(loop_->run(app_)), std::runtime_error);
  RecordingHandler second;
  second.onResumed = [](EventLoop&) { StopRun(); };
  EXPECT_EQ(loop_->run(second), kRunStopped);
  EXPECT_EQ(second.resumedCalls, 1);
}

// --- Events while handlers run ---------------------------------------------------------------

TEST_F(EventLoopTest, EventsFromANestedPumpInOnResumedFollowItInArrivalOrder) {
  app_.onResumed = [&](EventLoop& loop) {
    window_ = OpenWindow(loop);
    ASSERT_TRUE(window_);
    const HWND hwnd = window_->hwnd();
    app_.Mark("window created");
    ResizeClientArea(hwnd, 300, 200);
    ::ShowWindow(hwnd, SW_MINIMIZE);
    ::ShowWindow(hwnd, SW_RESTORE);
    // What a browser view does while it waits for its engine: a plain GetMessage pump.
    ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
    ASSERT_TRUE(actions_.Post([hwnd] { ResizeClientArea(hwnd, 307, 208); }));
    bool done = false;
    ASSERT_TRUE(actions_.Post([&] { done = true; }));
    MSG message{};
    while (!done && ::GetMessageA(&message, nullptr, 0, 0) > 0) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
    StopRun();
  };
  EXPECT_EQ(loop_->run(app_), kRunStopped);

  // Nothing reached the application while on_resumed ran.
  EXPECT_TRUE(app_.EventsBetween("resumed", "resumed returned").empty());
  const Lines after = app_.EventsBetween("resumed returned", "");
  const auto position = [&](const std::string& line) {
    return std::find(after.begin(), after.end(), line) - after.begin();
  };
  const auto end = static_cast<std::ptrdiff_t>(after.size());
  ASSERT_LT(position("resize 300x200"), end);
  ASSERT_LT(position("resize 0x0"), end);
  ASSERT_LT(position("close"), end);
  ASSERT_LT(position("resize 307x208"), end);
  EXPECT_LT(position("resize 300x200"), position("resize 0x0"));
  EXPECT_LT(position("resize 0x0"), position("close"));
  EXPECT_LT(position("close"), position("resize 307x208"));
  EXPECT_EQ(after.back(), "resize 307x208");
  // Restoring came between the minimise and the close.
  const Lines restored(after.begin() + position("resize 0x0") + 1,
                       after.begin() + position("close"));
  ASSERT_FALSE(restored.empty());
  EXPECT_NE(restored.back(), "resize 0x0");
  EXPECT_EQ(app_.deepestNesting, 1);
}

TEST_F(EventLoopTest, EventsCausedByAnEventHandlerFollowItAndNeverNest) {
  bool sent = false;
  app_.onResumed = [&](EventLoop& loop) {
    window_ = OpenWindow(loop);
    ASSERT_TRUE(window_);
    ASSERT_TRUE(actions_.Post([&] {
      app_.Mark("send");
      ResizeClientArea(window_->hwnd(), 400, 250);
      app_.Mark("sent");
    }));
  };
  app_.onWindowEvent = [&](EventLoop&, WindowId window, const WindowEvent& event) {
    if (!sent && event.width == 400) {
      sent = true;
      // From inside a handler: the resulting events wait until it has returned.
      ResizeClientArea(window, 401, 251);
      ::SendMessageW(window, WM_CLOSE, 0, 0);
      app_.Mark("handler done");
      StopRun();
    }
  };
  EXPECT_EQ(loop_->run(app_), kRunStopped);
  const auto from = std::find(app_.log.begin(), app_.log.end(), "send");
  ASSERT_NE(from, app_.log.end());
  EXPECT_EQ(Lines(from, app_.log.end()),
            Lines({"send", "resize 400x250", "handler done", "resize 401x251", "close", "sent"}));
  EXPECT_EQ(app_.deepestNesting, 1);
}

TEST_F(EventLoopTest, EventsOfAWindowCreatedBeforeTheRunWaitForOnResumed) {
  window_ = OpenWindow(*loop_);
  ASSERT_TRUE(window_);
  ResizeClientArea(window_->hwnd(), 555, 366);
  EXPECT_TRUE(app_.log.empty());
  app_.onResumed = [](EventLoop&) { StopRun(); };
  EXPECT_EQ(loop_->run(app_), kRunStopped);
  ASSERT_GE(app_.log.size(), 3u);
  EXPECT_EQ(app_.log[0], "resumed");
  EXPECT_EQ(app_.log[1], "resumed returned");
  EXPECT_EQ(app_.log.back(), "resize 555x366");
  for (const WindowId id : app_.eventWindows) {
    EXPECT_EQ(id, window_->hwnd());
  }
}

TEST_F(EventLoopTest, EventsOfAWindowWhoseLoopIsGoneAreDropped) {
  window_ = OpenWindow(*loop_);
  ASSERT_TRUE(window_);
  const HWND hwnd = window_->hwnd();
  loop_.reset();
  // No loop to report to: the messages are handled without effect and without a crash.
  EXPECT_EQ(::SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(1, 2)), 0);
  EXPECT_EQ(::SendMessageW(hwnd, WM_CLOSE, 0, 0), 0);
  EXPECT_TRUE(::IsWindow(hwnd));
  ASSERT_EQ(EventLoop::create(loop_, StoppableLoopFunctions()), S_OK);
  app_.onResumed = [](EventLoop&) { StopRun(); };
  EXPECT_EQ(loop_->run(app_), kRunStopped);
  EXPECT_TRUE(app_.Events().empty());
}

}  // namespace
}  // namespace mirvot
