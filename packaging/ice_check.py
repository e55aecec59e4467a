#!/usr/bin/env python3
"""Checks a Windows Installer package against the validation rules (ICEs) that apply to it.

Windows' own validation suite runs only on Windows. This checker reads the package's tables with
msitools (msidump) and applies the rules of Microsoft's ICE reference that concern a
package like ours, one rule a row of RULES. Every finding, error or warning, is reported; a
package with findings is not released.

The reference leaves some things open; the readings taken here:
  * "the user's profile" is the per-user-only folders and the Start menu, desktop, startup,
    template and administrative-tools folders, with everything under them;
  * for ICE57, a file, shortcut or folder in the profile is per-user data and one elsewhere is
    per-machine data; a registry root of -1 (HKMU) is either;
  * ICE03 has no _Validation table to read (wixl writes none): the column rules that matter here
    are written out below, beside the generic ones the column definitions give.

Usage: ice_check.py <package.msi>...   (prints each finding, exits 1 if there is any)
"""

import os
import pathlib
import re
import subprocess
import sys
import tempfile

PER_USER_ONLY = {
    "AppDataFolder", "FavoritesFolder", "NetHoodFolder", "PersonalFolder", "PrintHoodFolder",
    "RecentFolder", "SendToFolder", "MyPicturesFolder", "LocalAppDataFolder",
}
PROFILE = PER_USER_ONLY | {
    "DesktopFolder", "ProgramMenuFolder", "StartMenuFolder", "StartupFolder", "TemplateFolder",
    "AdminToolsFolder",
}
STANDARD_FOLDERS = PROFILE | {
    "TARGETDIR", "ProgramFilesFolder", "ProgramFiles64Folder", "CommonFilesFolder",
    "CommonFiles64Folder", "CommonAppDataFolder", "FontsFolder", "System16Folder",
    "System64Folder", "SystemFolder", "TempFolder", "WindowsFolder", "WindowsVolume",
}
# Non-folder properties of the installer's property reference (ICE99).
RESERVED_PROPERTIES = {
    "ACTION", "ADDDEFAULT", "ADDLOCAL", "ADDSOURCE", "ADVERTISE", "ALLUSERS", "ARPINSTALLLOCATION",
    "ARPPRODUCTICON", "COMPADDLOCAL", "COMPADDSOURCE", "ComputerName", "CostingComplete",
    "CustomActionData", "Date", "FILEADDLOCAL", "FILEADDSOURCE", "INSTALLLEVEL", "Installed",
    "Intel", "LIMITUI", "LogonUser", "Manufacturer", "MSIINSTALLPERUSER", "MsiNTProductType",
    "OriginalDatabase", "PATCH", "Preselected", "Privileged", "ProductCode", "ProductLanguage",
    "ProductName", "ProductState", "ProductVersion", "REBOOT", "REINSTALL", "REINSTALLMODE",
    "REMOVE", "Resume", "SecureCustomProperties", "SourceDir", "TRANSFORMS", "Time", "UILevel",
    "UpgradeCode", "UserSID", "VersionMsi", "VersionNT", "VersionNT64", "WindowsBuild",
}
# Folders a per-user or dual-purpose package must not use (ICE105).
MACHINE_FOLDERS = {
    "AdminToolsFolder", "CommonAppDataFolder", "FontsFolder", "System16Folder", "System64Folder",
    "SystemFolder", "TempFolder", "WindowsFolder", "WindowsVolume",
}
# (table, column, referenced table): foreign keys whose value must be a key there (ICE03).
FOREIGN_KEYS = [
    ("Component", "Directory_", "Directory"), ("Directory", "Directory_Parent", "Directory"),
    ("File", "Component_", "Component"), ("Registry", "Component_", "Component"),
    ("Shortcut", "Directory_", "Directory"), ("Shortcut", "Component_", "Component"),
    ("Shortcut", "Icon_", "Icon"), ("RemoveFile", "Component_", "Component"),
    ("CreateFolder", "Directory_", "Directory"), ("CreateFolder", "Component_", "Component"),
    ("FeatureComponents", "Feature_", "Feature"), ("FeatureComponents", "Component_", "Component"),
    ("AppSearch", "Signature_", "RegLocator"),
]
GUID = re.compile(r"\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\}")
IDENTIFIER = re.compile(r"[A-Za-z_][A-Za-z0-9_.]*")


def short_name_pattern(allowed=""):
    """An 8.3 name: no space and none of the characters the Filename type forbids."""
    part = "[^" + re.escape("".join(c for c in '\\/?|><:*"+,;=[] .' if c not in allowed)) + "]"
    return re.compile(f"{part}{{1,8}}(\\.{part}{{1,3}})?")


SHORT_NAME = short_name_pattern()
SHORT_NAME_PATTERN = short_name_pattern(allowed="?*")  # RemoveFile's wildcards
LONG_NAME = re.compile(r'[^\\/?|><:*"]+')
FILE_REFERENCE = re.compile(r"\[([#!$])([^\]]+)\]")
REGISTRY_KEY_PATH = 4
SIXTY_FOUR_BIT = 256
NO_IMPERSONATE = 0x800


class Package:
    """The tables of one package: rows as dicts of column name to text (None for null)."""

    def __init__(self, path):
        self.columns, self.keys, self.rows = {}, {}, {}
        # msidump writes each table as an .idt file, and the streams of tables such as Binary
        # and Icon as files in the current folder: it runs in the scratch folder.
        with tempfile.TemporaryDirectory() as scratch:
            subprocess.run(["msidump", "-t", "-d", scratch, os.path.abspath(path)], check=True,
                           capture_output=True, cwd=scratch)
            for idt in sorted(pathlib.Path(scratch).glob("*.idt")):
                lines = idt.read_text(encoding="utf-8", errors="replace").splitlines()
                table, columns = idt.stem, lines[0].split("\t")
                self.columns[table] = list(zip(columns, lines[1].split("\t")))
                self.keys[table] = lines[2].split("\t")[1:]
                self.rows[table] = [dict(zip(columns, (v or None for v in line.split("\t"))))
                                    for line in lines[3:] if line]
        # Summary properties by number: 7 is the Template (platform;languages), 14 the Page
        # Count (the installer version the package needs).
        self.summary = {int(r["PropertyId"]): r["Value"]
                        for r in self.rows.pop("_SummaryInformation", [])}

    def table(self, name):
        return self.rows.get(name, [])

    def by_key(self, name):
        key = self.keys.get(name, [None])[0]
        return {row[key]: row for row in self.table(name)}

    def property(self, name):
        return next((r["Value"] for r in self.table("Property") if r["Property"] == name), None)

    def folders_up(self, directory):
        """The folder and every folder above it."""
        parents = {d["Directory"]: d["Directory_Parent"] for d in self.table("Directory")}
        seen = []
        while directory and directory not in seen:
            seen.append(directory)
            directory = parents.get(directory)
        return seen

    def in_folders(self, directory, folders):
        return any(d in folders for d in self.folders_up(directory))

    def component_directory(self, component):
        return self.by_key("Component").get(component, {}).get("Directory_")


def number(text):
    return int(text) if text is not None else None


def valid_filename(text, wildcards=False):
    short, bar, long = text.partition("|")
    pattern = SHORT_NAME_PATTERN if wildcards else SHORT_NAME
    return (pattern.fullmatch(short) is not None
            and (not bar or LONG_NAME.fullmatch(long) is not None))


# --- ICE03: column data -------------------------------------------------------------------------

def column_data(p):
    for table, columns in p.columns.items():
        if table.startswith("_"):
            continue
        keys = set()
        for row in p.table(table):
            key = tuple(row[k] for k in p.keys[table])
            if key in keys:
                yield f"{table}: duplicate key {key}"
            keys.add(key)
            for column, kind in columns:
                value = row[column]
                if value is None:
                    if kind[0].islower():
                        yield f"{table}.{column}: null in a column that needs a value ({key})"
                elif kind[0] in "sSlL" and 0 < int(kind[1:]) < len(value):
                    yield f"{table}.{column}: longer than {kind[1:]} characters ({key})"
                elif kind[0] in "iI" and not re.fullmatch(r"-?\d+", value):
                    yield f"{table}.{column}: {value!r} is not a number ({key})"


def foreign_keys(p):
    for table, column, target in FOREIGN_KEYS:
        keys = p.by_key(target)
        for row in p.table(table):
            value = row.get(column)
            if value is not None and value not in keys:
                yield f"{table}.{column}: {value!r} is not in {target}"


def identifiers_and_guids(p):
    for table in ("Component", "Directory", "File", "Feature", "Registry", "Shortcut",
                  "RemoveFile", "CustomAction", "Binary", "Icon", "Property"):
        for key in p.by_key(table):
            if not IDENTIFIER.fullmatch(key):
                yield f"{table}: key {key!r} is not an identifier"
    for c in p.table("Component"):
        if c["ComponentId"] is not None and not GUID.fullmatch(c["ComponentId"]):
            yield f"Component {c['Component']}: {c['ComponentId']} is not an upper-case GUID"


def file_names(p):
    names = [("File", r["File"], r["FileName"]) for r in p.table("File")]
    names += [("Shortcut", r["Shortcut"], r["Name"]) for r in p.table("Shortcut")]
    for d in p.table("Directory"):
        if d["Directory_Parent"] not in (None, d["Directory"]):
            names += [("Directory", d["Directory"], part)
                      for part in d["DefaultDir"].split(":") if part != "."]
    for table, key, name in names:
        if not valid_filename(name):
            yield f"{table} {key}: {name!r} is not a short or short|long file name"
    for r in p.table("RemoveFile"):
        if r["FileName"] is not None and not valid_filename(r["FileName"], wildcards=True):
            yield f"RemoveFile {r['FileKey']}: {r['FileName']!r} is not a file name pattern"


def value_ranges(p):
    for r in p.table("Registry"):
        if number(r["Root"]) not in (-1, 0, 1, 2, 3):
            yield f"Registry {r['Registry']}: root {r['Root']} is none of -1, 0, 1, 2, 3"
        if r["Key"].startswith("\\") or r["Key"].endswith("\\"):
            yield f"Registry {r['Registry']}: key {r['Key']!r} starts or ends with a backslash"
    for r in p.table("Shortcut"):
        if number(r["ShowCmd"]) not in (None, 1, 3, 7):
            yield f"Shortcut {r['Shortcut']}: ShowCmd {r['ShowCmd']} is none of 1, 3, 7"
    for r in p.table("RemoveFile"):
        if number(r["InstallMode"]) not in (1, 2, 3):
            yield f"RemoveFile {r['FileKey']}: InstallMode {r['InstallMode']} is none of 1, 2, 3"
    roots = [d["Directory"] for d in p.table("Directory")
             if d["Directory_Parent"] in (None, d["Directory"])]
    if roots != ["TARGETDIR"]:
        yield f"Directory: the roots are {roots}, not TARGETDIR alone"


# --- Component GUIDs and key paths ----------------------------------------------------------------

def key_paths_point_back(p):  # ICE02
    files, registry = p.by_key("File"), p.by_key("Registry")
    for c in p.table("Component"):
        if c["KeyPath"] is None:
            continue
        rows = registry if number(c["Attributes"]) & REGISTRY_KEY_PATH else files
        if rows.get(c["KeyPath"], {}).get("Component_") != c["Component"]:
            yield f"Component {c['Component']}: key path {c['KeyPath']} is not one of its own"


def unique_component_guids(p):  # ICE08
    seen = {}
    for c in p.table("Component"):
        if c["ComponentId"] in seen:
            yield f"Component {c['Component']}: GUID {c['ComponentId']} is also {seen[c['ComponentId']]}'s"
        seen.setdefault(c["ComponentId"], c["Component"])


def empty_folder_key_paths(p):  # ICE18
    files = {r["Component_"] for r in p.table("File")}
    created = {(r["Component_"], r["Directory_"]) for r in p.table("CreateFolder")}
    removed = {(r["Component_"], r["DirProperty"]) for r in p.table("RemoveFile")}
    for c in p.table("Component"):
        here = (c["Component"], c["Directory_"])
        if c["KeyPath"] is None and c["Component"] not in files and here not in created | removed:
            yield f"Component {c['Component']}: a folder key path without a CreateFolder row"


def components_in_features(p):  # ICE21
    featured = {r["Component_"] for r in p.table("FeatureComponents")}
    for c in p.table("Component"):
        if c["Component"] not in featured:
            yield f"Component {c['Component']} belongs to no feature"


def product_identity(p):  # ICE24
    if not GUID.fullmatch(p.property("ProductCode") or ""):
        yield f"ProductCode {p.property('ProductCode')} is not an upper-case GUID"
    version = re.fullmatch(r"(\d+)\.(\d+)\.(\d+)(\.\d+)?", p.property("ProductVersion") or "")
    if not version or int(version[1]) > 255 or int(version[2]) > 255 or int(version[3]) > 65535:
        yield f"ProductVersion {p.property('ProductVersion')} is not a product version"
    if not (p.property("ProductLanguage") or "").isdigit():
        yield f"ProductLanguage {p.property('ProductLanguage')} is not a language id"


# --- The user's profile ---------------------------------------------------------------------------

def registry_key_path(p, component):
    """The Registry row a component is keyed by, or None when its key path is no registry value."""
    if not number(component["Attributes"]) & REGISTRY_KEY_PATH or component["KeyPath"] is None:
        return None
    return p.by_key("Registry").get(component["KeyPath"])


def keyed_by_user_value(p, component):
    row = registry_key_path(p, component)
    return (row is not None and number(row["Root"]) in (1, -1)
            and row["Component_"] == component["Component"])


def profile_key_paths(p):  # ICE38
    for c in p.table("Component"):
        if p.in_folders(c["Directory_"], PROFILE) and not keyed_by_user_value(p, c):
            yield f"Component {c['Component']} is in the user's profile without an HKCU key path"


def shortcut_key_paths(p):  # ICE43
    features = p.by_key("Feature")
    components = p.by_key("Component")
    for s in p.table("Shortcut"):
        component = components.get(s["Component_"])
        if s["Target"] not in features and not (component and keyed_by_user_value(p, component)):
            yield f"Shortcut {s['Shortcut']}: its component {s['Component_']} has no HKCU key path"


def data_class(p, directory):
    return "user" if p.in_folders(directory, PROFILE) else "machine"


ROOT_CLASS = {1: "user", 2: "machine", -1: "either"}


def mixed_data(p):  # ICE57
    registry = p.table("Registry")
    for c in p.table("Component"):
        name = c["Component"]
        data = {ROOT_CLASS.get(number(r["Root"])) for r in registry if r["Component_"] == name}
        if any(f["Component_"] == name for f in p.table("File")) or c["KeyPath"] is None:
            data.add(data_class(p, c["Directory_"]))
        data |= {data_class(p, s["Directory_"]) for s in p.table("Shortcut")
                 if s["Component_"] == name and "[" in s["Target"]}
        row = registry_key_path(p, c)
        key = ROOT_CLASS.get(number(row["Root"])) if row else data_class(p, c["Directory_"])
        if {"user", "machine"} <= data and key != "either":
            yield f"Component {name} mixes per-user and per-machine data ({key} key path)"
        elif "either" in data and key == "machine":
            yield f"Component {name}: HKMU data with a per-machine key path"
        elif "user" in data and key == "either":
            yield f"Component {name}: per-user data with an HKMU key path"


def profile_folders_removed(p):  # ICE64
    removed = {r["DirProperty"] for r in p.table("RemoveFile") if r["FileName"] is None}
    for d in p.table("Directory"):
        directory = d["Directory"]
        if (directory not in STANDARD_FOLDERS and p.in_folders(directory, PROFILE)
                and directory not in removed):
            yield f"Directory {directory} is in the user's profile without a RemoveFile row"


def public_shortcut_folders(p):  # ICE90
    for s in p.table("Shortcut"):
        directory = s["Directory_"]
        if directory.isupper() and p.in_folders(directory, PROFILE):
            yield f"Shortcut {s['Shortcut']}: folder {directory} is a public property in the profile"


def per_user_only_folders(p):  # ICE91
    places = [("File", f["File"], p.component_directory(f["Component_"])) for f in p.table("File")]
    places += [("Shortcut", s["Shortcut"], s["Directory_"]) for s in p.table("Shortcut")]
    for table, key, directory in places:
        if p.in_folders(directory, PER_USER_ONLY):
            yield f"{table} {key} lies in a per-user-only folder ({directory})"


# --- Sequences, upgrades, references ----------------------------------------------------------

def sequence(p, table):
    return {r["Action"]: number(r["Sequence"]) for r in p.table(table)}


def folder_actions_before_costing(p):  # ICE12
    directories = p.by_key("Directory")
    for table in ("InstallUISequence", "InstallExecuteSequence"):
        order = sequence(p, table)
        for a in p.table("CustomAction"):
            kind = number(a["Type"]) & 0x3F
            at = order.get(a["Action"])
            if at is None or "CostFinalize" not in order:
                continue
            if kind == 51 and a["Source"] in directories and at > order["CostFinalize"]:
                yield f"{table}: {a['Action']} sets folder {a['Source']} after CostFinalize"
            if kind == 35 and at < order["CostFinalize"]:
                yield f"{table}: {a['Action']} sets a folder before CostFinalize"


def upgrade_rows(p):  # ICE61
    secure = (p.property("SecureCustomProperties") or "").split(";")
    version = tuple(int(x) for x in p.property("ProductVersion").split(".")[:3])
    seen = set()
    for u in p.table("Upgrade"):
        prop = u["ActionProperty"]
        if prop in seen or not prop.isupper() or prop not in secure or p.property(prop):
            yield f"Upgrade: {prop} must be public, secure, unset and used once"
        seen.add(prop)
        if u["VersionMax"] is None or number(u["Attributes"]) & 2:
            continue
        maximum = tuple(int(x) for x in u["VersionMax"].split(".")[:3])
        if maximum > version or (maximum == version and number(u["Attributes"]) & 512):
            yield f"Upgrade: {prop} would remove this version or a newer one"


def remove_existing_products(p):  # ICE63
    order = sequence(p, "InstallExecuteSequence")
    at = order.get("RemoveExistingProducts")
    if at is None:
        return
    initialize = order.get("InstallInitialize", 0)
    between = [a for a, s in order.items() if initialize < s < at]
    if not (order.get("InstallValidate", 0) < at < initialize or (at > initialize and not between)
            or at > order.get("InstallFinalize", at)):
        yield f"RemoveExistingProducts at {at} is not where Windows Installer allows it"


def cross_component_references(p):  # ICE67, ICE69
    file_component = {f["File"]: f["Component_"] for f in p.table("File")}
    texts = [("Shortcut", s["Shortcut"], s["Component_"], s["Target"], s["Arguments"])
             for s in p.table("Shortcut")]
    texts += [("Registry", r["Registry"], r["Component_"], r["Key"], r["Name"], r["Value"])
              for r in p.table("Registry")]
    for table, key, component, *columns in texts:
        for kind, name in FILE_REFERENCE.findall(" ".join(c for c in columns if c)):
            other = file_component.get(name) if kind in "#!" else name
            if other != component:
                yield f"{table} {key} refers to [{kind}{name}] of component {other}"


def sixty_four_bit(p):  # ICE80
    platform = p.summary.get(7, "").split(";")[0]
    pages = int(p.summary.get(14) or 0)
    for c in p.table("Component"):
        wide = number(c["Attributes"]) & SIXTY_FOUR_BIT
        if wide and not (platform in ("x64", "Intel64", "Arm64") and pages >= 200):
            yield f"Component {c['Component']} is 64-bit in a package that is not"
        narrow = p.in_folders(c["Directory_"], {"ProgramFilesFolder", "CommonFilesFolder"})
        if wide and narrow:
            yield f"Component {c['Component']} is 64-bit in a 32-bit folder"


def publishing_actions(p):  # ICE82
    order = sequence(p, "InstallExecuteSequence")
    present = [a in order for a in ("RegisterProduct", "RegisterUser", "PublishProduct",
                                    "PublishFeatures")]
    if any(present) and not all(present):
        yield "InstallExecuteSequence has some but not all of the publishing actions"
    for table in ("InstallUISequence", "InstallExecuteSequence"):
        numbers = [s for s in sequence(p, table).values() if s is not None and s > 0]
        if len(numbers) != len(set(numbers)):
            yield f"{table}: two actions share a sequence number"


def reserved_folder_names(p):  # ICE99
    for d in p.table("Directory"):
        if d["Directory"] in RESERVED_PROPERTIES:
            yield f"Directory {d['Directory']} is named like an installer property"


# What MsiLockPermissionsEx.Table may name, and the column of that table its LockObject names.
LOCKABLE = {"CreateFolder": "Directory_", "File": "File", "Registry": "Registry",
            "ServiceInstall": "ServiceInstall"}
SDDL_ALIASES = {
    "AN", "AO", "AU", "BA", "BG", "BO", "BU", "CA", "CG", "CO", "DA", "DC", "DD", "DG", "DU",
    "EA", "ED", "IU", "LA", "LG", "LS", "NO", "NS", "NU", "PA", "PO", "PS", "PU", "RC", "RD",
    "RE", "RO", "RS", "RU", "SA", "SO", "SU", "SY", "WD", "AC", "OW",
}
SDDL_RIGHTS = {
    "GA", "GR", "GW", "GX", "RC", "SD", "WD", "WO", "RP", "WP", "CC", "DC", "LC", "SW", "LO", "DT",
    "CR", "FA", "FR", "FW", "FX", "KA", "KR", "KW", "KX",
}
SDDL_ACE = re.compile(r"\((A|D);((?:CI|OI|NP|IO)*);((?:0x[0-9A-Fa-f]+)|(?:[A-Z]{2})+);;;"
                      r"([A-Z]{2}|S-1-\d+(?:-\d+)+)\)")
SDDL_DACL = re.compile(r"(?:O:([A-Z]{2}|S-1-[\d-]+))?(?:G:([A-Z]{2}|S-1-[\d-]+))?"
                       r"D:(P?(?:AI|AR)*)((?:\([^()]*\))+)")


def sddl_faults(text):
    """What keeps `text` from being a security descriptor of owner, group and access-allowed
    or -denied entries (the form this package writes); empty when it is one."""
    match = SDDL_DACL.fullmatch(text)
    if not match:
        return ["not of the form [O:owner][G:group]D:[P][AI]( ... )"]
    faults = [f"unknown account {sid}" for sid in match.group(1, 2)
              if sid and not sid.startswith("S-") and sid not in SDDL_ALIASES]
    for ace in re.findall(r"\([^()]*\)", match.group(4)):
        parsed = SDDL_ACE.fullmatch(ace)
        if not parsed:
            faults.append(f"entry {ace} is not an access-allowed or -denied entry")
            continue
        rights, sid = parsed.group(3, 4)
        if not rights.startswith("0x"):
            faults += [f"entry {ace}: unknown right {rights[i:i + 2]}"
                       for i in range(0, len(rights), 2) if rights[i:i + 2] not in SDDL_RIGHTS]
        if not sid.startswith("S-") and sid not in SDDL_ALIASES:
            faults.append(f"entry {ace}: unknown account {sid}")
    return faults


def locked_permissions(p):  # ICE104
    if p.table("LockPermissions") and p.table("MsiLockPermissionsEx"):
        yield "LockPermissions and MsiLockPermissionsEx are both used"
    for r in p.table("MsiLockPermissionsEx"):
        key, table = r["MsiLockPermissionsEx"], r["Table"]
        if table not in LOCKABLE:
            yield f"MsiLockPermissionsEx {key}: {table!r} is none of {', '.join(LOCKABLE)}"
        elif r["LockObject"] not in {row[LOCKABLE[table]] for row in p.table(table)}:
            yield f"MsiLockPermissionsEx {key}: {r['LockObject']!r} is not in {table}"
        for fault in sddl_faults(r["SDDLText"] or ""):
            yield f"MsiLockPermissionsEx {key}: SDDL {fault}"


def per_user_package(p):  # ICE105
    for a in p.table("CustomAction"):
        if number(a["Type"]) & NO_IMPERSONATE:
            yield f"CustomAction {a['Action']} runs elevated"
    for d in p.table("Directory"):
        if d["Directory"] in MACHINE_FOLDERS:
            yield f"Directory {d['Directory']} is a machine-wide system folder"
    for r in p.table("Registry"):
        if number(r["Root"]) == 2:
            yield f"Registry {r['Registry']} writes under HKLM"
    for table in ("ServiceInstall", "ODBCDataSource", "MsiAssembly"):
        if p.table(table):
            yield f"{table} has rows"


# (ICE number, severity, rule, check). Severity as the reference gives it; any finding fails.
RULES = [
    ("ICE02", "E", "a component's key path is one of its own rows", key_paths_point_back),
    ("ICE03", "E", "no duplicate key, no null where a value is needed, no string too long",
     column_data),
    ("ICE03", "E", "foreign keys name existing rows", foreign_keys),
    ("ICE03", "E", "identifiers as keys, upper-case component GUIDs", identifiers_and_guids),
    ("ICE03", "E", "file, folder and shortcut names are short or short|long", file_names),
    ("ICE03", "E", "registry roots and keys, ShowCmd, InstallMode, one root folder",
     value_ranges),
    ("ICE08", "E", "no two components share a GUID", unique_component_guids),
    ("ICE12", "E", "folder-setting actions before or after CostFinalize as their type needs",
     folder_actions_before_costing),
    ("ICE18", "E", "a folder key path has its CreateFolder row", empty_folder_key_paths),
    ("ICE21", "E", "every component belongs to a feature", components_in_features),
    ("ICE24", "E", "product code, version and language are valid", product_identity),
    ("ICE38", "E", "components in the profile are keyed by an HKCU value", profile_key_paths),
    ("ICE43", "E", "non-advertised shortcuts are in components keyed by an HKCU value",
     shortcut_key_paths),
    ("ICE57", "E/W", "no component mixes per-user and per-machine data", mixed_data),
    ("ICE61", "E/W", "upgrade rows are secure and never remove this or a newer version",
     upgrade_rows),
    ("ICE63", "E/W", "RemoveExistingProducts where it may be", remove_existing_products),
    ("ICE64", "E/W", "every new folder in the profile has a RemoveFile row",
     profile_folders_removed),
    ("ICE69", "E/W", "formatted texts refer to files of their own component",
     cross_component_references),
    ("ICE80", "E", "64-bit components in a 64-bit package and 64-bit folders", sixty_four_bit),
    ("ICE82", "E/W", "publishing actions all or none, no shared sequence numbers",
     publishing_actions),
    ("ICE90", "W", "shortcut folders in the profile are not public properties",
     public_shortcut_folders),
    ("ICE91", "W", "no file or shortcut in a per-user-only folder", per_user_only_folders),
    ("ICE99", "E", "no folder named like an installer property", reserved_folder_names),
    ("ICE104", "E", "locked objects exist, their SDDL is well formed, no LockPermissions beside",
     locked_permissions),
    ("ICE105", "E", "nothing a per-user package may not do", per_user_package),
]


def check(path):
    """Every finding for the package, as 'ICEnn S: text' lines."""
    package = Package(path)
    return [f"{ice} {severity}: {finding}"
            for ice, severity, _, rule in RULES for finding in rule(package)]


def main():
    if len(sys.argv) < 2:
        print(__doc__.splitlines()[-1].strip(), file=sys.stderr)
        return 2
    failed = False
    for path in sys.argv[1:]:
        findings = check(path)
        for finding in findings:
            print(f"{path}: {finding}")
        failed |= bool(findings)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
