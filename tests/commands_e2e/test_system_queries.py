"""System query commands run by a real setup under Wine. The test first puts
known registry values, files and environment variables into its prefix, one
setup then queries them and writes each answer as a row of a text file; every
expectation is worked out here from the prefix itself (its registry through
`reg export`, its files from Linux, its environment through `cmd /c set`, the
executables' headers and version resources from their bytes)."""

import os
import platform
import re
import shutil
import subprocess
import unittest
import xml.etree.ElementTree as ElementTree

import qel_e2e as q
from command_rows import CRLF, RESULTS_FILE, RESULTS_FOLDER, RowsAssertions, RowScript, expand_newlines, read_rows
import pe_facts

STUB_NAME = "queries.exe"
KEY = r"Software\QelE2E\Values"
ONLY32 = r"Software\QelE2E\Only32"
ONLY64 = r"Software\QelE2E\Only64"
ENV_NAME = "QEL_E2E_VALUE"
ENV_VALUE = "value 1"

# Registry roots by the commands' root code and by the name `reg` knows.
ROOTS = {"0": "HKCR", "1": "HKCU", "2": "HKLM", "3": "HKU", "4": "HKCC"}
ROOT_KEYS = {"0": r"QelE2E.Values", "1": KEY, "2": KEY, "3": r".DEFAULT\Software\QelE2E\Values", "4": KEY}

# Values written beforehand: name, type, data as `reg add` takes it.
REGISTRY_VALUES = [
    ("text", "REG_SZ", "a value with blanks"),
    ("empty", "REG_SZ", ""),
    ("expand", "REG_EXPAND_SZ", r"%WINDIR%\x"),
    ("multi", "REG_MULTI_SZ", r"one\0two\0three"),
    ("single-multi", "REG_MULTI_SZ", "alone"),
    ("minus-one", "REG_DWORD", "0xffffffff"),
    ("seven", "REG_DWORD", "7"),
    ("lowest", "REG_DWORD", "0x80000000"),
    ("bytes", "REG_BINARY", "01ab"),
    ("no-bytes", "REG_BINARY", None),
    ("quad", "REG_QWORD", "0x100000000"),
    ("none", "REG_NONE", None),
    ("empty-multi", "REG_MULTI_SZ", ""),
    ("long-text", "REG_SZ", "".join("%05d;" % n for n in range(900))),
]

MARKERS = ("NO$KEY", "NO$VALUE", "READ$ERROR", "UNKNOWN$TYPE")


def registry_text(kind, data):
    """What "Check Registry" answers for a value of this type and data."""
    if kind in ("REG_SZ", "REG_EXPAND_SZ"):
        return data
    if kind == "REG_DWORD":
        return str(data - (1 << 32) if data >= 1 << 31 else data)
    if kind == "REG_BINARY":
        return data.hex().upper()
    if kind == "REG_MULTI_SZ":
        return "$NEWLINE$".join(data)
    return "UNKNOWN$TYPE"


def read_registry_text(check_text):
    return "" if check_text in MARKERS else check_text


def parse_version_text(text):
    """Up to four numbers; the text after the last dot counts 0 when it is not a number."""
    parts = text.split(".")
    numbers = [int(p) for p in parts[:-1]]
    last = parts[-1]
    numbers.append(int(last) if re.fullmatch(r"[+-]?\d+", last) else 0)
    return tuple((numbers + [0, 0, 0, 0])[:4])


def dotted(version):
    return ".".join(str(n) for n in version)


XML_TEXT = (
    '<?xml version="1.0"?>\r\n<config>\r\n'
    '  <item id="first">one</item>\r\n'
    '  <other id="x"/>\r\n'
    '  <item id="second">two</item>\r\n'
    '  <item id="third">three</item>\r\n'
    '  <group><entry id="in-first-group"/></group>\r\n'
    '  <group><entry id="in-second-group"/></group>\r\n'
    '</config>\r\n')

# The same kind of document in UTF-8: results come back as ANSI (code page 1252).
XML_UTF8_TEXT = (
    '<?xml version="1.0" encoding="UTF-8"?>\r\n<r>\r\n'
    '  <n name="caf\u00e9">na\u00efve</n>\r\n  <n name="\u00c5ngstr\u00f6m">\u00fcber</n>\r\n</r>\r\n')
XML_UTF8_ROWS = [
    ("name", r"r\n", "name", "\u00c5ngstr\u00f6m$NEWLINE$caf\u00e9"),
    ("text", r"r\n", "", "\u00fcber$NEWLINE$na\u00efve"),
]

# A small Windows Installer package, installed into the prefix beforehand.
MSI_PRODUCT = "{3C4D5E6F-7A8B-4C9D-8E0F-1A2B3C4D5E6F}"
MSI_SOURCE = """<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="%s" Name="Qel E2E Probe" Language="1033" Version="1.0.0"
           Manufacturer="Qel" UpgradeCode="{4D5E6F70-8B9C-4DAE-9F10-2B3C4D5E6F70}">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"/>
    <Media Id="1" Cabinet="probe.cab" EmbedCab="yes"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFilesFolder">
        <Directory Id="INSTALLDIR" Name="QelE2EProbe">
          <Component Id="Main" Guid="{5E6F7081-9CAD-4EBF-A021-3C4D5E6F7081}">
            <File Id="readme" Source="readme.txt"/>
          </Component>
        </Directory>
      </Directory>
    </Directory>
    <Feature Id="All" Level="1"><ComponentRef Id="Main"/></Feature>
  </Product>
</Wix>
""" % MSI_PRODUCT

# service name -> created beforehand (never started)
SERVICES = {"missing": "QelNoSuchService", "rpcss": "RpcSs", "stopped": "QelE2EStopped"}

INI_TEXT = (
    "[Main]\r\nColour=blue\r\nSpaced =  padded value  \r\nQuoted=\"in quotes\"\r\nEmpty=\r\n"
    "[Other]\r\nColour=red\r\n")

# section, key, expected (the way Windows profile reading trims and unquotes)
INI_ROWS = [
    ("Main", "Colour", "blue"),
    ("main", "COLOUR", "blue"),
    ("Other", "Colour", "red"),
    ("Main", "Spaced", "padded value"),
    ("Main", "Quoted", "in quotes"),
    ("Main", "Empty", ""),
    ("Main", "Missing", ""),
    ("Missing", "Colour", ""),
    ("", "Colour", ""),
    ("Main", "", ""),
]

# element path, attribute
XML_ROWS = [
    (r"config\item", "id"),
    (r"config\item", ""),
    (r"config\group\entry", "id"),
    (r"config\other", "id"),
    (r"config\Item", "id"),
    (r"Config\item", "id"),
    (r"config\missing\item", "id"),
    (r"config\item\none", "id"),
]


def expected_xml(path, attribute):
    """The rule applied with ElementTree: walk to the first matching child at
    each level above the last, collect every match at the last level, last
    one first."""
    root = ElementTree.fromstring(XML_TEXT.encode())
    names = path.split("\\")
    if root.tag != names[0]:
        return ""
    current, matches = root, [root]
    for depth, name in enumerate(names[1:], start=2):
        found = [child for child in current if child.tag == name]
        if not found:
            return ""
        if depth == len(names):
            matches = list(reversed(found))
        else:
            current = found[0]
    parts = [m.get(attribute) if attribute else (m.text or "") for m in matches]
    return "$NEWLINE$".join(p for p in parts if p is not None)


def version_at_least(version, wanted):
    return version >= wanted


class SystemQueriesTest(RowsAssertions, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.env = q.Env()
        cls.prefix = q.Prefix(cls.env, "queries")
        cls.prepare_prefix()
        cls.setup = q.build_setup(cls.env, cls.env.root / "queries-setup", cls.build_script().text())
        cls.result = cls.prefix.run(cls.setup, ["/s"], timeout=240, env={ENV_NAME: ENV_VALUE})
        cls.rows = read_rows(cls.prefix.c(RESULTS_FILE).read_bytes())

    @classmethod
    def tearDownClass(cls):
        cls.prefix.close()

    # ------------------------------------------------------------ the prefix

    @classmethod
    def prepare_prefix(cls):
        p = cls.prefix
        folder = p.c(RESULTS_FOLDER)
        folder.mkdir(parents=True, exist_ok=True)
        probe = os.environ.get("QEL_VERSIONED_PROBE")
        if not probe or not os.path.isfile(probe):
            raise RuntimeError("QEL_VERSIONED_PROBE names no built executable: %r" % probe)
        shutil.copyfile(probe, folder / "probe.exe")
        (folder / "settings.ini").write_bytes(INI_TEXT.encode("latin-1"))
        (folder / "config.xml").write_bytes(XML_TEXT.encode("latin-1"))
        (folder / "utf8.xml").write_bytes(XML_UTF8_TEXT.encode("utf-8"))
        (folder / "sub").mkdir(exist_ok=True)

        for code, root in ROOTS.items():
            key = root + "\\" + ROOT_KEYS[code]
            for name, kind, data in REGISTRY_VALUES:
                p.reg_add(key, name, kind, data)
            p.reg_add(key, "", "REG_SZ", "the default value")
        p.reg_add("HKLM\\" + ONLY32, "where", "REG_SZ", "32-bit view", view=32)
        p.reg_add("HKLM\\" + ONLY64, "where", "REG_SZ", "64-bit view", view=64)

        nt = r"HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion"
        p.reg_add(nt, "RegisteredOwner", "REG_SZ", "Qel Owner")
        p.reg_add(nt, "RegisteredOrganization", "REG_SZ", "Qel Organization")
        inetstp = r"HKLM\SOFTWARE\Microsoft\InetStp"
        p.reg_add(inetstp, "MajorVersion", "REG_DWORD", "7")
        p.reg_add(inetstp, "MinorVersion", "REG_DWORD", "0")
        p.reg_add(inetstp, "PathWWWRoot", "REG_EXPAND_SZ", r"%SystemDrive%\inetpub\wwwroot")
        p.reg_add(r"HKLM\SOFTWARE\Microsoft\Internet Explorer", "Version", "REG_SZ", "8.0.6001.18702")
        p.reg_add(r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Setup", "BootDir", "REG_SZ", "D:\\boot")

        package_folder = q.scratch(cls.env, "package")
        (package_folder / "readme.txt").write_text("probe\n")
        (package_folder / "probe.wxs").write_text(MSI_SOURCE)
        subprocess.run(["wixl", "-o", str(package_folder / "probe.msi"), str(package_folder / "probe.wxs")],
                       check=True, capture_output=True)
        done = p.wine_command(["msiexec", "/i", p.win(package_folder / "probe.msi"), "/qn"], timeout=300)
        if done.returncode != 0:
            raise RuntimeError("msiexec failed (%d): %r" % (done.returncode, done.stderr[-2000:]))
        p.wine_command(["sc", "create", SERVICES["stopped"], "binpath=", r"C:\windows\system32\notepad.exe"])

        done = p.wine_command(["cmd", "/c", "set"])
        cls.environment = {}
        for line in done.stdout.decode("latin-1").splitlines():
            name, sep, value = line.partition("=")
            if sep:
                cls.environment[name.upper()] = value

    def expand_env(self, text):
        return re.sub(r"%([^%]+)%", lambda m: self.environment.get(m.group(1).upper(), m.group(0)), text)

    # ------------------------------------------------------------ the script

    @classmethod
    def build_script(cls):
        s = RowScript("System Queries E2E", "{7E2D4C10-3B5A-4F6E-8D9C-0A1B2C3D4E5F}", STUB_NAME)
        folder = RESULTS_FOLDER

        for code, key in ROOT_KEYS.items():
            for name, _, _ in REGISTRY_VALUES + [("", None, None), ("absent", None, None)]:
                row = "reg.%s.%s" % (code, name or "default")
                s.statement("Check Registry", "RC", code, key, name)
                s.statement("Read Registry", "RR", code, key, name)
                s.row(row, "[$RC$][$RR$]")
            s.statement("Check Registry", "RC", code, key + r"\Missing", "text")
            s.statement("Read Registry", "RR", code, key + r"\Missing", "text")
            s.row("reg.%s.missing-key" % code, "[$RC$][$RR$]")

        # The bitness mode: a 64-bit process never runs under WOW64, so no mode,
        # and certainly not "true" in lower case, changes what it sees.
        for label, flags in [("initial", None), ("lower-case", ("true", "true", "true")),
                             ("win32", ("TRUE", "FALSE", "FALSE")), ("x64", ("FALSE", "FALSE", "TRUE"))]:
            if flags:
                s.statement("Set 64 Bit Mode", *flags)
            s.statement("Check Registry", "M32", "2", ONLY32, "where")
            s.statement("Check Registry", "M64", "2", ONLY64, "where")
            s.statement("Get Folder Location", "MPF", "20", "FALSE")
            s.statement("Get Folder Location", "MSYS", "23", "FALSE")
            s.row("mode." + label, "[$M32$][$M64$][$MPF$][$MSYS$]")

        for code, common in cls.folder_cases():
            s.statement("Get Folder Location", "F", str(code), common)
            s.row("folder.%d.%s" % (code, common), "[$F$]")

        for number in cls.setting_numbers():
            s.statement("Get System Settings", "S", str(number))
            s.row("setting.%d" % number, "[$S$]")
        s.statement("Get OS or SP Level", "OS", "TRUE")
        s.row("os.level", "[$OS$]")
        s.statement("Get OS or SP Level", "OS", "FALSE")
        s.row("os.service-pack", "[$OS$]")

        probe = pe_facts.file_version_of(os.environ["QEL_VERSIONED_PROBE"])
        for name, value in cls.version_texts(probe).items():
            s.set(name, value)
        for row_id, path in cls.version_files().items():
            s.statement("Get File Version", path, "$V$")
            s.row("version." + row_id, "[$V$]")
        for row_id, (against_file, reference_file, reference_text) in cls.version_checks().items():
            s.statement("Check File Version", "CV", folder + r"\probe.exe", against_file, reference_file,
                        reference_text)
            s.row("check-version." + row_id, "[$CV$]")

        for row_id, (path, is_file) in cls.existence_cases().items():
            s.statement("Does File/Folder Exist", "E", path, is_file)
            s.row("exists." + row_id, "[$E$]")

        for i, (section, key, _) in enumerate(INI_ROWS):
            s.statement("Get INI File Settings", "I", folder + r"\settings.ini", section, key)
            s.row("ini.%d" % i, "[$I$]")
        s.statement("Get INI File Settings", "I", folder + r"\missing.ini", "Main", "Colour")
        s.row("ini.missing-file", "[$I$]")

        for i, (path, attribute) in enumerate(XML_ROWS):
            s.statement("Get XML File Settings", "X", folder + r"\config.xml", path, attribute)
            s.row("xml.%d" % i, "[$X$]")
        for row_id, path, attribute, _ in XML_UTF8_ROWS:
            s.statement("Get XML File Settings", "X", folder + r"\utf8.xml", path, attribute)
            s.row("xml.utf8." + row_id, "[$X$]")
        s.statement("Get XML File Settings", "X", folder + r"\missing.xml", r"config\item", "id")
        s.row("xml.missing-file", "[$X$]")

        for row_id, name in cls.process_cases().items():
            s.statement("Check Process", name, "P")
            s.row("process." + row_id, "[$P$]")
        for row_id, service in SERVICES.items():
            s.statement("Check Service", service, "", "SV")
            s.row("service." + row_id, "[$SV$]")
        s.statement("Is MSI Setup Installed", "{0D1E2F30-4152-4637-8495-A6B7C8D9E0F1}", "MSI")
        s.row("msi.unknown-product", "[$MSI$]")
        s.statement("Is MSI Setup Installed", MSI_PRODUCT, "MSI")
        s.row("msi.installed-product", "[$MSI$]")

        s.statement("Get Environment", ENV_NAME, "$ENV$")
        s.row("env.defined", "[$ENV$]")
        s.statement("Get Environment", "QEL_E2E_UNDEFINED", "ENV")
        s.row("env.undefined", "[$ENV$]")
        s.statement("Get Environment", "windir", "ENV")
        s.row("env.windir", "[$ENV$]")
        s.statement("Get Environment", "", "ENV")
        s.row("env.block", "$ENV$")

        s.statement("Check Disk Space", "D", "C:\\", "FALSE")
        s.row("disk.capacity", "$D$")
        s.statement("Check Disk Space", "$D$", "C:\\", "TRUE")
        s.row("disk.free", "$D$")
        s.statement("Check Disk Space", "D", r"Q:\no\such\drive", "TRUE")
        s.row("disk.missing-drive", "$D$")
        s.row("end", "done")
        return s

    # Code 19 with common set (the profiles root) is left out: Wine's shell
    # does not resolve that folder at all (E_INVALIDARG).
    @staticmethod
    def folder_cases():
        return [(2, "FALSE"), (2, "TRUE"), (9, "FALSE"), (12, "FALSE"), (12, "TRUE"), (13, "FALSE"), (13, "TRUE"),
                (14, "FALSE"), (14, "TRUE"), (15, "FALSE"), (15, "TRUE"), (17, "FALSE"), (17, "TRUE"),
                (18, "FALSE"), (19, "FALSE"), (20, "FALSE"), (20, "TRUE"), (21, "FALSE"),
                (22, "FALSE"), (23, "FALSE"), (24, "FALSE"), (25, "FALSE"), (26, "FALSE"), (27, "FALSE"),
                (28, "FALSE"), (29, "FALSE")]

    @staticmethod
    def setting_numbers():
        return [0, 1, 2, 3, 4, 5, 6, 7, 17, 18] + list(range(19, 33)) + [35, 36] + list(range(53, 59)) + \
            [60, 61, 63, 65, 69, 70, 71, 72, 73, 74, 75, 77, 78, 79, 80, 84, 85, 86]

    @staticmethod
    def version_files():
        return {
            "probe": RESULTS_FOLDER + r"\probe.exe",
            "kernel32": r"C:\windows\system32\kernel32.dll",
            "no-resource": RESULTS_FOLDER + r"\settings.ini",
            "missing": RESULTS_FOLDER + r"\missing.exe",
        }

    @classmethod
    def version_checks(cls):
        return {
            "same-file": ("TRUE", RESULTS_FOLDER + r"\probe.exe", ""),
            "kernel32-file": ("TRUE", r"C:\windows\system32\kernel32.dll", ""),
            "missing-file": ("TRUE", RESULTS_FOLDER + r"\missing.exe", ""),
            "equal-text": ("FALSE", "", "$PROBE_VERSION$"),
            "empty-text": ("FALSE", "", ""),
            "major-only": ("FALSE", "", "$PROBE_MAJOR$"),
            "revision-below": ("FALSE", "", "$PROBE_BELOW$"),
            "build-above": ("FALSE", "", "$PROBE_ABOVE$"),
            "three-parts": ("FALSE", "", "$PROBE_THREE$"),
            "not-a-number-last": ("FALSE", "", "$PROBE_MAJOR$.x"),
        }

    @staticmethod
    def existence_cases():
        return {
            "folder-as-folder": (RESULTS_FOLDER + r"\sub", "FALSE"),
            "folder-as-file": (RESULTS_FOLDER + r"\sub", "TRUE"),
            "file-as-file": (RESULTS_FOLDER + r"\settings.ini", "TRUE"),
            "file-as-folder": (RESULTS_FOLDER + r"\settings.ini", "FALSE"),
            "missing-file": (RESULTS_FOLDER + r"\missing.ini", "TRUE"),
            "missing-folder": (RESULTS_FOLDER + r"\missing", "FALSE"),
            "windows-folder": (r"C:\windows", "FALSE"),
            "doubled-backslashes": (RESULTS_FOLDER.replace("\\", "\\\\") + r"\\settings.ini", "TRUE"),
        }

    @staticmethod
    def process_cases():
        return {
            "itself": STUB_NAME,
            "itself-upper-case": STUB_NAME.upper(),
            "launcher": "qelrun.exe",
            "service-manager": "services.exe",
            "not-running": "qel-not-running.exe",
            "with-folder": r"C:\windows\system32\services.exe",
            "empty": "",
        }

    # ------------------------------------------------------------ the tests

    def test_setup_ran_to_its_end(self):
        self.assertEqual(self.result.exit_code, 0)
        self.assertEqual(self.rows.get("end"), "done")

    def test_registry_values_of_each_type_in_each_root(self):
        expected = []
        for code, root in ROOTS.items():
            stored = self.prefix.reg_query(root + "\\" + ROOT_KEYS[code])
            self.assertIsNotNone(stored, "the prefix lost the key under %s" % root)
            for name, _, _ in REGISTRY_VALUES + [("", None, None), ("absent", None, None)]:
                if name in stored:
                    check = registry_text(*stored[name])
                else:
                    check = "NO$VALUE"
                row = "[%s][%s]" % (expand_newlines(check), expand_newlines(read_registry_text(check)))
                expected.append(("reg.%s.%s" % (code, name or "default"), row))
            expected.append(("reg.%s.missing-key" % code, "[NO$KEY][]"))
        self.assertRows(self.rows, expected)

    def test_registry_markers_and_types_known_by_hand(self):
        # the same answers written out once, so that a fault shared by the
        # command and the export reader above cannot hide
        self.assertRows(self.rows, [
            ("reg.1.minus-one", "[-1][-1]"),
            ("reg.1.lowest", "[-2147483648][-2147483648]"),
            ("reg.1.bytes", "[01AB][01AB]"),
            ("reg.1.no-bytes", "[][]"),
            ("reg.1.multi", "[one%stwo%sthree][one%stwo%sthree]" % ((CRLF,) * 4)),
            ("reg.1.quad", "[UNKNOWN$TYPE][]"),
            ("reg.1.none", "[UNKNOWN$TYPE][]"),
            ("reg.1.absent", "[NO$VALUE][]"),
            ("reg.1.expand", "[%WINDIR%\\x][%WINDIR%\\x]"),
        ])

    def test_bitness_mode_changes_nothing_in_a_64_bit_process(self):
        machine = pe_facts.machine_of(self.setup)
        if machine != pe_facts.MACHINE_AMD64:
            self.skipTest("only the 64-bit build runs here")
        program_files = self.prefix.reg_query(r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion")["ProgramFilesDir"][1]
        system = self.expand_env(r"%SystemRoot%\system32")
        row = "[NO$KEY][64-bit view][%s\\][%s\\]" % (program_files, system)
        self.assertRows(self.rows, [("mode." + label, row) for label in ("initial", "lower-case", "win32", "x64")])

    def test_folder_locations_match_the_prefix_layout(self):
        user = self.prefix.reg_query(r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders")
        common = self.prefix.reg_query(r"HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders")
        current = self.prefix.reg_query(r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion")
        shell = self.prefix.reg_query(r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders") or {}

        def folder(values, name):
            return self.expand_env(values[name][1]) + "\\"

        quick_launch = ""
        if shell.get("AppData", ("", ""))[1]:
            quick_launch = shell["AppData"][1].rstrip("\\") + "\\Microsoft\\Internet Explorer\\Quick Launch\\"
        expected = {
            (2, "FALSE"): folder(user, "Personal"), (2, "TRUE"): folder(common, "Common Documents"),
            (9, "FALSE"): "D:\\boot\\",
            (12, "FALSE"): folder(user, "Start Menu"), (12, "TRUE"): folder(common, "Common Start Menu"),
            (13, "FALSE"): folder(user, "StartUp"), (13, "TRUE"): folder(common, "Common StartUp"),
            (14, "FALSE"): folder(user, "Programs"), (14, "TRUE"): folder(common, "Common Programs"),
            (15, "FALSE"): folder(user, "AppData"), (15, "TRUE"): folder(common, "Common AppData"),
            (17, "FALSE"): folder(user, "Desktop"), (17, "TRUE"): folder(common, "Common Desktop"),
            (18, "FALSE"): folder(user, "Fonts"),
            (19, "FALSE"): self.environment["USERPROFILE"] + "\\",
            (20, "FALSE"): current["ProgramFilesDir"][1] + "\\", (20, "TRUE"): current["CommonFilesDir"][1] + "\\",
            (21, "FALSE"): folder(user, "Recent"), (22, "FALSE"): folder(user, "SendTo"),
            (23, "FALSE"): self.expand_env(r"%SystemRoot%\system32") + "\\",
            (24, "FALSE"): folder(user, "Templates"),
            (25, "FALSE"): self.environment["SYSTEMROOT"] + "\\",
            (26, "FALSE"): quick_launch,
            (27, "FALSE"): self.expand_env(r"%SystemDrive%\inetpub\wwwroot") + "\\",
            (28, "FALSE"): folder(user, "Local AppData"),
            (29, "FALSE"): "",
        }
        self.assertEqual(sorted(expected), sorted(self.folder_cases()))
        self.assertRows(self.rows, [("folder.%d.%s" % key, "[%s]" % value) for key, value in expected.items()])
        # the shell folders the prefix has also exist on its drive C
        for code, common in [(2, "FALSE"), (12, "TRUE"), (15, "FALSE"), (15, "TRUE"), (17, "FALSE"),
                             (19, "FALSE"), (20, "FALSE"), (23, "FALSE"), (25, "FALSE"), (28, "FALSE")]:
            with self.subTest(folder=code, common=common):
                path = self.rows.get("folder.%d.%s" % (code, common), "[]")[1:-1]
                self.assertTrue(path.endswith("\\"), path)
                self.assertTrue(self.prefix.c(path).is_dir(), path)

    def test_system_settings_match_the_prefix(self):
        nt = self.prefix.reg_query(r"HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion")
        major, minor = (int(n) for n in nt["CurrentVersion"][1].split("."))
        service_pack_text = nt.get("CSDVersion", ("", ""))[1]
        service_pack = next((n for n in range(10, 0, -1) if str(n) in service_pack_text), 0)
        machine = pe_facts.machine_of(self.setup)
        with open("/proc/meminfo") as info:
            total = int(re.search(r"MemTotal:\s+(\d+) kB", info.read()).group(1)) * 1024
        vmware = "vmware" in _read_text("/sys/class/dmi/id/sys_vendor").lower()
        inetstp = self.prefix.reg_query(r"HKLM\SOFTWARE\Microsoft\InetStp")
        web = inetstp["MajorVersion"][1] * 10 + inetstp["MinorVersion"][1]
        browser = parse_version_text(
            self.prefix.reg_query(r"HKLM\SOFTWARE\Microsoft\Internet Explorer")["Version"][1])

        def flag(condition):
            return "TRUE" if condition else "FALSE"

        def windows_at_least(wanted_major, wanted_minor):
            return flag(major > wanted_major or (major == wanted_major and minor >= wanted_minor))

        expected = {
            0: "TRUE",  # Wine runs every program as an administrator
            17: "FALSE", 18: "TRUE",
            35: nt["RegisteredOwner"][1], 36: nt["RegisteredOrganization"][1],
            60: self.environment.get("USERNAME", ""), 61: self.environment.get("COMPUTERNAME", ""),
            63: "ADMIN",
            65: flag(machine == pe_facts.MACHINE_I386 and platform.machine() in ("x86_64", "AMD64")),
            69: windows_at_least(6, 0), 79: windows_at_least(6, 1),
            70: flag(vmware), 71: "FALSE", 74: flag(not vmware),
            72: flag(browser >= (7, 0, 5730, 11)), 78: flag(browser >= (8, 0, 6001, 18702)),
            85: flag(browser >= (9, 0, 8112, 16421)),
            73: flag(web >= 70), 80: flag(web >= 75),
            75: "AMD64" if platform.machine() in ("x86_64", "AMD64") else "X86",
            77: "TRUE",
            84: str((total + 524288) // 1048576),
            86: "",
        }
        for number, megabytes in zip(range(1, 8), (32, 64, 128, 256, 512, 1024, 2048)):
            expected[number] = flag(total >= (megabytes - 2) * 1048576)
        for number, wanted in zip(range(19, 27), [(4, 0), (4, 10), (4, 11), (4, 90), (4, 0), (5, 0), (5, 1), (5, 2)]):
            expected[number] = windows_at_least(*wanted)
        for number in range(27, 33):
            expected[number] = flag(service_pack >= number - 26)
        for number, wanted in zip(range(53, 59), (60, 51, 50, 40, 30, 20)):
            expected[number] = flag(web >= wanted)
        self.assertEqual(sorted(expected), sorted(self.setting_numbers()))
        self.assertRows(self.rows, [("setting.%d" % n, "[%s]" % value) for n, value in sorted(expected.items())])

        product = self.prefix.reg_query(r"HKLM\System\CurrentControlSet\Control\ProductOptions")["ProductType"][1]
        names = {(6, 1): ("SEVEN", "2008R2"), (6, 0): ("VISTA", "2008" if service_pack >= 1 else "VISTA"),
                 (5, 2): ("2003", "2003"), (5, 1): ("XP", "XP")}
        workstation, server = names.get((major, minor), ("UNKNOWN", "UNKNOWN"))
        self.assertRows(self.rows, [
            ("os.level", "[%s]" % (workstation if product == "WinNT" else server)),
            ("os.service-pack", "[%d]" % service_pack),
        ])

    def test_file_versions(self):
        versions = {row_id: pe_facts.file_version_of(self.prefix.c(path)) for row_id, path in
                    self.version_files().items()}
        self.assertNotEqual(versions["probe"], (0, 0, 0, 0), "the probe carries a version resource")
        self.assertRows(self.rows, [("version." + row_id, "[%s]" % dotted(v)) for row_id, v in versions.items()])

    def test_check_file_version_is_true_only_when_newer(self):
        probe = pe_facts.file_version_of(self.prefix.c(RESULTS_FOLDER + r"\probe.exe"))
        texts = self.version_texts(probe)
        expected = []
        for row_id, (against_file, reference_file, reference_text) in self.version_checks().items():
            if against_file == "TRUE":
                reference = pe_facts.file_version_of(self.prefix.c(reference_file))
            else:
                text = reference_text
                for name, value in texts.items():
                    text = text.replace("$%s$" % name, value)
                reference = parse_version_text(text) if text else (0, 0, 0, 0)
            expected.append(("check-version." + row_id, "[%s]" % ("TRUE" if probe > reference else "FALSE")))
        self.assertRows(self.rows, expected)

    @staticmethod
    def version_texts(probe):
        major, minor, build, revision = probe
        return {
            "PROBE_VERSION": dotted(probe),
            "PROBE_MAJOR": str(major),
            "PROBE_BELOW": dotted((major, minor, build, max(revision - 1, 0))),
            "PROBE_ABOVE": dotted((major, minor, build + 1, 0)),
            "PROBE_THREE": dotted((major, minor, build)),
        }

    def test_existence(self):
        expected = []
        for row_id, (path, is_file) in self.existence_cases().items():
            linux = self.prefix.c(path.replace("\\\\", "\\"))
            exists = linux.is_file() if is_file == "TRUE" else linux.is_dir()
            expected.append(("exists." + row_id, "[%s]" % ("TRUE" if exists else "FALSE")))
        self.assertRows(self.rows, expected)

    def test_ini_settings(self):
        self.assertRows(self.rows, [("ini.%d" % i, "[%s]" % value) for i, (_, _, value) in enumerate(INI_ROWS)] +
                        [("ini.missing-file", "[]")])

    def test_xml_settings_read_matches_last_one_first(self):
        expected = [("xml.%d" % i, "[%s]" % expand_newlines(expected_xml(path, attribute)))
                    for i, (path, attribute) in enumerate(XML_ROWS)]
        self.assertRows(self.rows, expected + [("xml.missing-file", "[]")])
        self.assertEqual(self.rows["xml.0"], "[third%ssecond%sfirst]" % (CRLF, CRLF))
        self.assertRows(self.rows, [("xml.utf8." + row_id, "[%s]" % expand_newlines(expected))
                                    for row_id, _, _, expected in XML_UTF8_ROWS])

    def test_processes_services_and_products(self):
        running = {"itself", "itself-upper-case", "launcher", "service-manager"}
        self.assertRows(self.rows, [("process." + row_id, "[%s]" % ("TRUE" if row_id in running else "FALSE"))
                                    for row_id in self.process_cases()])
        uninstall = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall" + "\\"
        # a 32-bit package registers in the 32-bit view
        installed = any(self.prefix.reg_query(uninstall + MSI_PRODUCT, view=view) is not None for view in (32, 64))
        self.assertTrue(installed, "msiexec did not install the probe package")
        self.assertRows(self.rows, [("msi.unknown-product", "[FALSE]"), ("msi.installed-product", "[TRUE]")])
        expected = []
        for row_id, service in SERVICES.items():
            done = self.prefix.wine_command(["sc", "query", service])
            state = re.search(r"STATE\s*:\s*\d+\s+(\w+)", done.stdout.decode("latin-1"))
            expected.append(("service." + row_id, "[%s]" % (state.group(1) if state else "NOTINSTALLED")))
        self.assertEqual([row for _, row in expected], ["[NOTINSTALLED]", "[RUNNING]", "[STOPPED]"])
        self.assertRows(self.rows, expected)

    def test_environment(self):
        self.assertRows(self.rows, [
            ("env.defined", "[%s]" % ENV_VALUE),
            ("env.undefined", "[%QEL_E2E_UNDEFINED%]"),
            ("env.windir", "[%s]" % self.environment["WINDIR"]),
        ])
        block = self.rows["env.block"].split(CRLF)
        self.assertIn("%s=%s" % (ENV_NAME, ENV_VALUE), block)
        entries = {}
        for line in block:
            name, _, value = line.partition("=")
            entries.setdefault(name.upper(), value)
        self.assertEqual(entries.get("WINDIR"), self.environment["WINDIR"])

    def test_disk_space(self):
        drive = os.statvfs(self.prefix.drive_c)
        self.assertEqual(self.rows["disk.capacity"], str(drive.f_blocks * drive.f_frsize))
        free = int(self.rows["disk.free"])
        self.assertLessEqual(free, drive.f_blocks * drive.f_frsize)
        # other programs write to the same disk meanwhile: allow some drift
        self.assertLess(abs(free - drive.f_bavail * drive.f_frsize), 1 << 30)
        self.assertEqual(self.rows["disk.missing-drive"], "0")


def _read_text(path):
    try:
        with open(path) as f:
            return f.read()
    except OSError:
        return ""


if __name__ == "__main__":
    unittest.main()
