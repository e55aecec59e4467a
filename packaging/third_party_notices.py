#!/usr/bin/env python3
"""Writes THIRD-PARTY-NOTICES.txt, installed beside Mirvot.exe.

Mirvot.exe is linked statically with the GCC runtime (libstdc++, libgcc, libssp), the MinGW-w64
runtime and winpthreads, and stb_image. Their copyright statements and licence terms are taken
from the copyright files of the Debian packages that supplied them, so the notices always belong to the
toolchain that built the program. Only the parts that concern the linked code are taken; a
missing part is an error, never a silently shorter file.

Usage: third_party_notices.py <output> [--doc-root DIR] [--licenses-root DIR]
"""

import argparse
import pathlib
import sys

RULE = "-" * 78


class NoticeError(Exception):
    pass


def read_text(path):
    try:
        return path.read_text(encoding="utf-8")
    except OSError as error:
        raise NoticeError(f"cannot read {path}: {error.strerror}") from error


def between(text, start, end, source):
    """The lines from the one that starts with `start` up to the one before `end`."""
    lines = text.splitlines()
    first = next((i for i, line in enumerate(lines) if line.startswith(start)), None)
    if first is None:
        raise NoticeError(f"{source}: no line starting with {start!r}")
    last = next((i for i in range(first + 1, len(lines)) if lines[i].startswith(end)), None)
    if last is None:
        raise NoticeError(f"{source}: no line starting with {end!r} after {start!r}")
    return "\n".join(lines[first:last]).strip("\n")


def stanzas(text):
    """The paragraphs of a machine-readable (DEP-5) copyright file, as (fields, raw text)."""
    result = []
    for raw in text.strip("\n").split("\n\n"):
        raw = raw.strip("\n")
        if not raw:
            continue
        fields = {}
        name = None
        for line in raw.splitlines():
            if line[:1] in (" ", "\t") and name is not None:
                fields[name].append(line.strip())
            elif ":" in line:
                name, value = line.split(":", 1)
                fields[name] = [value.strip()]
        result.append((fields, raw))
    return result


def files_paragraphs(paragraphs, wanted):
    """The Files paragraphs, as (fields, raw text), for which `wanted(pattern)` holds for one of
    their patterns."""
    for fields, raw in paragraphs[1:]:
        patterns = " ".join(fields.get("Files", [])).split()
        if patterns and any(wanted(p) for p in patterns):
            yield fields, raw


def licence_names(expression):
    names = expression.replace(",", " ").split()
    return [n for n in names if n not in ("and", "or", "with")]


def dep5_selection(text, source, wanted):
    """The header, every Files paragraph for which `wanted(pattern)` holds for one of its
    patterns, and the stand-alone licence paragraphs those refer to, in file order."""
    paragraphs = stanzas(text)
    if not paragraphs or "Format" not in paragraphs[0][0]:
        raise NoticeError(f"{source}: not a machine-readable copyright file")
    chosen = [paragraphs[0][1]]
    licences = []
    for fields, raw in files_paragraphs(paragraphs, wanted):
        chosen.append(raw)
        licences += licence_names(fields.get("License", [""])[0])
    if len(chosen) == 1:
        raise NoticeError(f"{source}: no Files paragraph for the linked code")
    for fields, raw in paragraphs[1:]:
        if "Files" not in fields and "License" in fields:
            if fields["License"][0] in licences:
                chosen.append(raw)
    return "\n\n".join(chosen)


def winpthreads(pattern):
    # The threading library, not its own tests.
    return (pattern.startswith("mingw-w64-libraries/winpthreads/")
            and not pattern.startswith("mingw-w64-libraries/winpthreads/tests_pthread/"))


def mingw_runtime(pattern):
    # The C run-time start-up and support code and winpthreads; not the headers or the tools.
    return pattern == "*" or pattern.startswith("mingw-w64-crt/") or winpthreads(pattern)


def section(number, title, source, body):
    return "\n".join([RULE, f"{number}. {title}", f"   (from {source})", RULE, "", body, ""])


def notices(doc_root, licenses_root):
    gcc_path = doc_root / "gcc-mingw-w64-base" / "copyright"
    gcc = read_text(gcc_path)
    gcc_terms = between(gcc, "GCC is Copyright", "The libbacktrace library", gcc_path)
    gcc_exception = between(gcc, "GCC RUNTIME LIBRARY EXCEPTION", "libquadmath/", gcc_path)

    mingw_path = doc_root / "mingw-w64-x86-64-dev" / "copyright"
    mingw = dep5_selection(read_text(mingw_path), mingw_path, mingw_runtime)

    stb_path = doc_root / "libstb-dev" / "copyright"
    stb = dep5_selection(read_text(stb_path), stb_path, lambda pattern: pattern == "*")

    gpl_path = licenses_root / "GPL-3"
    gpl = read_text(gpl_path).strip("\n")

    head = "\n".join([
        "Third-party software in Mirvot.exe",
        "==================================",
        "",
        "Mirvot.exe is linked statically with the following software. Its copyright",
        "statements and licence terms follow, as the Debian packages of the toolchain that",
        "built this copy of Mirvot state them.",
        "",
        "  1. The GCC runtime libraries libstdc++, libgcc and libssp: GNU General Public",
        "     License, version 3 or later, with the GCC Runtime Library Exception, version 3.1.",
        "  2. The MinGW-w64 runtime and winpthreads: Zope Public License 2.1, public domain,",
        "     and the further terms listed in section 2 for some of its files.",
        "  3. stb_image by Sean Barrett: public domain or the MIT (Expat) licence.",
        "  4. The text of the GNU General Public License, version 3, referred to in section 1.",
        "",
    ])
    body = "\n".join([
        head,
        section(1, "GCC runtime libraries: libstdc++, libgcc and libssp", gcc_path,
                gcc_terms + "\n\n\n" + gcc_exception),
        section(2, "MinGW-w64 runtime and winpthreads", mingw_path, mingw),
        section(3, "stb_image", stb_path, stb),
        section(4, "GNU General Public License, version 3", gpl_path, gpl),
    ])
    # Windows line ends, for every text viewer on the system the file is installed on.
    return body.replace("\r\n", "\n").replace("\n", "\r\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output", type=pathlib.Path)
    parser.add_argument("--doc-root", type=pathlib.Path, default=pathlib.Path("/usr/share/doc"))
    parser.add_argument("--licenses-root", type=pathlib.Path,
                        default=pathlib.Path("/usr/share/common-licenses"))
    args = parser.parse_args()
    try:
        text = notices(args.doc_root, args.licenses_root)
    except NoticeError as error:
        print(f"third_party_notices.py: {error}", file=sys.stderr)
        return 1
    args.output.parent.mkdir(parents=True, exist_ok=True)
    temporary = args.output.with_name(args.output.name + ".tmp")
    temporary.write_bytes(text.encode("utf-8"))
    temporary.replace(args.output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
