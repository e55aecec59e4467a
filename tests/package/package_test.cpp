// The installer package under Wine's Windows Installer, driven with msiexec.exe command lines:
// per-user installation and what it registers, the installed program with a registered runtime,
// upgrade in place, refused downgrade, removal that leaves nothing behind, the administrators'
// choices and how later setups keep them, the running program, the runtime check, the two
// installation contexts, and the browser profile that none of them touches.
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
#include "harness/registry_seed.h"
#include "harness/temp_folder.h"
#include "package/access_control.h"
#include "package/installed_program.h"
#include "package/installer.h"

namespace mirvot::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Optional;

constexpr wchar_t kStableChannel[] = L"{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}";
constexpr char kProfileContent[] = "cookies and settings of the user's session";
constexpr wchar_t kInstallerKey[] = L"Software\\Mirvot";
constexpr wchar_t kShellFolders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

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
    const std::wstring desktop = temp_.Join(L"Desktop");
    CreateFolders(desktop);
    ASSERT_EQ(SetRegistryExpandString(HKEY_CURRENT_USER, kShellFolders, L"Desktop", desktop),
              ERROR_SUCCESS);
  }

  void TearDown() override {
    RemoveInstalledProducts();
    DeleteRegistryTree(HKEY_CURRENT_USER, kInstallerKey);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kInstallerKey, RegistryView::Wow64_64);
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
                     Ui ui = Ui::None, int answer = IDOK) {
    return RunMsiexec(L"/i " + QuoteArgument(package) + L" " + properties,
                      temp_.Join(L"install.log"), ui, answer);
  }

  // A repair as administrators start one with properties: every component reinstalled.
  MsiexecRun Repair(const std::wstring& productCode, const std::wstring& properties = L"",
                    Ui ui = Ui::None) {
    return RunMsiexec(L"/i " + productCode + L" REINSTALL=ALL " + properties,
                      temp_.Join(L"repair.log"), ui);
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

  static std::wstring UserPrograms() { return KnownFolder(FOLDERID_LocalAppData) + L"\\Programs"; }
  static std::wstring UserFolder() { return UserPrograms() + L"\\Mirvot"; }
  static std::wstring UserExe() { return UserFolder() + L"\\Mirvot.exe"; }
  static std::wstring MachineFolder() {
    return KnownFolder(FOLDERID_ProgramFilesX64) + L"\\Mirvot";
  }
  static std::wstring UserShortcut() { return KnownFolder(FOLDERID_Programs) + L"\\Mirvot.lnk"; }
  // Where an installation puts a shortcut: the common folder for all users, except that Wine's
  // Windows Installer keeps the Start menu and desktop folders per user in every context.
  static std::wstring ShortcutIn(bool allUsers, REFKNOWNFOLDERID user, REFKNOWNFOLDERID common) {
    const std::wstring shared = KnownFolder(common) + L"\\Mirvot.lnk";
    return allUsers && PathExists(shared) ? shared : KnownFolder(user) + L"\\Mirvot.lnk";
  }

  // Nothing of the package is left (no file, folder, shortcut or value of its own), and the
  // profile is as the test planted it.
  void ExpectRemovedKeepingProfile(const std::wstring& productCode) {
    EXPECT_THAT(RelatedProducts(upgradeCode_), IsEmpty());
    EXPECT_EQ(::MsiQueryProductStateW(productCode.c_str()), INSTALLSTATE_UNKNOWN);
    EXPECT_FALSE(ProductInfo(productCode, INSTALLPROPERTY_INSTALLEDPRODUCTNAME).has_value());
    EXPECT_FALSE(PathExists(UserPrograms()));
    EXPECT_FALSE(PathExists(MachineFolder()));
    for (bool allUsers : {false, true}) {
      EXPECT_FALSE(PathExists(ShortcutIn(allUsers, FOLDERID_Programs, FOLDERID_CommonPrograms)));
      EXPECT_FALSE(PathExists(ShortcutIn(allUsers, FOLDERID_Desktop, FOLDERID_PublicDesktop)));
    }
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kInstallerKey));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kInstallerKey, RegistryView::Wow64_64));
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
  // The user's desktop as the shell and Windows Installer find it, pointed at a folder of the
  // test's own (SetUp): Wine links the prefix user's desktop to the machine's real home folder,
  // which every prefix and every run shares.
  ScopedRegistryValue desktop_{HKEY_CURRENT_USER, kShellFolders, L"Desktop"};
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
  EXPECT_FALSE(PathExists(MachineFolder()));
  EXPECT_EQ(ShortcutTarget(UserShortcut()), exe);
  EXPECT_FALSE(PathExists(KnownFolder(FOLDERID_Desktop) + L"\\Mirvot.lnk"));

  EXPECT_THAT(RelatedProducts(upgradeCode_), ElementsAre(productCode_));
  // Where an inventory finds per-user copies: the upgrade code in Windows Installer's packed form.
  EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER,
                                L"Software\\Microsoft\\Installer\\UpgradeCodes\\"
                                L"AD97A976A9AAE8D469947832D2F7CA81"));
  EXPECT_EQ(ProductInfo(productCode_, INSTALLPROPERTY_INSTALLEDPRODUCTNAME), L"Mirvot");
  EXPECT_EQ(ProductInfo(productCode_, INSTALLPROPERTY_PUBLISHER), L"Mirvot");
  EXPECT_EQ(ProductInfo(productCode_, INSTALLPROPERTY_VERSIONSTRING), L"" MIRVOT_PACKAGE_VERSION);
  EXPECT_EQ(ProductInfo(productCode_, INSTALLPROPERTY_INSTALLLOCATION), UserFolder() + L"\\");
  // The service's site is the host of the login page the build was given.
  const std::wstring site = L"https://" + Utf8ToWide(MIRVOT_LOGIN_HOST) + L"/";
  EXPECT_EQ(ProductInfo(productCode_, INSTALLPROPERTY_URLINFOABOUT), site);
  EXPECT_EQ(ProductInfo(productCode_, INSTALLPROPERTY_HELPLINK), site);
  EXPECT_EQ(UninstallEntryValue(productCode_, L"Contact"), L"Mirvot, " + site);
  EXPECT_THAT(UninstallEntryValue(productCode_, L"Comments"), Optional(HasSubstr(L"Mirvot")));
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
  PlantProfileFile();
  // A per-user copy of the installing user, which the installation for all users names.
  ASSERT_EQ(Install(package_).exitCode, ERROR_SUCCESS);
  const MsiexecRun install = Install(upgrade_, L"ALLUSERS=1");
  ASSERT_EQ(install.exitCode, ERROR_SUCCESS) << install.log;
  EXPECT_THAT(install.log, HasSubstr("NotePerUserInstallations: Mirvot " MIRVOT_PACKAGE_VERSION
                                     " is also installed for this user only (product " +
                                     WideToUtf8(productCode_)));

  const std::wstring exe = MachineFolder() + L"\\Mirvot.exe";
  EXPECT_TRUE(SameBytes(exe, MIRVOT_CHANGED_EXE));
  wchar_t version[64] = L"";
  DWORD size = 64;
  EXPECT_EQ(::MsiGetProductInfoExW(upgradeProductCode_.c_str(), nullptr, MSIINSTALLCONTEXT_MACHINE,
                                   INSTALLPROPERTY_VERSIONSTRING, version, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(ShortcutTarget(ShortcutIn(true, FOLDERID_Programs, FOLDERID_CommonPrograms)), exe);

  // What a later per-user setup finds, and refuses beside (launch_conditions_test.cpp).
  wchar_t kept[MAX_PATH] = L"";
  DWORD keptSize = sizeof(kept);
  EXPECT_EQ(::RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Mirvot\\Installer", L"InstallDir",
                           RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, kept, &keptSize),
            ERROR_SUCCESS);
  EXPECT_EQ(kept, MachineFolder() + L"\\");

  // As "Apps & features" removes it.
  const MsiexecRun uninstall =
      RunMsiexec(L"/x " + upgradeProductCode_, temp_.Join(L"uninstall.log"));
  ASSERT_EQ(uninstall.exitCode, ERROR_SUCCESS) << uninstall.log;
  // Wine's Windows Installer also finds related products across the two contexts, so there the
  // per-user copy went with the upgrade; Windows keeps it, and it would be removed by its user.
  for (const std::wstring& product : RelatedProducts(upgradeCode_)) {
    RunMsiexec(L"/x " + product, temp_.Join(L"per-user.log"));
  }
  ExpectRemovedKeepingProfile(upgradeProductCode_);
}

// An installation for all users locks its folder like Program Files, whatever the folder's
// parent allows; a per-user installation leaves its folder as the user's profile makes it. The
// lock is a row of the package that Windows Installer applies when it creates the folder.
TEST_F(PackageTest, FolderOfAnInstallationForAllUsersIsLockedLikeProgramFiles) {
  const auto rows = PackageRows(package_,
                                L"SELECT `LockObject`, `Table`, `SDDLText`, `Condition` "
                                L"FROM `MsiLockPermissionsEx`");
  ASSERT_EQ(rows.size(), 1u);
  const std::vector<std::wstring>& lock = rows[0];
  EXPECT_EQ(lock[1], L"CreateFolder");
  // The folder's row is in a component of its own, installed for all users only.
  const auto folder =
      PackageRows(package_,
                  L"SELECT `Component`.`Condition`, `Component`.`ComponentId` FROM `CreateFolder`, "
                  L"`Component` WHERE `CreateFolder`.`Directory_` = '" +
                      lock[0] + L"' AND `Component`.`Component` = `CreateFolder`.`Component_`");
  ASSERT_EQ(folder.size(), 1u);

  // As Windows reads the descriptor: nothing inherited; SYSTEM and Administrators full control,
  // Users read and execute, each passed on to the folder's files and subfolders.
  constexpr BYTE kPassedOn = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
  const AccessList programFiles{
      true,
      {{ACCESS_ALLOWED_ACE_TYPE, kPassedOn, FILE_ALL_ACCESS, L"S-1-5-18"},
       {ACCESS_ALLOWED_ACE_TYPE, kPassedOn, FILE_ALL_ACCESS, L"S-1-5-32-544"},
       {ACCESS_ALLOWED_ACE_TYPE, kPassedOn, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE,
        L"S-1-5-32-545"}}};
  EXPECT_EQ(AccessOfSddl(lock[2]), programFiles);

  for (const std::wstring& condition : {lock[3], folder[0][0]}) {
    EXPECT_TRUE(PackageConditionHolds(package_, condition, {{L"ALLUSERS", L"1"}})) << condition;
    EXPECT_FALSE(PackageConditionHolds(package_, condition, {{L"ALLUSERS", L""}})) << condition;
  }

  // Wine's Windows Installer installs the package but does not apply the table: the folder gets
  // the permissions Wine gives every new folder, its parent's.
  const std::wstring parent = temp_.MakeFolder(L"Shared");
  const MsiexecRun install =
      Install(package_, L"ALLUSERS=1 MIRVOT_SKIP_RUNTIME_CHECK=1 INSTALLDIR=" +
                            QuoteArgument(parent + L"\\Mirvot"));
  ASSERT_EQ(install.exitCode, ERROR_SUCCESS) << install.log;
  EXPECT_TRUE(SameBytes(parent + L"\\Mirvot\\Mirvot.exe", MIRVOT_EXE));
  // The locked folder is the program's folder.
  wchar_t locked[MAX_PATH] = L"";
  DWORD size = MAX_PATH;
  EXPECT_EQ(::MsiGetComponentPathW(productCode_.c_str(), folder[0][1].c_str(), locked, &size),
            INSTALLSTATE_LOCAL);
  EXPECT_STREQ(locked, (parent + L"\\Mirvot\\").c_str());
  const std::optional<AccessList> applied = AccessOfPath(parent + L"\\Mirvot");
  ASSERT_TRUE(applied.has_value());
  EXPECT_FALSE(applied->isProtected);
  EXPECT_EQ(applied, AccessOfPath(parent));
}

struct ChoiceCase {
  const char* what;
  bool allUsers;
  const wchar_t* choices;  // given to the first installation only
  const wchar_t* folder;   // under the test's temporary folder
  bool startMenu;
  bool desktop;
};

// The administrators' properties in both contexts, and every later setup of the same context
// (a repair, the next version) keeping them without being given them again.
TEST_F(PackageTest, ChoicesHoldInBothContextsAndAreKeptByRepairAndUpgrade) {
  const ChoiceCase cases[] = {
      {"for the user", false, L"MIRVOT_START_MENU_SHORTCUT=0 MIRVOT_DESKTOP_SHORTCUT=1 INSTALLDIR=",
       L"User Apps\\Mirvot", false, true},
      {"for all users", true, L"MIRVOT_DESKTOP_SHORTCUT=1 INSTALLDIR=", L"Apps\\Mirvot", true,
       true},
  };
  PlantProfileFile();
  for (const ChoiceCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring folder = temp_.Join(c.folder);
    const std::wstring context =
        c.allUsers ? L"ALLUSERS=1 MIRVOT_SKIP_RUNTIME_CHECK=1 " : L"MIRVOT_SKIP_RUNTIME_CHECK=1 ";
    const auto expect_layout = [&](const char* exe) {
      EXPECT_TRUE(SameBytes(folder + L"\\Mirvot.exe", exe));
      EXPECT_FALSE(PathExists(UserFolder()));
      EXPECT_FALSE(PathExists(MachineFolder()));
      const std::wstring menu = ShortcutIn(c.allUsers, FOLDERID_Programs, FOLDERID_CommonPrograms);
      const std::wstring desk = ShortcutIn(c.allUsers, FOLDERID_Desktop, FOLDERID_PublicDesktop);
      EXPECT_EQ(ShortcutTarget(menu), c.startMenu ? folder + L"\\Mirvot.exe" : L"");
      EXPECT_EQ(ShortcutTarget(desk), c.desktop ? folder + L"\\Mirvot.exe" : L"");
    };

    const MsiexecRun install = Install(package_, context + c.choices + QuoteArgument(folder));
    ASSERT_EQ(install.exitCode, ERROR_SUCCESS) << install.log;
    expect_layout(MIRVOT_EXE);
    ASSERT_TRUE(::DeleteFileW((folder + L"\\Mirvot.exe").c_str()));
    const MsiexecRun repair = Repair(productCode_);
    ASSERT_EQ(repair.exitCode, ERROR_SUCCESS) << repair.log;
    expect_layout(MIRVOT_EXE);
    const MsiexecRun upgrade = Install(upgrade_, context);
    ASSERT_EQ(upgrade.exitCode, ERROR_SUCCESS) << upgrade.log;
    expect_layout(MIRVOT_CHANGED_EXE);

    const MsiexecRun uninstall = RunMsiexec(L"/x " + upgradeProductCode_, temp_.Join(L"x.log"));
    ASSERT_EQ(uninstall.exitCode, ERROR_SUCCESS) << uninstall.log;
    EXPECT_FALSE(PathExists(folder));
    ExpectRemovedKeepingProfile(upgradeProductCode_);
  }
}

struct RunningCase {
  const char* what;
  bool upgrade;  // else a repair
  Ui ui;
  int answer;
  const wchar_t* properties;
  DWORD exitCode;
  bool asked;
  bool closed;
};

// Whether the setup asks before it closes a running Mirvot, by user interface; each case leaves
// the installation as the next one expects it.
TEST_F(PackageTest, RunningProgramIsClosedAfterAskingWhereSomeoneCanAnswer) {
  const RunningCase cases[] = {
      {"full interface, Cancel", true, Ui::Full, IDCANCEL, L"", ERROR_INSTALL_USEREXIT, true,
       false},
      {"left to Windows Installer", false, Ui::None, IDOK, L"MIRVOT_CLOSE_RUNNING=0", ERROR_SUCCESS,
       false, false},
      {"basic interface", false, Ui::Basic, IDOK, L"", ERROR_SUCCESS, false, true},
      {"full interface, OK", true, Ui::Full, IDOK, L"", ERROR_SUCCESS, true, true},
  };
  RegisterTestRuntime();
  ASSERT_EQ(Install(package_).exitCode, ERROR_SUCCESS);
  for (const RunningCase& c : cases) {
    SCOPED_TRACE(c.what);
    InstalledProgram program(UserExe());
    ASSERT_NE(program.WaitForMainWindow(), nullptr);
    const MsiexecRun run = c.upgrade ? Install(upgrade_, c.properties, c.ui, c.answer)
                                     : Repair(productCode_, c.properties, c.ui);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.log;
    if (c.asked) {
      EXPECT_THAT(run.messages, ElementsAre(HasSubstr(L"Mirvot is open.")));
    } else {
      EXPECT_THAT(run.messages, IsEmpty());
    }
    EXPECT_EQ(program.WaitForExit(0).has_value(), c.closed);
    EXPECT_THAT(RelatedProducts(upgradeCode_),
                ElementsAre(c.upgrade && c.closed ? upgradeProductCode_ : productCode_));
  }
  EXPECT_TRUE(SameBytes(UserExe(), MIRVOT_CHANGED_EXE));
}

}  // namespace
}  // namespace mirvot::test
