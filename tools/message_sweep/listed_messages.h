#pragma once
// Requests whose documented purpose is to close a window, or to change it as every window lets
// itself be changed. The sweep gives each a life of its own per way of delivery and checks the
// program's response instead of "left as it was" (README, "Message sweep", has the reasons).
#include <windows.h>

namespace mirvot::sweep {

enum class Response {
  Ends,        // the program ends at once with exit code 0, as closing its window does
  Honoured,    // the window does as asked, like any window; restored, it works as before
  HostClosed,  // the host window goes, as after the page's window.close; the window stays
};

struct ListedMessage {
  const char* name;
  bool toHost;  // to the view's host window, else to the main window
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  Response response;
  // What puts the window back after an honoured request, as its user would (or nothing).
  void (*undo)(HWND window);
};

// A new title for WM_SETTEXT, from the sweep's own memory: the system carries it across.
inline constexpr wchar_t kOtherTitle[] = L"Renamed";

inline void restore(HWND window) { ::ShowWindow(window, SW_RESTORE); }
inline void retitle(HWND window) { ::SetWindowTextW(window, L"Mirvot"); }
inline void redraw(HWND window) { ::SendMessageW(window, WM_SETREDRAW, TRUE, 0); }

inline const ListedMessage kListedMessages[] = {
    {"WM_CLOSE", false, WM_CLOSE, 0, 0, Response::Ends, nullptr},
    {"WM_SYSCOMMAND SC_CLOSE", false, WM_SYSCOMMAND, SC_CLOSE, 0, Response::Ends, nullptr},
    {"WM_SETTEXT", false, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kOtherTitle), Response::Honoured,
     retitle},
    {"WM_SETREDRAW FALSE", false, WM_SETREDRAW, FALSE, 0, Response::Honoured, redraw},
    {"WM_SYSCOMMAND SC_MINIMIZE", false, WM_SYSCOMMAND, SC_MINIMIZE, 0, Response::Honoured,
     restore},
    {"WM_SYSCOMMAND SC_MAXIMIZE", false, WM_SYSCOMMAND, SC_MAXIMIZE, 0, Response::Honoured,
     restore},
    {"WM_SYSCOMMAND SC_RESTORE", false, WM_SYSCOMMAND, SC_RESTORE, 0, Response::Honoured, nullptr},
    {"WM_SYSCOMMAND SC_MOVE", false, WM_SYSCOMMAND, SC_MOVE, 0, Response::Honoured, nullptr},
    {"WM_SYSCOMMAND SC_SIZE", false, WM_SYSCOMMAND, SC_SIZE, 0, Response::Honoured, nullptr},
    {"WM_SYSCOMMAND SC_KEYMENU", false, WM_SYSCOMMAND, SC_KEYMENU, 0, Response::Honoured, nullptr},
    {"WM_CLOSE", true, WM_CLOSE, 0, 0, Response::HostClosed, nullptr},
    {"WM_SETREDRAW FALSE", true, WM_SETREDRAW, FALSE, 0, Response::Honoured, redraw},
};

// Messages the batches leave to the lives above, since their deliveries close the window or
// change it as asked; an honoured one's life makes them all before its own request.
inline bool kept_out_of_batches(UINT message, bool toHost) {
  return message == WM_CLOSE || message == WM_SETREDRAW || (!toHost && message == WM_SETTEXT);
}

}  // namespace mirvot::sweep
