#!/usr/bin/env python3
"""The validation rules of packaging/ice_check.py hold for every package the build makes, and
each of them can fail: every fault below, written into a copy of the release package with
msibuild, is caught by its rule.

Usage: ice_rules_test.py <packaging dir> <scratch> <package.msi>...   (the first is mutated)
"""

import concurrent.futures
import pathlib
import shutil
import subprocess
import sys

sys.path.insert(0, sys.argv[1])
import ice_check  # noqa: E402


def key_path(p, component):
    return p.by_key("Component")[component]["KeyPath"]


# (rule that must catch it, the fault, the SQL that writes it given the package's tables)
FAULTS = [
    ("ICE02", "a key path of another component",
     lambda p: [f"UPDATE `Component` SET `KeyPath` = '{key_path(p, 'StartMenuShortcut')}' "
                "WHERE `Component` = 'DesktopShortcut'"]),
    ("ICE03", "a long file name without its short name",
     lambda p: ["UPDATE `File` SET `FileName` = 'THIRD-PARTY-NOTICES.txt' "
                "WHERE `File` = 'ThirdPartyNoticesTxt'"]),
    ("ICE03", "HKMU written as 4, as wixl writes it",
     lambda p: ["UPDATE `Registry` SET `Root` = 4 WHERE `Root` = -1"]),
    ("ICE03", "a component GUID in lower case",
     lambda p: ["UPDATE `Component` SET `ComponentId` = '{0a1b2c3d-0000-4000-8000-000000000000}' "
                "WHERE `Component` = 'DesktopShortcut'"]),
    ("ICE03", "a shortcut in a folder that does not exist",
     lambda p: ["UPDATE `Shortcut` SET `Directory_` = 'NoSuchFolder' "
                "WHERE `Shortcut` = 'DesktopShortcut'"]),
    ("ICE08", "two components with one GUID",
     lambda p: [f"UPDATE `Component` SET `ComponentId` = "
                f"'{p.by_key('Component')['MirvotProgram']['ComponentId']}' "
                "WHERE `Component` = 'DesktopShortcut'"]),
    ("ICE12", "the per-user folder set after CostFinalize",
     lambda p: ["UPDATE `InstallExecuteSequence` SET `Sequence` = 1002 "
                "WHERE `Action` = 'DefaultUserFolder'"]),
    ("ICE18", "a folder key path without its CreateFolder row",
     lambda p: ["UPDATE `Component` SET `KeyPath` = '' WHERE `Component` = 'DesktopShortcut'"]),
    ("ICE21", "a component in no feature",
     lambda p: ["DELETE FROM `FeatureComponents` WHERE `Component_` = 'DesktopShortcut'"]),
    ("ICE24", "a product version out of range",
     lambda p: ["UPDATE `Property` SET `Value` = '1.256.0' WHERE `Property` = 'ProductVersion'"]),
    ("ICE38", "a file key path in the user's profile",
     lambda p: ["UPDATE `Component` SET `Directory_` = 'UserProgramsFolder', `Attributes` = 256, "
                "`KeyPath` = 'MirvotExe' WHERE `Component` = 'MirvotProgram'"]),
    ("ICE43", "the shortcut in a file-keyed component",
     lambda p: ["UPDATE `Component` SET `Attributes` = 256, `KeyPath` = 'MirvotExe' "
                "WHERE `Component` = 'MirvotProgram'",
                "UPDATE `Shortcut` SET `Component_` = 'MirvotProgram' "
                "WHERE `Shortcut` = 'StartMenuShortcut'"]),
    ("ICE57", "a shortcut's component keyed by an HKMU value",
     lambda p: [f"UPDATE `Registry` SET `Root` = -1 "
                f"WHERE `Registry` = '{key_path(p, 'StartMenuShortcut')}'"]),
    ("ICE61", "an upgrade property that a managed installation would drop",
     lambda p: ["UPDATE `Property` SET `Value` = 'WIX_UPGRADE_DETECTED' "
                "WHERE `Property` = 'SecureCustomProperties'"]),
    ("ICE63", "RemoveExistingProducts after actions that write the script",
     lambda p: ["UPDATE `InstallExecuteSequence` SET `Sequence` = 3600 "
                "WHERE `Action` = 'RemoveExistingProducts'"]),
    ("ICE64", "no RemoveFolder for the user's programs folder",
     lambda p: ["DELETE FROM `RemoveFile` WHERE `DirProperty` = 'UserProgramsFolder'"]),
    ("ICE69", "a shortcut naming the file of another component",
     lambda p: ["UPDATE `Shortcut` SET `Target` = '[#MirvotExe]' "
                "WHERE `Shortcut` = 'StartMenuShortcut'"]),
    ("ICE80", "a 64-bit component in the 32-bit program files folder",
     lambda p: ["INSERT INTO `Directory` (`Directory`, `Directory_Parent`, `DefaultDir`) "
                "VALUES ('ProgramFilesFolder', 'TARGETDIR', '.')",
                "UPDATE `Directory` SET `Directory_Parent` = 'ProgramFilesFolder' "
                "WHERE `Directory` = 'INSTALLDIR'"]),
    ("ICE82", "two actions at one sequence number",
     lambda p: ["UPDATE `InstallExecuteSequence` SET `Sequence` = 982 "
                "WHERE `Action` = 'UseKeptUserFolder'"]),
    ("ICE90", "a shortcut in an all-capitals folder of the profile",
     lambda p: ["INSERT INTO `Directory` (`Directory`, `Directory_Parent`, `DefaultDir`) "
                "VALUES ('MIRVOTMENU', 'ProgramMenuFolder', 'Mirvot')",
                "UPDATE `Shortcut` SET `Directory_` = 'MIRVOTMENU' "
                "WHERE `Shortcut` = 'StartMenuShortcut'"]),
    ("ICE91", "the program under a per-user-only folder",
     lambda p: ["UPDATE `Directory` SET `Directory_Parent` = 'LocalAppDataFolder' "
                "WHERE `Directory` = 'INSTALLDIR'"]),
    ("ICE99", "a folder named like an installer property",
     lambda p: ["INSERT INTO `Directory` (`Directory`, `Directory_Parent`, `DefaultDir`) "
                "VALUES ('ALLUSERS', 'TARGETDIR', '.')"]),
    ("ICE104", "a lock on a folder without its CreateFolder row",
     lambda p: ["DELETE FROM `CreateFolder` WHERE `Directory_` = 'InstallFolderForAllUsers'"]),
    ("ICE104", "a lock on a table that holds nothing lockable",
     lambda p: ["UPDATE `MsiLockPermissionsEx` SET `Table` = 'Directory'"]),
    ("ICE104", "an unfinished security descriptor",
     lambda p: ["UPDATE `MsiLockPermissionsEx` SET `SDDLText` = 'D:PAI(A;OICI;FA;;;SY)(A;OICI;FA'"]),
    ("ICE104", "a right that SDDL does not know",
     lambda p: ["UPDATE `MsiLockPermissionsEx` SET `SDDLText` = 'D:P(A;OICI;FZ;;;BU)'"]),
    ("ICE104", "the older LockPermissions table beside it",
     lambda p: ["CREATE TABLE `LockPermissions` (`LockObject` CHAR(72) NOT NULL, "
                "`Table` CHAR(32) NOT NULL, `Domain` CHAR(255), `User` CHAR(255) NOT NULL, "
                "`Permission` LONG PRIMARY KEY `LockObject`, `Table`, `Domain`, `User`)",
                "INSERT INTO `LockPermissions` (`LockObject`, `Table`, `User`, `Permission`) "
                "VALUES ('INSTALLDIR', 'CreateFolder', 'Everyone', 1179817)"]),
    ("ICE105", "a value written under HKLM",
     lambda p: ["UPDATE `Registry` SET `Root` = 2 WHERE `Root` = -1"]),
]


def caught(number, package, tables, scratch):
    ice, fault, statements = FAULTS[number]
    copy = scratch / f"fault{number}.msi"
    shutil.copyfile(package, copy)
    queries = [arg for sql in statements(tables) for arg in ("-q", sql)]
    subprocess.run(["msibuild", str(copy), *queries], check=True, capture_output=True)
    findings = ice_check.check(copy)
    return (ice, fault, any(f.startswith(ice + " ") for f in findings), findings)


def main():
    scratch = pathlib.Path(sys.argv[2])
    packages = sys.argv[3:]
    shutil.rmtree(scratch, ignore_errors=True)
    scratch.mkdir(parents=True)
    failed = False
    for package in packages:
        for finding in ice_check.check(package):
            print(f"FAIL: {package}: {finding}")
            failed = True
    tables = ice_check.Package(packages[0])
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        results = pool.map(lambda n: caught(n, packages[0], tables, scratch), range(len(FAULTS)))
        for ice, fault, found, findings in results:
            if not found:
                print(f"FAIL: {ice} did not catch {fault}; findings: {findings}")
                failed = True
    if failed:
        return 1
    print(f"ok: {len(packages)} packages pass {len(ice_check.RULES)} rules; "
          f"{len(FAULTS)} faults caught by their rules")
    shutil.rmtree(scratch)
    return 0


if __name__ == "__main__":
    sys.exit(main())
