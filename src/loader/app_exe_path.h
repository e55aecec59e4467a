#pragma once
// The full path of the process's executable. Relative runtime folders are placed beside it,
// and its file name selects the per-application policy values.
#include <windows.h>

#include <string>

namespace mirvot {

// S_OK with the path, or the HRESULT of the Win32 error that stopped the read. The path is
// read into 260 units first and, only when that is too small, once more into 4,096 units;
// a longer path is a failure.
[[nodiscard]] HRESULT GetAppExePath(std::wstring& path) noexcept;

// The read itself, with the system call passed in so that every outcome of it can be tested.
// `readModuleFileName` behaves like GetModuleFileNameW for the executable module (it returns
// the number of units written and leaves the thread's last error set).
using ModuleFileNameReader = DWORD (*)(wchar_t* buffer, DWORD capacity);
[[nodiscard]] HRESULT ReadAppExePath(ModuleFileNameReader readModuleFileName,
                                     std::wstring& path) noexcept;

}  // namespace mirvot
