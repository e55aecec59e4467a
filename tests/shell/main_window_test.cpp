#include "shell/main_window.h"

#include <ole2.h>

#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "common/own_messages.h"
#include "recording_handler.h"
#include "shell/file_drop_target.h"
#include "shell/host_dpi.h"
#include "shell/own_windows.h"
#include "shell/window_icon_data.h"

namespace mirvot {
namespace {

using test::DrainThreadMessages;
using test::kRunStopped;
using test::LoopActions;
using test::RecordingHandler;
using test::StopWhenQueueIsEmpty;
using Lines = std::vector<std::string>;

constexpr wchar_t kClassName[] = L"Window Class";

SIZE ClientSize(HWND hwnd) {
  RECT client{};
  ::GetClientRect(hwnd, &client);
  return {client.right - client.left, client.bottom - client.top};
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DrainThreadMessages();
    test::ForgetStop();
    ASSERT_EQ(EventLoop::create(loop_, test::StoppableLoopFunctions()), S_OK);
    attributes_.title = L"Mirvot";
    attributes_.inner_width = 1280.0;
    attributes_.inner_height = 800.0;
  }
  void TearDown() override {
    window_.reset();
    DrainThreadMessages();
    loop_.reset();
  }

  HRESULT Open() { return MainWindow::create(*loop_, attributes_, window_); }

  // Creates the window in on_resumed, runs the actions from the loop's dispatch, then ends.
  void RunWith(const std::vector<std::function<void()>>& steps) {
    app_.onResumed = [&](EventLoop&) {
      ASSERT_EQ(Open(), S_OK);
      for (const auto& step : steps) {
        ASSERT_TRUE(actions_.Post(step));
      }
      StopWhenQueueIsEmpty(actions_);
    };
    ASSERT_EQ(loop_->run(app_), kRunStopped);
  }

  std::unique_ptr<EventLoop> loop_;
  std::unique_ptr<MainWindow> window_;
  WindowAttributes attributes_;
  RecordingHandler app_;
  LoopActions actions_;
};

// --- Class, styles, title, size -----------------------------------------------------------

TEST_F(MainWindowTest, ClassHasRedrawStylesAndNoIconCursorBrushOrMenu) {
  ASSERT_EQ(Open(), S_OK);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  ASSERT_TRUE(::GetClassInfoExW(::GetModuleHandleW(nullptr), kClassName, &windowClass));
  EXPECT_EQ(windowClass.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
  EXPECT_EQ(windowClass.hIcon, nullptr);
  EXPECT_EQ(windowClass.hIconSm, nullptr);
  EXPECT_EQ(windowClass.hCursor, nullptr);
  EXPECT_EQ(windowClass.hbrBackground, nullptr);
  EXPECT_EQ(windowClass.lpszMenuName, nullptr);
  EXPECT_EQ(windowClass.cbClsExtra, 0);
  EXPECT_EQ(windowClass.cbWndExtra, 0);
  wchar_t name[64] = {};
  ASSERT_GT(::GetClassNameW(window_->hwnd(), name, 64), 0);
  EXPECT_STREQ(name, kClassName);
}

TEST_F(MainWindowTest, EveryWindowUsesTheSameClass) {
  ASSERT_EQ(Open(), S_OK);
  std::unique_ptr<MainWindow> second;
  ASSERT_EQ(MainWindow::create(*loop_, attributes_, second), S_OK);
  EXPECT_NE(second->hwnd(), window_->hwnd());
  EXPECT_EQ(::GetClassLongPtrW(second->hwnd(), GCW_ATOM),
            ::GetClassLongPtrW(window_->hwnd(), GCW_ATOM));
}

TEST_F(MainWindowTest, WindowHasTheDesktopFrameAndIsVisible) {
  ASSERT_EQ(Open(), S_OK);
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window_->hwnd(), GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(window_->hwnd(), GWL_EXSTYLE));
  constexpr DWORD kCreated =
      WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_SIZEBOX;
  EXPECT_EQ(kCreated, 0x06CC0000u);
  EXPECT_EQ(style & kCreated, kCreated);
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
            static_cast<DWORD>(WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_NE(style & WS_VISIBLE, 0u);
  EXPECT_EQ(style & (WS_CHILD | WS_POPUP | WS_MAXIMIZE | WS_MINIMIZE), 0u);
  constexpr DWORD kExtended = WS_EX_WINDOWEDGE | WS_EX_ACCEPTFILES | WS_EX_APPWINDOW;
  EXPECT_EQ(kExtended, 0x00040110u);
  EXPECT_EQ(exStyle & kExtended, kExtended);
  EXPECT_EQ(exStyle & (WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_TOOLWINDOW), 0u);
  EXPECT_TRUE(::IsWindowVisible(window_->hwnd()));
  EXPECT_EQ(::GetParent(window_->hwnd()), nullptr);
  EXPECT_EQ(::GetMenu(window_->hwnd()), nullptr);
}

TEST_F(MainWindowTest, TitleIsTheGivenText) {
  attributes_.title = L"Mirvot \u2013 J\u00fcrgen";
  ASSERT_EQ(Open(), S_OK);
  wchar_t title[64] = {};
  ::GetWindowTextW(window_->hwnd(), title, 64);
  EXPECT_STREQ(title, L"Mirvot \u2013 J\u00fcrgen");
}

TEST_F(MainWindowTest, ClientAreaIsTheInnerSizeAt96Dpi) {
  ASSERT_EQ(Open(), S_OK);
  ASSERT_EQ(host_window_dpi(window_->hwnd()), 96u) << "the test display runs at 100 %";
  const SIZE client = ClientSize(window_->hwnd());
  EXPECT_EQ(client.cx, 1280);
  EXPECT_EQ(client.cy, 800);
  EXPECT_EQ(window_->scale_factor(), 1.0);
}

TEST_F(MainWindowTest, FractionalInnerSizeIsRoundedToWholePixels) {
  attributes_.inner_width = 640.5;
  attributes_.inner_height = 400.4;
  ASSERT_EQ(Open(), S_OK);
  const SIZE client = ClientSize(window_->hwnd());
  EXPECT_EQ(client.cx, 641);
  EXPECT_EQ(client.cy, 400);
}

// --- Icon -------------------------------------------------------------------------------------

TEST_F(MainWindowTest, IconIsTheSmallIconAndThereIsNoBigIcon) {
  attributes_.icon = load_window_icon();
  ASSERT_TRUE(attributes_.icon.has_value());
  ASSERT_EQ(Open(), S_OK);
  EXPECT_NE(::SendMessageW(window_->hwnd(), WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_EQ(::SendMessageW(window_->hwnd(), WM_GETICON, ICON_BIG, 0), 0);
}

TEST_F(MainWindowTest, DamagedIconDataGivesAWindowWithoutIcon) {
  const std::vector<std::uint8_t> damaged(kWindowIconPng, kWindowIconPng + 1000);
  attributes_.icon = decode_window_icon(damaged.data(), damaged.size());
  EXPECT_FALSE(attributes_.icon.has_value());
  ASSERT_EQ(Open(), S_OK);
  EXPECT_TRUE(::IsWindowVisible(window_->hwnd()));
  EXPECT_EQ(::SendMessageW(window_->hwnd(), WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_EQ(::SendMessageW(window_->hwnd(), WM_GETICON, ICON_BIG, 0), 0);
}

TEST_F(MainWindowTest, IconThatCannotBeMadeGivesAWindowWithoutIcon) {
  IconImage inconsistent;
  inconsistent.width = 16;
  inconsistent.height = 16;
  inconsistent.rgba.assign(10, 0xFF);
  attributes_.icon = inconsistent;
  ASSERT_EQ(Open(), S_OK);
  EXPECT_EQ(::SendMessageW(window_->hwnd(), WM_GETICON, ICON_SMALL, 0), 0);
}

// --- Drag and drop, threads, failures ----------------------------------------------------------

TEST_F(MainWindowTest, WindowIsRegisteredAsADropTarget) {
  ASSERT_EQ(Open(), S_OK);
  // A second registration is refused only for a window that already has a drop target.
  const Microsoft::WRL::ComPtr<IDropTarget> another = make_file_drop_target();
  ASSERT_TRUE(another);
  const HRESULT second = ::RegisterDragDrop(window_->hwnd(), another.Get());
  if (SUCCEEDED(second)) {
    ::RevokeDragDrop(window_->hwnd());
  }
  EXPECT_EQ(second, DRAGDROP_E_ALREADYREGISTERED);
}

TEST_F(MainWindowTest, CreationOnAnotherThreadIsRefused) {
  HRESULT result = S_OK;
  std::unique_ptr<MainWindow> window;
  std::thread other([&] { result = MainWindow::create(*loop_, attributes_, window); });
  other.join();
  EXPECT_EQ(result, RPC_E_WRONG_THREAD);
  EXPECT_FALSE(window);
}

HHOOK g_refusingHook = nullptr;

LRESULT CALLBACK RefuseWindowCreation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    return 1;  // the creation fails
  }
  return ::CallNextHookEx(g_refusingHook, code, wParam, lParam);
}

TEST_F(MainWindowTest, WindowTheSystemRefusesIsAnError) {
  g_refusingHook =
      ::SetWindowsHookExW(WH_CBT, RefuseWindowCreation, nullptr, ::GetCurrentThreadId());
  ASSERT_NE(g_refusingHook, nullptr);
  const HRESULT result = Open();
  ::UnhookWindowsHookEx(g_refusingHook);
  EXPECT_TRUE(FAILED(result)) << std::hex << result;
  EXPECT_FALSE(window_);
  EXPECT_EQ(::FindWindowW(kClassName, L"Mirvot"), nullptr);
}

// --- Window events --------------------------------------------------------------------------

TEST_F(MainWindowTest, ShowingTheWindowReportsItsClientSize) {
  RunWith({});
  const Lines events = app_.Events();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), "resize 1280x800");
}

TEST_F(MainWindowTest, ResizingMinimisingAndRestoringAreReportedInOrder) {
  RunWith({
      [&] {
        app_.Mark("resize");
        test::ResizeClientArea(window_->hwnd(), 900, 600);
      },
      [&] {
        app_.Mark("minimise");
        ::ShowWindow(window_->hwnd(), SW_MINIMIZE);
      },
      [&] {
        app_.Mark("restore");
        ::ShowWindow(window_->hwnd(), SW_RESTORE);
      },
  });
  const Lines resized = app_.EventsBetween("resize", "minimise");
  ASSERT_FALSE(resized.empty());
  EXPECT_EQ(resized.back(), "resize 900x600");
  const Lines minimised = app_.EventsBetween("minimise", "restore");
  ASSERT_FALSE(minimised.empty());
  EXPECT_EQ(minimised.back(), "resize 0x0");
  const Lines restored = app_.EventsBetween("restore", "");
  ASSERT_FALSE(restored.empty());
  EXPECT_EQ(restored.back(), "resize 900x600");
  EXPECT_EQ(app_.deepestNesting, 1);
}

// Copies of WM_SIZE of every kind, as another program may send them: each is a resize to the
// size the window has, 0 x 0 only while it really is minimised.
TEST_F(MainWindowTest, SizeOfEveryResizeIsTheWindowsOwnWhateverTheMessageSays) {
  const auto sendCopies = [&](const char* mark) {
    app_.Mark(mark);
    const HWND hwnd = window_->hwnd();
    ::SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(10, 20));
    ::SendMessageW(hwnd, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(2000, 1500));
    ::SendMessageW(hwnd, WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(300, 200));
    ::SendMessageW(hwnd, WM_SIZE, SIZE_MAXHIDE, MAKELPARAM(0, 1));
  };
  RunWith({[&] { sendCopies("shown"); },
           [&] {
             app_.Mark("minimise");
             ::ShowWindow(window_->hwnd(), SW_MINIMIZE);
           },
           [&] { sendCopies("minimised"); },
           [&] {
             app_.Mark("done");
             ::ShowWindow(window_->hwnd(), SW_RESTORE);
           }});
  EXPECT_EQ(app_.EventsBetween("shown", "minimise"), Lines(4, "resize 1280x800"));
  EXPECT_EQ(app_.EventsBetween("minimised", "done"), Lines(4, "resize 0x0"));
}

TEST_F(MainWindowTest, CloseMessageIsACloseRequestAndTheWindowStays) {
  RunWith({[&] {
    app_.Mark("close");
    EXPECT_EQ(::SendMessageW(window_->hwnd(), WM_CLOSE, 0, 0), 0);
  }});
  EXPECT_EQ(app_.EventsBetween("close", ""), Lines({"close"}));
  ASSERT_FALSE(app_.eventWindows.empty());
  EXPECT_EQ(app_.eventWindows.back(), window_->hwnd());
  EXPECT_TRUE(::IsWindow(window_->hwnd()));
  EXPECT_TRUE(::IsWindowVisible(window_->hwnd()));
}

TEST_F(MainWindowTest, OtherMessagesAreNotEvents) {
  RunWith({[&] {
    app_.Mark("others");
    const HWND hwnd = window_->hwnd();
    ::SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(50, 60));
    ::SendMessageW(hwnd, WM_SETFOCUS, 0, 0);
    ::SendMessageW(hwnd, WM_KILLFOCUS, 0, 0);
    ::SendMessageW(hwnd, WM_KEYDOWN, 'A', 0);
    ::SendMessageW(hwnd, WM_CHAR, 'a', 0);
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::SendMessageW(hwnd, WM_THEMECHANGED, 0, 0);
    ::SendMessageW(hwnd, WM_SETTINGCHANGE, 0, 0);
    ::SendMessageW(hwnd, WM_DROPFILES, 0, 0);
    ::InvalidateRect(hwnd, nullptr, TRUE);
    ::UpdateWindow(hwnd);
  }});
  EXPECT_TRUE(app_.EventsBetween("others", "").empty());
}

void ExpectWindowRect(HWND window, const RECT& expected) {
  RECT actual{};
  ::GetWindowRect(window, &actual);
  EXPECT_EQ(actual.left, expected.left);
  EXPECT_EQ(actual.top, expected.top);
  EXPECT_EQ(actual.right, expected.right);
  EXPECT_EQ(actual.bottom, expected.bottom);
}

// The window's DPI as the system would give it: a test moves the window to another monitor by
// changing it.
UINT g_windowDpi = 96;
UINT WINAPI TestWindowDpi(HWND /*window*/) { return g_windowDpi; }

class MainWindowDpiTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    g_windowDpi = 96;
    dpiFunctions_.get_dpi_for_window = &TestWindowDpi;
  }
  HRESULT OpenWithTestDpi() {
    return MainWindow::create(*loop_, attributes_, window_, dpiFunctions_);
  }

  HostDpiFunctions dpiFunctions_;
  RECT suggested_{100, 80, 100 + 1000, 80 + 700};
};

TEST_F(MainWindowDpiTest, DpiChangeUpdatesTheScaleFactorAndTakesTheSuggestedRectangle) {
  double scaleAfter = 0.0;
  app_.onResumed = [&](EventLoop&) {
    ASSERT_EQ(OpenWithTestDpi(), S_OK);
    app_.Mark("dpi");
    g_windowDpi = 144;
    EXPECT_EQ(::SendMessageW(window_->hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                             reinterpret_cast<LPARAM>(&suggested_)),
              0);
    scaleAfter = window_->scale_factor();
    StopWhenQueueIsEmpty(actions_);
  };
  ASSERT_EQ(loop_->run(app_), kRunStopped);
  EXPECT_EQ(scaleAfter, 1.5);
  ExpectWindowRect(window_->hwnd(), suggested_);
  // The new size is reported like any other; the DPI change itself is not an event.
  const Lines events = app_.EventsBetween("dpi", "");
  ASSERT_FALSE(events.empty());
  const SIZE client = ClientSize(window_->hwnd());
  EXPECT_EQ(events.back(), "resize " + std::to_string(client.cx) + "x" + std::to_string(client.cy));
}

// Copies of WM_DPICHANGED as other programs send or post them: the scale is the window's own
// DPI over 96, and no copy's rectangle is taken (here one the test could give; another program's
// pointer means nothing in this process), not even one sent while the DPI really changed.
TEST_F(MainWindowDpiTest, CopiesOfTheDpiChangeTakeTheWindowsOwnDpiAndNoRectangle) {
  enum class Way { SentHere, SentFromAnotherThread, Posted };
  struct Case {
    const char* name;
    Way way;
    WPARAM wParam;
    UINT windowDpi;
  };
  const Case cases[] = {
      {"zero DPI, sent here", Way::SentHere, 0, 96},
      {"DPI 144, sent here without a change", Way::SentHere, MAKEWPARAM(144, 144), 96},
      {"largest DPI, from another thread", Way::SentFromAnotherThread, 0xFFFFFFFF, 96},
      {"DPI 1, posted", Way::Posted, MAKEWPARAM(1, 1), 96},
      {"real change, from another thread", Way::SentFromAnotherThread, MAKEWPARAM(144, 144), 144},
      {"largest DPI, posted", Way::Posted, 0xFFFFFFFF, 96},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    RECT before{};
    double scaleAfter = 0.0;
    app_.onResumed = [&](EventLoop&) {
      ASSERT_EQ(OpenWithTestDpi(), S_OK);
      const HWND hwnd = window_->hwnd();
      ::GetWindowRect(hwnd, &before);
      g_windowDpi = c.windowDpi;
      const auto rectangle = reinterpret_cast<LPARAM>(&suggested_);
      if (c.way == Way::SentHere) {
        ::SendMessageW(hwnd, WM_DPICHANGED, c.wParam, rectangle);
      } else if (c.way == Way::Posted) {
        ::PostMessageW(hwnd, WM_DPICHANGED, c.wParam, rectangle);
      } else {
        std::thread([&] { ::SendNotifyMessageW(hwnd, WM_DPICHANGED, c.wParam, rectangle); }).join();
      }
      ASSERT_TRUE(actions_.Post([&] { scaleAfter = window_->scale_factor(); }));
      StopWhenQueueIsEmpty(actions_);
    };
    ASSERT_EQ(loop_->run(app_), kRunStopped);
    EXPECT_EQ(scaleAfter, c.windowDpi / 96.0);
    ExpectWindowRect(window_->hwnd(), before);
  }
}

// --- Lifetime -------------------------------------------------------------------------------

TEST_F(MainWindowTest, ReleasingTheWindowDestroysItOnALaterTurnOfTheLoop) {
  HWND hwnd = nullptr;
  bool aliveRightAfterRelease = false;
  bool aliveOnALaterTurn = true;
  RunWith({[&] {
    hwnd = window_->hwnd();
    app_.Mark("released");
    window_.reset();
    aliveRightAfterRelease = ::IsWindow(hwnd) != FALSE;
    // Queued behind the window's request to destroy itself.
    EXPECT_TRUE(actions_.Post([&] { aliveOnALaterTurn = ::IsWindow(hwnd) != FALSE; }));
  }});
  EXPECT_TRUE(aliveRightAfterRelease);
  EXPECT_FALSE(aliveOnALaterTurn);
  // Destruction is not a window event.
  EXPECT_TRUE(app_.EventsBetween("released", "").empty());
}

// Copies of the messages that destruction brings, sent by another program, change nothing: the
// drop target stays registered, the title stays, and the window's state stays attached, so
// that releasing the window still destroys it.
TEST_F(MainWindowTest, CopiesOfTheDestructionMessagesLeaveTheWindowWhole) {
  HWND hwnd = nullptr;
  bool aliveOnALaterTurn = true;
  RunWith({[&] {
    hwnd = window_->hwnd();
    ::SendMessageW(hwnd, WM_DESTROY, 0, 0);
    ::SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
    const Microsoft::WRL::ComPtr<IDropTarget> another = make_file_drop_target();
    EXPECT_EQ(::RegisterDragDrop(hwnd, another.Get()), DRAGDROP_E_ALREADYREGISTERED);
    wchar_t title[16] = {};
    ::GetWindowTextW(hwnd, title, 16);
    EXPECT_STREQ(title, L"Mirvot");
    window_.reset();
    EXPECT_TRUE(actions_.Post([&] { aliveOnALaterTurn = ::IsWindow(hwnd) != FALSE; }));
  }});
  EXPECT_FALSE(aliveOnALaterTurn);
}

// Only the program's own windows are known as such, by their class's procedure: a window of
// another class of the same module is not one of them, so its queued messages pass the pumps.
// A copy of WM_NCCREATE, as another program can send one (the system carries its creation data
// across): the window keeps its title and its own state, which still confirms its destruction.
TEST_F(MainWindowTest, CopyOfTheCreationMessageLeavesStateAndTitle) {
  std::shared_ptr<MainWindowState> otherState;
  CREATESTRUCTW creation{};
  creation.lpCreateParams = &otherState;
  creation.lpszName = L"Forged";
  creation.lpszClass = kClassName;
  HWND hwnd = nullptr;
  RunWith({[&] {
    hwnd = window_->hwnd();
    EXPECT_EQ(::SendMessageW(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&creation)), TRUE);
  }});
  wchar_t title[16] = {};
  ::GetWindowTextW(hwnd, title, 16);
  EXPECT_STREQ(title, L"Mirvot");
  window_.reset();
  DrainThreadMessages();
  EXPECT_FALSE(::IsWindow(hwnd));
}

TEST_F(MainWindowTest, OwnWindowsAreKnownByTheirClassProcedure) {
  ASSERT_EQ(Open(), S_OK);
  EXPECT_TRUE(is_own_window(window_->hwnd()));
  EXPECT_FALSE(is_own_window(actions_.hwnd()));
  EXPECT_FALSE(is_own_window(nullptr));
  MSG copy{};
  copy.hwnd = window_->hwnd();
  copy.message = WM_SIZE;
  EXPECT_TRUE(is_forged_system_message(copy));
  copy.hwnd = actions_.hwnd();
  EXPECT_FALSE(is_forged_system_message(copy));
  copy.hwnd = window_->hwnd();
  copy.message = WM_CLOSE;
  EXPECT_FALSE(is_forged_system_message(copy));
}

TEST_F(MainWindowTest, ScaleFactorStaysReadableAfterTheWindowIsGone) {
  ASSERT_EQ(Open(), S_OK);
  EXPECT_TRUE(DestroyOwnWindow(window_->hwnd()));
  EXPECT_EQ(window_->scale_factor(), 1.0);
}

// --- DPI of a window --------------------------------------------------------------------------

TEST_F(MainWindowTest, HostDpiOfAWindowOnTheTestDisplayIs96) {
  ASSERT_EQ(Open(), S_OK);
  EXPECT_EQ(host_window_dpi(window_->hwnd()), 96u);
}

TEST_F(MainWindowTest, ShcoreStaysUnloadedWhereUser32KnowsAWindowsDpi) {
  ASSERT_NE(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow"), nullptr);
  if (::GetModuleHandleW(L"shcore.dll") != nullptr) {
    GTEST_SKIP() << "shcore.dll was loaded by an earlier test in this process";
  }
  ASSERT_EQ(Open(), S_OK);
  EXPECT_EQ(host_window_dpi(window_->hwnd()), 96u);
  EXPECT_EQ(::GetModuleHandleW(L"shcore.dll"), nullptr);
}

TEST(HostWindowDpi, WindowThatDoesNotExistGives96) {
  EXPECT_EQ(host_window_dpi(nullptr), 96u);
  EXPECT_EQ(host_window_dpi(reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x7FFF0000))), 96u);
}

}  // namespace
}  // namespace mirvot
