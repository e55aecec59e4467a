#!/usr/bin/env python3
"""Writes the committed seed corpus, tests/fuzz/corpus/<target>/<name>, and the libFuzzer
dictionaries, tests/fuzz/dict/<target>.dict.

Text targets take UTF-16LE; the seeds are the documented examples and the edge cases around
them, and the dictionaries hold the multi-unit tokens the rules look for (device names,
prefixes), which mutation alone finds slowly in UTF-16. Run again after changing either;
libFuzzer ignores the file names.
"""
import pathlib
import struct

ROOT = pathlib.Path(__file__).resolve().parent / "corpus"


def u16(text):
    return text.encode("utf-16-le", "surrogatepass")


LONG_COMPONENT = "d" * 120
SEEDS = {
    "runtime_version": {
        "full": u16("120.0.2210.91"),
        "saturated_major": u16("99999999999.1"),
        "major_only": u16("120"),
        "stops_at_word": u16("120.x"),
        "word": u16("Application"),
        "empty": b"",
        "signs_and_space": u16(" -1.+2.\t3.4"),
        "minimum": u16("86.0.616.0"),
        "range_edges": u16("2147483648.4294967296.-2147483649.-2147483648"),
        "five_components": u16("1.2.3.4.5"),
        "dot_first": u16(".120"),
        "other_scripts": u16("\u0661\u0662\u0660.\uff10.\u0968\u0968\u0967\u0966.\u0e59\u0e51"),
        "slash_separator": u16("120/5.1"),
        "unicode_spaces": u16("\u3000120.\u00a00.\u20281"),
    },
    "release_channel_list": {
        "two_channels": u16("1,3"),
        "only_commas": u16(",,"),
        "out_of_range": u16("0,7"),
        "word_item": u16("2,x"),
        "empty_item": u16("1,,2"),
        "leading_space": u16(" 1"),
        "negative_and_five": u16("-1,5,4"),
        "nul_inside": u16("1\0,2"),
        "huge_number": u16("99999999999,4"),
        "padded": u16(",3,"),
        "other_scripts": u16("\u0661,\uff13,\u17e4"),
        "unicode_spaces": u16("\u3000 1,\u20282,\u200b3"),
    },
    "wtoi_flag": {
        "one": u16("1"),
        "space_one": u16(" 1"),
        "plus_one": u16("+1"),
        "zero_one": u16("01"),
        "one_then_text": u16("1abc"),
        "true": u16("true"),
        "two": u16("2"),
        "empty": b"",
        "int_min": u16("-2147483648"),
        "just_above_max": u16("2147483648"),
        "control_spaces": u16("\v\f\r\n\t1"),
        "double_sign": u16("--1"),
        "many_digits": u16("99999999999999999999"),
        "fullwidth_one": u16("\uff11"),
        "mixed_scripts": u16("-\u0967\u09e8\u1813"),
        "next_to_digits": u16("\u065f\u066a\uff1a"),
        "ideographic_space": u16("\u30001"),
        "next_line": u16("\u00851"),
        "zero_width_space": u16("\u200b1"),
        "control_before_digit": u16("\u00011"),
        "two_to_the_64": u16("18446744073709551617"),
    },
    "absolute_folder": {
        "long_path": u16("\\\\?\\C:\\x"),
        "bare_drive": u16("C:"),
        "drive_root": u16("C:\\"),
        "lower_drive": u16("d:\\rt"),
        "unc": u16("\\\\server\\share"),
        "forward_slashes": u16("C:/x"),
        "relative": u16("Runtime"),
        "digit_drive": u16("1:\\"),
        "two_backslashes": u16("\\\\"),
        "rooted": u16("\\x\\"),
        "non_ascii_letter": u16("\u00e9:\\"),
        "upper_z": u16("Z:\\x"),
        "backslash_second": u16("C\\:x"),
        "colon_first": u16(":\\x"),
        "bracket_drive": u16("[:\\"),
    },
    "exe_file_name": {
        "typical": u16("C:\\App\\app.exeC:\\App\\Runtime"),
        "no_backslash": u16("app.exe"),
        "empty": b"",
        "trailing_backslash": u16("C:\\App\\rt\\"),
        "backslash_only": u16("\\x"),
        "long_path": u16("\\\\?\\C:\\long\\x.exeEBWebView"),
        "forward_slash": u16("C:\\a/b.exe..\\x"),
    },
    "registry_buffer_text": {
        "value_fits": struct.pack("<H", 260) + u16("C:\\Program Files\\rt\\120.0.2210.91"),
        "no_terminator": struct.pack("<H", 3) + u16("abc"),
        "zero_capacity": struct.pack("<H", 0) + u16("abc"),
        "nul_inside": struct.pack("<H", 5) + u16("ab\0cd"),
        "exactly_259": struct.pack("<H", 260) + u16("v" * 259),
        "exactly_260": struct.pack("<H", 260) + u16("v" * 260),
        "empty_value": struct.pack("<H", 260),
    },
    "profile_folder_join": {
        "typical": u16("C:\\Users\\u1\\AppData\\Local"),
        "trailing_backslash": u16("C:\\Users\\u1\\AppData\\Local\\"),
        "empty": b"",
        "bare_drive": u16("C:"),
        "drive_forward_slash": u16("C:/"),
        "relative": u16("relative"),
        "unc": u16("\\\\server\\share"),
        "digit_colon": u16("1:"),
        "doubled": u16("C:\\\\"),
        "lower_drive": u16("c:"),
        "past_z_colon": u16("{:"),
        "two_letters": u16("ab"),
        "letter_digit": u16("C1"),
        "upper_z": u16("Z:"),
    },
    "download_path": {
        "drive_file": u16("\\\\?\\C:\\x"),
        "drive_root": u16("\\\\?\\C:\\"),
        "downloads": u16("\\\\?\\C:\\Users\\u1\\Downloads\\file.zip"),
        "device_name": u16("\\\\?\\C:\\dir\\CON.txt"),
        "dot_dot": u16("\\\\?\\C:\\a\\..\\b"),
        "unc_long": u16("\\\\?\\UNC\\server\\share\\f"),
        "device_path": u16("\\\\.\\C:\\x"),
        "plain": u16("C:\\Users\\u1\\Downloads\\x.zip"),
        "trailing_dot_space": u16("\\\\?\\C:\\trailing. "),
        "doubled_backslash": u16("\\\\?\\c:\\a\\\\b"),
        "superscript_com": u16("\\\\?\\C:\\COM\u00b9.log"),
        "long": u16("\\\\?\\C:\\" + "\\".join([LONG_COMPONENT] * 3)),
        "bang_shortcut": u16("!D:\\a\\b"),
        "bare_drive": u16("\\\\?\\C:"),
        "lpt_superscript_three": u16("\\\\?\\C:\\dir\\lpt\u00b3 .txt"),
        "underscore_drive": u16("\\\\?\\_:\\"),
        "two_letters": u16("\\\\?\\Xy\\"),
        "upper_z": u16("\\\\?\\Z:\\x"),
    },
    "utf_round_trip": {
        "ascii": b"hello, world",
        "mixed": "\u00e9\u20ac\U00010348 \"q\" \\".encode("utf-8"),
        "overlong": b"\xc0\x80a",
        "surrogate_utf8": b"\xed\xa0\x80\"",
        "above_max": b"\xf4\x90\x80\x80",
        "truncated": b"\xe2\x82",
        "lone_surrogate_utf16": u16("a\ud800b"),
        "pair_utf16": u16("\U0001f600"),
        "replacement": "\ufffd".encode("utf-8"),
        "boundaries": "\u007f\u0080\u07ff\u0800\ud7ff\ue000\uffff\U00010000\U0010ffff".encode(
            "utf-8"),
        "leads_f1_to_f3": b"\xf1\x80\x80\x80\xf2\xbf\xbf\xbf\xf3\xbf\xbf\xbf",
        "lead_f5": b"\xf5\x80\x80\x80",
        "high_surrogate_then_e000": u16("\ud800\ue000"),
    },
    "view_size_resize": {
        "unscaled": struct.pack("<IIdIddd", 1280, 800, 1.0, 96, 1280.0, 1.0, 0.5),
        "dpi_144": struct.pack("<IIdIddd", 1920, 1200, 1.5, 144, 1280.0, 1.5, -0.5),
        "zero_scale": struct.pack("<IIdIddd", 0, 10, 0.0, 96, 0.0, 0.0, 2147483646.5),
        "nan_scale": struct.pack("<IIdIddd", 100, 100, float("nan"), 96, float("nan"), 1.0,
                                 float("nan")),
        "extremes": struct.pack("<IIdIddd", 0xFFFFFFFF, 1, 1e-300, 0xFFFFFFFF, 1e300, 1e300,
                                -2147483648.5),
        "negative_scale": struct.pack("<IIdIddd", 1, 1, -1.0, 0, -5.0, 1.0, float("inf")),
        "infinite": struct.pack("<IIdIddd", 7, 9, float("inf"), 96, float("-inf"), 2.0,
                                float("-inf")),
    },
}


DEVICE_NAMES = ["CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "COM", "LPT", "conin$"]
DICTIONARIES = {
    "download_path": ["\\\\?\\", "\\\\?\\C:\\", "C:\\", "\\..", "\\.\\", ". ", "UNC\\",
                      "\u00b9", "\u00b2", "\u00b3", "/", "\\\\"] + DEVICE_NAMES,
    "runtime_version": ["2147483647", "2147483648", "4294967295", "-2147483648", "120.0.2210.91",
                        "86.0.616.0", " \t"],
    "release_channel_list": ["2147483647", "-2147483648", ",,", "\u0000", " +"],
    "wtoi_flag": ["2147483647", "2147483648", "-2147483648", "-2147483649", "\v\f\r", "+-",
                  "\u0661", "\uff11", "\u1811", "\u0085", "\u00a0", "\u2000", "\u3000",
                  "18446744073709551616"],
    "profile_folder_join": ["C:", "\\\\", "C:/", "\\", "/"],
    "absolute_folder": ["C:\\", "\\\\", "z:\\", "C:/"],
}


def dictionary_entry(token):
    return '"' + "".join("\\x%02x" % b for b in u16(token)) + '"\n'


def main():
    dict_root = ROOT.parent / "dict"
    dict_root.mkdir(exist_ok=True)
    for target, tokens in DICTIONARIES.items():
        (dict_root / (target + ".dict")).write_text("".join(dictionary_entry(t) for t in tokens))
    for target, seeds in SEEDS.items():
        folder = ROOT / target
        folder.mkdir(parents=True, exist_ok=True)
        for old in folder.iterdir():
            old.unlink()
        for name, content in seeds.items():
            (folder / name).write_bytes(content)


if __name__ == "__main__":
    main()
