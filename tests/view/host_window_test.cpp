// The host window class and window, without an engine.
#include "shell/host_window.h"

#include <gtest/gtest.h>

#include "engine/test_engine_client.h"
#include "view/view_test_support.h"

namespace mirvot {
namespace {

using test::ParentWindow;

WNDPROC RegisteredProcedure() {
  WNDCLASSEXW info{};
  info.cbSize = sizeof(info);
  if (!::GetClassInfoExW(::GetModuleHandleW(nullptr), kHostWindowClassName, &info)) {
    return nullptr;
  }
  return info.lpfnWndProc;
}

TEST(HostWindowClassTest, RegistersWithTheHostProcedureAndPlainFields) {
  register_host_window_class();
  WNDCLASSEXW info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(::GetClassInfoExW(::GetModuleHandleW(nullptr), kHostWindowClassName, &info));
  EXPECT_EQ(info.lpfnWndProc, host_window_proc);
  EXPECT_EQ(info.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
  EXPECT_EQ(info.cbClsExtra, 0);
  EXPECT_EQ(info.cbWndExtra, 0);
  EXPECT_EQ(info.hIcon, nullptr);
  EXPECT_EQ(info.hCursor, nullptr);
  EXPECT_EQ(info.hbrBackground, nullptr);
}

TEST(HostWindowClassTest, RegisteringTwiceReusesTheClass) {
  register_host_window_class();
  register_host_window_class();
  EXPECT_EQ(RegisteredProcedure(), host_window_proc);
}

TEST(HostWindowClassTest, ClassWithAnotherProcedureIsReplaced) {
  ::UnregisterClassW(kHostWindowClassName, ::GetModuleHandleW(nullptr));
  WNDCLASSEXW foreign{};
  foreign.cbSize = sizeof(foreign);
  foreign.lpfnWndProc = ::DefWindowProcW;
  foreign.hInstance = ::GetModuleHandleW(nullptr);
  foreign.lpszClassName = kHostWindowClassName;
  ASSERT_NE(::RegisterClassExW(&foreign), 0);
  ASSERT_EQ(RegisteredProcedure(), &::DefWindowProcW);

  register_host_window_class();
  EXPECT_EQ(RegisteredProcedure(), host_window_proc);
}

TEST(HostWindowTest, CoversTheParentsClientAreaAsAVisibleChild) {
  ParentWindow parent(500, 400);
  ASSERT_NE(parent.get(), nullptr);
  register_host_window_class();
  HWND host = nullptr;
  ASSERT_EQ(create_host_window(parent.get(), &host), S_OK);
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(::GetParent(host), parent.get());
  const LONG style = ::GetWindowLongW(host, GWL_STYLE);
  EXPECT_EQ(style & (WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE),
            WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE);
  EXPECT_EQ(::GetWindowLongW(host, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY, 0);
  wchar_t className[64] = {};
  ::GetClassNameW(host, className, 64);
  EXPECT_STREQ(className, L"MIRVOT_VIEW_HOST");
  RECT hostRect{};
  ::GetClientRect(host, &hostRect);
  const RECT client = parent.client();
  EXPECT_EQ(hostRect.right, client.right);
  EXPECT_EQ(hostRect.bottom, client.bottom);
  wchar_t title[8] = {L'x'};
  EXPECT_EQ(::GetWindowTextW(host, title, 8), 0);
}

TEST(HostWindowTest, NewHostGoesToTheTopOfItsSiblings) {
  ParentWindow parent(500, 400);
  register_host_window_class();
  HWND first = nullptr;
  HWND second = nullptr;
  ASSERT_EQ(create_host_window(parent.get(), &first), S_OK);
  ASSERT_EQ(create_host_window(parent.get(), &second), S_OK);
  test::PumpPendingMessages();
  EXPECT_EQ(::GetWindow(parent.get(), GW_CHILD), second);
}

TEST(HostWindowTest, InvalidParentFailsWithItsWin32Error) {
  register_host_window_class();
  HWND host = reinterpret_cast<HWND>(0x1);
  EXPECT_EQ(create_host_window(reinterpret_cast<HWND>(0x7777), &host),
            static_cast<HRESULT>(0x80070578));  // ERROR_INVALID_WINDOW_HANDLE
  EXPECT_EQ(host, nullptr);
}

TEST(HostWindowTest, FocusGoesOnToTheFirstChild) {
  ParentWindow parent(500, 400);
  register_host_window_class();
  HWND host = nullptr;
  ASSERT_EQ(create_host_window(parent.get(), &host), S_OK);
  const HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, host,
                                       nullptr, ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(child, nullptr);
  ::SetForegroundWindow(parent.get());
  ::SetFocus(host);
  EXPECT_EQ(::GetFocus(), child);
}

TEST(HostWindowTest, FocusWithoutChildStaysOnTheHost) {
  ParentWindow parent(500, 400);
  register_host_window_class();
  HWND host = nullptr;
  ASSERT_EQ(create_host_window(parent.get(), &host), S_OK);
  ::SetForegroundWindow(parent.get());
  ::SetFocus(host);
  EXPECT_EQ(::GetFocus(), host);
}

}  // namespace
}  // namespace mirvot
