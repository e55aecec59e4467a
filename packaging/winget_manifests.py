#!/usr/bin/env python3
"""Writes the winget manifests of a Mirvot package: the version, default locale and installer
files of manifest schema 1.12.0, in the folder layout of the community repository
(<output>/manifests/m/Mirvot/MirvotDesktop/<version>/), ready to be submitted as they are.

Everything that describes the package is read from the package itself: its product and upgrade
codes, version, publisher and name from the Property table, its SHA-256 from its bytes (so the
manifests must be written from the package as published, after signing). One installer entry per
scope: for the user (the package's default, no elevation) and for the machine (ALLUSERS=1,
elevation required); winget's --location sets INSTALLDIR, the folder property every setup of the
package honours (TARGETDIR, winget's default, is ignored by this package's folder layout).

The WebView2 Runtime is declared as a dependency, without a minimum version: Mirvot cannot run
without it and its setup refuses to install without it (1603), so winget installs the runtime
first where none is found; where any version is installed winget goes straight on, and Mirvot
checks the runtime's version itself when it starts.

The files are UTF-8 without a byte order mark, with CRLF line ends as the community repository
keeps them, written by a small emitter of the YAML subset they need (block mappings and lists,
plain or single-quoted scalars); the same package gives the same bytes. Manifests that break a
rule of winget_check.py are not written.

Usage: winget_manifests.py --package Mirvot-1.0.0-x64.msi --login-url https://host/login
                           --output build/package [--download-url https://host/download]
                           [--release-date YYYY-MM-DD]
"""

import argparse
import datetime
import hashlib
import pathlib
import re
import sys
import urllib.parse

import build_msi
import winget_check

IDENTIFIER = "Mirvot.MirvotDesktop"
LOCALE = "en-US"
MANIFEST_VERSION = "1.12.0"
RUNTIME_PACKAGE = "Microsoft.EdgeWebView2Runtime"
# What Windows Installer's exit codes mean for this package. winget maps the same codes so on its
# own; they are listed so that the manifest says what the package's documentation says. 1603,
# Windows Installer's general failure, is left to winget: besides this package's refusals (no
# runtime, a per-user setup beside an installation for all users, an older version) it also
# stands for any other failure, so no one response fits it.
RETURN_CODES = [(1602, "cancelledByUser"), (1638, "alreadyInstalled"),
                (3010, "rebootRequiredToFinish")]
DEFAULT_LOCATIONS = {"user": r"%LocalAppData%\Programs\Mirvot", "machine": r"%ProgramFiles%\Mirvot"}
PLAIN = re.compile(r"[A-Za-z][A-Za-z0-9 ._/()+,;=<>\"-]*")
# Plain scalars a YAML 1.1 reader would not take as text.
KEYWORDS = {"y", "n", "yes", "no", "on", "off", "true", "false", "null"}


class ManifestError(Exception):
    pass


def scalar(value):
    if isinstance(value, int):
        return str(value)
    if (PLAIN.fullmatch(value) and value.lower() not in KEYWORDS and value == value.strip()
            and ": " not in value and " #" not in value):
        return value
    return "'" + value.replace("'", "''") + "'"


def emit(node, indent=""):
    """The lines of a mapping: nested mappings indented by two spaces, lists of mappings and of
    scalars at the key's own indentation, as the community repository writes them."""
    lines = []
    for key, value in node.items():
        if isinstance(value, dict):
            lines += [f"{indent}{key}:", *emit(value, indent + "  ")]
        elif isinstance(value, list):
            lines.append(f"{indent}{key}:")
            for item in value:
                if isinstance(item, dict):
                    first, *rest = emit(item, indent + "  ")
                    lines += [f"{indent}- {first.lstrip()}", *rest]
                else:
                    lines.append(f"{indent}- {scalar(item)}")
        else:
            lines.append(f"{indent}{key}: {scalar(value)}")
    return lines


def document(manifest_type, body):
    header = ["# Created with Mirvot's packaging/winget_manifests.py",
              f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{manifest_type}."
              f"{MANIFEST_VERSION}.schema.json", ""]
    body = dict(body, ManifestType=manifest_type, ManifestVersion=MANIFEST_VERSION)
    return ("\r\n".join(header + emit(body)) + "\r\n").encode("utf-8")


def installer_url(download_url, version, name):
    parts = urllib.parse.urlsplit(download_url)
    if (parts.scheme != "https" or not parts.hostname or parts.query or parts.fragment
            or re.search(r"\s|\\", download_url)):
        raise ManifestError(f"download URL {download_url!r} is not https://<host>/<folder>")
    url = f"{download_url.rstrip('/')}/{version}/{name}"
    if len(url) > 2048:
        raise ManifestError(f"installer URL {url!r} is longer than 2048 characters")
    return url


def manifests(package, site, download_url, release_date):
    """(the package version, {file name: bytes} of the three manifests of the package)."""
    properties = winget_check.package_properties(package)
    version = properties["ProductVersion"]
    build_msi.parse_version(version)
    product, upgrade = properties["ProductCode"], properties["UpgradeCode"]
    common = {"PackageIdentifier": IDENTIFIER, "PackageVersion": version}
    url = installer_url(download_url, version, package.name)
    digest = hashlib.sha256(package.read_bytes()).hexdigest().upper()
    installer = dict(common, InstallerType="msi",
                     InstallModes=["interactive", "silent", "silentWithProgress"],
                     InstallerSwitches={"InstallLocation": 'INSTALLDIR="<INSTALLPATH>"'},
                     UpgradeBehavior="install",
                     ExpectedReturnCodes=[{"InstallerReturnCode": code, "ReturnResponse": response}
                                          for code, response in RETURN_CODES])
    if release_date:
        installer["ReleaseDate"] = release_date
    installer.update(
        Dependencies={"PackageDependencies": [{"PackageIdentifier": RUNTIME_PACKAGE}]},
        ProductCode=product,
        AppsAndFeaturesEntries=[{"DisplayName": properties["ProductName"],
                                 "Publisher": properties["Manufacturer"],
                                 "ProductCode": product, "UpgradeCode": upgrade}],
        Installers=[
            {"Architecture": "x64", "Scope": "user", "InstallerUrl": url,
             "InstallerSha256": digest,
             "InstallationMetadata": {"DefaultInstallLocation": DEFAULT_LOCATIONS["user"]}},
            {"Architecture": "x64", "Scope": "machine", "InstallerUrl": url,
             "InstallerSha256": digest, "InstallerSwitches": {"Custom": "ALLUSERS=1"},
             "ElevationRequirement": "elevationRequired",
             "InstallationMetadata": {"DefaultInstallLocation": DEFAULT_LOCATIONS["machine"]}},
        ])
    locale = dict(common, PackageLocale=LOCALE, Publisher=properties["Manufacturer"],
                  PublisherUrl=site, PublisherSupportUrl=site,
                  PackageName=properties["ProductName"], License="Proprietary",
                  ShortDescription="Desktop client of the Mirvot service.",
                  Description="Mirvot Desktop opens the Mirvot service in a window of its own, "
                              "with the Microsoft Edge WebView2 browser view of the system. It "
                              "needs the Microsoft Edge WebView2 Runtime.",
                  Moniker="mirvot", Tags=["mirvot", "webview2"])
    return version, {
        f"{IDENTIFIER}.yaml": document("version", dict(common, DefaultLocale=LOCALE)),
        f"{IDENTIFIER}.installer.yaml": document("installer", installer),
        f"{IDENTIFIER}.locale.{LOCALE}.yaml": document("defaultLocale", locale),
    }


def folder(output, version):
    return pathlib.Path(output, "manifests", IDENTIFIER[0].lower(), *IDENTIFIER.split("."),
                        version)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--package", type=pathlib.Path, required=True)
    parser.add_argument("--login-url", required=True)
    parser.add_argument("--output", type=pathlib.Path, required=True)
    parser.add_argument("--download-url")
    parser.add_argument("--release-date")
    args = parser.parse_args()
    try:
        site = build_msi.site_of(args.login_url)
        if args.release_date:
            datetime.date.fromisoformat(args.release_date)
        version, files = manifests(args.package, site, args.download_url or site + "download",
                                   args.release_date)
    except (ManifestError, build_msi.BuildError, ValueError, KeyError) as error:
        print(f"winget_manifests.py: {error}", file=sys.stderr)
        return 1
    target = folder(args.output, version)
    target.mkdir(parents=True, exist_ok=True)
    for stale in target.glob("*.yaml"):
        stale.unlink()
    for name, data in files.items():
        (target / name).write_bytes(data)
    findings = winget_check.check(target, args.package)
    if findings:
        for name in files:
            (target / name).unlink()
        print("winget_manifests.py: the manifests break the checklist:\n" + "\n".join(findings),
              file=sys.stderr)
        return 1
    print(target)
    return 0


if __name__ == "__main__":
    sys.exit(main())
