#pragma once
// Runtimes installed as packages. The process first declares a dynamic dependency on the
// channel's runtime package (lasting as long as the process), then looks for the package in
// its own package graph. Systems without the dynamic package dependency functions have no
// packaged runtimes.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "loader/core/channel_list.h"
#include "loader/core/runtime_version.h"

namespace mirvot {

// Our own declarations of the package structures and functions the loader uses, laid out as
// the platform documents them (the MinGW-w64 headers have none). Kept in their own namespace
// so that they never meet the platform's declarations where a header provides them.
// The names are the platform's own.
// NOLINTBEGIN(readability-identifier-naming)
namespace package_api {

struct PACKAGE_VERSION_PARTS {
  USHORT Revision;
  USHORT Build;
  USHORT Minor;
  USHORT Major;
};

union PACKAGE_VERSION {
  UINT64 Version;
  PACKAGE_VERSION_PARTS Parts;
};

struct PACKAGE_ID {
  UINT32 reserved;
  UINT32 processorArchitecture;
  PACKAGE_VERSION version;
  PWSTR name;
  PWSTR publisher;
  PWSTR resourceId;
  PWSTR publisherId;
};

struct PACKAGE_INFO {
  UINT32 reserved;
  UINT32 flags;
  PWSTR path;
  PWSTR packageFullName;
  PWSTR packageFamilyName;
  PACKAGE_ID packageId;
};

static_assert(sizeof(PACKAGE_VERSION) == 8, "PACKAGE_VERSION is one 64-bit value");
#if defined(_WIN64)
static_assert(offsetof(PACKAGE_ID, version) == 8 && offsetof(PACKAGE_ID, name) == 16 &&
                  sizeof(PACKAGE_ID) == 48,
              "x64 layout of PACKAGE_ID");
static_assert(offsetof(PACKAGE_INFO, path) == 8 &&
                  offsetof(PACKAGE_INFO, packageFamilyName) == 24 &&
                  offsetof(PACKAGE_INFO, packageId) == 32 && sizeof(PACKAGE_INFO) == 80,
              "x64 layout of PACKAGE_INFO");
#endif

// An opaque handle the dependency functions hand out.
using PACKAGEDEPENDENCY_CONTEXT = void*;

// The enumerations of these functions are passed as 32-bit integers.
using TryCreatePackageDependencyFunction =
    HRESULT(WINAPI*)(PSID user, PCWSTR packageFamilyName, PACKAGE_VERSION minVersion,
                     INT32 packageDependencyProcessorArchitectures, INT32 lifetimeKind,
                     PCWSTR lifetimeArtifact, INT32 options, PWSTR* packageDependencyId);
using AddPackageDependencyFunction = HRESULT(WINAPI*)(PCWSTR packageDependencyId, INT32 rank,
                                                      INT32 options,
                                                      PACKAGEDEPENDENCY_CONTEXT* context,
                                                      PWSTR* packageFullName);
using GetCurrentPackageInfoFunction = LONG(WINAPI*)(UINT32 flags, UINT32* bufferLength,
                                                    BYTE* buffer, UINT32* count);

}  // namespace package_api
// NOLINTEND(readability-identifier-naming)

// The three package functions; null where the system lacks one.
struct PackageFunctions {
  package_api::TryCreatePackageDependencyFunction tryCreatePackageDependency = nullptr;
  package_api::AddPackageDependencyFunction addPackageDependency = nullptr;
  package_api::GetCurrentPackageInfoFunction getCurrentPackageInfo = nullptr;
};

// This system's functions, looked up in kernelbase.dll the first time a runtime package is
// searched for and remembered for the life of the process.
[[nodiscard]] const PackageFunctions& SystemPackageFunctions() noexcept;

// The package information asked for: the process's package graph, including the packages
// added through dynamic dependencies.
inline constexpr UINT32 kPackageInfoFlags = 0x00180001;

// The runtime package of one channel: adds the dependency, then takes the first package of
// the process's graph whose family name is the channel's, and accepts it like a registration
// (minimum version, then the library test). Not found on systems without the functions.
[[nodiscard]] bool FindPackagedRuntime(ReleaseChannel channel,
                                       std::wstring& clientDllPath) noexcept;

// The same with the given functions.
[[nodiscard]] bool FindPackagedRuntime(ReleaseChannel channel, std::wstring& clientDllPath,
                                       const PackageFunctions& functions) noexcept;

struct PackagedRuntimeLocation {
  std::wstring folder;
  RuntimeVersion version;
};

// The walk over a package information buffer of `bufferBytes` bytes holding `count` entries:
// the first entry whose family name equals `familyName` without regard to case, or nothing.
// Later entries are never examined, so a matching entry without a path ends the walk with
// nothing. Entries that would lie past the buffer are not read.
[[nodiscard]] std::optional<PackagedRuntimeLocation> FindRuntimePackage(const BYTE* buffer,
                                                                        std::size_t bufferBytes,
                                                                        UINT32 count,
                                                                        const wchar_t* familyName);

}  // namespace mirvot
