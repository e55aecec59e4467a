#!/usr/bin/env python3
"""A changed build of Mirvot.exe for the upgrade tests: the same program with the same version
record and other bytes. Data is appended after the image, where a signature would also go; the
system's loader does not read it.

Usage: changed_build.py <Mirvot.exe> <output>
"""

import pathlib
import sys

source, output = (pathlib.Path(argument) for argument in sys.argv[1:3])
output.parent.mkdir(parents=True, exist_ok=True)
output.write_bytes(source.read_bytes() + b"\0a changed build of Mirvot.exe for the upgrade tests\0")
