"""The demo product installed silently, inspected, then removed the way a user
removes it: by running the UninstallString of its Add/Remove Programs entry.
After a restart (wineboot -r) the file tree and the registry must equal the
snapshot taken before the install."""

import unittest
from pathlib import Path

import qel_e2e as q

DEMO = Path(__file__).resolve().parents[2] / "samples" / "demo" / "demo.qel"
PRODUCT_CODE = "{6F1C2B9A-3D4E-4F50-8A61-7B2C3D4E5F60}"
TITLE = "Oakhollow Demo"
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
PRODUCT_KEY = r"Software\Fernmoor Demo Works\Oakhollow Demo"
IDENT = r"HKLM\Software\Fernmoor\Oakhollow\Ident.Cache" + "\\" + PRODUCT_CODE
WATCHED_PATHS = [r"C:\Program Files", r"C:\ProgramData"]
WATCHED_KEYS = [
    r"HKLM\Software\Fernmoor", r"HKCU\Software\Fernmoor",
    r"HKLM\Software\Fernmoor Demo Works", r"HKCU\Software\Fernmoor Demo Works",
    UNINSTALL, r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall",
    r"HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce",
]


class DemoLifecycleTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.env = q.Env()
        cls.setup = q.build_setup_from(cls.env, DEMO, cls.env.root / "demo-setup")
        cls.prefix = q.Prefix(cls.env, "demo-lifecycle")

    @classmethod
    def tearDownClass(cls):
        cls.prefix.close()

    def test_install_inspect_and_remove_through_add_remove_programs(self):
        p = self.prefix
        before = p.snapshot(paths=WATCHED_PATHS, keys=WATCHED_KEYS)

        installed = p.run(self.setup, ["/s", r"/l=C:\demo-install.log"], timeout=300)
        self.assertEqual(installed.exit_code, 0, p.read_trace(r"C:\demo-install.log")[-3000:])

        # Files and registry values of the product.
        target = p.c(r"C:\Program Files\Oakhollow Demo")
        for rel in ("demo.txt", r"docs\licence.txt", r"docs\readme.txt"):
            with self.subTest(file=rel):
                source = DEMO.parent / "files" / "app" / rel.replace("\\", "/")
                self.assertEqual(p.c(r"C:\Program Files\Oakhollow Demo" + "\\" + rel).read_bytes(), source.read_bytes())
        self.assertFalse((target / "config").exists(), "the Extras component is not selected by default")
        # The setup's registry actions run in the 32-bit view by default (the
        # bitness mode "Win32" of the shipped 32-bit engine).
        machine = p.reg_query("HKLM\\" + PRODUCT_KEY, view=32)
        self.assertEqual(machine["InstallDir"][1].rstrip("\\").lower(), r"c:\program files\oakhollow demo")
        self.assertEqual(machine["Runs"], ("REG_DWORD", 1))
        self.assertEqual(machine["DataPath"], ("REG_EXPAND_SZ", r"%APPDATA%\Oakhollow Demo"))
        self.assertEqual(machine["Plugins"], ("REG_MULTI_SZ", ["demo-core"]))
        self.assertEqual(p.reg_query("HKCU\\" + PRODUCT_KEY)["Signature"], ("REG_BINARY", b"OAK"))
        ini = p.c(r"C:\Program Files\Oakhollow Demo\demo.ini").read_text(encoding="latin-1")
        self.assertIn("[Settings]", ini)
        self.assertIn("Version=1.2.0", ini)

        # Registration and the engine cache.
        ident = p.reg_query(IDENT)
        self.assertIsNotNone(ident, "Ident.Cache entry missing")
        cache = ident[""][1]
        self.assertTrue(cache.endswith("\\"))
        revision = cache.rstrip("\\").rsplit("\\", 1)[1]
        self.assertRegex(revision, r"^\{[0-9A-F-]{36}\}$")
        self.assertEqual((ident["VersionMajor"], ident["VersionMinor"]), (("REG_DWORD", 1), ("REG_DWORD", 2)))
        entry = p.reg_query(UNINSTALL + "\\" + TITLE)
        self.assertIsNotNone(entry, "Uninstall entry by title missing")
        self.assertEqual(entry["DisplayName"], ("REG_SZ", TITLE))
        self.assertEqual(entry["Publisher"], ("REG_SZ", "Fernmoor Demo Works"))
        self.assertEqual(entry["DisplayVersion"], ("REG_SZ", "1.2.0"))
        self.assertEqual((entry["VersionMajor"], entry["VersionMinor"]), (("REG_DWORD", 1), ("REG_DWORD", 2)))
        cached_stub = cache + self.setup.name
        self.assertEqual(entry["UninstallString"], ("REG_SZ", '"%s" REMOVE=TRUE MODIFY=FALSE' % cached_stub))
        self.assertIsNotNone(p.reg_query(UNINSTALL + "\\" + PRODUCT_CODE), "Uninstall entry by product code missing")
        for name in (self.setup.name, "qel.lib", "instance.dat", PRODUCT_CODE + ".native.elements.log"):
            with self.subTest(cached=name):
                self.assertTrue(p.c(cache + name).exists(), name)
        instance = p.c(cache + "instance.dat").read_bytes().decode("latin-1").split("\r\n")
        self.assertEqual(instance[:3], [PRODUCT_CODE, revision, TITLE])

        # Removal as Add/Remove Programs does it: the UninstallString, not silent.
        program, *args = q.split_command_line(entry["UninstallString"][1])
        removed = p.run(program, args + [r"/l=C:\demo-remove.log"], timeout=300)
        self.assertEqual(removed.exit_code, 0, p.read_trace(r"C:\demo-remove.log")[-3000:])
        self.assertFalse(target.exists(), "the product folder is still there")
        self.assertIsNone(p.reg_query(UNINSTALL + "\\" + TITLE))
        self.assertIsNone(p.reg_query(IDENT))

        # The running cached stub could only be moved aside; a restart finishes.
        p.reboot()
        for name in ("demo-install.log", "demo-remove.log"):
            p.c("C:\\" + name).unlink(missing_ok=True)
        after = p.snapshot(paths=WATCHED_PATHS, keys=WATCHED_KEYS)
        self.assertEqual(before.diff(after), [])


if __name__ == "__main__":
    unittest.main()
