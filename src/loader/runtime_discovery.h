#pragma once
// Finding the engine library of a usable runtime: either below a folder the caller (or a
// variable or policy) named, or by searching the installed runtimes channel by channel in the
// updater's machine-wide and per-user registrations and among the runtime packages. Nothing is
// cached: every environment creation searches again.
#include <windows.h>

#include <string>
#include <vector>

#include "loader/core/channel_list.h"
#include "loader/loader_settings.h"

namespace mirvot {

// The updater's registrations, always read through the 32-bit registry view.
inline constexpr wchar_t kClientStateKeyPrefix[] =
    L"Software\\Microsoft\\EdgeUpdate\\ClientState\\";
inline constexpr wchar_t kEdgeStableClientKey[] =
    L"Software\\Microsoft\\EdgeUpdate\\Clients\\{56EB18F8-B008-4CBD-B6D2-8C97FE7E9062}";
inline constexpr REGSAM kRegistrationKeyAccess = KEY_READ | KEY_WOW64_32KEY;
static_assert(kRegistrationKeyAccess == 0x00020219);

// The fixed-folder road. A relative folder is placed beside the executable. S_OK with the
// library path; 0x80070002 (with a debugger line) when the library is not usable there; for a
// relative folder, the error of reading the executable's path (with a debugger line), or E_FAIL
// when that path has no folder to place it in; E_OUTOFMEMORY if memory runs out. A null folder
// is taken as an empty one.
[[nodiscard]] HRESULT FindClientDllInFolder(const wchar_t* folder,
                                            std::wstring& clientDllPath) noexcept;

// The search road: the channels of BuildChannelSearchOrder in order; for each, the
// machine-wide registration, the per-user one, then the runtime package. S_OK with the
// library path, or 0x80070002 after the "Failed to find an installed ..." line.
// E_OUTOFMEMORY if memory runs out.
[[nodiscard]] HRESULT FindInstalledRuntime(const LoaderSettings& settings,
                                           std::wstring& clientDllPath) noexcept;

// The channels to search for these settings, in order (0 to 5 of them).
[[nodiscard]] std::vector<ReleaseChannel> BuildChannelSearchOrder(const LoaderSettings& settings);

// One registration: the channel's ClientState key under `hive`, or, with `edgeStable`, the
// stable Edge browser's registration (location and version). Absent, empty, oversized or
// version-less registrations are not found, without any line.
[[nodiscard]] bool ReadRegisteredRuntime(HKEY hive, ReleaseChannel channel, bool edgeStable,
                                         std::wstring& clientDllPath) noexcept;

}  // namespace mirvot
