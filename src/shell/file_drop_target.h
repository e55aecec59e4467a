#pragma once
// The main window takes part in drag and drop as a file drop target, as desktop windows are
// expected to: dragging files over it shows the copy cursor, and a drop is accepted. The shell
// has no use for dropped files, so a drop does nothing else. Other data is refused.
#include <windows.h>
#include <oleidl.h>
#include <wrl/client.h>

namespace mirvot {

// A new drop target with its first reference owned by the result; null when memory runs out.
[[nodiscard]] Microsoft::WRL::ComPtr<IDropTarget> make_file_drop_target() noexcept;

}  // namespace mirvot
