"""A setup with the demo's kinds of native actions is made to fail after each
of its actions in turn: a registry write of a non-integer as an integer (error
1700) under NATIVE_ERROR "ABORT". Every run must end with the install's error
exit code and leave the watched files and registry keys equal to the snapshot
taken before it, with no native log or engine cache left behind."""

import unittest

import qel_e2e as q

HEAD = r"""
[Setup]
Title = Rollback Probe
ProductCode = {5A0C3E71-9D2B-4C8E-A1F4-6B7D8E9F0A1B}
Version = 2.0
Company = Fernmoor Test Works
StubName = probe.exe

[Script]
Set Variable
  | NATIVE_ENGINE
  | TRUE
Set Variable
  | DELAYUNTIL_APPLYCHANGES
  | TRUE
Set Variable
  | NATIVE_ERROR
  | ABORT
Set Variable
  | NATIVE_OVERWRITE
  | ALWAYS
Set Variable
  | APPLY_RESULT
  |
Set Variable
  | TARGETDIR
  | C:\Program Files\Rollback Probe
"""

TAIL = r"""
Apply Changes
  |
  | APPLY_RESULT
  | TRUE
  | FALSE
If
  | APPLY_RESULT
  | 4
  | COMPLETE
  | TRUE
  Terminate with Exit Code
    | 1603
End
"""

# The demo's kinds of actions, each a complete statement.
ACTIONS = [
    ("install files", r"""
Install Files
  | Main
  |
  | $TARGETDIR$
  | FALSE
  | FALSE
  | FALSE
  | TRUE
  |
  | FALSE
  | FALSE
  | FALSE
  | FALSE
  + files\app
"""),
    ("registry string", r"""
Write Registry
  | 0
  | 2
  | Software\Fernmoor Test Works\Rollback Probe
  | InstallDir
  | $TARGETDIR$
  | TRUE
  | FALSE
"""),
    ("registry integer", r"""
Write Registry
  | 0
  | 2
  | Software\Fernmoor Test Works\Rollback Probe
  | Runs
  | 1
  | FALSE
  | TRUE
"""),
    ("registry multi-string", r"""
Write Registry
  | 0
  | 1
  | Software\Fernmoor Test Works\Rollback Probe
  | Plugins
  | core
  | FALSE
  | APPEND
"""),
    ("shortcut", r"""
Create Shortcut
  | $TARGETDIR$\readme.txt
  | Rollback Probe
  | $TARGETDIR$
  | Opens the readme
  |
  | $TARGETDIR$
  |
  | 0
  | 0
"""),
    ("ini entry", r"""
Edit INI File
  | $TARGETDIR$
  | probe.ini
  | 0
  | Settings
  | Version
  | $VERSION$
"""),
]

FAILING_ACTION = r"""
Write Registry
  | 0
  | 2
  | Software\Fernmoor Test Works\Rollback Probe
  | Broken
  | not a number
  | FALSE
  | TRUE
"""

FILES = {
    "files/app/readme.txt": "Rollback probe readme\r\n",
    "files/app/bin/tool.dat": bytes(range(256)) * 64,
}

WATCHED_PATHS = [r"C:\Program Files", r"C:\ProgramData"]
WATCHED_KEYS = [
    r"HKLM\Software\Fernmoor Test Works", r"HKCU\Software\Fernmoor Test Works",
    r"HKLM\Software\Fernmoor", r"HKCU\Software\Fernmoor",
    r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall",
]


class RollbackTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.env = q.Env()
        cls.prefix = q.Prefix(cls.env, "rollback")

    @classmethod
    def tearDownClass(cls):
        cls.prefix.close()

    def test_failure_after_each_action_rolls_everything_back(self):
        p = self.prefix
        before = p.snapshot(paths=WATCHED_PATHS, keys=WATCHED_KEYS)
        for done in range(len(ACTIONS) + 1):
            label = ", ".join(name for name, _ in ACTIONS[:done]) or "nothing"
            with self.subTest(failing_after=label):
                statements = [text for _, text in ACTIONS[:done]] + [FAILING_ACTION] + \
                             [text for _, text in ACTIONS[done:]]
                setup = q.build_setup(self.env, self.env.root / ("probe%d" % done),
                                      HEAD + "".join(statements) + TAIL, FILES)
                trace = r"C:\rollback%d.log" % done
                result = p.run(setup, ["/s", "/l=" + trace], timeout=300)
                self.assertEqual(result.exit_code, 1603, p.read_trace(trace)[-3000:])
                p.c(trace).unlink(missing_ok=True)
                after = p.snapshot(paths=WATCHED_PATHS, keys=WATCHED_KEYS)
                self.assertEqual(before.diff(after), [])

    def test_the_same_setup_without_the_failure_installs(self):
        # Guards the test above: its actions really change the machine.
        p = self.prefix
        before = p.snapshot(paths=WATCHED_PATHS, keys=WATCHED_KEYS)
        setup = q.build_setup(self.env, self.env.root / "probe-ok",
                              HEAD + "".join(text for _, text in ACTIONS) + TAIL, FILES)
        result = p.run(setup, ["/s", r"/l=C:\rollback-ok.log"], timeout=300)
        self.assertEqual(result.exit_code, 0, p.read_trace(r"C:\rollback-ok.log")[-3000:])
        changes = before.diff(p.snapshot(paths=WATCHED_PATHS, keys=WATCHED_KEYS))
        for expected in (r"c:\program files\rollback probe\readme.txt", r"c:\program files\rollback probe\bin\tool.dat",
                         r"c:\program files\rollback probe\probe.ini", r"c:\program files\rollback probe\rollback probe.lnk"):
            self.assertIn("file added: " + expected, changes)
        self.assertTrue(any("fernmoor test works\\rollback probe" in c for c in changes), changes)


if __name__ == "__main__":
    unittest.main()
