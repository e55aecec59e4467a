#!/usr/bin/env python3
"""The header-level rules of Microsoft's binary analyser (BinSkim), and two of our own, checked
on a built Windows x86-64 image by reading its PE headers, sections, load configuration and
debug directory.

Usage: binary_rules.py [--not-required ID,...] <image>...
Prints one line per rule and image (pass, FAIL, not required, n/a) and exits 1 when an image
breaks a rule that is required of it: every rule, except those named by --not-required.
"""

import argparse
import struct
import sys

IMAGE_FILE_RELOCS_STRIPPED = 0x0001
IMAGE_FILE_LARGE_ADDRESS_AWARE = 0x0020
IMAGE_FILE_DLL = 0x2000

DLLCHARACTERISTICS_HIGH_ENTROPY_VA = 0x0020
DLLCHARACTERISTICS_DYNAMIC_BASE = 0x0040
DLLCHARACTERISTICS_NX_COMPAT = 0x0100
DLLCHARACTERISTICS_GUARD_CF = 0x4000
DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE = 0x8000

SCN_MEM_SHARED = 0x10000000
SCN_MEM_EXECUTE = 0x20000000
SCN_MEM_WRITE = 0x80000000

DIRECTORY_IMPORT = 1
DIRECTORY_BASERELOC = 5
DIRECTORY_DEBUG = 6
DIRECTORY_LOAD_CONFIG = 10
DIRECTORY_IAT = 12

DEBUG_TYPE_EX_DLLCHARACTERISTICS = 20
DLLCHARACTERISTICS_EX_CET_COMPAT = 0x01

BASE_RELOCATION_DIR64 = 10

GUARD_CF_INSTRUMENTED = 0x00000100
GUARD_CF_FUNCTION_TABLE_PRESENT = 0x00000400
GUARD_CF_FUNCTION_TABLE_SIZE_SHIFT = 28

# The value a security cookie holds in the file, which tells the system's loader to give it a
# random one (PE32+ images).
DEFAULT_SECURITY_COOKIE_64 = 0x00002B992DDFA232

# Offsets in the 64-bit load configuration.
LOAD_CONFIG_SECURITY_COOKIE = 88
LOAD_CONFIG_GUARD_CHECK = 112
LOAD_CONFIG_GUARD_DISPATCH = 120
LOAD_CONFIG_GUARD_TABLE = 128
LOAD_CONFIG_GUARD_COUNT = 136
LOAD_CONFIG_GUARD_FLAGS = 144


class ImageError(Exception):
    pass


class Section:
    def __init__(self, name, virtual_address, virtual_size, raw_offset, raw_size, flags):
        self.name = name
        self.virtual_address = virtual_address
        self.size = max(virtual_size, raw_size)
        self.raw_offset = raw_offset
        self.raw_size = raw_size
        self.flags = flags

    def holds(self, rva):
        return self.virtual_address <= rva < self.virtual_address + self.size


class Image:
    """A PE32+ image as the rules see it. Raises ImageError for anything else."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ImageError("no MZ header")
        pe = self.u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise ImageError("no PE signature")
        self.coff = pe + 4
        (_, section_count, _, _, _, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, self.coff)
        self.optional = self.coff + 20
        if self.u16(self.optional) != 0x20B:
            raise ImageError("not a PE32+ (64-bit) image")
        self.image_base = self.u64(self.optional + 24)
        self.dll_characteristics = self.u16(self.optional + 70)
        directory_count = self.u32(self.optional + 108)
        self.directories = [struct.unpack_from("<II", data, self.optional + 112 + 8 * i)
                            for i in range(min(directory_count, 16))]
        self.section_headers = self.optional + optional_size
        self.sections = []
        for i in range(section_count):
            at = self.section_headers + 40 * i
            name = data[at:at + 8].rstrip(b"\0").decode("latin-1")
            virtual_size, virtual_address, raw_size, raw_offset = struct.unpack_from(
                "<IIII", data, at + 8)
            flags = self.u32(at + 36)
            self.sections.append(
                Section(name, virtual_address, virtual_size, raw_offset, raw_size, flags))

    def u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def u64(self, offset):
        return struct.unpack_from("<Q", self.data, offset)[0]

    @property
    def is_dll(self):
        return bool(self.characteristics & IMAGE_FILE_DLL)

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def section_of(self, rva):
        return next((s for s in self.sections if s.holds(rva)), None)

    def offset_of(self, rva):
        section = self.section_of(rva)
        if section is None or rva - section.virtual_address >= section.raw_size:
            raise ImageError(f"RVA {rva:#x} is not in the file")
        return section.raw_offset + rva - section.virtual_address

    def rva_of(self, va):
        return va - self.image_base

    def load_config(self):
        """The load configuration's bytes, cut to its own Size field; None without one."""
        rva, size = self.directory(DIRECTORY_LOAD_CONFIG)
        if rva == 0 or size < 4:
            return None
        offset = self.offset_of(rva)
        declared = self.u32(offset)
        return self.data[offset:offset + min(declared, size)]

    def debug_entries(self):
        """(type, data) of each debug directory entry."""
        rva, size = self.directory(DIRECTORY_DEBUG)
        entries = []
        if rva == 0:
            return entries
        offset = self.offset_of(rva)
        for at in range(offset, offset + size - 27, 28):
            kind, data_size, data_rva = struct.unpack_from("<III", self.data, at + 12)
            data = self.data[self.offset_of(data_rva):][:data_size] if data_rva else b""
            entries.append((kind, data))
        return entries

    def relocated_pointers(self):
        """(where, value) of every 64-bit address the base relocations name."""
        rva, size = self.directory(DIRECTORY_BASERELOC)
        pointers = []
        offset = self.offset_of(rva) if size else 0
        end = offset + size
        while offset + 8 <= end:
            page, block_size = struct.unpack_from("<II", self.data, offset)
            if block_size < 8:
                raise ImageError(f"a base relocation block of {block_size} bytes")
            for entry in struct.unpack_from(f"<{(block_size - 8) // 2}H", self.data, offset + 8):
                if entry >> 12 == BASE_RELOCATION_DIR64:
                    where = page + (entry & 0xFFF)
                    pointers.append((where, self.u64(self.offset_of(where))))
            offset += block_size
        return pointers

    def guard_functions(self):
        """The RVAs of Control Flow Guard's function table, or an empty list."""
        config = self.load_config()
        if config is None or len(config) < LOAD_CONFIG_GUARD_FLAGS + 4:
            return []
        table, count = struct.unpack_from("<QQ", config, LOAD_CONFIG_GUARD_TABLE)
        flags = struct.unpack_from("<I", config, LOAD_CONFIG_GUARD_FLAGS)[0]
        if table == 0 or count == 0:
            return []
        stride = 4 + (flags >> GUARD_CF_FUNCTION_TABLE_SIZE_SHIFT)
        start = self.offset_of(self.rva_of(table))
        return [self.u32(start + i * stride) for i in range(count)]


# Each rule: (ID, what it asks, applies to DLLs, check(image) -> None when met, else the fault).

def rule_image_base_above_4gb(image):
    if image.image_base <= 0xFFFFFFFF:
        return f"image base {image.image_base:#x} is below 4 GB"
    return None


def rule_control_flow_guard(image):
    if not image.dll_characteristics & DLLCHARACTERISTICS_GUARD_CF:
        return "DllCharacteristics lack GUARD_CF"
    config = image.load_config()
    if config is None or len(config) < LOAD_CONFIG_GUARD_FLAGS + 4:
        return "no load configuration with the guard fields"
    check, dispatch = struct.unpack_from("<QQ", config, LOAD_CONFIG_GUARD_CHECK)
    flags = struct.unpack_from("<I", config, LOAD_CONFIG_GUARD_FLAGS)[0]
    wanted = GUARD_CF_INSTRUMENTED | GUARD_CF_FUNCTION_TABLE_PRESENT
    if flags & wanted != wanted:
        return f"guard flags {flags:#x} lack instrumented and function table"
    for name, va in (("check", check), ("dispatch", dispatch)):
        section = image.section_of(image.rva_of(va)) if va else None
        if section is None:
            return f"the guard {name} function pointer {va:#x} is not in the image"
        if section.flags & SCN_MEM_WRITE:
            return f"the guard {name} function pointer lies in writable {section.name}"
    functions = image.guard_functions()
    if not functions:
        return "the guard function table is empty"
    if functions != sorted(set(functions)):
        return "the guard function table is not sorted or has duplicates"
    for rva in functions:
        section = image.section_of(rva)
        if section is None or not section.flags & SCN_MEM_EXECUTE:
            return f"the guard function table lists {rva:#x}, which is not code"
    # Every code address the image keeps in its data (vtables, initialiser and callback tables,
    # function pointers) may be called through; the guard pointers' own defaults are the only
    # ones that are never checked.
    valid = set(functions)
    guard_slots = {image.rva_of(check), image.rva_of(dispatch)}
    missing = []
    for where, value in image.relocated_pointers():
        target = image.rva_of(value)
        section = image.section_of(target)
        if (section is not None and section.flags & SCN_MEM_EXECUTE and target not in valid and
                where not in guard_slots):
            missing.append(target)
    if missing:
        listed = ", ".join(f"{rva:#x}" for rva in sorted(set(missing))[:5])
        return (f"{len(set(missing))} code addresses kept in the image's data are not valid "
                f"call targets ({listed}, ...)")
    return None


def rule_aslr(image):
    if not image.dll_characteristics & DLLCHARACTERISTICS_DYNAMIC_BASE:
        return "DllCharacteristics lack DYNAMIC_BASE"
    if image.characteristics & IMAGE_FILE_RELOCS_STRIPPED:
        return "relocations are stripped"
    if image.directory(DIRECTORY_BASERELOC)[1] == 0:
        return "no base relocation directory"
    return None


def rule_imports_not_executable(image):
    for index in (DIRECTORY_IMPORT, DIRECTORY_IAT):
        rva, size = image.directory(index)
        section = image.section_of(rva) if size else None
        if section is not None and section.flags & SCN_MEM_EXECUTE:
            return f"the imports lie in executable section {section.name}"
    return None


def rule_high_entropy_va(image):
    if not image.dll_characteristics & DLLCHARACTERISTICS_HIGH_ENTROPY_VA:
        return "DllCharacteristics lack HIGH_ENTROPY_VA"
    if not image.dll_characteristics & DLLCHARACTERISTICS_DYNAMIC_BASE:
        return "DllCharacteristics lack DYNAMIC_BASE"
    if not image.characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE:
        return "not LARGE_ADDRESS_AWARE"
    return None


def rule_nx_compatible(image):
    if not image.dll_characteristics & DLLCHARACTERISTICS_NX_COMPAT:
        return "DllCharacteristics lack NX_COMPAT"
    return None


def rule_no_shared_writable_section(image):
    for section in image.sections:
        if section.flags & SCN_MEM_SHARED and section.flags & SCN_MEM_WRITE:
            return f"section {section.name} is shared and writable"
    return None


def rule_no_writable_executable_section(image):
    for section in image.sections:
        if section.flags & SCN_MEM_EXECUTE and section.flags & SCN_MEM_WRITE:
            return f"section {section.name} is writable and executable"
    return None


def rule_shadow_stack_compatible(image):
    for kind, data in image.debug_entries():
        if (kind == DEBUG_TYPE_EX_DLLCHARACTERISTICS and len(data) >= 4 and
                struct.unpack_from("<I", data)[0] & DLLCHARACTERISTICS_EX_CET_COMPAT):
            return None
    return "no extended DllCharacteristics entry with CET_COMPAT"


def rule_terminal_server_aware(image):
    if not image.dll_characteristics & DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE:
        return "DllCharacteristics lack TERMINAL_SERVER_AWARE"
    return None


def rule_load_config_with_security_cookie(image):
    config = image.load_config()
    if config is None:
        return "no load configuration directory"
    if len(config) < LOAD_CONFIG_SECURITY_COOKIE + 8:
        return f"the load configuration ({len(config)} bytes) has no security cookie field"
    cookie = struct.unpack_from("<Q", config, LOAD_CONFIG_SECURITY_COOKIE)[0]
    section = image.section_of(image.rva_of(cookie)) if cookie else None
    if section is None or not section.flags & SCN_MEM_WRITE:
        return f"the security cookie {cookie:#x} is not in a writable section of the image"
    value = image.u64(image.offset_of(image.rva_of(cookie)))
    if value != DEFAULT_SECURITY_COOKIE_64:
        return f"the security cookie holds {value:#x}: the loader would not make it random"
    return None


RULES = [
    ("BA2001", "64-bit image base above 4 GB", True, rule_image_base_above_4gb),
    ("BA2008", "Control Flow Guard", True, rule_control_flow_guard),
    ("BA2009", "ASLR, relocations kept", True, rule_aslr),
    ("BA2010", "import section not executable", True, rule_imports_not_executable),
    ("BA2015", "high-entropy ASLR", True, rule_high_entropy_va),
    ("BA2016", "NX compatible", True, rule_nx_compatible),
    ("BA2019", "no shared writable section", True, rule_no_shared_writable_section),
    ("BA2021", "no writable and executable section", True, rule_no_writable_executable_section),
    ("BA2025", "CET shadow-stack compatible", True, rule_shadow_stack_compatible),
    # Terminal-server awareness is a property of programs; the system ignores it in a DLL.
    ("TSAWARE", "terminal-server aware", False, rule_terminal_server_aware),
    ("LOADCFG", "load configuration with a security cookie", True,
     rule_load_config_with_security_cookie),
]
RULE_IDS = [rule[0] for rule in RULES]


def results(image):
    """(ID, what, fault or None, applies) for every rule."""
    out = []
    for rule_id, what, for_dlls, check in RULES:
        applies = for_dlls or not image.is_dll
        try:
            fault = check(image) if applies else None
        except (ImageError, struct.error) as error:
            fault = f"unreadable: {error}"
        out.append((rule_id, what, fault, applies))
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--not-required", default="",
                        help="comma-separated rule IDs reported but not required")
    parser.add_argument("images", nargs="+")
    args = parser.parse_args()
    not_required = {rule for rule in args.not_required.split(",") if rule}
    unknown = not_required - set(RULE_IDS)
    if unknown:
        parser.error(f"unknown rule IDs: {', '.join(sorted(unknown))}")

    failed = False
    for path in args.images:
        try:
            with open(path, "rb") as file:
                image = Image(file.read())
        except (OSError, ImageError, struct.error) as error:
            print(f"FAIL {path}: {error}")
            failed = True
            continue
        print(path)
        for rule_id, what, fault, applies in results(image):
            if not applies:
                verdict = "n/a"
            elif fault is None:
                verdict = "pass"
            elif rule_id in not_required:
                verdict = "fails (not required)"
            else:
                verdict = "FAIL"
                failed = True
            print(f"  {rule_id:8} {verdict:21} {what}{': ' + fault if fault else ''}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
