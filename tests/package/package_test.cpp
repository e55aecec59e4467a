// The installer package under Wine's Windows Installer, driven with msiexec.exe command lines:
// per-user installation and what it registers, the installed program with a registered runtime,
// upgrade in place, refused downgrade, removal, the running program, the runtime check, and the
// browser profile that none of them touches.
#include <windows.h>
#include <msi.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/wide_text.h"
#include "e2e/mirvot_run.h"
#include "engine/test_engine_client.h"
#include "harness/clean_webview2_state.h"
#include "harness/debug_capture.h"
#include "harness/host_paths.h"
#include "harness/temp_folder.h"
#include "package/installed_program.h"
#include "package/installer.h"

namespace mirvot::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr wchar_t kStableChannel[] = L"{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}";
constexpr char kProfileContent[] = "cookies and settings of the user's session";

std::wstring RegistrationKey(const wchar_t* channel) {
  return std::wstring(L"Software\\Microsoft\\EdgeUpdate\\ClientState\\") + channel;
}

// Whether the file at `path` holds exactly the bytes of the build output at `hostPath`.
::testing::AssertionResult SameBytes(const std::wstring& path, const char* hostPath) {
  const std::optional<std::string> actual = ReadBytes(path);
  if (actual.has_value() && actual == ReadBytes(WindowsPathFromHost(hostPath))) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << WideToUtf8(path) << " is not a copy of " << hostPath << (actual ? "" : " (missing)");
}

class PackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    upgradeCode_ = PackageProperty(package_, L"UpgradeCode");
    ASSERT_FALSE(upgradeCode_.empty()) << "cannot read " << WideToUtf8(package_);
    RemoveInstalledProducts();
    profileExisted_ = PathExists(ProfileRoot());
  }

  void TearDown() override {
    RemoveInstalledProducts();
    ::DeleteFileW(PlantedProfileFile().c_str());
    if (!profileExisted_) {
      DeleteFolderTree(ProfileRoot());
    }
    ::CoUninitialize();
  }

  // Whatever an earlier, failed test left installed.
  void RemoveInstalledProducts() {
    for (const std::wstring& product : RelatedProducts(upgradeCode_)) {
      RunMsiexec(L"/x " + product, temp_.Join(L"cleanup.log"));
    }
  }

  MsiexecRun Install(const std::wstring& package, const std::wstring& properties = L"",
                     Ui ui = Ui::None) {
    return RunMsiexec(L"/i " + QuoteArgument(package) + L" " + properties,
                      temp_.Join(L"install.log"), ui);
  }

  MsiexecRun Uninstall(const std::wstring& package) {
    return RunMsiexec(L"/x " + QuoteArgument(package), temp_.Join(L"uninstall.log"));
  }

  void RegisterTestRuntime(HKEY hive = HKEY_CURRENT_USER) {
    ASSERT_EQ(
        SetRegistryString(hive, RegistrationKey(kStableChannel), L"EBWebView",
                          TestRuntimeFolder(L"Application\\120.0.2210.91"), RegistryView::Wow64_32),
        ERROR_SUCCESS);
  }

  static std::wstring ProfileRoot() { return KnownFolder(FOLDERID_LocalAppData) + L"\\Mirvot"; }
  static std::wstring PlantedProfileFile() { return ProfileRoot() + L"\\WebView2\\planted.txt"; }

  void PlantProfileFile() {
    ASSERT_TRUE(CreateFolders(ProfileRoot() + L"\\WebView2"));
    std::ofstream(std::filesystem::path(PlantedProfileFile()), std::ios::binary) << kProfileContent;
    ASSERT_EQ(ReadBytes(PlantedProfileFile()), std::string(kProfileContent));
  }

  static std::wstring UserFolder() {
    return KnownFolder(FOLDERID_LocalAppData) + L"\\Programs\\Mirvot";
  }
  static std::wstring UserExe() { return UserFolder() + L"\\Mirvot.exe"; }
  static std::wstring UserShortcut() { return KnownFolder(FOLDERID_Programs) + L"\\Mirvot.lnk"; }

  // Nothing of the package is left, and the profile is as the test planted it.
  void ExpectRemovedKeepingProfile(const std::wstring& productCode) {
    EXPECT_THAT(RelatedProducts(upgradeCode_), IsEmpty());
    EXPECT_EQ(::MsiQueryProductStateW(productCode.c_str()), INSTALLSTATE_UNKNOWN);
    EXPECT_FALSE(ProductInfo(productCode, INSTALLPROPERTY_INSTALLEDPRODUCTNAME).has_value());
    EXPECT_FALSE(PathExists(UserFolder()));
    EXPECT_FALSE(PathExists(UserShortcut()));
    EXPECT_EQ(ReadBytes(PlantedProfileFile()), std::string(kProfileContent));
  }

  const std::wstring package_ = WindowsPathFromHost(MIRVOT_PACKAGE_MSI);
  const std::wstring upgrade_ = WindowsPathFromHost(MIRVOT_UPGRADE_MSI);
  const std::wstring productCode_ = PackageProperty(package_, L"ProductCode");
  const std::wstring upgradeProductCode_ = PackageProperty(upgrade_, L"ProductCode");
  std::wstring upgradeCode_;
  bool profileExisted_ = false;
  CleanWebView2State clean_;
  TempFolder temp_;
  ScopedEnvironment engineLog_{L"MIRVOT_TEST_ENGINE_LOG", temp_.Join(L"engine.log")};
};

TEST_F(PackageTest, InstallsForTheUserStartsWithTheRegisteredRuntimeAndUninstallsCleanly) {
  RegisterTestRuntime();
  PlantProfileFile();

  const MsiexecRun install = Install(package_);
  ASSERT_EQ(install.exitCode, ERROR_SUCCESS) << install.log;

  const std::wstring exe = UserExe();
  EXPECT_TRUE(SameBytes(exe, MIRVOT_EXE));
  EXPECT_TRUE(SameBytes(UserFolder() + L"\\THIRD-PARTY-NOTICES.txt", MIRVOT_NOTICES));
  EXPECT_FALSE(PathExists(KnownFolder(FOLDERID_ProgramFilesX64) + L"\\Mirvot"));
  EXPECT_EQ(ShortcutTarget(UserShortcut()), exe);

  EXPECT_THAT(RelatedProducts(upgradeCode_), ElementsAre(productCode_));
  EXPECT_EQ(ProductInfo(productCode_, INSTALLPROPERTY_INSTALLEDPRODUCTNAME), L"Mirvot");
  EXPECT_EQ(ProductInfo(productCode_, INSTALLPROPERTY_PUBLISHER), L"Mirvot");
  EXPECT_EQ(ProductInfo(productCode_, INSTALLPROPERTY_VERSIONSTRING), L"" MIRVOT_PACKAGE_VERSION);
  EXPECT_EQ(ProductInfo(productCode_, INSTALLPROPERTY_INSTALLLOCATION), UserFolder() + L"\\");
  // The entry's icon is the program's icon group, kept by Windows Installer for the entry.
  const auto icon = ProductInfo(productCode_, INSTALLPROPERTY_PRODUCTICON);
  ASSERT_TRUE(icon.has_value());
  EXPECT_TRUE(SameBytes(*icon, MIRVOT_ICON));

  {
    InstalledProgram program(exe);
    ASSERT_TRUE(program.started());
    ASSERT_NE(program.WaitForMainWindow(), nullptr);
    // The engine of the registered runtime was loaded and opened the login page.
    EXPECT_TRUE(WaitUntil([&] {
      return FindLineStartingWith(ReadLogFileLines(temp_.Join(L"engine.log")),
                                  "webview.Navigate ") >= 0;
    }));
    program.Close();
    EXPECT_EQ(program.WaitForExit(30000), 0u);
  }

  const MsiexecRun uninstall = Uninstall(package_);
  ASSERT_EQ(uninstall.exitCode, ERROR_SUCCESS) << uninstall.log;
  ExpectRemovedKeepingProfile(productCode_);
  EXPECT_FALSE(PathExists(*icon));
}

TEST_F(PackageTest, NewerPackageReplacesTheProgramInPlaceAndOlderOneIsRefused) {
  RegisterTestRuntime();
  PlantProfileFile();
  ASSERT_EQ(Install(package_).exitCode, ERROR_SUCCESS);

  // Mirvot.exe's version record is the same in both builds; its bytes are not.
  const MsiexecRun upgrade = Install(upgrade_);
  ASSERT_EQ(upgrade.exitCode, ERROR_SUCCESS) << upgrade.log;
  EXPECT_THAT(RelatedProducts(upgradeCode_), ElementsAre(upgradeProductCode_));
  EXPECT_EQ(ProductInfo(upgradeProductCode_, INSTALLPROPERTY_VERSIONSTRING),
            L"" MIRVOT_UPGRADE_VERSION);
  EXPECT_TRUE(SameBytes(UserExe(), MIRVOT_CHANGED_EXE));
  EXPECT_EQ(ReadBytes(PlantedProfileFile()), std::string(kProfileContent));

  const MsiexecRun downgrade = Install(package_, L"", Ui::Basic);
  EXPECT_EQ(downgrade.exitCode, ERROR_INSTALL_FAILURE);
  EXPECT_THAT(downgrade.messages,
              ElementsAre(HasSubstr(L"A newer version of Mirvot is already installed.")));
  EXPECT_THAT(RelatedProducts(upgradeCode_), ElementsAre(upgradeProductCode_));
  EXPECT_TRUE(SameBytes(UserExe(), MIRVOT_CHANGED_EXE));

  const MsiexecRun uninstall = Uninstall(upgrade_);
  ASSERT_EQ(uninstall.exitCode, ERROR_SUCCESS) << uninstall.log;
  ExpectRemovedKeepingProfile(upgradeProductCode_);
}

TEST_F(PackageTest, RunningProgramIsClosedByUpgradeAndByRemoval) {
  RegisterTestRuntime();
  ASSERT_EQ(Install(package_).exitCode, ERROR_SUCCESS);
  const std::wstring exe = UserExe();

  InstalledProgram before(exe);
  ASSERT_NE(before.WaitForMainWindow(), nullptr);
  const MsiexecRun upgrade = Install(upgrade_);
  EXPECT_EQ(upgrade.exitCode, ERROR_SUCCESS) << upgrade.log;
  EXPECT_EQ(before.WaitForExit(0), 0u);
  EXPECT_TRUE(SameBytes(exe, MIRVOT_CHANGED_EXE));

  InstalledProgram after(exe);
  ASSERT_NE(after.WaitForMainWindow(), nullptr);
  const MsiexecRun uninstall = Uninstall(upgrade_);
  EXPECT_EQ(uninstall.exitCode, ERROR_SUCCESS) << uninstall.log;
  EXPECT_EQ(after.WaitForExit(0), 0u);
  EXPECT_FALSE(PathExists(UserFolder()));
}

TEST_F(PackageTest, ProgramThatDoesNotCloseStopsTheUpgradeBeforeAnythingChanges) {
  RegisterTestRuntime();
  ASSERT_EQ(Install(package_).exitCode, ERROR_SUCCESS);
  const std::wstring exe = UserExe();
  InstalledProgram hung(exe);
  ASSERT_NE(hung.WaitForMainWindow(), nullptr);
  ASSERT_TRUE(hung.Suspend());

  const MsiexecRun upgrade = Install(upgrade_);
  EXPECT_EQ(upgrade.exitCode, ERROR_INSTALL_FAILURE);
  EXPECT_THAT(upgrade.log, HasSubstr("Mirvot is still running and did not close. Close Mirvot, "
                                     "then run this setup again."));
  EXPECT_THAT(RelatedProducts(upgradeCode_), ElementsAre(productCode_));
  EXPECT_TRUE(SameBytes(exe, MIRVOT_EXE));

  // The close request waited in the program's queue.
  ASSERT_TRUE(hung.Resume());
  EXPECT_EQ(hung.WaitForExit(30000), 0u);
}

TEST_F(PackageTest, WithoutRuntimeInstallationIsRefusedUnlessTheCheckIsSkipped) {
  const MsiexecRun refused = Install(package_, L"", Ui::Basic);
  EXPECT_EQ(refused.exitCode, ERROR_INSTALL_FAILURE);
  EXPECT_THAT(
      refused.messages,
      ElementsAre(AllOf(HasSubstr(L"Microsoft Edge WebView2 Runtime"),
                        HasSubstr(L"https://developer.microsoft.com/microsoft-edge/webview2/"))));
  EXPECT_THAT(RelatedProducts(upgradeCode_), IsEmpty());
  EXPECT_FALSE(PathExists(UserFolder()));

  const MsiexecRun skipped = Install(package_, L"MIRVOT_SKIP_RUNTIME_CHECK=1");
  EXPECT_EQ(skipped.exitCode, ERROR_SUCCESS) << skipped.log;
  EXPECT_TRUE(SameBytes(UserExe(), MIRVOT_EXE));
}

TEST_F(PackageTest, AdministratorInstallsForAllUsers) {
  RegisterTestRuntime(HKEY_LOCAL_MACHINE);
  const MsiexecRun install = Install(package_, L"ALLUSERS=1");
  ASSERT_EQ(install.exitCode, ERROR_SUCCESS) << install.log;

  const std::wstring folder = KnownFolder(FOLDERID_ProgramFilesX64) + L"\\Mirvot";
  const std::wstring exe = folder + L"\\Mirvot.exe";
  EXPECT_TRUE(SameBytes(exe, MIRVOT_EXE));
  EXPECT_FALSE(PathExists(UserFolder()));
  wchar_t version[64] = L"";
  DWORD size = 64;
  EXPECT_EQ(::MsiGetProductInfoExW(productCode_.c_str(), nullptr, MSIINSTALLCONTEXT_MACHINE,
                                   INSTALLPROPERTY_VERSIONSTRING, version, &size),
            ERROR_SUCCESS);
  // Windows puts the shortcut into the common Start menu; Wine's Windows Installer keeps its
  // Start menu folder per user in every installation context.
  const std::wstring common = KnownFolder(FOLDERID_CommonPrograms) + L"\\Mirvot.lnk";
  EXPECT_EQ(ShortcutTarget(PathExists(common) ? common : UserShortcut()), exe);

  // As "Apps & features" removes it.
  const MsiexecRun uninstall = RunMsiexec(L"/x " + productCode_, temp_.Join(L"uninstall.log"));
  ASSERT_EQ(uninstall.exitCode, ERROR_SUCCESS) << uninstall.log;
  EXPECT_FALSE(PathExists(folder));
  EXPECT_THAT(RelatedProducts(upgradeCode_), IsEmpty());
}

}  // namespace
}  // namespace mirvot::test
