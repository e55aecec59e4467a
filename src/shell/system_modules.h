#pragma once
// System libraries whose newer functions the shell looks up by name. user32 is always loaded in
// a windowed program; shcore (Windows 8.1 and later) is loaded from the system folder on first
// use and kept for the life of the process.
#include <windows.h>

namespace mirvot {

[[nodiscard]] HMODULE user32_module() noexcept;
// Null where the system has no shcore.dll.
[[nodiscard]] HMODULE shcore_module() noexcept;

}  // namespace mirvot
