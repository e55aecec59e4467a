#pragma once
// The full path of the process's executable. Relative runtime folders are placed beside it,
// and its file name selects the per-application policy values.
#include <windows.h>

#include <string>

namespace mirvot {

// S_OK with the path, or the HRESULT of the Win32 error that stopped GetModuleFileNameW. The
// path is read into 260 units first and, only when that is too small, once more into 4,096
// units; a longer path is a failure.
[[nodiscard]] HRESULT GetAppExePath(std::wstring& path) noexcept;

// The system function the path is read with.
struct AppExePathFunctions {
  DWORD(WINAPI* getModuleFileName)(HMODULE module, LPWSTR buffer, DWORD capacity) = nullptr;
};

// GetAppExePath with the given function, which is asked for the executable module (null).
[[nodiscard]] HRESULT GetAppExePath(std::wstring& path,
                                    const AppExePathFunctions& functions) noexcept;

}  // namespace mirvot
