#pragma once
// The child window that stands for the rendered page: class "MirvotTestEngineView". It shows the
// URL the view was navigated to (as its window text and painted in its middle) and takes the
// WM_COPYDATA commands through which another process makes the engine raise an event.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace mirvot::test_engine {

class CoreView;

inline constexpr wchar_t kViewWindowClass[] = L"MirvotTestEngineView";

// Creates the window as a child of parent at 0,0 with size 0x0, visible, tied to view until it
// is destroyed or DetachViewWindow is called.
HWND CreateViewWindow(HWND parent, CoreView* view);

// Unties the window from its view, so later messages no longer reach it.
void DetachViewWindow(HWND window);

// A command received through WM_COPYDATA.
struct ViewCommand {
  enum class Kind { NewWindow, Close, Download };
  Kind kind = Kind::Close;
  std::wstring uri;
  std::wstring path;
};

// "newwindow <uri>", "close", "download <uri>|<path>" (split at the last '|'); else nullopt.
std::optional<ViewCommand> ParseViewCommand(std::wstring_view text);

}  // namespace mirvot::test_engine
