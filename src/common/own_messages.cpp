#include "common/own_messages.h"

namespace mirvot {
namespace {

// The newest mark; each mark links to the one made before it. A window's messages arrive on the
// thread that owns it, and this program keeps all of its windows on its one thread.
OwnMessage* g_newest = nullptr;

}  // namespace

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

bool IsOwnMessage(HWND window, UINT message) noexcept {
  for (const OwnMessage* mark = g_newest; mark != nullptr; mark = mark->previous_) {
    if (mark->window_ == window && mark->message_ == message) {
      return true;
    }
  }
  return false;
}

BOOL DestroyOwnWindow(HWND window) noexcept {
  const OwnMessage destroy(window, WM_DESTROY);
  const OwnMessage finalDestroy(window, WM_NCDESTROY);
  return ::DestroyWindow(window);
}

}  // namespace mirvot
