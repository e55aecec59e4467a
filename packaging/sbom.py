#!/usr/bin/env python3
"""Writes the software bill of materials of a Mirvot package: CycloneDX 1.5, JSON.

It names the package, the Mirvot.exe and the setup's custom action DLL inside it with their
SHA-256, each component linked or compiled into either of them with the exact version of the
Debian package that supplied it, its licence as an SPDX expression and its supplier, the compiler
that built them, and the Microsoft Edge WebView2 Runtime, which Mirvot.exe needs and the package
does not carry. What is linked comes from the build itself (linked_inputs.py: the link run again
with the linker's report, the compiler's dependency records), so the list is that of the
toolchain that built the programs; a linked file or a header this script cannot name is an error,
never a silent omission. The same package gives the same bytes: there is no time but the
package's own fixed one, and the serial number derives from the package's hash.

Licences of the MinGW-w64 parts come from the Debian copyright file of the package, converted to
SPDX identifiers (LicenseRef-<name> where SPDX has none; their texts are in
THIRD-PARTY-NOTICES.txt); a licence name not known here is an error, never a silent guess.

Usage: sbom.py --package Mirvot-1.0.0-x64.msi --version 1.0.0 --build-dir build/win
               --exe build/win/src/shell/Mirvot.exe
               --setup-actions build/win/packaging/MirvotSetupActions.dll --output x.json
"""

import argparse
import hashlib
import json
import pathlib
import re
import subprocess
import sys
import tempfile
import urllib.parse
import uuid

import build_msi
import linked_inputs
import third_party_notices

DOC_ROOT = pathlib.Path("/usr/share/doc")
GCC_RUNTIME = "GPL-3.0-or-later WITH GCC-exception-3.1"
DEBIAN = {"name": "Debian", "url": ["https://www.debian.org/"]}
MIRVOT = {"name": "Mirvot"}
MICROSOFT = {"name": "Microsoft Corporation", "url": ["https://www.microsoft.com/"]}
# Debian's licence short names (DEP-5) as SPDX identifiers.
SPDX_IDS = {
    "ZPL-2.1": "ZPL-2.1", "expat": "MIT", "Expat": "MIT", "ISC": "ISC",
    "BSD-3-clause": "BSD-3-Clause", "BSD-3-clause-Lockless": "BSD-3-Clause",
    "BSD-2-clause-NetBSD": "BSD-2-Clause", "Permissive-Sun": "SunPro",
    "public-domain": "LicenseRef-public-domain", "Lucent": "LicenseRef-Lucent",
    "David-Gay": "LicenseRef-David-Gay", "Keith-Marshall": "LicenseRef-Keith-Marshall",
}
RUNTIME_DOWNLOAD = "https://developer.microsoft.com/microsoft-edge/webview2/"


class SbomError(Exception):
    pass


def run(command):
    result = subprocess.run(command, capture_output=True, text=True)
    if result.returncode != 0:
        raise SbomError(f"{' '.join(command)} failed: {result.stderr.strip()}")
    return result.stdout


def debian_packages(paths):
    """The installed Debian package that owns each path: name, version, architecture, homepage.
    One query for all paths, since each query reads dpkg's whole file list."""
    owners = {}
    for line in run(["dpkg-query", "-S", *sorted(set(paths))]).splitlines():
        names, _, path = line.partition(": ")
        owners[path] = names.split(",")[0].split(":")[0].strip()
    missing = set(paths) - set(owners)
    if missing:
        raise SbomError(f"no Debian package owns {sorted(missing)}")
    details = {}
    for owner in set(owners.values()):
        fields = run(["dpkg-query", "-W", "-f", "${Version}\t${Architecture}\t${Homepage}", owner])
        version, architecture, homepage = fields.split("\t")
        details[owner] = {"name": owner, "version": version, "architecture": architecture,
                          "homepage": homepage}
    return {path: details[owner] for path, owner in owners.items()}


def dep5_licence(package, wanted):
    """The SPDX expression for the paragraphs of the package's copyright file that `wanted`
    selects: each paragraph's licence, all of them together (AND), each once."""
    copyright_file = DOC_ROOT / package / "copyright"
    paragraphs = third_party_notices.stanzas(third_party_notices.read_text(copyright_file))
    terms = []
    for fields, _ in third_party_notices.files_paragraphs(paragraphs, wanted):
        for alternatives in fields["License"][0].split(" and "):
            names = [n.strip(" ,") for n in alternatives.split(" or ")]
            unknown = [n for n in names if n not in SPDX_IDS]
            if unknown:
                raise SbomError(f"{copyright_file}: no SPDX identifier known for {unknown}")
            term = " OR ".join(SPDX_IDS[n] for n in names)
            term = f"({term})" if len(names) > 1 else term
            if term not in terms:
                terms.append(term)
    if not terms:
        raise SbomError(f"{copyright_file}: no paragraph for the linked code")
    return " AND ".join(terms)


def mingw_crt(pattern):
    # The profiling start-up code (profile/) is linked only into programs built with -pg.
    return pattern == "*" or (pattern.startswith("mingw-w64-crt/")
                              and not pattern.startswith("mingw-w64-crt/profile/"))


# name: (what it is, its upstream, its licence expression or how to read it from the copyright
# file of the Debian package that supplied it)
COMPONENTS = {
    "libstdc++": ("GNU C++ standard library, linked statically", "GNU Compiler Collection",
                  GCC_RUNTIME),
    "libgcc": ("GCC low-level runtime library and its exception support, linked statically",
               "GNU Compiler Collection", GCC_RUNTIME),
    "libssp": ("GCC stack-protector and checked-string support, linked statically",
               "GNU Compiler Collection", GCC_RUNTIME),
    "mingw-w64-crt": ("MinGW-w64 C runtime start-up and support code and the import libraries "
                      "of the system DLLs", "MinGW-w64 project", mingw_crt),
    "winpthreads": ("MinGW-w64 POSIX threads library, linked statically", "MinGW-w64 project",
                    third_party_notices.winpthreads),
    "stb_image": ("stb_image image decoder by Sean Barrett, compiled in", "Sean Barrett",
                  lambda pattern: pattern == "*"),
}
# Which component a file the link takes belongs to: (Debian package, file name, component), the
# first match winning.
LINKED_FILES = [
    (r"g(cc|\+\+)-mingw-w64-.*", r"lib(std|sup)c\+\+\.a", "libstdc++"),
    (r"gcc-mingw-w64-.*", r"libssp(_nonshared)?\.a", "libssp"),
    (r"gcc-mingw-w64-.*", r"libgcc(_eh)?\.a|crt(begin|end)\.o", "libgcc"),
    (r"mingw-w64-.*-dev", r"lib(win)?pthread\.a", "winpthreads"),
    (r"mingw-w64-.*-dev", r".*\.(a|o)", "mingw-w64-crt"),
]
# Headers that bring code of a component (templates, a header-only library): (Debian package,
# path, component), the first match winning.
COMPILED_IN = [
    (r"g\+\+-mingw-w64-.*", r".*/include/c\+\+/.*", "libstdc++"),
    (r"libstb-dev", r".*/stb_image\.h", "stb_image"),
]
# Other headers of the toolchain itself (the compiler's own, the Windows and C runtime
# declarations), besides those of the packages that supplied the compiler and the linked files:
# what of them is code comes with the runtime libraries the link takes.
TOOLCHAIN_HEADERS = r"mingw-w64-common|gcc-mingw-w64-.*|libclang-common-\d+-dev"


def purl(package):
    version = urllib.parse.quote(package["version"], safe="")
    return f"pkg:deb/debian/{package['name']}@{version}?arch={package['architecture']}"


def described(name, package, kind="library"):
    description, publisher, licence = COMPONENTS[name]
    expression = licence if isinstance(licence, str) else dep5_licence(package["name"], licence)
    component = {
        "type": kind, "bom-ref": name, "supplier": DEBIAN, "publisher": publisher,
        "name": name, "version": package["version"], "description": description,
        "licenses": [{"expression": expression}], "purl": purl(package),
    }
    if package["homepage"]:
        component["externalReferences"] = [{"type": "website", "url": package["homepage"]}]
    return component


def build_inputs(build, program):
    """(compiler, files the link takes, headers) of `program` that come from outside the build."""
    with tempfile.TemporaryDirectory() as scratch:
        compiler, files = linked_inputs.linked_files(build, program, scratch)
    # The build's own objects and libraries, and anything made from the sources.
    own = (pathlib.Path(build).resolve(), pathlib.Path(__file__).resolve().parent.parent)
    outside = [p for p in sorted(files) if not any(pathlib.Path(p).is_relative_to(o) for o in own)]
    headers = [p for p in sorted(linked_inputs.compiled_headers(build, program))
               if not any(pathlib.Path(p).is_relative_to(o) for o in own) and p.startswith("/usr/")]
    return compiler, outside, headers


def classify(program, compiler, files, headers, packages):
    """The components linked or compiled into `program`, each with the Debian package that
    supplied it."""
    found = {}
    for path in files:
        package = packages[path]
        name = next((c for owner, file, c in LINKED_FILES
                     if re.fullmatch(owner, package["name"])
                     and re.fullmatch(file, pathlib.Path(path).name)), None)
        if name is None:
            raise SbomError(f"{program} links {path} ({package['name']}), which is no known "
                            "component")
        found.setdefault(name, []).append(package)
    toolchain = {p["name"] for supplied in found.values() for p in supplied}
    toolchain.add(packages[compiler]["name"])
    for path in headers:
        package = packages[path]
        name = next((c for owner, pattern, c in COMPILED_IN
                     if re.fullmatch(owner, package["name"]) and re.fullmatch(pattern, path)), None)
        if name is not None:
            found.setdefault(name, []).append(package)
        elif package["name"] not in toolchain and not re.fullmatch(TOOLCHAIN_HEADERS,
                                                                      package["name"]):
            raise SbomError(f"{program} is compiled with {path} ({package['name']}), which is no "
                            "known component")
    components = {}
    for name, supplied in found.items():
        if len({p["name"] for p in supplied}) != 1:
            raise SbomError(f"{name} of {program} comes from several packages: "
                            f"{sorted({p['name'] for p in supplied})}")
        components[name] = supplied[0]
    return components


def sha256(data):
    return [{"alg": "SHA-256", "content": hashlib.sha256(data).hexdigest()}]


def packaged_files(package, scratch):
    """The bytes of Mirvot.exe and of the custom action DLL as the package holds them."""
    run(["msiextract", "-C", str(scratch), str(package)])
    found = list(pathlib.Path(scratch).rglob("Mirvot.exe"))
    if len(found) != 1:
        raise SbomError(f"{package} holds {len(found)} copies of Mirvot.exe, not one")
    streams = pathlib.Path(scratch) / "streams"
    streams.mkdir()
    run(["msidump", "-s", "-d", str(streams), str(package.resolve())])
    actions = streams / "_Streams" / "Binary.SetupActions"
    if not actions.is_file():
        raise SbomError(f"{package} holds no custom action DLL (Binary.SetupActions)")
    return found[0].read_bytes(), actions.read_bytes()


def runtime_dependency():
    return {
        "type": "application", "bom-ref": "webview2-runtime", "supplier": MICROSOFT,
        "publisher": "Microsoft Corporation", "name": "Microsoft Edge WebView2 Runtime",
        "description": "the browser engine Mirvot.exe hosts; required at run time, installed "
                       "and updated on its own (the Evergreen runtime of Windows, or a fixed "
                       "version a policy names), not carried by the package",
        "scope": "required",
        "externalReferences": [{"type": "distribution", "url": RUNTIME_DOWNLOAD}],
        "properties": [{"name": "mirvot:carried-by-package", "value": "false"}],
    }


def bill(package, version, build, exe, setup_actions):
    inputs = {"Mirvot.exe": build_inputs(build, exe),
              "MirvotSetupActions.dll": build_inputs(build, setup_actions)}
    # The compiler as the build names it, and its Debian package by its real path.
    compilers = {compiler: str(pathlib.Path(compiler).resolve()) for compiler, _, _ in inputs.values()}
    packages = debian_packages([path for _, files, headers in inputs.values()
                                for path in (*files, *headers)] + list(compilers.values()))
    packages.update({compiler: packages[real] for compiler, real in compilers.items()})
    linked = {name: classify(name, *found, packages) for name, found in inputs.items()}
    compilers = {compiler: packages[compiler] for compiler in compilers}
    libraries = {}
    for components in linked.values():
        for name, supplier in components.items():
            libraries.setdefault(name, described(name, supplier))
    with tempfile.TemporaryDirectory() as scratch:
        exe_bytes, actions_bytes = packaged_files(package, scratch)
    package_hashes = sha256(package.read_bytes())
    product = {"type": "application", "bom-ref": "mirvot-desktop", "supplier": MIRVOT,
               "name": "Mirvot Desktop", "version": version,
               "description": "Windows desktop client of the Mirvot service"}
    components = [
        {"type": "file", "bom-ref": "package", "supplier": MIRVOT, "name": package.name,
         "version": version, "description": "Windows Installer package of Mirvot Desktop",
         "hashes": package_hashes},
        {"type": "application", "bom-ref": "Mirvot.exe", "supplier": MIRVOT, "name": "Mirvot.exe",
         "version": version, "description": "the program, as installed by the package",
         "hashes": sha256(exe_bytes)},
        {"type": "library", "bom-ref": "MirvotSetupActions.dll", "supplier": MIRVOT,
         "name": "MirvotSetupActions.dll", "version": version,
         "description": "the setup's custom actions, run by Windows Installer from the package "
                        "while Mirvot is installed, upgraded or removed; not installed",
         "hashes": sha256(actions_bytes)},
        *(libraries[name] for name in sorted(libraries)),
        runtime_dependency(),
    ]
    tools = [{"type": "application", "supplier": DEBIAN, "name": pathlib.Path(path).name,
              "version": supplier["version"], "description": "compiler and linker driver of "
              "Mirvot.exe and the setup's custom actions", "purl": purl(supplier)}
             for path, supplier in sorted(compilers.items())]
    serial = uuid.uuid5(uuid.NAMESPACE_URL, "urn:sha256:" + package_hashes[0]["content"])
    return {
        "bomFormat": "CycloneDX", "specVersion": "1.5", "serialNumber": f"urn:uuid:{serial}",
        "version": 1,
        "metadata": {"timestamp": build_msi.PACKAGE_TIME.replace(" ", "T") + "Z",
                     "tools": {"components": tools}, "supplier": MIRVOT, "component": product},
        "components": components,
        "dependencies": [
            {"ref": "mirvot-desktop", "dependsOn": ["package"]},
            {"ref": "package", "dependsOn": ["Mirvot.exe", "MirvotSetupActions.dll"]},
            {"ref": "Mirvot.exe", "dependsOn": [*sorted(linked["Mirvot.exe"]), "webview2-runtime"]},
            {"ref": "MirvotSetupActions.dll",
             "dependsOn": sorted(linked["MirvotSetupActions.dll"])},
            *({"ref": name, "dependsOn": []} for name in sorted(libraries)),
            {"ref": "webview2-runtime", "dependsOn": []},
        ],
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--package", type=pathlib.Path, required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--build-dir", type=pathlib.Path, required=True)
    parser.add_argument("--exe", type=pathlib.Path, required=True)
    parser.add_argument("--setup-actions", type=pathlib.Path, required=True)
    parser.add_argument("--output", type=pathlib.Path, required=True)
    args = parser.parse_args()
    try:
        text = json.dumps(bill(args.package, args.version, args.build_dir, args.exe,
                               args.setup_actions), indent=2) + "\n"
    except (SbomError, linked_inputs.LinkError, third_party_notices.NoticeError) as error:
        print(f"sbom.py: {error}", file=sys.stderr)
        return 1
    temporary = args.output.with_name(args.output.name + ".tmp")
    temporary.write_text(text, encoding="utf-8")
    temporary.replace(args.output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
