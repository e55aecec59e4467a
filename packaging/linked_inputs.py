"""What the build put into a program: the compiler that linked it, the files its linker took
(objects, and archives of which it took at least one member) and the headers its objects were
compiled from, all read from the build folder's own commands and dependency records.

The link is run again, into a scratch folder, with the linker's report of what it took: GNU ld's
map (-Map: the archive members it included, the objects it loaded) or lld's --verbose lines
(every file it read, every archive member it loaded). Nothing in the build folder changes.
"""

import os
import pathlib
import re
import shlex
import subprocess


class LinkError(Exception):
    pass


def _run(command, cwd):
    result = subprocess.run(command, cwd=cwd, capture_output=True, text=True)
    if result.returncode != 0:
        raise LinkError(f"{' '.join(command)} failed: {(result.stdout + result.stderr).strip()}")
    return result.stdout + result.stderr


def _target(build, program):
    return os.path.relpath(pathlib.Path(program).resolve(), pathlib.Path(build).resolve())


def link_command(build, program):
    """The command that links `program`, as a list of arguments (ninja's ': && ... && :' wrapper
    taken off)."""
    target = _target(build, program)
    for line in _run(["ninja", "-C", str(build), "-t", "commands", target], build).splitlines():
        words = shlex.split(line)
        if "-o" in words and words[words.index("-o") + 1] == target:
            while words and words[0] in (":", "&&"):
                words.pop(0)
            while words and words[-1] in (":", "&&"):
                words.pop()
            return words
    raise LinkError(f"the build in {build} has no command that links {target}")


def _gnu_ld_map(text, build):
    """Objects loaded and archives with a member included, from GNU ld's map."""
    files = set()
    members = re.search(r"^Archive member included.*?\n(.*?)^(?:Discarded input sections|"
                        r"Allocating common symbols|Memory Configuration)", text, re.M | re.S)
    for line in (members.group(1) if members else "").splitlines():
        archive = re.match(r"(\S+\.a)\(", line)
        if archive:
            files.add(archive.group(1))
    files |= {path for path in re.findall(r"^LOAD (\S+)$", text, re.M)
              if not path.endswith(".a")}
    return {os.path.realpath(os.path.join(build, f)) for f in files}


def _lld_verbose(text, build):
    """Objects read and archives with a member loaded, from lld's --verbose lines (which name an
    archive's member by the archive's file name only)."""
    read = [p for p in re.findall(r"^\S*lld\S*: Reading (\S+)$", text, re.M) if "(" not in p]
    loaded = set(re.findall(r"^\S*lld\S*: Loaded (\S+?\.a)\(", text, re.M))
    files = {p for p in read if not p.endswith(".a")}
    for name in loaded:
        archives = {os.path.realpath(os.path.join(build, p)) for p in read
                    if os.path.basename(p) == name}
        if len(archives) != 1:
            raise LinkError(f"lld loaded members of {name}, which names {len(archives)} archives")
        files |= archives
    return {os.path.realpath(os.path.join(build, f)) for f in files}


def linked_files(build, program, scratch):
    """(the compiler that links `program`, the set of files its link takes, as real paths)."""
    words = link_command(build, program)
    out = words.index("-o")
    words[out + 1] = str(pathlib.Path(scratch) / "relinked")
    words = [w for w in words if not w.startswith("-Wl,--out-implib,")]
    if "-fuse-ld=lld" in words:
        return words[0], _lld_verbose(_run([*words, "-Wl,--verbose"], build), build)
    report = pathlib.Path(scratch) / "link.map"
    _run([*words, f"-Wl,-Map={report}"], build)
    return words[0], _gnu_ld_map(report.read_text(errors="replace"), build)


def compiled_headers(build, program):
    """Every header the objects of `program` (its own and those of the libraries it links) were
    compiled with, as real paths."""
    target = _target(build, program)
    objects = [line for line in _run(["ninja", "-C", str(build), "-t", "inputs", target],
                                     build).splitlines() if line.endswith((".obj", ".o"))]
    if not objects:
        raise LinkError(f"the build in {build} compiles no object for {target}")
    deps = _run(["ninja", "-C", str(build), "-t", "deps", *objects], build)
    return {os.path.realpath(os.path.join(build, line.strip()))
            for line in deps.splitlines() if line.startswith("    ")}
