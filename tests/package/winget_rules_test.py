#!/usr/bin/env python3
"""The winget manifests of the release package: two runs give the same bytes, they pass every
rule of packaging/winget_check.py against the package, and each rule can fail: every fault below,
written into a copy of the manifests, is caught by its rule.

Usage: winget_rules_test.py <packaging dir> <package.msi> <scratch>
"""

import datetime
import pathlib
import re
import shutil
import subprocess
import sys

sys.path.insert(0, sys.argv[1])
import winget_check  # noqa: E402

VERSION, LOCALE, INSTALLER = "Mirvot.MirvotDesktop.yaml", "Mirvot.MirvotDesktop.locale.en-US.yaml", \
    "Mirvot.MirvotDesktop.installer.yaml"
CRLF = "\r\n"
TODAY = f"ReleaseDate: '{datetime.date.today().isoformat()}'"


def replace(name, old, new):
    def write(files, folder):
        text = files[name].decode("utf-8")
        if old not in text:
            raise AssertionError(f"{name} has no {old!r} to replace")
        files[name] = text.replace(old, new, 1).encode("utf-8")
        return folder
    return write


def substitute(name, pattern, replacement):
    """For values whose quoting depends on their text (a hash quoted only when it starts with a
    digit): the first match of `pattern` replaced."""
    def write(files, folder):
        text, count = re.subn(pattern, replacement, files[name].decode("utf-8"), count=1)
        if count != 1:
            raise AssertionError(f"{name} has no {pattern!r} to replace")
        files[name] = text.encode("utf-8")
        return folder
    return write


def renamed_folder(files, folder):
    return folder.parent / "1.0"


def with_bom(files, folder):
    files[VERSION] = b"\xef\xbb\xbf" + files[VERSION]
    return folder


def stray_file(files, folder):
    files["Mirvot.MirvotDesktop.locale.en-GB.yaml"] = files[LOCALE]
    return folder


# (rule that must catch it, the fault, how to write it: write(files, folder) -> folder)
FAULTS = [
    (1, "a folder not named for the version", renamed_folder),
    (1, "a byte order mark", with_bom),
    (1, "a file of another locale beside the three", stray_file),
    (1, "mixed line ends", replace(VERSION, "DefaultLocale: en-US" + CRLF, "DefaultLocale: en-US\n")),
    (2, "a duplicate key", replace(LOCALE, "Moniker: mirvot", "Moniker: mirvot" + CRLF + "Moniker: m")),
    (2, "a flow list", replace(LOCALE, "Tags:" + CRLF + "- mirvot" + CRLF + "- webview2",
                               "Tags: [mirvot, webview2]")),
    (2, "a key no schema has", replace(LOCALE, "License:", "Homepage: x" + CRLF + "License:")),
    (2, "a tab", replace(INSTALLER, "  InstallLocation", "\tInstallLocation")),
    (3, "the header of another type", replace(INSTALLER, "winget-manifest.installer.",
                                              "winget-manifest.defaultLocale.")),
    (3, "a newer manifest version", replace(VERSION, "ManifestVersion: '1.12.0'",
                                            "ManifestVersion: '1.28.0'")),
    (4, "a hash one digit short", substitute(INSTALLER, r"(InstallerSha256: '?)[0-9A-F]", r"\1")),
    (4, "a return response winget does not know", replace(INSTALLER, "cancelledByUser",
                                                          "restartLater")),
    (4, "a return code of zero", replace(INSTALLER, "InstallerReturnCode: 1602",
                                         "InstallerReturnCode: 0")),
    (4, "a day that does not exist", replace(INSTALLER, TODAY, "ReleaseDate: '2026-02-30'")),
    (4, "an architecture winget does not know", replace(INSTALLER, "Architecture: x64",
                                                        "Architecture: amd64")),
    (5, "another version in one file", replace(LOCALE, "PackageVersion: '", "PackageVersion: '9")),
    (5, "a default locale that is not the locale file's", replace(VERSION, "DefaultLocale: en-US",
                                                                  "DefaultLocale: en-GB")),
    (6, "an entry without a scope", replace(INSTALLER, "  Scope: user" + CRLF, "")),
    (6, "the machine entry without elevation",
     replace(INSTALLER, "  ElevationRequirement: elevationRequired" + CRLF, "")),
    (6, "the user entry for all users",
     replace(INSTALLER, "  Scope: user" + CRLF, "  Scope: user" + CRLF + "  InstallerSwitches:"
             + CRLF + "    Custom: ALLUSERS=1" + CRLF)),
    (7, "the hash of another file", substitute(INSTALLER, r"(InstallerSha256: )'?[0-9A-F]{64}'?",
                                               r"\1'" + "0" * 64 + "'")),
    (7, "the URL of another version", replace(INSTALLER, "-x64.msi'", ".1-x64.msi'")),
    (8, "another product code", replace(INSTALLER, "ProductCode: '{", "ProductCode: '{0")),
    (8, "another upgrade code", replace(INSTALLER, "UpgradeCode: '{", "UpgradeCode: '{0")),
    (8, "another publisher", replace(LOCALE, "Publisher: Mirvot", "Publisher: Mirvot Inc.")),
    (9, "the location given to TARGETDIR", replace(INSTALLER, "InstallLocation: INSTALLDIR=",
                                                   "InstallLocation: TARGETDIR=")),
    (9, "a transform", replace(INSTALLER, "Custom: ALLUSERS=1", "Custom: ALLUSERS=1 TRANSFORMS=x.mst")),
    (9, "a log without its path", replace(INSTALLER, "  InstallLocation:",
                                          "  Log: /log setup.txt" + CRLF + "  InstallLocation:")),
    (9, "a URL in a switch", replace(INSTALLER, "Custom: ALLUSERS=1",
                                     "Custom: 'ALLUSERS=1 SOURCE=https://x/y'")),
    (10, "a code that succeeds and is expected", replace(
        INSTALLER, "UpgradeBehavior:", "InstallerSuccessCodes:" + CRLF + "- 3010" + CRLF
        + "UpgradeBehavior:")),
    (10, "another dependency", replace(INSTALLER, "Microsoft.EdgeWebView2Runtime",
                                       "Microsoft.VCRedist.2015+.x64")),
    (11, "no licence", replace(LOCALE, "License: Proprietary" + CRLF, "")),
    (11, "a publisher URL without TLS", replace(LOCALE, "PublisherUrl: 'https:",
                                                "PublisherUrl: 'http:")),
    (11, "a release date after the build", replace(INSTALLER, TODAY, "ReleaseDate: '2999-01-01'")),
]


def generate(packaging, package, output):
    subprocess.run([sys.executable, f"{packaging}/winget_manifests.py", "--package", package,
                    "--login-url", "https://app.mirvot.example/login", "--output", output,
                    "--release-date", datetime.date.today().isoformat()],
                   check=True, capture_output=True, text=True)
    return next(pathlib.Path(output).glob("manifests/m/Mirvot/MirvotDesktop/*"))


def caught(number, folder, package, scratch):
    rule, fault, write = FAULTS[number]
    files = {p.name: p.read_bytes() for p in folder.iterdir()}
    copy = write(files, scratch / f"fault{number}" / folder.relative_to(folder.parents[4]))
    copy.mkdir(parents=True)
    for name, data in files.items():
        (copy / name).write_bytes(data)
    findings = winget_check.check(copy, package)
    return any(f.startswith(f"{rule}: ") for f in findings), findings


def main():
    packaging, package, scratch = sys.argv[1], sys.argv[2], pathlib.Path(sys.argv[3])
    shutil.rmtree(scratch, ignore_errors=True)
    first = generate(packaging, package, scratch / "first")
    second = generate(packaging, package, scratch / "second")
    failed = False
    for path in sorted(first.iterdir()):
        if path.read_bytes() != (second / path.name).read_bytes():
            print(f"FAIL: two runs wrote different {path.name}")
            failed = True
    for finding in winget_check.check(first, package):
        print(f"FAIL: {finding}")
        failed = True
    for number, (rule, fault, _) in enumerate(FAULTS):
        found, findings = caught(number, first, package, scratch)
        if not found:
            print(f"FAIL: rule {rule} did not catch {fault}; findings: {findings}")
            failed = True
    if failed:
        return 1
    print(f"ok: the manifests pass {len(winget_check.RULES)} rules; {len(FAULTS)} faults caught "
          "by their rules")
    shutil.rmtree(scratch)
    return 0


if __name__ == "__main__":
    sys.exit(main())
