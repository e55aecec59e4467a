// The package's launch conditions, case by case: the package's own searches and conditions run
// in Windows Installer (in this process, without installing anything) against the registry as
// the runtime's installer, administrators and earlier installations of Mirvot leave it.
// The runtime check must accept what Mirvot's runtime discovery would consider, and nothing that
// it would not read. A per-user setup must refuse beside an installation for all users, which it
// finds by the value that installation writes under HKLM: Windows Installer itself never looks
// across the two contexts (Wine's does, so a real second installation would not show it here).
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/wide_text.h"
#include "engine/test_engine_client.h"
#include "harness/clean_webview2_state.h"
#include "harness/debug_capture.h"
#include "harness/host_paths.h"
#include "harness/temp_folder.h"
#include "package/installer.h"

namespace mirvot::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

const std::wstring kPolicyKey =
    L"Software\\Policies\\Microsoft\\Edge\\WebView2\\BrowserExecutableFolder";

std::wstring Registration(const wchar_t* channel) {
  return std::wstring(L"Software\\Microsoft\\EdgeUpdate\\ClientState\\") + channel;
}
const std::wstring kStable = Registration(L"{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}");
const std::wstring kBeta = Registration(L"{2CD8A007-E189-409D-A2C8-9AF4EF3C72AA}");
const std::wstring kDev = Registration(L"{0D50BFEC-CD6A-4F9A-964C-C7416E3ACB10}");
const std::wstring kCanary = Registration(L"{65C35B14-6C1D-4122-AC46-7148CC9D6497}");
const std::wstring kInternal = Registration(L"{BE59E8FD-089A-411B-A3B0-051D9E417818}");

struct Seed {
  HKEY hive;
  std::wstring key;
  std::wstring name;
  std::wstring value;
  RegistryView view;
};

struct RuntimeCheckCase {
  const char* what;
  std::vector<Seed> seeds;
  const wchar_t* skipProperty;  // MIRVOT_SKIP_RUNTIME_CHECK, or null
  bool accepted;
};

// The result of the package's launch conditions on this machine as it is now, with the given
// properties set as the command line would set them: ERROR_SUCCESS or ERROR_INSTALL_FAILURE.
UINT RunLaunchConditions(const std::wstring& package,
                         const std::vector<std::pair<const wchar_t*, const wchar_t*>>& properties) {
  ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
  PMSIHANDLE session;
  const UINT opened = ::MsiOpenPackageW(package.c_str(), &session);
  if (opened != ERROR_SUCCESS) {
    return opened;
  }
  for (const auto& [name, value] : properties) {
    ::MsiSetPropertyW(session, name, value);
  }
  const UINT searched = ::MsiDoActionW(session, L"AppSearch");
  if (searched != ERROR_SUCCESS) {
    return searched;
  }
  return ::MsiDoActionW(session, L"LaunchConditions");
}

UINT RunRuntimeCheck(const std::wstring& package, const wchar_t* skipProperty) {
  if (skipProperty == nullptr) {
    return RunLaunchConditions(package, {});
  }
  return RunLaunchConditions(package, {{L"MIRVOT_SKIP_RUNTIME_CHECK", skipProperty}});
}

TEST(RuntimeCheckTest, AcceptsTheRegistrationsAndPoliciesTheProgramReads) {
  const std::wstring package = WindowsPathFromHost(MIRVOT_PACKAGE_MSI);
  const std::wstring runtime = TestRuntimeFolder(L"Application\\120.0.2210.91");
  const auto k32 = RegistryView::Wow64_32;
  const auto k64 = RegistryView::Wow64_64;
  const auto kPolicy = RegistryView::Default;
  const HKEY kMachine = HKEY_LOCAL_MACHINE;
  const HKEY kUser = HKEY_CURRENT_USER;

  const RuntimeCheckCase cases[] = {
      {"nothing registered", {}, nullptr, false},
      {"Stable for all users", {{kMachine, kStable, L"EBWebView", runtime, k32}}, nullptr, true},
      {"Stable for this user", {{kUser, kStable, L"EBWebView", runtime, k32}}, nullptr, true},
      {"Beta for all users", {{kMachine, kBeta, L"EBWebView", runtime, k32}}, nullptr, true},
      {"Dev for this user", {{kUser, kDev, L"EBWebView", runtime, k32}}, nullptr, true},
      {"Canary for all users", {{kMachine, kCanary, L"EBWebView", runtime, k32}}, nullptr, true},
      {"Internal for this user", {{kUser, kInternal, L"EBWebView", runtime, k32}}, nullptr, true},
      {"Stable in the 64-bit view only, which the program does not read",
       {{kMachine, kStable, L"EBWebView", runtime, k64}},
       nullptr,
       false},
      {"empty registration", {{kMachine, kStable, L"EBWebView", L"", k32}}, nullptr, false},
      {"registration under another value name",
       {{kUser, kStable, L"location", runtime, k32}},
       nullptr,
       false},
      {"policy for every program, all users",
       {{kMachine, kPolicyKey, L"*", runtime, kPolicy}},
       nullptr,
       true},
      {"policy for Mirvot.exe, this user",
       {{kUser, kPolicyKey, L"Mirvot.exe", runtime, kPolicy}},
       nullptr,
       true},
      {"policy in the unnamed value (programs without a user model ID)",
       {{kMachine, kPolicyKey, L"", runtime, kPolicy}},
       nullptr,
       true},
      {"policy for another program only",
       {{kUser, kPolicyKey, L"Other.exe", runtime, kPolicy}},
       nullptr,
       false},
      {"another policy for every program",
       {{kMachine, L"Software\\Policies\\Microsoft\\Edge\\WebView2\\UserDataFolder", L"*", runtime,
         kPolicy}},
       nullptr,
       false},
      {"check skipped", {}, L"1", true},
      {"skip property 0", {}, L"0", false},
      {"skip property yes", {}, L"yes", false},
  };
  for (const RuntimeCheckCase& c : cases) {
    SCOPED_TRACE(c.what);
    CleanWebView2State clean;
    for (const Seed& seed : c.seeds) {
      ASSERT_EQ(SetRegistryString(seed.hive, seed.key, seed.name, seed.value, seed.view),
                ERROR_SUCCESS);
    }
    EXPECT_EQ(RunRuntimeCheck(package, c.skipProperty),
              c.accepted ? ERROR_SUCCESS : ERROR_INSTALL_FAILURE);
  }
}

struct ContextCase {
  const char* what;
  const wchar_t* machineFolder;  // the all-users installation's kept folder, or null
  const wchar_t* userFolder;     // this user's own installation's kept folder, or null
  std::vector<std::pair<const wchar_t*, const wchar_t*>> properties;
  bool accepted;
};

TEST(LaunchConditionsTest, PerUserSetupIsRefusedBesideAnInstallationForAllUsers) {
  const std::wstring package = WindowsPathFromHost(MIRVOT_PACKAGE_MSI);
  const std::wstring key = L"Software\\Mirvot\\Installer";
  const auto skip = std::make_pair(L"MIRVOT_SKIP_RUNTIME_CHECK", L"1");
  const ContextCase cases[] = {
      {"Mirvot nowhere", nullptr, nullptr, {skip}, true},
      {"only this user's own copy", nullptr, L"C:\\Users\\Me\\Mirvot\\", {skip}, true},
      {"installed for all users", L"C:\\Apps\\Mirvot\\", nullptr, {skip}, false},
      {"installed for all users, overridden",
       L"C:\\Apps\\Mirvot\\",
       nullptr,
       {skip, {L"MIRVOT_ALLOW_PER_USER", L"1"}},
       true},
      {"installed for all users, override not 1",
       L"C:\\Apps\\Mirvot\\",
       nullptr,
       {skip, {L"MIRVOT_ALLOW_PER_USER", L"yes"}},
       false},
      {"installed for all users, installing for all users",
       L"C:\\Apps\\Mirvot\\",
       nullptr,
       {skip, {L"ALLUSERS", L"1"}},
       true},
  };
  for (const ContextCase& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedRegistryTree machine(HKEY_LOCAL_MACHINE, L"Software\\Mirvot", RegistryView::Wow64_64);
    ScopedRegistryTree user(HKEY_CURRENT_USER, L"Software\\Mirvot");
    if (c.machineFolder != nullptr) {
      ASSERT_EQ(SetRegistryString(HKEY_LOCAL_MACHINE, key, L"InstallDir", c.machineFolder,
                                  RegistryView::Wow64_64),
                ERROR_SUCCESS);
    }
    if (c.userFolder != nullptr) {
      ASSERT_EQ(SetRegistryString(HKEY_CURRENT_USER, key, L"InstallDir", c.userFolder),
                ERROR_SUCCESS);
    }
    EXPECT_EQ(RunLaunchConditions(package, c.properties),
              c.accepted ? ERROR_SUCCESS : ERROR_INSTALL_FAILURE);
  }
}

// The refusal as a user sees it, naming the folder of the installation for all users.
TEST(LaunchConditionsTest, RefusalNamesTheInstallationForAllUsers) {
  ScopedRegistryTree machine(HKEY_LOCAL_MACHINE, L"Software\\Mirvot", RegistryView::Wow64_64);
  ASSERT_EQ(SetRegistryString(HKEY_LOCAL_MACHINE, L"Software\\Mirvot\\Installer", L"InstallDir",
                              L"C:\\Apps\\Mirvot\\", RegistryView::Wow64_64),
            ERROR_SUCCESS);
  TempFolder temp;
  const MsiexecRun run =
      RunMsiexec(L"/i " + QuoteArgument(WindowsPathFromHost(MIRVOT_PACKAGE_MSI)) +
                     L" MIRVOT_SKIP_RUNTIME_CHECK=1",
                 temp.Join(L"refused.log"), Ui::Basic);
  EXPECT_EQ(run.exitCode, ERROR_INSTALL_FAILURE);
  EXPECT_THAT(run.messages, ElementsAre(StartsWith(L"Mirvot is already installed for all users of "
                                                   L"this computer (in C:\\Apps\\Mirvot\\). ")));
  EXPECT_THAT(
      RelatedProducts(PackageProperty(WindowsPathFromHost(MIRVOT_PACKAGE_MSI), L"UpgradeCode")),
      IsEmpty());
}

}  // namespace
}  // namespace mirvot::test
