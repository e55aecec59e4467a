#include "shell/parent_hook.h"

#include <commctrl.h>
#include <wrl/client.h>

#include <new>

#include "common/optional_function.h"

namespace mirvot {
namespace {

// The hook's own reference to the controller, kept on the heap and handed to the subclass as
// its reference data.
struct ParentHookCell {
  Microsoft::WRL::ComPtr<ICoreWebView2Controller> controller;
};

// SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS.
constexpr UINT kResizeFlags = 0x4014;

// GetWindowSubclass is missing from some import libraries of comctl32 (the DLL itself has it
// by name), so it is looked up when first needed.
bool FindHook(HWND window, ParentHookCell** cell) noexcept {
  using GetWindowSubclassFunction = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR*);
  static const auto getWindowSubclass =
      FindLoadedFunction<GetWindowSubclassFunction>(L"comctl32.dll", "GetWindowSubclass");
  DWORD_PTR referenceData = 0;
  if (getWindowSubclass == nullptr ||
      !getWindowSubclass(window, ParentHookProc, kParentHookId, &referenceData)) {
    return false;
  }
  *cell = reinterpret_cast<ParentHookCell*>(referenceData);
  return true;
}

ParentHookCell* CellOf(DWORD_PTR referenceData) noexcept {
  return reinterpret_cast<ParentHookCell*>(referenceData);
}

void FitToClientArea(HWND window, ICoreWebView2Controller* controller) noexcept {
  RECT client{};
  if (!::GetClientRect(window, &client)) {
    return;
  }
  const LONG width = client.right - client.left;
  const LONG height = client.bottom - client.top;
  controller->put_Bounds(RECT{0, 0, width, height});
  HWND engineParent = nullptr;
  if (SUCCEEDED(controller->get_ParentWindow(&engineParent)) && engineParent != nullptr) {
    ::SetWindowPos(engineParent, nullptr, 0, 0, width, height, kResizeFlags);
  }
}

}  // namespace

LRESULT CALLBACK ParentHookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                UINT_PTR id, DWORD_PTR referenceData) {
  ParentHookCell* const cell = CellOf(referenceData);
  ICoreWebView2Controller* const controller = cell != nullptr ? cell->controller.Get() : nullptr;
  switch (message) {
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED && controller != nullptr) {
        FitToClientArea(window, controller);
      }
      break;
    case WM_MOVE:
    case WM_MOVING:
      if (controller != nullptr) {
        controller->NotifyParentWindowPositionChanged();
      }
      break;
    case WM_SETFOCUS:
      if (controller != nullptr) {
        controller->MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC);
      }
      break;
    case WM_DESTROY:
    case kRemoveParentHookMessage:
      ::RemoveWindowSubclass(window, ParentHookProc, id);
      delete cell;
      break;
    default:
      break;
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}

void InstallParentHook(HWND parent, ICoreWebView2Controller* controller) noexcept {
  auto* cell = new (std::nothrow) ParentHookCell{controller};
  if (cell == nullptr) {
    return;
  }
  // A hook that is already there (a view built earlier on the same window) would be replaced
  // along with its reference data; its reference is dropped here instead of leaking.
  ParentHookCell* previous = nullptr;
  const bool hadHook = FindHook(parent, &previous);
  if (!::SetWindowSubclass(parent, ParentHookProc, kParentHookId,
                           reinterpret_cast<DWORD_PTR>(cell))) {
    delete cell;
    return;
  }
  if (hadHook) {
    delete previous;
  }
}

bool IsParentHookInstalled(HWND parent) noexcept {
  ParentHookCell* cell = nullptr;
  return FindHook(parent, &cell);
}

void RemoveParentHook(HWND parent) noexcept {
  ParentHookCell* cell = nullptr;
  const bool present = FindHook(parent, &cell);
  const bool removed = ::RemoveWindowSubclass(parent, ParentHookProc, kParentHookId) != FALSE;
  if (present && removed) {
    delete cell;
  }
}

}  // namespace mirvot
