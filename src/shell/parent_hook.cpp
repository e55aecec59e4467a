#include "shell/parent_hook.h"

#include <wrl/client.h>

#include <new>

#include "common/optional_function.h"
#include "common/own_messages.h"
#include "shell/host_window.h"

namespace mirvot {
namespace {

// The hook's own reference to the controller, kept on the heap and handed to the subclass as
// its reference data, with the subclass functions the hook was installed with: it hands
// messages on and removes itself with those.
struct ParentHookCell {
  Microsoft::WRL::ComPtr<ICoreWebView2Controller> controller;
  SubclassFunctions functions;
};

// The cell of the hook on `window`, or null when it has none.
ParentHookCell* find_hook(HWND window, const SubclassFunctions& functions) noexcept {
  DWORD_PTR referenceData = 0;
  if (functions.get == nullptr ||
      !functions.get(window, parent_hook_proc, kParentHookId, &referenceData)) {
    return nullptr;
  }
  return reinterpret_cast<ParentHookCell*>(referenceData);
}

// Removes the hook, and frees its cell only once the subclass is gone: a subclass left in place
// keeps using its cell.
void remove_hook(HWND window, ParentHookCell* cell, const SubclassFunctions& functions) noexcept {
  if (functions.remove != nullptr && functions.remove(window, parent_hook_proc, kParentHookId)) {
    delete cell;
  }
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
    const HMODULE module = LoadSystemLibrary(L"comctl32.dll");
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
                                  UINT_PTR /*id*/, DWORD_PTR referenceData) {
  auto* const cell = reinterpret_cast<ParentHookCell*>(referenceData);
  // Copied first: removing the hook frees the cell. The hook is only installed where
  // DefSubclassProc exists (install_parent_hook), so messages go on down the window's chain to
  // its own procedure; DefWindowProcW would skip that procedure.
  const auto defaultProc = cell->functions.default_proc;
  ICoreWebView2Controller* const controller = cell->controller.Get();
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
      if (IsOwnMessage(window, message)) {
        remove_hook(window, cell, cell->functions);
      }
      break;
    default:
      break;
  }
  return defaultProc(window, message, wParam, lParam);
}

void install_parent_hook(HWND parent, ICoreWebView2Controller* controller,
                         const SubclassFunctions& functions) noexcept {
  if (functions.set == nullptr || functions.default_proc == nullptr) {
    return;
  }
  auto* cell = new (std::nothrow) ParentHookCell{controller, functions};
  if (cell == nullptr) {
    return;
  }
  // A hook that is already there (a view built earlier on the same window) would be replaced
  // along with its reference data; its reference is dropped here instead of leaking.
  ParentHookCell* const previous = find_hook(parent, functions);
  if (!functions.set(parent, parent_hook_proc, kParentHookId, reinterpret_cast<DWORD_PTR>(cell))) {
    delete cell;
    return;
  }
  delete previous;
}

void install_parent_hook(HWND parent, ICoreWebView2Controller* controller) noexcept {
  install_parent_hook(parent, controller, system_subclass_functions());
}

void request_parent_hook_removal(HWND parent) noexcept {
  const OwnMessage request(parent, kRemoveParentHookMessage);
  ::SendMessageW(parent, kRemoveParentHookMessage, 0, 0);
}

void remove_parent_hook(HWND parent, const SubclassFunctions& functions) noexcept {
  if (ParentHookCell* const cell = find_hook(parent, functions)) {
    remove_hook(parent, cell, functions);
  }
}

void remove_parent_hook(HWND parent) noexcept {
  remove_parent_hook(parent, system_subclass_functions());
}

}  // namespace mirvot
