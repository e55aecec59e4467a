#pragma once
// The process's application user model ID: the packaged application's ID, or else the explicit
// ID the process set for itself. Policies may be written for an application under this name.
#include <windows.h>

#include <string>

namespace mirvot {

// S_OK with the ID; otherwise a failure code and an empty ID (0x80070490 when the system has
// no way to tell). Only the text matters to the loader: an empty ID is used as is.
[[nodiscard]] HRESULT GetAppUserModelId(std::wstring& id) noexcept;

using GetCurrentApplicationUserModelIdFunction = LONG(WINAPI*)(UINT32* length, PWSTR id);
using GetCurrentProcessExplicitAppUserModelIdFunction = HRESULT(WINAPI*)(PWSTR* id);

// The two functions; null where the system lacks one.
struct AppUserModelIdFunctions {
  GetCurrentApplicationUserModelIdFunction getCurrentApplicationUserModelId = nullptr;
  GetCurrentProcessExplicitAppUserModelIdFunction getCurrentProcessExplicitAppUserModelId = nullptr;
};

// This system's functions. The first is looked up in kernel32 once. The second stands for
// shell32's function: shell32.dll is loaded from the system folder, and the function looked up,
// only the first time the explicit ID is asked for (a packaged process never needs it); where it
// is missing the call answers HRESULT_FROM_WIN32(ERROR_NOT_FOUND), as a missing function does.
[[nodiscard]] const AppUserModelIdFunctions& SystemAppUserModelIdFunctions() noexcept;

// The packaged ID is read into 131 units: 130 and the terminator.
inline constexpr UINT32 kAppUserModelIdCapacity = 131;

// GetAppUserModelId with the given functions.
[[nodiscard]] HRESULT GetAppUserModelId(std::wstring& id,
                                        const AppUserModelIdFunctions& functions) noexcept;

}  // namespace mirvot
