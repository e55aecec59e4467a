#pragma once
// Whether a runtime folder holds a usable engine library: one found by discovery (a registration,
// a package) must be new enough and its library must open for mapping; for a folder the caller
// named, only the library is tested.
#include <windows.h>

#include <string>

#include "loader/core/runtime_version.h"

namespace mirvot {

// Access asked for when testing that the library opens: the rights the loader needs to map it.
inline constexpr DWORD kClientDllOpenAccess = SYNCHRONIZE | FILE_EXECUTE | FILE_READ_DATA;
static_assert(kClientDllOpenAccess == 0x00100021);

// The minimum-version test (with the "skipped an incompatible version" line for an older
// runtime), then LocateClientDll.
[[nodiscard]] bool AcceptRuntimeFolder(const RuntimeVersion& version, const std::wstring& folder,
                                       std::wstring& clientDllPath) noexcept;

// Sets `clientDllPath` to the library's path below `folder` (also when the library is not
// usable there) and says whether the file exists and opens for mapping. A file that exists but
// does not open is reported with the "skipped inaccessible" line.
[[nodiscard]] bool LocateClientDll(const std::wstring& folder,
                                   std::wstring& clientDllPath) noexcept;

}  // namespace mirvot
