"""Immediate actions and plug-ins in real setups: a plug-in library shipped in
the resource archive sets variables, and "Reboot and Resume" for a per-user
setup writes its RunOnce value under HKEY_CURRENT_USER (in a prefix of its
own: the restart request ends that Wine session)."""

import os
import unittest
from pathlib import Path

import qel_e2e as q

PRODUCT_CODE = "{3C4D5E6F-1A2B-4C3D-8E4F-5A6B7C8D9E0F}"

PLUGIN_SCRIPT = r"""
[Setup]
Title = Plug-In Probe
ProductCode = %s
Version = 1.0
StubName = plugin.exe

[Plug-Ins]
Call Test Plug-In

[Resources]
qel_test_plugin.dll

[Script]
Set Variable
  | IN
  | a value, with "quotes"
Call Test Plug-In
  | SET
  | TestPlugin\qel_test_plugin.dll
Write to Text File
  | C:\probe\out.txt
  | $A$|$B$|$ECHO$
  | FALSE
Terminate with Exit Code
  | 4242
""" % PRODUCT_CODE

RESUME_SCRIPT = r"""
[Setup]
Title = Resume Probe
ProductCode = %s
Version = 1.0
StubName = resume.exe

[Script]
Set Variable
  | ALLUSERS
  | FALSE
Reboot and Resume
Terminate with Exit Code
  | 99
""" % PRODUCT_CODE

RUN_ONCE = r"HKCU\Software\Microsoft\Windows\CurrentVersion\RunOnce"
RUN_ONCE_MACHINE = r"HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce"


class ActionsEndToEnd(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.env = q.Env()

    def test_plugin_from_the_resource_archive_sets_variables(self):
        plugin = Path(os.environ["QEL_TEST_PLUGIN_DLL"]).read_bytes()
        setup = q.build_setup(self.env, self.env.root / "plugin-setup", PLUGIN_SCRIPT,
                              files={"qel_test_plugin.dll": plugin})
        with q.Prefix(self.env, "plugin-prefix") as prefix:
            prefix.c(r"C:\probe").mkdir(exist_ok=True)
            result = prefix.run(setup, ["/s"])
            self.assertEqual(result.exit_code, 4242)
            text = prefix.c(r"C:\probe\out.txt").read_text(encoding="latin-1").strip()
            self.assertEqual(text, '1|two words|a value, with "quotes"')

    def test_reboot_and_resume_for_the_current_user(self):
        setup = q.build_setup(self.env, self.env.root / "resume-setup", RESUME_SCRIPT)
        with q.Prefix(self.env, "resume-prefix") as prefix:
            result = prefix.run(setup, ["/s"], timeout=120)
            # The script ends with the restart: "Terminate with Exit Code" never runs.
            self.assertNotEqual(result.exit_code, 99)
            values = prefix.reg_query(RUN_ONCE)
            self.assertIsNotNone(values)
            name = PRODUCT_CODE[1:9]
            self.assertIn(name, values)
            kind, command = values[name]
            self.assertEqual(kind, "REG_SZ")
            self.assertTrue(command.lower().endswith("resume.exe /s"), command)
            machine = prefix.reg_query(RUN_ONCE_MACHINE) or {}
            self.assertNotIn(name, machine)


if __name__ == "__main__":
    unittest.main()
