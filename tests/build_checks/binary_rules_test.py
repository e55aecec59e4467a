#!/usr/bin/env python3
"""Each rule of binary_rules.py catches its fault: every fault below, written into a copy of each
given image that meets the rule, is reported by that rule. A small image made here, which meets
every rule, stands in where the built images do not meet one (Control Flow Guard, which the
release build leaves off).

Usage: binary_rules_test.py <image>...
"""

import pathlib
import struct
import sys

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import binary_rules as rules  # noqa: E402

BASE = 0x140000000


def made_image():
    """A PE32+ program of four sections that meets every rule: two functions, a table of
    pointers to them in its data, both in the guard table, a security cookie, the CET entry and
    an (empty) import directory."""
    data = bytearray(0xA00)
    data[0:2] = b"MZ"
    struct.pack_into("<I", data, 0x3C, 0x40)
    data[0x40:0x44] = b"PE\0\0"
    struct.pack_into("<HHIIIHH", data, 0x44, 0x8664, 4, 0, 0, 0, 240, 0x0022)
    optional = 0x58
    struct.pack_into("<H", data, optional, 0x20B)
    struct.pack_into("<Q", data, optional + 24, BASE)
    struct.pack_into("<II", data, optional + 32, 0x1000, 0x200)
    struct.pack_into("<II", data, optional + 56, 0x5000, 0x200)
    struct.pack_into("<HH", data, optional + 68, 2, 0x20 | 0x40 | 0x100 | 0x4000 | 0x8000)
    struct.pack_into("<I", data, optional + 108, 16)
    for index, rva, size in ((1, 0x2190, 20), (5, 0x4000, 0x18), (6, 0x2150, 28),
                             (10, 0x2000, 320)):
        struct.pack_into("<II", data, optional + 112 + 8 * index, rva, size)
    sections = [(b".text", 0x1000, 0x200, 0x60000020), (b".rdata", 0x2000, 0x400, 0x40000040),
                (b".data", 0x3000, 0x600, 0xC0000040), (b".reloc", 0x4000, 0x800, 0x42000040)]
    for i, (name, rva, raw, flags) in enumerate(sections):
        struct.pack_into("<8sIIIIIIHHI", data, optional + 240 + 40 * i, name, 0x200, rva, 0x200,
                         raw, 0, 0, 0, 0, flags)
    data[0x200:0x221] = b"\xC3" * 0x21  # functions at 0x1000 and 0x1010, guard default at 0x1020
    config = 0x400
    struct.pack_into("<I", data, config, 320)
    struct.pack_into("<Q", data, config + 88, BASE + 0x3000)
    struct.pack_into("<QQQQI", data, config + 112, BASE + 0x2180, BASE + 0x2188, BASE + 0x2140, 2,
                     0x500)
    struct.pack_into("<II", data, 0x540, 0x1000, 0x1010)
    struct.pack_into("<IIHHIIII", data, 0x550, 0, 0, 0, 0, 20, 4, 0x2170, 0x570)
    struct.pack_into("<I", data, 0x570, 1)
    struct.pack_into("<QQ", data, 0x580, BASE + 0x1020, BASE + 0x1020)
    struct.pack_into("<QQQ", data, 0x600, 0x00002B992DDFA232, BASE + 0x1000, BASE + 0x1010)
    struct.pack_into("<IIHH", data, 0x800, 0x3000, 12, 0xA008, 0xA010)
    struct.pack_into("<IIHH", data, 0x80C, 0x2000, 12, 0xA180, 0xA188)
    return bytes(data)


def set_dll_characteristics(data, image, clear=0):
    offset = image.optional + 70
    struct.pack_into("<H", data, offset, struct.unpack_from("<H", data, offset)[0] & ~clear)


def set_section_flags(data, image, index, add):
    offset = image.section_headers + 40 * index + 36
    struct.pack_into("<I", data, offset, struct.unpack_from("<I", data, offset)[0] | add)


def first_section(image, flags):
    return next(i for i, s in enumerate(image.sections) if s.flags & flags == flags)


def import_section(image):
    return image.sections.index(image.section_of(image.directory(rules.DIRECTORY_IMPORT)[0]))


def load_config_field(image, offset):
    return image.offset_of(image.directory(rules.DIRECTORY_LOAD_CONFIG)[0]) + offset


def swap_first_guard_functions(data, image):
    table = image.offset_of(image.rva_of(image.u64(load_config_field(image, 128))))
    first, second = struct.unpack_from("<II", data, table)
    struct.pack_into("<II", data, table, second, first)


def point_data_at_unlisted_code(data, image):
    listed = set(image.guard_functions())
    where, value = next((w, v) for w, v in image.relocated_pointers()
                        if image.rva_of(v) in listed)
    struct.pack_into("<Q", data, image.offset_of(where), value + 1)


def clear_cet_flag(data, image):
    rva, size = image.directory(rules.DIRECTORY_DEBUG)
    for at in range(image.offset_of(rva), image.offset_of(rva) + size, 28):
        kind, _, data_rva = struct.unpack_from("<III", data, at + 12)
        if kind == rules.DEBUG_TYPE_EX_DLLCHARACTERISTICS:
            struct.pack_into("<I", data, image.offset_of(data_rva), 0)


def change_cookie(data, image):
    cookie = image.rva_of(image.u64(load_config_field(image, 88)))
    struct.pack_into("<Q", data, image.offset_of(cookie), 0x1234)


# (rule that must catch it, the fault, how to write it into a copy)
FAULTS = [
    ("BA2001", "an image base below 4 GB",
     lambda d, i: struct.pack_into("<Q", d, i.optional + 24, 0x400000)),
    ("BA2008", "no GUARD_CF flag", lambda d, i: set_dll_characteristics(d, i, clear=0x4000)),
    ("BA2008", "the guard table out of order", swap_first_guard_functions),
    ("BA2008", "a code address in the data that the guard table lacks",
     point_data_at_unlisted_code),
    ("BA2008", "the check pointer in a writable section",
     lambda d, i: struct.pack_into("<Q", d, load_config_field(i, 112),
                                   i.u64(load_config_field(i, 88)))),
    ("BA2009", "relocations stripped",
     lambda d, i: struct.pack_into("<H", d, i.coff + 18, i.characteristics | 0x0001)),
    ("BA2009", "no DYNAMIC_BASE flag", lambda d, i: set_dll_characteristics(d, i, clear=0x40)),
    ("BA2010", "the imports in an executable section",
     lambda d, i: set_section_flags(d, i, import_section(i), rules.SCN_MEM_EXECUTE)),
    ("BA2015", "no HIGH_ENTROPY_VA flag", lambda d, i: set_dll_characteristics(d, i, clear=0x20)),
    ("BA2016", "no NX_COMPAT flag", lambda d, i: set_dll_characteristics(d, i, clear=0x100)),
    ("BA2019", "a shared writable section",
     lambda d, i: set_section_flags(d, i, first_section(i, rules.SCN_MEM_WRITE),
                                    rules.SCN_MEM_SHARED)),
    ("BA2021", "a writable executable section",
     lambda d, i: set_section_flags(d, i, first_section(i, rules.SCN_MEM_WRITE),
                                    rules.SCN_MEM_EXECUTE)),
    ("BA2025", "the CET flag cleared", clear_cet_flag),
    ("TSAWARE", "no TERMINAL_SERVER_AWARE flag",
     lambda d, i: set_dll_characteristics(d, i, clear=0x8000)),
    ("LOADCFG", "no load configuration directory",
     lambda d, i: struct.pack_into("<II", d, i.optional + 112 + 8 * 10, 0, 0)),
    ("LOADCFG", "a cookie the loader would not set", change_cookie),
]


def main():
    images = [("made here", made_image())]
    images += [(path, pathlib.Path(path).read_bytes()) for path in sys.argv[1:]]
    failures = []
    caught = set()
    for name, data in images:
        image = rules.Image(data)
        before = {rule_id: fault for rule_id, _, fault, applies in rules.results(image)
                  if applies}
        if name == "made here" and any(before.values()):
            failures.append(f"the image made here breaks a rule: {before}")
        for rule_id, fault_name, write in FAULTS:
            if rule_id not in before or before[rule_id] is not None:
                continue  # the image does not meet the rule to begin with
            copy = bytearray(data)
            write(copy, image)
            after = {r: f for r, _, f, _ in rules.results(rules.Image(bytes(copy)))}
            if after[rule_id] is None:
                failures.append(f"{rule_id} missed {fault_name} in {name}")
            else:
                caught.add((rule_id, fault_name))
                print(f"ok {rule_id:8} {fault_name} in {name}: {after[rule_id]}")
    for rule_id, fault_name, _ in FAULTS:
        if (rule_id, fault_name) not in caught:
            failures.append(f"{rule_id}: {fault_name} was tried on no image that meets the rule")
    for failure in failures:
        print("FAIL " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
