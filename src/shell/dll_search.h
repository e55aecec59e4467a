#pragma once
// Where the process looks for a library loaded by name: the application's folder and System32
// (and folders added with AddDllDirectory), never the current directory or the folders of PATH,
// which whoever starts the program controls.
#include <windows.h>

namespace mirvot {

// The system function that restricts the search; null where the system lacks it (Windows 7
// without its loader update).
struct DllSearchFunctions {
  BOOL(WINAPI* set_default_dll_directories)(DWORD) = nullptr;  // kernel32
};

// This system's functions, looked up once by name.
[[nodiscard]] const DllSearchFunctions& system_dll_search_functions() noexcept;

// Restricts the default search of every later load by name in this process. Where the function
// is missing or refuses, the system's default search stays as it is: nothing better is on offer,
// and the program still needs its system libraries.
void restrict_dll_search(const DllSearchFunctions& functions) noexcept;

// restrict_dll_search with this system's function.
void restrict_dll_search() noexcept;

}  // namespace mirvot
