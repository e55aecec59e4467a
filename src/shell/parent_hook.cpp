#include "shell/parent_hook.h"

#include <wrl/client.h>

#include <new>

#include "common/optional_function.h"
#include "shell/host_window.h"
#include "shell/own_messages.h"

namespace mirvot {
namespace {

// The hook's own reference to the controller, kept on the heap and handed to the subclass as
// its reference data.
struct ParentHookCell {
  Microsoft::WRL::ComPtr<ICoreWebView2Controller> controller;
};

BOOL remove_subclass(HWND window, UINT_PTR id) noexcept {
  const auto remove = system_subclass_functions().remove;
  return remove != nullptr ? remove(window, parent_hook_proc, id) : FALSE;
}

bool find_hook(HWND window, ParentHookCell** cell) noexcept {
  const auto getWindowSubclass = system_subclass_functions().get;
  DWORD_PTR referenceData = 0;
  if (getWindowSubclass == nullptr ||
      !getWindowSubclass(window, parent_hook_proc, kParentHookId, &referenceData)) {
    return false;
  }
  *cell = reinterpret_cast<ParentHookCell*>(referenceData);
  return true;
}

ParentHookCell* cell_of(DWORD_PTR referenceData) noexcept {
  return reinterpret_cast<ParentHookCell*>(referenceData);
}

void fit_to_client_area(HWND window, ICoreWebView2Controller* controller) noexcept {
  RECT client{};
  if (!::GetClientRect(window, &client)) {
    return;
  }
  const LONG width = client.right - client.left;
  const LONG height = client.bottom - client.top;
  controller->put_Bounds(RECT{0, 0, width, height});
  HWND engineParent = nullptr;
  if (SUCCEEDED(controller->get_ParentWindow(&engineParent)) && engineParent != nullptr) {
    ::SetWindowPos(engineParent, nullptr, 0, 0, width, height, kHostResizeFlags);
  }
}

}  // namespace

const SubclassFunctions& system_subclass_functions() noexcept {
  static const SubclassFunctions functions = [] {
    const HMODULE module = ::LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    SubclassFunctions found;
    found.set = FindFunction<decltype(found.set)>(module, "SetWindowSubclass");
    found.get = FindFunction<decltype(found.get)>(module, "GetWindowSubclass");
    found.remove = FindFunction<decltype(found.remove)>(module, "RemoveWindowSubclass");
    found.default_proc = FindFunction<decltype(found.default_proc)>(module, "DefSubclassProc");
    return found;
  }();
  return functions;
}

LRESULT CALLBACK parent_hook_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR id, DWORD_PTR referenceData) {
  ParentHookCell* const cell = cell_of(referenceData);
  ICoreWebView2Controller* const controller = cell != nullptr ? cell->controller.Get() : nullptr;
  switch (message) {
    case WM_SIZE:
      // The window's own state decides, not the message's: a copy that another program sent
      // or posted then at most fits the view to the size the window has.
      if (!::IsIconic(window) && controller != nullptr) {
        fit_to_client_area(window, controller);
      }
      break;
    case WM_MOVE:
    case WM_MOVING:
      if (controller != nullptr) {
        controller->NotifyParentWindowPositionChanged();
      }
      break;
    case WM_SETFOCUS:
      // Only while the window really has the focus: a copy must not pull it into the view.
      if (controller != nullptr && ::GetFocus() == window) {
        controller->MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC);
      }
      break;
    case kRemoveParentHookMessage:
    case WM_DESTROY:
      // Only when the view asked for it, or when the window really goes: a copy of either
      // message from another program leaves the hook in place.
      if (is_own_message(window, message)) {
        remove_subclass(window, id);
        delete cell;
      }
      break;
    default:
      break;
  }
  // The hook is only installed where DefSubclassProc exists (install_parent_hook): the message
  // goes on down the window's chain to its own procedure. DefWindowProcW would skip that
  // procedure, so nothing is done with a message that could not be handed on.
  const auto defaultProc = system_subclass_functions().default_proc;
  return defaultProc != nullptr ? defaultProc(window, message, wParam, lParam) : 0;
}

void install_parent_hook(HWND parent, ICoreWebView2Controller* controller,
                         const SubclassFunctions& functions) noexcept {
  if (functions.set == nullptr || functions.default_proc == nullptr) {
    return;
  }
  auto* cell = new (std::nothrow) ParentHookCell{controller};
  if (cell == nullptr) {
    return;
  }
  // A hook that is already there (a view built earlier on the same window) would be replaced
  // along with its reference data; its reference is dropped here instead of leaking.
  ParentHookCell* previous = nullptr;
  const bool hadHook = find_hook(parent, &previous);
  if (!functions.set(parent, parent_hook_proc, kParentHookId, reinterpret_cast<DWORD_PTR>(cell))) {
    delete cell;
    return;
  }
  if (hadHook) {
    delete previous;
  }
}

void install_parent_hook(HWND parent, ICoreWebView2Controller* controller) noexcept {
  install_parent_hook(parent, controller, system_subclass_functions());
}

void request_parent_hook_removal(HWND parent) noexcept {
  const OwnMessage request(parent, kRemoveParentHookMessage);
  ::SendMessageW(parent, kRemoveParentHookMessage, 0, 0);
}

void remove_parent_hook(HWND parent) noexcept {
  ParentHookCell* cell = nullptr;
  const bool present = find_hook(parent, &cell);
  const bool removed = remove_subclass(parent, kParentHookId) != FALSE;
  if (present && removed) {
    delete cell;
  }
}

}  // namespace mirvot
