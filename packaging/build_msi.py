#!/usr/bin/env python3
"""Builds Mirvot's Windows Installer package from packaging/mirvot.wxs with wixl.

The same inputs always give the same bytes, on any machine with the same tools:
  * the inputs are staged under fixed names with a fixed modification time and mode (the cabinet
    inside the package records both);
  * wixl runs with its clock stopped at PACKAGE_TIME (it writes the time as the package's
    creation and save time) in the UTC time zone;
  * the product code is derived from the upgrade code, the version and the architecture (one
    product per version and architecture), and the package code from the package's content: the
    package is built with an all-zero package code, its SHA-256 becomes the package code, so any
    change of content changes it.
What wixl cannot write is written into the tables afterwards (TABLE_EDITS), and the result must
pass the validation rules of ice_check.py: a package that does not is an error, never an output.

Usage: build_msi.py --exe Mirvot.exe --notices THIRD-PARTY-NOTICES.txt
                    --setup-actions MirvotSetupActions.dll --version 1.0.0
                    --login-url https://host/login --output x.msi
                    [--icon mirvot.ico] [--wxs mirvot.wxs]
"""

import argparse
import calendar
import hashlib
import os
import pathlib
import re
import shutil
import subprocess
import sys
import time
import urllib.parse
import uuid

import ice_check

PACKAGING = pathlib.Path(__file__).resolve().parent
PACKAGE_TIME = "2026-01-01 00:00:00"  # UTC
PACKAGE_EPOCH = calendar.timegm(time.strptime(PACKAGE_TIME, "%Y-%m-%d %H:%M:%S"))
ZERO_CODE = "{00000000-0000-0000-0000-000000000000}"
ARCHITECTURE = "x64"

# Public properties that may come from the command line or the user interface. Windows Installer
# passes only these on to a managed or elevated installation; the others would be dropped there.
SECURE_PROPERTIES = [
    "WIX_DOWNGRADE_DETECTED", "WIX_UPGRADE_DETECTED", "INSTALLDIR", "MIRVOT_SKIP_RUNTIME_CHECK",
    "MIRVOT_ALLOW_PER_USER", "MIRVOT_START_MENU_SHORTCUT", "MIRVOT_DESKTOP_SHORTCUT",
    "MIRVOT_CLOSE_RUNNING", "MIRVOT_USER_INSTALLDIR", "MIRVOT_USER_START_MENU",
    "MIRVOT_USER_DESKTOP", "MIRVOT_MACHINE_INSTALLDIR", "MIRVOT_MACHINE_START_MENU",
    "MIRVOT_MACHINE_DESKTOP",
]

# The program folder of an installation for all users gets the permissions of Program Files:
# SYSTEM and Administrators full control, Users read and execute, passed on to everything in the
# folder, and nothing inherited from above (P). A folder of the administrator's choosing
# (INSTALLDIR=D:\Apps\Mirvot) may sit under one that every user can write, and any user could
# then replace the Mirvot.exe that everyone starts. A per-user installation changes nothing: its
# folder is in the user's own profile.
INSTALL_FOLDER_SDDL = "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FRFX;;;BU)"

# Rows wixl 0.101 cannot write: it rejects Component/Condition, it writes Root="HKMU" as 4
# instead of -1 (HKCU for one user, HKLM for all users), a root Windows Installer does not know,
# and it knows no MsiLockPermissionsEx table (Windows Installer 5.0; its columns as the
# installer's reference gives them).
TABLE_EDITS = [
    "CREATE TABLE `MsiLockPermissionsEx` (`MsiLockPermissionsEx` CHAR(72) NOT NULL, "
    "`LockObject` CHAR(72) NOT NULL, `Table` CHAR(32) NOT NULL, "
    "`SDDLText` LONGCHAR NOT NULL LOCALIZABLE, `Condition` CHAR(255) "
    "PRIMARY KEY `MsiLockPermissionsEx`)",
    "INSERT INTO `MsiLockPermissionsEx` (`MsiLockPermissionsEx`, `LockObject`, `Table`, "
    "`SDDLText`, `Condition`) VALUES ('LockInstallFolder', 'InstallFolderForAllUsers', "
    f"'CreateFolder', '{INSTALL_FOLDER_SDDL}', 'ALLUSERS')",
    "UPDATE `Registry` SET `Root` = -1 WHERE `Root` = 4",
    "UPDATE `Component` SET `Condition` = 'MIRVOT_START_MENU_SHORTCUT = \"1\"' "
    "WHERE `Component` = 'StartMenuShortcut'",
    "UPDATE `Component` SET `Condition` = 'MIRVOT_DESKTOP_SHORTCUT = \"1\"' "
    "WHERE `Component` = 'DesktopShortcut'",
    # An all-users installation has nothing in the administrator's own programs folder.
    "UPDATE `Component` SET `Condition` = 'NOT ALLUSERS' WHERE `Component` = 'UserProgramsFolderRemoval'",
    "UPDATE `Component` SET `Condition` = 'ALLUSERS' WHERE `Component` = 'LockedInstallFolder'",
    "UPDATE `Property` SET `Value` = '" + ";".join(SECURE_PROPERTIES) + "' "
    "WHERE `Property` = 'SecureCustomProperties'",
]


class BuildError(Exception):
    pass


def parse_version(text):
    """major.minor.build with Windows Installer's limits (255, 255, 65535). Windows Installer
    compares only these three fields between products, so a fourth could not order two
    packages. No leading zeros: 1.0.0 and 01.0.0 would be one version under two product codes."""
    match = re.fullmatch(r"(0|[1-9]\d{0,2})\.(0|[1-9]\d{0,2})\.(0|[1-9]\d{0,4})", text)
    if not match:
        raise BuildError(f"package version {text!r} is not major.minor.build")
    major, minor, build = (int(part) for part in match.groups())
    if major > 255 or minor > 255 or build > 65535:
        raise BuildError(f"package version {text!r} is out of range (255.255.65535 at most)")
    return text


def run(command, cwd=None):
    # UTC: the tools read and write the package's times in the local time zone.
    env = dict(os.environ, TZ="UTC", LC_ALL="C")
    result = subprocess.run(command, cwd=cwd, env=env, capture_output=True, text=True)
    # wixl reports many problems (an unknown attribute, a row it could not add) only as GLib
    # messages and still writes a package; every such message is an error here.
    noise = [line for line in result.stderr.splitlines() if line.strip()]
    if result.returncode != 0 or noise:
        raise BuildError(f"{' '.join(command)} failed:\n{result.stdout}{result.stderr}")
    return result.stdout


def summary_field(package, name):
    for line in run(["msiinfo", "suminfo", str(package)]).splitlines():
        if line.startswith(name + ": "):
            return line[len(name) + 2:]
    raise BuildError(f"{package} has no summary field {name}")


def set_package_code(package, code):
    # msibuild -s rewrites subject, author and template as well: they are given back unchanged.
    subject = summary_field(package, "Subject")
    author = summary_field(package, "Author")
    template = summary_field(package, "Template")
    run(["msibuild", str(package), "-s", subject, author, template, code])


def content_code(package):
    digest = hashlib.sha256(package.read_bytes()).digest()
    # The first 16 bytes of the hash, marked as a name-based UUID (RFC 4122, version 5 layout).
    return "{" + str(uuid.UUID(bytes=digest[:16], version=5)).upper() + "}"


def upgrade_code(wxs):
    match = re.search(r'UpgradeCode="([0-9A-Fa-f-]{36})"', wxs.read_text(encoding="utf-8"))
    if not match:
        raise BuildError(f"{wxs} has no UpgradeCode")
    return uuid.UUID(match.group(1))


def site_of(login_url):
    """The service's site, https://<host>/, for the uninstall entry's links."""
    parts = urllib.parse.urlsplit(login_url)
    if parts.scheme != "https" or not parts.hostname or parts.path != "/login":
        raise BuildError(f"login URL {login_url!r} is not https://<host>/login")
    return f"https://{parts.netloc}/"


def stage(inputs, folder):
    if folder.exists():
        shutil.rmtree(folder)
    folder.mkdir(parents=True)
    for name, source in inputs.items():
        target = folder / name
        try:
            shutil.copyfile(source, target)
        except OSError as error:
            raise BuildError(f"cannot stage {source}: {error.strerror}") from error
        target.chmod(0o644)
        os.utime(target, (PACKAGE_EPOCH, PACKAGE_EPOCH))


def build(args):
    version = parse_version(args.version)
    wxs = args.wxs.resolve()
    product_code = uuid.uuid5(upgrade_code(wxs), f"Mirvot {version} {ARCHITECTURE}")
    site = site_of(args.login_url)
    output = args.output.resolve()
    work = output.with_name(output.name + ".work")
    staged = work / "stage"
    stage({
        "Mirvot.exe": args.exe,
        "THIRD-PARTY-NOTICES.txt": args.notices,
        "MirvotSetupActions.dll": args.setup_actions,
        "mirvot.ico": args.icon,
    }, staged)

    package = work / "package.msi"
    run(["faketime", "-f", PACKAGE_TIME,
         "wixl", "--arch", ARCHITECTURE,
         "--define", f"Version={version}",
         "--define", f"ProductCode={{{str(product_code).upper()}}}",
         "--define", f"Site={site}",
         "--output", str(package), str(wxs)], cwd=staged)

    for edit in TABLE_EDITS:
        run(["msibuild", str(package), "-q", edit])
    properties = run(["msiinfo", "export", str(package), "Property"])
    if f"SecureCustomProperties\t{';'.join(SECURE_PROPERTIES)}" not in properties:
        raise BuildError(f"{package}: SecureCustomProperties was not set")
    findings = ice_check.check(package)
    if findings:
        raise BuildError(f"{package} breaks the validation rules:\n" + "\n".join(findings))

    set_package_code(package, ZERO_CODE)
    code = content_code(package)
    set_package_code(package, code)
    if summary_field(package, "Revision number (UUID)") != code:
        raise BuildError(f"{package}: the package code did not take")
    if summary_field(package, "Created") != "Thu Jan  1 00:00:00 2026":
        raise BuildError(f"{package}: creation time is not the fixed package time")

    output.parent.mkdir(parents=True, exist_ok=True)
    package.replace(output)
    shutil.rmtree(work)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", type=pathlib.Path, required=True)
    parser.add_argument("--notices", type=pathlib.Path, required=True)
    parser.add_argument("--setup-actions", type=pathlib.Path, required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--login-url", required=True)
    parser.add_argument("--output", type=pathlib.Path, required=True)
    parser.add_argument("--icon", type=pathlib.Path,
                        default=PACKAGING.parent / "assets" / "mirvot.ico")
    parser.add_argument("--wxs", type=pathlib.Path, default=PACKAGING / "mirvot.wxs")
    args = parser.parse_args()
    try:
        build(args)
    except BuildError as error:
        print(f"build_msi.py: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
