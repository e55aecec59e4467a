#include "loader/package_runtime.h"

#include <cwchar>
#include <vector>

#include "common/once_value.h"
#include "common/optional_function.h"
#include "common/out_of_memory.h"
#include "common/owners.h"
#include "common/wide_text.h"
#include "loader/runtime_folder.h"

namespace mirvot {
namespace {

using package_api::PACKAGE_INFO;
using package_api::PACKAGE_VERSION;

constexpr wchar_t kPackageFunctionsModule[] = L"kernelbase.dll";

// Declares the process's dependency on the channel's runtime package so that the package
// joins the process's package graph. The dependency is never removed: the runtime must stay
// available as long as the process may use it.
void AddRuntimePackageDependency(package_api::TryCreatePackageDependencyFunction tryCreate,
                                 package_api::AddPackageDependencyFunction add,
                                 const wchar_t* familyName) {
  PACKAGE_VERSION anyVersion{};
  anyVersion.Version = 0;
  constexpr INT32 kAnyArchitecture = 0;
  constexpr INT32 kProcessLifetime = 0;
  constexpr INT32 kNoOptions = 0;
  wchar_t* rawIdentifier = nullptr;
  const HRESULT created = tryCreate(nullptr, familyName, anyVersion, kAnyArchitecture,
                                    kProcessLifetime, nullptr, kNoOptions, &rawIdentifier);
  // The system allocates the identifier on the process heap.
  const UniqueProcessHeapString identifier(rawIdentifier);
  if (FAILED(created)) {
    return;
  }
  constexpr INT32 kDefaultRank = 0;
  package_api::PACKAGEDEPENDENCY_CONTEXT context = nullptr;
  // A failure here leaves the package out of the graph, which the walk below then shows.
  static_cast<void>(add(identifier.get(), kDefaultRank, kNoOptions, &context, nullptr));
}

PackageFunctions FindPackageFunctions() noexcept {
  PackageFunctions found;
  found.tryCreatePackageDependency =
      FindLoadedFunction<package_api::TryCreatePackageDependencyFunction>(
          kPackageFunctionsModule, "TryCreatePackageDependency");
  found.addPackageDependency = FindLoadedFunction<package_api::AddPackageDependencyFunction>(
      kPackageFunctionsModule, "AddPackageDependency");
  found.getCurrentPackageInfo = FindLoadedFunction<package_api::GetCurrentPackageInfoFunction>(
      kPackageFunctionsModule, "GetCurrentPackageInfo");
  return found;
}

}  // namespace

const PackageFunctions& SystemPackageFunctions() noexcept {
  return OnceValue<PackageFunctions, &FindPackageFunctions>();
}

std::optional<PackagedRuntimeLocation> FindRuntimePackage(const BYTE* buffer,
                                                          std::size_t bufferBytes, UINT32 count,
                                                          const wchar_t* familyName) {
  if (buffer == nullptr || familyName == nullptr) {
    return std::nullopt;
  }
  const std::size_t entriesInBuffer = bufferBytes / sizeof(PACKAGE_INFO);
  const std::size_t entries = count < entriesInBuffer ? count : entriesInBuffer;
  const auto* infos = reinterpret_cast<const PACKAGE_INFO*>(buffer);
  for (std::size_t i = 0; i < entries; ++i) {
    const PACKAGE_INFO& info = infos[i];
    if (info.packageFamilyName == nullptr || _wcsicmp(info.packageFamilyName, familyName) != 0) {
      continue;
    }
    if (info.path == nullptr) {
      return std::nullopt;
    }
    const package_api::PACKAGE_VERSION_PARTS& parts = info.packageId.version.Parts;
    return PackagedRuntimeLocation{
        std::wstring(info.path),
        RuntimeVersion{parts.Major, parts.Minor, parts.Build, parts.Revision}};
  }
  return std::nullopt;
}

bool FindPackagedRuntime(ReleaseChannel channel, std::wstring& clientDllPath,
                         const PackageFunctions& functions) noexcept {
  return CatchOutOfMemory(false, [&] {
    const auto tryCreate = functions.tryCreatePackageDependency;
    const auto add = functions.addPackageDependency;
    if (tryCreate == nullptr || add == nullptr) {
      return false;
    }
    const std::wstring familyName(AsWide(kChannelPackageFamilyNames[ChannelIndex(channel)]));
    AddRuntimePackageDependency(tryCreate, add, familyName.c_str());

    const auto getCurrentPackageInfo = functions.getCurrentPackageInfo;
    if (getCurrentPackageInfo == nullptr) {
      return false;
    }
    UINT32 length = 0;
    UINT32 count = 0;
    if (getCurrentPackageInfo(kPackageInfoFlags, &length, nullptr, &count) !=
            ERROR_INSUFFICIENT_BUFFER ||
        length == 0) {
      return false;
    }
    // 64-bit elements keep the entries' pointers aligned.
    const std::size_t bufferBytes = length;
    std::vector<std::uint64_t> buffer((bufferBytes + sizeof(std::uint64_t) - 1) /
                                      sizeof(std::uint64_t));
    BYTE* const bytes = reinterpret_cast<BYTE*>(buffer.data());
    count = 0;
    if (getCurrentPackageInfo(kPackageInfoFlags, &length, bytes, &count) != ERROR_SUCCESS ||
        count == 0) {
      return false;
    }
    const std::optional<PackagedRuntimeLocation> location =
        FindRuntimePackage(bytes, bufferBytes, count, familyName.c_str());
    if (!location) {
      return false;
    }
    return AcceptRuntimeFolder(location->version, location->folder, clientDllPath);
  });
}

bool FindPackagedRuntime(ReleaseChannel channel, std::wstring& clientDllPath) noexcept {
  return FindPackagedRuntime(channel, clientDllPath, SystemPackageFunctions());
}

}  // namespace mirvot
