#!/usr/bin/env python3
"""The software bill of materials of the release package: two runs give the same bytes; it is
valid CycloneDX 1.5 by the published schema (checked with the CycloneDX project's own library,
which also refuses a broken copy) with SPDX licence expressions; its hashes are those of the
package and of the Mirvot.exe and the custom action DLL inside it; every Debian package that
supplied a file to the link of either (linked again here with the linker's trace) is named with
its installed version, as is stb_image, which is compiled in; the WebView2 Runtime is a required
dependency of Mirvot.exe that the package does not carry; and a link or a header it cannot name
is refused.

Usage: sbom_test.py <source dir> <package> <version> <node_modules> <build dir> <Mirvot.exe>
                    <setup actions> <scratch>
"""

import hashlib
import json
import os
import pathlib
import re
import shutil
import subprocess
import sys


def fail(text):
    print(f"FAIL: {text}")
    sys.exit(1)


def run(command, **options):
    return subprocess.run(command, check=True, capture_output=True, text=True, **options).stdout


def linked_packages(build, program, scratch):
    """The Debian packages of the files the linker opens for `program` (GNU ld's trace, lld's
    verbose lines)."""
    target = os.path.relpath(program, build)
    link = next(c for c in run(["ninja", "-C", build, "-t", "commands", target]).splitlines()
                if f" -o {target} " in c)
    lld = "-fuse-ld=lld" in link
    traced = link.replace(f" -o {target} ", f" -o {scratch / 'traced'} "
                          + ("-Wl,--verbose " if lld else "-Wl,--trace "))
    traced = re.sub(r" -Wl,--out-implib,\S+", "", traced)
    lines = subprocess.run(["bash", "-c", traced], cwd=build, check=True, capture_output=True,
                           text=True)
    lines = (lines.stdout + lines.stderr).splitlines()
    if lld:
        lines = [line.split(": Reading ")[1] for line in lines if ": Reading /usr/" in line]
    files = {str(pathlib.Path(line.split("(")[0]).resolve())
             for line in lines if line.startswith("/usr/")}
    return {line.split(":")[0] for line in run(["dpkg-query", "-S", *files]).splitlines()}


def refusals(source):
    """Links and headers the bill of materials cannot name are refused, never left out."""
    sys.path.insert(0, f"{source}/packaging")
    import sbom  # noqa: E402

    gcc = {"name": "gcc-mingw-w64-x86-64-posix", "version": "12"}
    crt = {"name": "mingw-w64-x86-64-dev", "version": "10"}
    other_crt = {"name": "mingw-w64-i686-dev", "version": "10"}
    other = {"name": "libfoo-mingw-w64-dev", "version": "1"}
    packages = {"/usr/bin/cc": gcc, "/usr/lib/gcc/libgcc.a": gcc, "/usr/lib/gcc/libfoo.a": gcc,
                "/usr/x/lib/libfoo.a": other, "/usr/include/foo.h": other,
                "/usr/x/lib/libmingwex.a": crt,
                "/usr/include/stb/stb_image.h": {"name": "libstb-dev", "version": "0"}, "/usr/y/lib/libmingw32.a": other_crt}
    cases = [  # (what, linked files, headers, refused)
        ("the runtime the toolchain supplies", ["/usr/lib/gcc/libgcc.a"], [], False),
        ("an unknown library of the compiler's package", ["/usr/lib/gcc/libfoo.a"], [], True),
        ("a library of another package", ["/usr/x/lib/libfoo.a"], [], True),
        ("a header of another package", [], ["/usr/include/foo.h"], True),
        ("one component from two packages", ["/usr/x/lib/libmingwex.a", "/usr/y/lib/libmingw32.a"],
         [], True),
        ("a header-only library from its own package", [], ["/usr/include/stb/stb_image.h"],
         False),
    ]
    for what, files, headers, refused in cases:
        try:
            sbom.classify("x.exe", "/usr/bin/cc", files, headers, packages)
            outcome = False
        except sbom.SbomError:
            outcome = True
        if outcome != refused:
            fail(f"{what}: {'refused' if outcome else 'taken'}")


def main():
    source, package, version, node_modules, build, exe, actions, scratch = sys.argv[1:9]
    scratch = pathlib.Path(scratch)
    shutil.rmtree(scratch, ignore_errors=True)
    scratch.mkdir(parents=True)
    boms = [scratch / "first.cdx.json", scratch / "second.cdx.json"]
    runs = [subprocess.Popen([sys.executable, f"{source}/packaging/sbom.py", "--package", package,
                              "--version", version, "--build-dir", build, "--exe", exe,
                              "--setup-actions", actions, "--output", bom])
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
    (scratch / "streams").mkdir()
    run(["msidump", "-s", "-d", str(scratch / "streams"), os.path.abspath(package)])
    for name, path in ((pathlib.Path(package).name, pathlib.Path(package)),
                       ("Mirvot.exe", next(extracted.rglob("Mirvot.exe"))),
                       ("MirvotSetupActions.dll", scratch / "streams/_Streams/Binary.SetupActions")):
        digest = hashlib.sha256(path.read_bytes()).hexdigest()
        if components.get(name, {}).get("hashes") != [{"alg": "SHA-256", "content": digest}]:
            fail(f"{name}: the SHA-256 is not {digest}")

    linked = [c for c in bom["components"] if c.get("purl", "").startswith("pkg:deb/")]
    named = {c["purl"].split("/")[2].split("@")[0]: c["version"] for c in linked}
    opened = linked_packages(build, exe, scratch) | linked_packages(build, actions, scratch)
    for debian in opened | {"libstb-dev"}:
        installed = run(["dpkg-query", "-W", "-f", "${Version}", debian])
        if named.get(debian) != installed:
            fail(f"{debian} {installed}, which supplied part of a program, is not named")
    depends = {d["ref"]: d["dependsOn"] for d in bom["dependencies"]}
    if "mingw-w64-crt" not in depends.get("MirvotSetupActions.dll", []):
        fail(f"the custom action DLL does not name its C runtime: {depends}")
    runtime = components.get("Microsoft Edge WebView2 Runtime", {})
    if runtime.get("scope") != "required" or "hashes" in runtime \
            or "webview2-runtime" not in depends.get("Mirvot.exe", []) \
            or "webview2-runtime" in depends.get("package", []):
        fail(f"the WebView2 Runtime is not a required dependency outside the package: {runtime}")
    refusals(source)

    print(f"ok: {len(bom['components'])} components, valid and reproducible")
    shutil.rmtree(scratch)


if __name__ == "__main__":
    main()
