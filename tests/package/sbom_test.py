#!/usr/bin/env python3
"""The software bill of materials of the release package: two runs give the same bytes; it is
valid CycloneDX 1.5 by the published schema (checked with the CycloneDX project's own library,
which also refuses a broken copy) with SPDX licence expressions; its hashes are those of the
package and of the Mirvot.exe inside it; and every Debian package that supplied a file to the
link of Mirvot.exe (linked again here with the linker's trace) is named with its installed
version, as is stb_image, which is compiled in.

Usage: sbom_test.py <source dir> <package> <version> <compiler> <node_modules> <build dir>
                    <Mirvot.exe> <scratch>
"""

import hashlib
import json
import os
import pathlib
import shutil
import subprocess
import sys


def fail(text):
    print(f"FAIL: {text}")
    sys.exit(1)


def run(command, **options):
    return subprocess.run(command, check=True, capture_output=True, text=True, **options).stdout


def linked_packages(build, exe, scratch):
    """The Debian packages of the files the linker takes for Mirvot.exe."""
    target = os.path.relpath(exe, build)
    link = next(c for c in run(["ninja", "-C", build, "-t", "commands", target]).splitlines()
                if f" -o {target} " in c)
    traced = link.replace(f" -o {target} ", f" -o {scratch / 'traced.exe'} -Wl,--trace ")
    files = {str(pathlib.Path(line.split("(")[0]).resolve())
             for line in run(["bash", "-c", traced], cwd=build).splitlines()
             if line.startswith("/usr/")}
    return {line.split(":")[0] for line in run(["dpkg-query", "-S", *files]).splitlines()}


def main():
    source, package, version, compiler, node_modules, build, exe, scratch = sys.argv[1:9]
    scratch = pathlib.Path(scratch)
    shutil.rmtree(scratch, ignore_errors=True)
    scratch.mkdir(parents=True)
    boms = [scratch / "first.cdx.json", scratch / "second.cdx.json"]
    runs = [subprocess.Popen([sys.executable, f"{source}/packaging/sbom.py", "--package", package,
                              "--version", version, "--compiler", compiler, "--output", bom])
            for bom in boms]
    if any(r.wait() != 0 for r in runs):
        fail("sbom.py failed")
    if boms[0].read_bytes() != boms[1].read_bytes():
        fail("two runs wrote different bills of materials")
    bom = json.loads(boms[0].read_text())

    broken = dict(bom, specVersion="1.5", components=[dict(bom["components"][0], type="box")])
    (scratch / "broken.cdx.json").write_text(json.dumps(broken))
    result = subprocess.run(["node", f"{source}/tools/sbom_validator/validate_sbom.cjs", boms[0],
                             scratch / "broken.cdx.json"], capture_output=True, text=True,
                            env=dict(os.environ, NODE_PATH=node_modules))
    verdicts = result.stdout.splitlines()
    if len(verdicts) != 2 or not verdicts[0].startswith("valid ") \
            or not verdicts[1].startswith("invalid "):
        fail(f"validation: {result.stdout}{result.stderr}")

    components = {c["name"]: c for c in bom["components"]}
    extracted = scratch / "extracted"
    run(["msiextract", "-C", str(extracted), package])
    for name, path in ((pathlib.Path(package).name, pathlib.Path(package)),
                       ("Mirvot.exe", next(extracted.rglob("Mirvot.exe")))):
        digest = hashlib.sha256(path.read_bytes()).hexdigest()
        if components.get(name, {}).get("hashes") != [{"alg": "SHA-256", "content": digest}]:
            fail(f"{name}: the SHA-256 is not {digest}")

    linked = [c for c in bom["components"] if "purl" in c]
    named = {c["purl"].split("/")[2].split("@")[0]: c["version"] for c in linked}
    for debian in linked_packages(build, exe, scratch) | {"libstb-dev"}:
        installed = run(["dpkg-query", "-W", "-f", "${Version}", debian])
        if named.get(debian) != installed:
            fail(f"{debian} {installed}, which supplied part of Mirvot.exe, is not named")

    print(f"ok: {len(bom['components'])} components, valid and reproducible")
    shutil.rmtree(scratch)


if __name__ == "__main__":
    main()
