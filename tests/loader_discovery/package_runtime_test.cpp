// Runtime packages. Wine has none of the package dependency functions, so the system's functions
// take the missing-function path for real; the walk through the functions runs against fakes
// handed in the same way the product hands in the system's.
#include "loader/package_runtime.h"

#include <cstring>
#include <cwchar>

#include <gtest/gtest.h>

#include "loader_discovery/discovery_fixture.h"

namespace mirvot::test {
namespace {

using package_api::PACKAGE_INFO;
using package_api::PACKAGE_VERSION;

constexpr wchar_t kStableFamily[] = L"Microsoft.WebView2Runtime.Stable_8wekyb3d8bbwe";
constexpr wchar_t kBetaFamily[] = L"Microsoft.WebView2Runtime.Beta_8wekyb3d8bbwe";

PACKAGE_INFO Package(const wchar_t* family, const wchar_t* path, USHORT major, USHORT minor,
                     USHORT build, USHORT revision) {
  PACKAGE_INFO info{};
  info.packageFamilyName = const_cast<wchar_t*>(family);
  info.path = const_cast<wchar_t*>(path);
  info.packageId.version.Parts = {revision, build, minor, major};
  return info;
}

const BYTE* Bytes(const std::vector<PACKAGE_INFO>& entries) {
  return reinterpret_cast<const BYTE*>(entries.data());
}

TEST(FindRuntimePackage, FirstEntryOfTheFamilyIsTakenWithoutRegardToCase) {
  const std::vector<PACKAGE_INFO> entries = {
      Package(kBetaFamily, L"C:\\beta", 120, 0, 1, 2),
      Package(L"MICROSOFT.webview2runtime.STABLE_8wekyb3d8bbwe", L"C:\\first", 1, 2, 3, 4),
      Package(kStableFamily, L"C:\\second", 130, 0, 0, 0),
  };
  const auto found =
      FindRuntimePackage(Bytes(entries), entries.size() * sizeof(PACKAGE_INFO), 3, kStableFamily);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->folder, L"C:\\first");
  EXPECT_EQ(found->version, (RuntimeVersion{1, 2, 3, 4}));
}

TEST(FindRuntimePackage, NoEntryOfTheFamilyFindsNothing) {
  const std::vector<PACKAGE_INFO> entries = {Package(kBetaFamily, L"C:\\beta", 120, 0, 0, 0),
                                             Package(nullptr, L"C:\\unnamed", 120, 0, 0, 0)};
  EXPECT_FALSE(
      FindRuntimePackage(Bytes(entries), entries.size() * sizeof(PACKAGE_INFO), 2, kStableFamily));
}

TEST(FindRuntimePackage, MatchingEntryWithoutPathEndsTheWalk) {
  const std::vector<PACKAGE_INFO> entries = {Package(kStableFamily, nullptr, 120, 0, 0, 0),
                                             Package(kStableFamily, L"C:\\later", 120, 0, 0, 0)};
  EXPECT_FALSE(
      FindRuntimePackage(Bytes(entries), entries.size() * sizeof(PACKAGE_INFO), 2, kStableFamily));
}

TEST(FindRuntimePackage, EntriesPastTheBufferAreNotRead) {
  const std::vector<PACKAGE_INFO> entries = {Package(kBetaFamily, L"C:\\beta", 120, 0, 0, 0),
                                             Package(kStableFamily, L"C:\\rt", 120, 0, 0, 0)};
  // The count claims both entries, but the buffer holds only the first.
  EXPECT_FALSE(FindRuntimePackage(Bytes(entries), sizeof(PACKAGE_INFO) + 8, 2, kStableFamily));
  EXPECT_TRUE(FindRuntimePackage(Bytes(entries), 2 * sizeof(PACKAGE_INFO), 2, kStableFamily));
}

// What the fake package functions do and what they were called with.
struct FakePackageSystem {
  HRESULT tryCreateResult = S_OK;
  HRESULT addResult = S_OK;
  LONG firstInfoResult = ERROR_INSUFFICIENT_BUFFER;
  LONG secondInfoResult = ERROR_SUCCESS;
  bool reportNoLength = false;
  bool reportNoEntries = false;
  std::vector<PACKAGE_INFO> entries;

  int tryCreateCalls = 0;
  std::wstring familyName;
  UINT64 minVersion = 99;
  INT32 architectures = -1, lifetimeKind = -1, createOptions = -1;
  bool userGiven = true, artifactGiven = true;
  wchar_t* createdId = nullptr;
  int addCalls = 0;
  const wchar_t* addedId = nullptr;
  INT32 rank = -1, addOptions = -1;
  bool contextGiven = false, fullNameAsked = true;
  std::vector<UINT32> infoFlags;
};

FakePackageSystem* fake = nullptr;

HRESULT WINAPI FakeTryCreate(PSID user, PCWSTR family, PACKAGE_VERSION minVersion,
                             INT32 architectures, INT32 lifetimeKind, PCWSTR artifact,
                             INT32 options, PWSTR* id) {
  ++fake->tryCreateCalls;
  fake->userGiven = user != nullptr;
  fake->familyName = family;
  fake->minVersion = minVersion.Version;
  fake->architectures = architectures;
  fake->lifetimeKind = lifetimeKind;
  fake->artifactGiven = artifact != nullptr;
  fake->createOptions = options;
  if (FAILED(fake->tryCreateResult)) {
    return fake->tryCreateResult;
  }
  constexpr wchar_t kId[] = L"dependency-id";
  fake->createdId = static_cast<wchar_t*>(::HeapAlloc(::GetProcessHeap(), 0, sizeof(kId)));
  std::wmemcpy(fake->createdId, kId, sizeof(kId) / sizeof(wchar_t));
  *id = fake->createdId;
  return S_OK;
}

HRESULT WINAPI FakeAdd(PCWSTR id, INT32 rank, INT32 options,
                       package_api::PACKAGEDEPENDENCY_CONTEXT* context, PWSTR* fullName) {
  ++fake->addCalls;
  fake->addedId = id;
  fake->rank = rank;
  fake->addOptions = options;
  fake->contextGiven = context != nullptr;
  fake->fullNameAsked = fullName != nullptr;
  return fake->addResult;
}

LONG WINAPI FakeGetCurrentPackageInfo(UINT32 flags, UINT32* length, BYTE* buffer, UINT32* count) {
  fake->infoFlags.push_back(flags);
  const auto needed = static_cast<UINT32>(fake->entries.size() * sizeof(PACKAGE_INFO));
  if (buffer == nullptr) {
    *length = fake->reportNoLength ? 0 : needed;
    return fake->firstInfoResult;
  }
  if (*length < needed) {
    return ERROR_INSUFFICIENT_BUFFER;
  }
  std::memcpy(buffer, fake->entries.data(), needed);
  *count = fake->reportNoEntries ? 0 : static_cast<UINT32>(fake->entries.size());
  return fake->secondInfoResult;
}

constexpr PackageFunctions kFakeFunctions{&FakeTryCreate, &FakeAdd, &FakeGetCurrentPackageInfo};

class FindPackagedRuntimeTest : public LoaderRegistryTest {
 protected:
  FindPackagedRuntimeTest() { fake = &system_; }
  ~FindPackagedRuntimeTest() override { fake = nullptr; }

  bool Find(ReleaseChannel channel, const PackageFunctions& functions = kFakeFunctions) {
    return FindPackagedRuntime(channel, path_, functions);
  }

  FakePackageSystem system_;
  std::wstring path_;
};

TEST_F(FindPackagedRuntimeTest, SystemWithoutThePackageFunctionsHasNoPackagedRuntime) {
  const HMODULE kernelbase = ::GetModuleHandleW(L"kernelbase.dll");
  const PackageFunctions& system = SystemPackageFunctions();
  using AnyFunction = void (*)();
  EXPECT_EQ(
      reinterpret_cast<AnyFunction>(system.tryCreatePackageDependency),
      reinterpret_cast<AnyFunction>(::GetProcAddress(kernelbase, "TryCreatePackageDependency")));
  EXPECT_EQ(reinterpret_cast<AnyFunction>(system.addPackageDependency),
            reinterpret_cast<AnyFunction>(::GetProcAddress(kernelbase, "AddPackageDependency")));
  if (system.tryCreatePackageDependency != nullptr) {
    GTEST_SKIP() << "this system has the package dependency functions";
  }
  for (int channel = 0; channel < 5; ++channel) {
    EXPECT_FALSE(FindPackagedRuntime(static_cast<ReleaseChannel>(channel), path_));
  }
  EXPECT_TRUE(Lines().empty());
}

TEST_F(FindPackagedRuntimeTest, MissingDependencyFunctionMeansNoPackage) {
  const PackageFunctions noTryCreate{nullptr, &FakeAdd, &FakeGetCurrentPackageInfo};
  const PackageFunctions noAdd{&FakeTryCreate, nullptr, &FakeGetCurrentPackageInfo};
  EXPECT_FALSE(Find(ReleaseChannel::Stable, noTryCreate));
  EXPECT_FALSE(Find(ReleaseChannel::Stable, noAdd));
  EXPECT_EQ(system_.tryCreateCalls, 0);
  EXPECT_EQ(system_.addCalls, 0);
  EXPECT_TRUE(system_.infoFlags.empty());
}

TEST_F(FindPackagedRuntimeTest, DependencyIsDeclaredOnTheChannelsFamily) {
  EXPECT_FALSE(Find(ReleaseChannel::Beta));
  EXPECT_EQ(system_.tryCreateCalls, 1);
  EXPECT_EQ(system_.familyName, kBetaFamily);
  EXPECT_FALSE(system_.userGiven);
  EXPECT_EQ(system_.minVersion, 0u);
  EXPECT_EQ(system_.architectures, 0);
  EXPECT_EQ(system_.lifetimeKind, 0);
  EXPECT_FALSE(system_.artifactGiven);
  EXPECT_EQ(system_.createOptions, 0);
  EXPECT_EQ(system_.addCalls, 1);
  EXPECT_EQ(system_.addedId, system_.createdId);
  EXPECT_EQ(system_.rank, 0);
  EXPECT_EQ(system_.addOptions, 0);
  EXPECT_TRUE(system_.contextGiven);
  EXPECT_FALSE(system_.fullNameAsked);
  EXPECT_EQ(system_.infoFlags, std::vector<UINT32>{0x00180001u});
}

TEST_F(FindPackagedRuntimeTest, FailedDependencySkipsAddButStillSearchesThePackages) {
  const std::wstring folder = MakeRuntimeFolder(temp_.Join(L"pkg"));
  system_.tryCreateResult = E_ACCESSDENIED;
  system_.entries = {Package(kStableFamily, folder.c_str(), 120, 0, 2210, 91)};
  EXPECT_TRUE(Find(ReleaseChannel::Stable));
  EXPECT_EQ(system_.addCalls, 0);
  EXPECT_EQ(path_, ClientDllIn(folder));
}

TEST_F(FindPackagedRuntimeTest, FailedAddIsIgnored) {
  const std::wstring folder = MakeRuntimeFolder(temp_.Join(L"pkg"));
  system_.addResult = E_FAIL;
  system_.entries = {Package(kStableFamily, folder.c_str(), 120, 0, 2210, 91)};
  EXPECT_TRUE(Find(ReleaseChannel::Stable));
  EXPECT_EQ(path_, ClientDllIn(folder));
}

TEST_F(FindPackagedRuntimeTest, MissingPackageInfoFunctionMeansNoPackage) {
  const PackageFunctions noInfo{&FakeTryCreate, &FakeAdd, nullptr};
  EXPECT_FALSE(Find(ReleaseChannel::Stable, noInfo));
  EXPECT_EQ(system_.addCalls, 1);
}

TEST_F(FindPackagedRuntimeTest, PackageInfoFailuresMeanNoPackage) {
  const std::wstring folder = MakeRuntimeFolder(temp_.Join(L"pkg"));
  system_.entries = {Package(kStableFamily, folder.c_str(), 120, 0, 2210, 91)};
  system_.firstInfoResult = 15700;  // the process has no package identity
  EXPECT_FALSE(Find(ReleaseChannel::Stable));
  system_.firstInfoResult = ERROR_INSUFFICIENT_BUFFER;
  system_.reportNoLength = true;
  EXPECT_FALSE(Find(ReleaseChannel::Stable));
  system_.reportNoLength = false;
  system_.secondInfoResult = ERROR_GEN_FAILURE;
  EXPECT_FALSE(Find(ReleaseChannel::Stable));
  system_.secondInfoResult = ERROR_SUCCESS;
  system_.reportNoEntries = true;
  EXPECT_FALSE(Find(ReleaseChannel::Stable));
  system_.reportNoEntries = false;
  EXPECT_TRUE(Find(ReleaseChannel::Stable));
  EXPECT_TRUE(Lines().empty());
}

TEST_F(FindPackagedRuntimeTest, OldPackageIsSkippedWithItsLineAndLaterEntriesAreNotExamined) {
  const std::wstring old = MakeRuntimeFolder(temp_.Join(L"old"));
  const std::wstring current = MakeRuntimeFolder(temp_.Join(L"current"));
  system_.entries = {Package(kStableFamily, old.c_str(), 86, 0, 615, 9999),
                     Package(kStableFamily, current.c_str(), 120, 0, 2210, 91)};
  EXPECT_FALSE(Find(ReleaseChannel::Stable));
  EXPECT_EQ(Lines(),
            std::vector<std::string>{Line("WebView2: skipped an incompatible version ", old)});
}

TEST_F(FindPackagedRuntimeTest, PackageWithoutLibraryIsSkippedSilently) {
  const std::wstring folder = temp_.MakeFolder(L"pkg");
  system_.entries = {Package(kStableFamily, folder.c_str(), 120, 0, 2210, 91)};
  EXPECT_FALSE(Find(ReleaseChannel::Stable));
  EXPECT_TRUE(Lines().empty());
}

}  // namespace
}  // namespace mirvot::test
