#pragma once
// The view follows the main window through a subclass of it: size, moves and focus of the main
// window reach the engine controller directly, before the window's own procedure runs.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include "webview2/webview2_interfaces.h"

namespace mirvot {

inline constexpr UINT_PTR kParentHookId = 0x464;
// Sent to the main window to make the hook remove itself (WM_USER + 101). The hook obeys it only
// when request_parent_hook_removal sent it (common/own_messages.h): the same number from anyone
// else changes nothing.
inline constexpr UINT kRemoveParentHookMessage = WM_USER + 101;

// The hook procedure. WM_SIZE (unless the window is minimised) fits the controller's bounds and
// its parent window to the client area; WM_MOVE and WM_MOVING tell the controller the window
// moved; WM_SETFOCUS (while the window has the focus) moves the focus into the view; WM_DESTROY
// while the program destroys the window (DestroyOwnWindow) and a requested
// kRemoveParentHookMessage remove the hook and drop its controller reference. Every message then
// goes on to the next procedure. Failures of the controller calls are ignored.
LRESULT CALLBACK parent_hook_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR id, DWORD_PTR referenceData);

// The window-subclass functions of comctl32, null where the system lacks one.
struct SubclassFunctions {
  decltype(&::SetWindowSubclass) set = nullptr;
  BOOL(WINAPI* get)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR*) = nullptr;
  decltype(&::RemoveWindowSubclass) remove = nullptr;
  decltype(&::DefSubclassProc) default_proc = nullptr;
};

// This system's, found when the first view hooks its parent: comctl32 is loaded then rather
// than imported, since its start-up registers all its window classes, which would otherwise
// delay the program's first window. It stays loaded for the life of the process.
[[nodiscard]] const SubclassFunctions& system_subclass_functions() noexcept;

// Subclasses `parent` with the hook, which keeps a reference to `controller` of its own
// until it is removed, and the functions, which it hands messages on and removes itself with.
// A failure leaves the window without the hook and takes no reference.
// Without DefSubclassProc there is no hook: it could not hand messages on to the window's own
// procedure, and the window would stop working as itself (WM_CLOSE would destroy it).
void install_parent_hook(HWND parent, ICoreWebView2Controller* controller,
                         const SubclassFunctions& functions) noexcept;
// With the system's functions.
void install_parent_hook(HWND parent, ICoreWebView2Controller* controller) noexcept;

// Tells the hook on `parent` to remove itself: sends kRemoveParentHookMessage, marked as the
// program's own, which the hook answers by removing itself and dropping its controller
// reference.
void request_parent_hook_removal(HWND parent) noexcept;

// Removes the hook from `parent` if it is still there, dropping its controller reference.
void remove_parent_hook(HWND parent, const SubclassFunctions& functions) noexcept;
// With the system's functions.
void remove_parent_hook(HWND parent) noexcept;

}  // namespace mirvot
