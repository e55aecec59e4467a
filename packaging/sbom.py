#!/usr/bin/env python3
"""Writes the software bill of materials of a Mirvot package: CycloneDX 1.5, JSON.

It names the package and the Mirvot.exe inside it with their SHA-256, and each component linked
into Mirvot.exe with the exact version of the Debian package that supplied it, its licence as an
SPDX expression and its supplier. The components are found through the files the compiler links
(asking the compiler where they are and dpkg which package installed them), so the versions are
those of the toolchain that built the program. The same package gives the same bytes: there is
no time but the package's own fixed one, and the serial number derives from the package's hash.

Licences of the MinGW-w64 parts come from the Debian copyright file of the package, converted to
SPDX identifiers (LicenseRef-<name> where SPDX has none; their texts are in
THIRD-PARTY-NOTICES.txt); a licence name not known here is an error, never a silent guess.

Usage: sbom.py --package Mirvot-1.0.0-x64.msi --version 1.0.0 --compiler <g++> --output x.json
"""

import argparse
import hashlib
import json
import pathlib
import subprocess
import sys
import tempfile
import urllib.parse
import uuid

import build_msi
import third_party_notices

DOC_ROOT = pathlib.Path("/usr/share/doc")
STB_HEADER = pathlib.Path("/usr/include/stb/stb_image.h")
GCC_RUNTIME = "GPL-3.0-or-later WITH GCC-exception-3.1"
DEBIAN = {"name": "Debian", "url": ["https://www.debian.org/"]}
MIRVOT = {"name": "Mirvot"}
# Debian's licence short names (DEP-5) as SPDX identifiers.
SPDX_IDS = {
    "ZPL-2.1": "ZPL-2.1", "expat": "MIT", "Expat": "MIT", "ISC": "ISC",
    "BSD-3-clause": "BSD-3-Clause", "BSD-3-clause-Lockless": "BSD-3-Clause",
    "BSD-2-clause-NetBSD": "BSD-2-Clause", "Permissive-Sun": "SunPro",
    "public-domain": "LicenseRef-public-domain", "Lucent": "LicenseRef-Lucent",
    "David-Gay": "LicenseRef-David-Gay", "Keith-Marshall": "LicenseRef-Keith-Marshall",
}


class SbomError(Exception):
    pass


def run(command):
    result = subprocess.run(command, capture_output=True, text=True)
    if result.returncode != 0:
        raise SbomError(f"{' '.join(command)} failed: {result.stderr.strip()}")
    return result.stdout


def debian_package(path):
    """The installed Debian package that owns `path`: name, version, architecture, homepage."""
    owner = run(["dpkg-query", "-S", str(path.resolve())]).split(":")[0]
    fields = run(["dpkg-query", "-W", "-f", "${Version}\t${Architecture}\t${Homepage}", owner])
    version, architecture, homepage = fields.split("\t")
    return {"name": owner, "version": version, "architecture": architecture,
            "homepage": homepage}


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


# (name, a file the link takes from it, what it is, its upstream, its licence expression or how to
# read it from the copyright file of the Debian package that supplied the file)
LINKED = [
    ("libstdc++", "libstdc++.a", "GNU C++ standard library, linked statically",
     "GNU Compiler Collection", GCC_RUNTIME),
    ("libgcc", "libgcc.a", "GCC low-level runtime library and its exception support, linked "
     "statically", "GNU Compiler Collection", GCC_RUNTIME),
    ("libssp", "libssp.a", "GCC stack-protector and checked-string support, linked statically",
     "GNU Compiler Collection", GCC_RUNTIME),
    ("mingw-w64-crt", "libmingwex.a", "MinGW-w64 C runtime start-up and support code and the "
     "import libraries of the system DLLs", "MinGW-w64 project", mingw_crt),
    ("winpthreads", "libwinpthread.a", "MinGW-w64 POSIX threads library, linked statically",
     "MinGW-w64 project", third_party_notices.winpthreads),
    ("stb_image", STB_HEADER, "stb_image image decoder by Sean Barrett, compiled in",
     "Sean Barrett", lambda pattern: pattern == "*"),
]


def purl(package):
    version = urllib.parse.quote(package["version"], safe="")
    return f"pkg:deb/debian/{package['name']}@{version}?arch={package['architecture']}"


def linked_component(name, file, description, publisher, licence, compiler):
    if isinstance(file, str):
        file = pathlib.Path(run([compiler, f"-print-file-name={file}"]).strip())
    if not file.is_file():
        raise SbomError(f"{name}: {file} does not exist")
    package = debian_package(file)
    expression = licence if isinstance(licence, str) else dep5_licence(package["name"], licence)
    component = {
        "type": "library", "bom-ref": name, "supplier": DEBIAN, "publisher": publisher,
        "name": name, "version": package["version"], "description": description,
        "licenses": [{"expression": expression}], "purl": purl(package),
    }
    if package["homepage"]:
        component["externalReferences"] = [{"type": "website", "url": package["homepage"]}]
    return component


def sha256(path):
    return [{"alg": "SHA-256", "content": hashlib.sha256(path.read_bytes()).hexdigest()}]


def packaged_exe(package, scratch):
    run(["msiextract", "-C", str(scratch), str(package)])
    found = list(pathlib.Path(scratch).rglob("Mirvot.exe"))
    if len(found) != 1:
        raise SbomError(f"{package} holds {len(found)} copies of Mirvot.exe, not one")
    return found[0]


def bill(package, version, compiler):
    libraries = [linked_component(*entry, compiler) for entry in LINKED]
    with tempfile.TemporaryDirectory() as scratch:
        exe_hashes = sha256(packaged_exe(package, scratch))
    package_hashes = sha256(package)
    product = {"type": "application", "bom-ref": "mirvot-desktop", "supplier": MIRVOT,
               "name": "Mirvot Desktop", "version": version,
               "description": "Windows desktop client of the Mirvot service"}
    components = [
        {"type": "file", "bom-ref": "package", "supplier": MIRVOT, "name": package.name,
         "version": version, "description": "Windows Installer package of Mirvot Desktop",
         "hashes": package_hashes},
        {"type": "application", "bom-ref": "Mirvot.exe", "supplier": MIRVOT, "name": "Mirvot.exe",
         "version": version, "description": "the program, as installed by the package",
         "hashes": exe_hashes},
        *libraries,
    ]
    serial = uuid.uuid5(uuid.NAMESPACE_URL, "urn:sha256:" + package_hashes[0]["content"])
    return {
        "bomFormat": "CycloneDX", "specVersion": "1.5", "serialNumber": f"urn:uuid:{serial}",
        "version": 1,
        "metadata": {"timestamp": build_msi.PACKAGE_TIME.replace(" ", "T") + "Z",
                     "supplier": MIRVOT, "component": product},
        "components": components,
        "dependencies": [
            {"ref": "mirvot-desktop", "dependsOn": ["package"]},
            {"ref": "package", "dependsOn": ["Mirvot.exe"]},
            {"ref": "Mirvot.exe", "dependsOn": [c["bom-ref"] for c in libraries]},
            *({"ref": c["bom-ref"], "dependsOn": []} for c in libraries),
        ],
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--package", type=pathlib.Path, required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--compiler", required=True)
    parser.add_argument("--output", type=pathlib.Path, required=True)
    args = parser.parse_args()
    try:
        text = json.dumps(bill(args.package, args.version, args.compiler), indent=2) + "\n"
    except (SbomError, third_party_notices.NoticeError) as error:
        print(f"sbom.py: {error}", file=sys.stderr)
        return 1
    temporary = args.output.with_name(args.output.name + ".tmp")
    temporary.write_text(text, encoding="utf-8")
    temporary.replace(args.output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
