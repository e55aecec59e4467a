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

// Where the two functions come from. Each member returns the function's address, or null
// when the system lacks it. The system's lookups resolve each function the first time it is
// needed (loading shell32.dll from the system folder for the second) and remember the answer
// for the life of the process.
struct AppUserModelIdFunctionLookups {
  GetCurrentApplicationUserModelIdFunction (*getCurrentApplicationUserModelId)();
  GetCurrentProcessExplicitAppUserModelIdFunction (*getCurrentProcessExplicitAppUserModelId)();
};

[[nodiscard]] const AppUserModelIdFunctionLookups& SystemAppUserModelIdFunctionLookups() noexcept;

// The packaged ID is read into 131 units: 130 and the terminator.
inline constexpr UINT32 kAppUserModelIdCapacity = 131;

// GetAppUserModelId with the functions taken from `lookups`.
[[nodiscard]] HRESULT GetAppUserModelIdWith(const AppUserModelIdFunctionLookups& lookups,
                                            std::wstring& id) noexcept;

}  // namespace mirvot
