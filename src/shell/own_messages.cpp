#include "shell/own_messages.h"

#include <array>

namespace mirvot {
namespace {

// The window procedures of the program's own classes: the main window's and the view host's.
std::array<WNDPROC, 4> g_own_procedures{};

// The newest mark; each mark links to the one made before it. A window's messages arrive on the
// thread that owns it, and this program keeps all of its windows on its one thread.
OwnMessage* g_newest = nullptr;

bool is_sent_only_message(UINT message) noexcept {
  switch (message) {
    case WM_SIZE:
    case WM_MOVE:
    case WM_SETFOCUS:
    case WM_DESTROY:
    case WM_NCDESTROY:
      return true;
    default:
      return false;
  }
}

}  // namespace

ATOM register_own_window_class(const WNDCLASSEXW& windowClass) noexcept {
  for (WNDPROC& procedure : g_own_procedures) {
    if (procedure == nullptr || procedure == windowClass.lpfnWndProc) {
      procedure = windowClass.lpfnWndProc;
      break;
    }
  }
  return ::RegisterClassExW(&windowClass);
}

bool is_own_window(HWND window) noexcept {
  if (window == nullptr) {
    return false;
  }
  const auto procedure = reinterpret_cast<WNDPROC>(::GetClassLongPtrW(window, GCLP_WNDPROC));
  for (const WNDPROC own : g_own_procedures) {
    if (own != nullptr && own == procedure) {
      return true;
    }
  }
  return false;
}

OwnMessage::OwnMessage(HWND window, UINT message) noexcept
    : window_(window), message_(message), previous_(g_newest) {
  if (previous_ != nullptr) {
    previous_->next_ = this;
  }
  g_newest = this;
}

// Marks mostly end in the reverse order of their making (those on a stack), but a window's state
// may end its mark at any time: each unlinks itself wherever it stands.
OwnMessage::~OwnMessage() {
  if (previous_ != nullptr) {
    previous_->next_ = next_;
  }
  if (next_ != nullptr) {
    next_->previous_ = previous_;
  } else {
    g_newest = previous_;
  }
}

bool is_own_message(HWND window, UINT message) noexcept {
  for (const OwnMessage* mark = g_newest; mark != nullptr; mark = mark->previous_) {
    if (mark->window_ == window && mark->message_ == message) {
      return true;
    }
  }
  return false;
}

BOOL destroy_own_window(HWND window) noexcept {
  const OwnMessage destroy(window, WM_DESTROY);
  const OwnMessage finalDestroy(window, WM_NCDESTROY);
  return ::DestroyWindow(window);
}

bool is_forged_system_message(const MSG& message) noexcept {
  return is_sent_only_message(message.message) && is_own_window(message.hwnd) &&
         !is_own_message(message.hwnd, message.message);
}

}  // namespace mirvot
