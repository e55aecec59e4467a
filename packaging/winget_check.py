#!/usr/bin/env python3
"""Checks the winget manifests of a Mirvot package offline, against the package itself.

winget's own validation (winget validate, the community repository's pipeline) runs only on
Windows and online. This checker applies the rules that can be checked here, one row of RULES for
each point of the offline checklist: the folder and the files, the YAML, the headers, the schema's
limits, the identity across files, the two scopes, the installer URL and hash, the package's own
tables, the installer switches, the return codes and the dependency, the default locale. Every
finding is reported; winget_manifests.py writes no manifests with findings.

The YAML is read by a strict reader of the subset the manifests use (block mappings and lists,
plain and single-quoted scalars, comments only before the first key): anything else, a tab, a
duplicate key, is a finding, never a guess. Every scalar is read as text, as the winget client
reads it.

Usage: winget_check.py <manifest folder> <package.msi>   (prints each finding, exits 1 if any)
"""

import datetime
import hashlib
import pathlib
import re
import shlex
import subprocess
import sys
import tempfile

MANIFEST_VERSION = "1.12.0"
RUNTIME_PACKAGE = "Microsoft.EdgeWebView2Runtime"
TYPES = {"version": "", "defaultLocale": ".locale.{locale}", "installer": ".installer"}
URL = r"[Hh][Tt][Tt][Pp][Ss]?://.+"
LOCALE = r"([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*"
SEGMENT = r"[^.\s\\/:*?\"<>|\x01-\x1f]{1,32}"
RESPONSES = {
    "packageInUse", "packageInUseByApplication", "installInProgress", "fileInUse",
    "missingDependency", "diskFull", "insufficientMemory", "invalidParameter", "noNetwork",
    "contactSupport", "rebootRequiredToFinish", "rebootRequiredForInstall", "rebootInitiated",
    "cancelledByUser", "alreadyInstalled", "downgrade", "blockedByPolicy", "systemNotSupported",
    "custom",
}
# Scalars by key, wherever they stand: (shortest, longest, pattern or set of values).
SCALARS = {
    "PackageIdentifier": (1, 128, rf"{SEGMENT}(\.{SEGMENT}){{1,7}}"),
    "PackageVersion": (1, 128, r"[^\\/:*?\"<>|\x01-\x1f]+"),
    "DefaultLocale": (1, 20, LOCALE), "PackageLocale": (1, 20, LOCALE),
    "ManifestVersion": (5, 14, r"(0|[1-9]\d{0,4})(\.(0|[1-9]\d{0,4})){2}"),
    "Publisher": (2, 256, None), "PackageName": (2, 256, None), "License": (3, 512, None),
    "ShortDescription": (3, 256, None), "Description": (3, 10000, None), "Moniker": (1, 40, None),
    "Author": (2, 256, None), "Copyright": (3, 512, None),
    "PublisherUrl": (1, 2048, URL), "PublisherSupportUrl": (1, 2048, URL),
    "PrivacyUrl": (1, 2048, URL), "PackageUrl": (1, 2048, URL), "LicenseUrl": (1, 2048, URL),
    "InstallerUrl": (1, 2048, URL),
    "Architecture": (1, 7, {"x86", "x64", "arm", "arm64", "neutral"}),
    "Scope": (1, 7, {"user", "machine"}),
    "InstallerType": (1, 8, {"msix", "msi", "appx", "exe", "zip", "inno", "nullsoft", "wix",
                             "burn", "pwa", "portable", "font"}),
    "InstallerSha256": (64, 64, r"[0-9A-Fa-f]{64}"),
    "ProductCode": (1, 255, None), "UpgradeCode": (1, 255, None), "DisplayName": (1, 256, None),
    "DisplayVersion": (1, 128, None),
    "ElevationRequirement": (1, 19, {"elevationRequired", "elevatesSelf", "elevationProhibited"}),
    "UpgradeBehavior": (1, 17, {"install", "uninstallPrevious", "deny"}),
    "Silent": (1, 512, None), "SilentWithProgress": (1, 512, None), "Interactive": (1, 512, None),
    "InstallLocation": (1, 512, None), "Log": (1, 512, None), "Upgrade": (1, 512, None),
    "Repair": (1, 512, None), "Custom": (1, 2048, None),
    "InstallerReturnCode": (1, 10, r"-?\d+"), "ReturnResponse": (1, 25, RESPONSES),
    "DefaultInstallLocation": (1, 2048, None), "ReleaseDate": (10, 10, r"\d{4}-\d{2}-\d{2}"),
    "MinimumVersion": (1, 128, r"[^\\/:*?\"<>|\x01-\x1f]+"),
}
# Lists by key: (most items, items unique).
LISTS = {
    "Tags": (16, True), "InstallModes": (3, True), "Installers": (1024, False),
    "ExpectedReturnCodes": (128, True), "InstallerSuccessCodes": (16, True),
    "AppsAndFeaturesEntries": (128, True), "PackageDependencies": (16, True),
}
# The keys each file may use, at any depth (the 1.12.0 schemas' keys that this package may need).
COMMON_KEYS = {"PackageIdentifier", "PackageVersion", "ManifestType", "ManifestVersion"}
KNOWN_KEYS = {
    "version": COMMON_KEYS | {"DefaultLocale"},
    "defaultLocale": COMMON_KEYS | {
        "PackageLocale", "Publisher", "PublisherUrl", "PublisherSupportUrl", "PrivacyUrl",
        "Author", "PackageName", "PackageUrl", "License", "LicenseUrl", "Copyright",
        "CopyrightUrl", "ShortDescription", "Description", "Moniker", "Tags", "ReleaseNotes",
        "ReleaseNotesUrl", "InstallationNotes"},
    "installer": COMMON_KEYS | {
        "InstallerType", "InstallModes", "InstallerSwitches", "Silent", "SilentWithProgress",
        "Interactive", "InstallLocation", "Log", "Upgrade", "Repair", "Custom",
        "UpgradeBehavior", "ExpectedReturnCodes", "InstallerReturnCode", "ReturnResponse",
        "ReturnResponseUrl", "InstallerSuccessCodes", "ReleaseDate", "Dependencies",
        "PackageDependencies", "MinimumVersion", "ProductCode", "AppsAndFeaturesEntries",
        "DisplayName", "Publisher", "DisplayVersion", "UpgradeCode", "Installers",
        "Architecture", "Scope", "InstallerUrl", "InstallerSha256", "ElevationRequirement",
        "InstallationMetadata", "DefaultInstallLocation", "MinimumOSVersion"},
}
BLOCKED_PROPERTIES = {"TRANSFORMS", "PATCH", "MSINEWINSTANCE", "ADMINPROPERTIES"}
MSIEXEC_SWITCH = re.compile(r"/(q[nbrf]?[+-]?|quiet|passive|norestart|forcerestart|"
                            r"promptrestart|l[*iwearucmopvx+!]*|log)", re.I)
# The package's folder property, which winget's --location must set (see winget_manifests.py).
FOLDER_PROPERTY = "INSTALLDIR"


class YamlError(Exception):
    pass


def _scalar(text, line):
    if text.startswith("'"):
        if len(text) < 2 or not text.endswith("'") or re.search(r"(?<!')'(?!')", text[1:-1]):
            raise YamlError(f"line {line}: broken single-quoted scalar {text!r}")
        return text[1:-1].replace("''", "'")
    if (not text or text[0] in "\"{[]}#&*!|>%@`,?:-" or ": " in text or " #" in text
            or text != text.strip()):
        raise YamlError(f"line {line}: {text!r} is not a plain scalar")
    return text


def read_yaml(text):
    """The mapping a manifest holds, every scalar as text; YamlError for anything outside the
    subset (tabs, flow collections, anchors, duplicate keys, uneven indentation, comments after
    the first key)."""
    if "\t" in text:
        raise YamlError("a tab")
    lines = []
    for number, raw in enumerate(text.splitlines(), 1):
        if not raw.strip() or (raw.startswith("#") and not lines):
            continue
        if raw.lstrip().startswith("#"):
            raise YamlError(f"line {number}: a comment after the first key")
        lines.append((len(raw) - len(raw.lstrip(" ")), raw.strip(), number))
    position = 0

    def block(indent):
        nonlocal position
        if position < len(lines) and lines[position][1].startswith("- "):
            return sequence(indent)
        return mapping(indent)

    def mapping(indent, first=None):
        nonlocal position
        result = {}
        while position < len(lines) or first:
            column, content, number = first or lines[position]
            if column < indent and not first:
                break
            if column != indent and not first:
                raise YamlError(f"line {number}: indented {column}, expected {indent}")
            first = None
            key, colon, rest = content.partition(":")
            if not colon or not re.fullmatch(r"[A-Za-z][A-Za-z0-9]*", key) or (rest and rest[0] != " "):
                raise YamlError(f"line {number}: {content!r} is not 'Key: value'")
            if key in result:
                raise YamlError(f"line {number}: duplicate key {key}")
            position += 1
            if rest.strip():
                result[key] = _scalar(rest.strip(), number)
            elif position < len(lines) and lines[position][0] > indent:
                result[key] = block(lines[position][0])
            elif position < len(lines) and lines[position][0] == indent \
                    and lines[position][1].startswith("- "):
                result[key] = sequence(indent)
            else:
                raise YamlError(f"line {number}: {key} has no value")
        return result

    def sequence(indent):
        nonlocal position
        result = []
        while position < len(lines) and lines[position][0] == indent \
                and lines[position][1].startswith("- "):
            _, content, number = lines[position]
            item = content[2:]
            if re.match(r"[A-Za-z][A-Za-z0-9]*:( |$)", item):
                lines[position] = (indent + 2, item, number)
                result.append(mapping(indent + 2))
            else:
                result.append(_scalar(item, number))
                position += 1
        return result

    document = mapping(0)
    if position != len(lines):
        raise YamlError(f"line {lines[position][2]}: unexpected indentation")
    return document


def package_properties(package):
    """The package's Property table, name to value; ValueError when it cannot be read."""
    # msiinfo writes the table's streams into its working folder: a scratch one, not the caller's.
    with tempfile.TemporaryDirectory() as scratch:
        result = subprocess.run(["msiinfo", "export", str(pathlib.Path(package).resolve()),
                                 "Property"], capture_output=True, text=True, cwd=scratch)
    if result.returncode != 0:
        raise ValueError(f"cannot read the Property table of {package}: {result.stderr}")
    rows = (line.split("\t", 1) for line in result.stdout.splitlines()[3:] if "\t" in line)
    return {name: value.rstrip("\r") for name, value in rows}


class Manifests:
    """The files of one manifest folder and the package they describe."""

    def __init__(self, folder, package):
        self.folder, self.package = pathlib.Path(folder), pathlib.Path(package)
        self.raw = {p.name: p.read_bytes() for p in sorted(self.folder.iterdir())}
        self.docs, self.errors = {}, {}
        for name, data in self.raw.items():
            try:
                document = read_yaml(data.decode("utf-8"))
            except (UnicodeDecodeError, YamlError) as error:
                self.errors[name] = str(error)
                continue
            self.docs[document.get("ManifestType")] = document
        self.properties = package_properties(self.package)

    def doc(self, manifest_type):
        return self.docs.get(manifest_type, {})

    def installers(self):
        return self.doc("installer").get("Installers") or []

    def entry(self, scope):
        return next((i for i in self.installers() if i.get("Scope") == scope), {})


def walk(node, path=""):
    """Every (key path, key, value) of a document."""
    if isinstance(node, dict):
        for key, value in node.items():
            yield f"{path}{key}", key, value
            yield from walk(value, f"{path}{key}.")
    elif isinstance(node, list):
        for index, item in enumerate(node):
            yield from walk(item, f"{path[:-1]}[{index}].")


# --- the checklist ------------------------------------------------------------------------------

def layout_and_encoding(m):  # 1
    identifier = m.doc("version").get("PackageIdentifier", "")
    version = m.doc("version").get("PackageVersion", "")
    locale = m.doc("version").get("DefaultLocale", "")
    expected = ["manifests", identifier[:1].lower(), *identifier.split("."), version]
    if list(m.folder.parts[-len(expected):]) != expected:
        yield f"folder {m.folder} does not end in {'/'.join(expected)}"
    names = {identifier + suffix.format(locale=locale) + ".yaml" for suffix in TYPES.values()}
    if set(m.raw) != names:
        yield f"files {sorted(m.raw)}, not {sorted(names)}"
    for name, data in m.raw.items():
        endings = {e for e in re.findall(rb"\r\n|\r|\n", data)}
        if data.startswith(b"\xef\xbb\xbf") or len(endings) != 1 or not data.endswith(b"\n") \
                or b"\t" in data:
            yield f"{name}: a byte order mark, mixed or no line ends, or a tab"


def yaml_and_keys(m):  # 2
    for name, error in m.errors.items():
        yield f"{name}: not the YAML subset: {error}"
    for manifest_type, document in m.docs.items():
        for path, key, _ in walk(document):
            if key not in KNOWN_KEYS.get(manifest_type, set()):
                yield f"{manifest_type}: {path} is no key of the schema"


def headers(m):  # 3
    for name, data in m.raw.items():
        text = data.decode("utf-8", "replace")
        comments = [line for line in text.splitlines() if line.startswith("#")]
        declared = re.search(r"^ManifestType: (\S+)", text, re.M)
        manifest_type = declared.group(1) if declared else None
        schema = (f"# yaml-language-server: $schema=https://aka.ms/winget-manifest."
                  f"{manifest_type}.{MANIFEST_VERSION}.schema.json")
        if schema not in comments:
            yield f"{name}: no header {schema!r}"
    for manifest_type in TYPES:
        if m.doc(manifest_type).get("ManifestVersion") != MANIFEST_VERSION:
            yield f"{manifest_type}: ManifestVersion is not {MANIFEST_VERSION}"


def schema_limits(m):  # 4
    for manifest_type, document in m.docs.items():
        for path, key, value in walk(document):
            if isinstance(value, str) and key in SCALARS:
                shortest, longest, rule = SCALARS[key]
                if not shortest <= len(value) <= longest or (
                        isinstance(rule, set) and value not in rule) or (
                        isinstance(rule, str) and not re.fullmatch(rule, value)):
                    yield f"{manifest_type}: {path} = {value!r} breaks its schema rule"
            if key in LISTS:
                most, unique = LISTS[key]
                items = value if isinstance(value, list) else []
                if not isinstance(value, list) or not 1 <= len(items) <= most or (
                        unique and len({repr(i) for i in items}) != len(items)):
                    yield f"{manifest_type}: {path} has too many, too few or repeated items"
            if key in ("InstallerReturnCode", "InstallerSuccessCodes"):
                codes = value if isinstance(value, list) else [value]
                if any(not re.fullmatch(r"-?\d+", c) or int(c) == 0
                       or not -2147483648 <= int(c) <= 4294967295 for c in codes):
                    yield f"{manifest_type}: {path} holds a code out of range"
            if key == "ReleaseDate" and isinstance(value, str):
                try:
                    datetime.date.fromisoformat(value)
                except ValueError:
                    yield f"{manifest_type}: ReleaseDate {value!r} is no date"


def identity(m):  # 5
    version = m.doc("version")
    for key in ("PackageIdentifier", "PackageVersion", "ManifestVersion"):
        values = {m.doc(t).get(key) for t in TYPES}
        if len(values) != 1:
            yield f"{key} differs between the files: {sorted(map(str, values))}"
    if version.get("DefaultLocale") != m.doc("defaultLocale").get("PackageLocale"):
        yield "DefaultLocale is not the default locale file's PackageLocale"
    text = version.get("PackageVersion", "")
    if not re.fullmatch(r"\d+(\.\d+){0,3}", text):
        yield f"PackageVersion {text!r} does not parse as a version"


def scopes(m):  # 6
    entries = m.installers()
    keys = [(e.get("InstallerType", m.doc("installer").get("InstallerType")),
             e.get("Architecture"), e.get("InstallerLocale"), e.get("Scope")) for e in entries]
    if sorted(k[3] or "" for k in keys) != ["machine", "user"] or len(set(keys)) != len(keys) \
            or any(k[:2] != ("msi", "x64") for k in keys):
        yield f"installer entries {keys}, not one x64 msi entry for each of user and machine"
    machine, user = m.entry("machine"), m.entry("user")
    switches = {**m.doc("installer").get("InstallerSwitches", {})}
    if "ALLUSERS=1" not in shlex.split(machine.get("InstallerSwitches", {}).get("Custom", "")) \
            or machine.get("ElevationRequirement") != "elevationRequired":
        yield "the machine entry does not pass ALLUSERS=1 or does not require elevation"
    if "ALLUSERS=1" in " ".join(str(v) for v in {**switches, **user.get("InstallerSwitches", {})}
                                .values()) or "ElevationRequirement" in user:
        yield "the user entry installs for all users or asks for elevation"


def url_and_hash(m):  # 7
    version = m.doc("version").get("PackageVersion", "")
    urls = {e.get("InstallerUrl") for e in m.installers()}
    hashes = {e.get("InstallerSha256") for e in m.installers()}
    digest = hashlib.sha256(m.package.read_bytes()).hexdigest()
    if len(urls) != 1 or not re.fullmatch(rf"https://[^/\s]+/\S*Mirvot-{re.escape(version)}-x64"
                                          r"\.msi", next(iter(urls)) or ""):
        yield f"installer URLs {sorted(map(str, urls))}: not one https URL of this version's MSI"
    if len(hashes) != 1 or (next(iter(hashes)) or "").lower() != digest:
        yield f"installer hashes {sorted(map(str, hashes))}: not the package's SHA-256 {digest}"


def package_tables(m):  # 8
    p, installer, locale = m.properties, m.doc("installer"), m.doc("defaultLocale")
    codes = [installer.get("ProductCode")] + [e.get("ProductCode") for e in m.installers()
                                              if "ProductCode" in e]
    entries = installer.get("AppsAndFeaturesEntries", [])
    codes += [e.get("ProductCode") for e in entries]
    if any(code != p.get("ProductCode") for code in codes):
        yield f"product codes {codes}, not the package's {p.get('ProductCode')}"
    if not entries or any(e.get("UpgradeCode") != p.get("UpgradeCode")
                          or e.get("DisplayName", p.get("ProductName")) != p.get("ProductName")
                          or e.get("Publisher", p.get("Manufacturer")) != p.get("Manufacturer")
                          for e in entries):
        yield "the Apps & Features entries are not the package's"
    if m.doc("version").get("PackageVersion") != p.get("ProductVersion"):
        yield f"PackageVersion is not the package's ProductVersion {p.get('ProductVersion')}"
    if locale.get("Publisher") != p.get("Manufacturer") or \
            locale.get("PackageName") != p.get("ProductName"):
        yield "Publisher and PackageName are not the package's Manufacturer and ProductName"


def switches(m):  # 9
    found = [(f"root {k}", v) for k, v in m.doc("installer").get("InstallerSwitches", {}).items()]
    found += [(f"{e.get('Scope')} {k}", v) for e in m.installers()
              for k, v in e.get("InstallerSwitches", {}).items()]
    for where, value in found:
        try:
            words = shlex.split(value, posix=True)
        except ValueError:
            yield f"{where}: {value!r} does not parse"
            continue
        for word in words:
            name = word.split("=", 1)[0]
            if "=" in word and (name.upper() in BLOCKED_PROPERTIES or not re.fullmatch(r"\w+", name)):
                yield f"{where}: {word!r} is a blocked or malformed property"
            elif "=" not in word and not MSIEXEC_SWITCH.fullmatch(word) \
                    and not re.fullmatch(r"<\w+>|\S+\.log", word):
                yield f"{where}: {word!r} is no msiexec argument winget accepts"
        if "\\\\" in value or re.search(r"\w+://", value):
            yield f"{where}: {value!r} holds a '\\\\' or a URL"
    location = m.doc("installer").get("InstallerSwitches", {}).get("InstallLocation", "")
    secure = m.properties.get("SecureCustomProperties", "").split(";")
    if location != f'{FOLDER_PROPERTY}="<INSTALLPATH>"' or FOLDER_PROPERTY not in secure:
        yield f"InstallLocation {location!r} does not set the package's secure {FOLDER_PROPERTY}"
    for where, value in found:
        if where.endswith(" Log") and "<LOGPATH>" not in value:
            yield f"{where}: {value!r} has no <LOGPATH>"


def codes_and_dependency(m):  # 10
    installer = m.doc("installer")
    expected = {e.get("InstallerReturnCode") for e in installer.get("ExpectedReturnCodes", [])}
    if expected & set(installer.get("InstallerSuccessCodes", [])):
        yield "a code is both a success code and an expected return code"
    dependencies = installer.get("Dependencies", {})
    packages = dependencies.get("PackageDependencies", [])
    if set(dependencies) != {"PackageDependencies"} or \
            [p.get("PackageIdentifier") for p in packages] != [RUNTIME_PACKAGE]:
        yield f"dependencies {dependencies}, not {RUNTIME_PACKAGE} alone"
    for entry in m.installers():
        if "Dependencies" in entry:
            yield f"the {entry.get('Scope')} entry replaces the dependencies"


def default_locale(m, today=None):  # 11
    locale = m.doc("defaultLocale")
    required = {"PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher",
                "PackageName", "License", "ShortDescription", "ManifestType", "ManifestVersion"}
    if not required <= set(locale):
        yield f"the default locale lacks {sorted(required - set(locale))}"
    for key, value in locale.items():
        if key.endswith("Url") and not value.startswith("https://"):
            yield f"{key} {value!r} is not https"
    for document in m.docs.values():
        for path, key, _ in walk(document):
            if key in ("Agreements", "Icons", "Channel", "Authentication",
                       "DesiredStateConfiguration"):
                yield f"{path} is not allowed"
    released = m.doc("installer").get("ReleaseDate")
    if released and released > (today or datetime.date.today().isoformat()):
        yield f"ReleaseDate {released} is after the build"


# (checklist point, what it checks, check)
RULES = [
    (1, "folder layout, three files, UTF-8 without BOM, one line end style, final newline",
     layout_and_encoding),
    (2, "the YAML subset, no duplicate keys, keys of the file's schema", yaml_and_keys),
    (3, "header per file, ManifestType and ManifestVersion 1.12.0", headers),
    (4, "lengths, patterns, enums, item limits, uniqueness, return codes, dates", schema_limits),
    (5, "identifier, version and manifest version alike; locale; version parses", identity),
    (6, "one x64 msi entry per scope; machine ALLUSERS=1 and elevation; user neither", scopes),
    (7, "one https URL of this version's MSI and its SHA-256 in both entries", url_and_hash),
    (8, "product and upgrade codes, version, publisher and name from the package",
     package_tables),
    (9, "switches winget accepts; InstallLocation sets the secure INSTALLDIR", switches),
    (10, "no code in both lists; the WebView2 Runtime the only dependency",
     codes_and_dependency),
    (11, "the default locale's required keys, https URLs, nothing refused, release date",
     default_locale),
]


def check(folder, package):
    """Every finding for the manifests in `folder`, as 'N: text' lines."""
    manifests = Manifests(folder, package)
    return [f"{number}: {finding}" for number, _, rule in RULES for finding in rule(manifests)]


def main():
    if len(sys.argv) != 3:
        print(__doc__.splitlines()[-1].strip(), file=sys.stderr)
        return 2
    findings = check(sys.argv[1], sys.argv[2])
    for finding in findings:
        print(f"{sys.argv[1]}: {finding}")
    return 1 if findings else 0


if __name__ == "__main__":
    sys.exit(main())
