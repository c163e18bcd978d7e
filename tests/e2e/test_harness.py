"""The harness itself: a built setup's full exit code and written file, the
registry reader for each value type in both views, and snapshot differences."""

import unittest

import qel_e2e as q

SCRIPT = r"""
[Setup]
Title = Harness Probe
ProductCode = {0B7D5C1E-2A3B-4C5D-8E9F-A0B1C2D3E4F5}
Version = 1.0
StubName = probe.exe

[Script]
Set Variable
  | RESULT
  | written by the probe
Write to Text File
  | C:\probe\out.txt
  | $RESULT$
  | FALSE
Terminate with Exit Code
  | 70001
"""


class HarnessTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.env = q.Env()
        cls.prefix = q.Prefix(cls.env, "harness")

    @classmethod
    def tearDownClass(cls):
        cls.prefix.close()

    def test_built_setup_reports_its_full_exit_code_and_writes_its_file(self):
        setup = q.build_setup(self.env, self.env.root / "probe", SCRIPT)
        self.prefix.c(r"C:\probe").mkdir()
        before = self.prefix.snapshot(paths=[r"C:\probe"])
        result = self.prefix.run(setup, ["/s"])
        self.assertEqual(result.exit_code, 70001)
        written = self.prefix.c(r"C:\PROBE\OUT.TXT").read_text(encoding="latin-1")
        self.assertEqual(written.splitlines(), ["written by the probe"])
        after = self.prefix.snapshot(paths=[r"C:\probe"])
        self.assertIn(r"file added: c:\probe\out.txt", before.diff(after))
        self.assertEqual(after.diff(self.prefix.snapshot(paths=[r"C:\probe"])), [])

    def test_registry_values_of_each_type_read_back_in_their_view(self):
        key = r"HKLM\Software\QelHarness"
        rows = [
            ("Text", "REG_SZ", "a value with blanks", "a value with blanks"),
            ("Expand", "REG_EXPAND_SZ", "%WINDIR%\\x", "%WINDIR%\\x"),
            ("Multi", "REG_MULTI_SZ", "one\\0two", ["one", "two"]),
            ("Number", "REG_DWORD", "305419896", 305419896),
            ("Big", "REG_QWORD", "4294967296", 4294967296),
            ("Bytes", "REG_BINARY", "4F414B", b"OAK"),
        ]
        for name, kind, data, _ in rows:
            self.prefix.reg_add(key, name, kind, data, view=64)
        self.prefix.reg_add(key + r"\Only32", "Where", "REG_SZ", "32-bit view", view=32)
        values = self.prefix.reg_query(key, view=64)
        for name, kind, _, expected in rows:
            with self.subTest(name=name):
                self.assertEqual(values[name], (kind, expected))
        self.assertEqual(self.prefix.reg_keys(key, view=64), [])
        self.assertEqual(self.prefix.reg_query(key + r"\Only32", view=32), {"Where": ("REG_SZ", "32-bit view")})
        self.assertIsNone(self.prefix.reg_query(key + r"\Only32", view=64))
        self.assertIsNone(self.prefix.reg_query(r"HKLM\Software\QelHarnessMissing"))


if __name__ == "__main__":
    unittest.main()
