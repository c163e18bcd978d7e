"""A real setup built with qelbuild, run on an Xvfb display and driven with the
window driver: the splash and initialization windows and their placement, the
pre-loaded pages, a Tag 5 result, a moved page keeping its place, a non-modal
progress page fed by PROGRESS, and Hide Dialog."""

import os
import struct
import subprocess
import threading
import time
import unittest
from pathlib import Path

import qel_e2e as q

HERE = Path(__file__).resolve().parent
FIXTURES = HERE / "fixtures"
RESULT_FILE = r"C:\pages-result.txt"

SCRIPT = r"""
[Setup]
Title = Page Test
ProductCode = {5A1C2B9A-3D4E-4F50-8A61-7B2C3D4E5F61}
Version = 1.0.0
Company = Example Works
StubName = setup.exe

[Resources]
pages\choice.dfm
pages\choice.dfm.qelf
pages\second.dfm
pages\second.dfm.qelf
pages\progress.dfm
pages\progress.dfm.qelf
pages\ballast.bin

[Script]
;; The page titles below are matched exactly: no " - Oakhollow Wizard" branding.
Set Variable
  | OXLELOGO
  | TRUE
Display Dialog
  | choice
  | R1
  | TRUE
  |
  |
  |
Display Dialog
  | second
  | R2
  | TRUE
  |
  |
  |
Display Dialog
  | progress
  | R3
  | FALSE
  |
  |
  |
Set Variable
  | HANDLE_UP
  | $WINDOWHANDLE$
Set Variable
  | PROGRESSTEXT
  | Forty of a hundred
Set Variable
  | PROGRESS
  | 40
MessageBox
  | Page Test
  | Checkpoint
  | 0
  | 1
  |
Hide Dialog
Set Variable
  | HANDLE_DOWN
  | $WINDOWHANDLE$
Write to Text File
  | C:\pages-result.txt
  | R1=$R1$ R2=$R2$ R3=$R3$ up=$HANDLE_UP$ down=$HANDLE_DOWN$
  | FALSE
"""


def bmp(width, height):
    """A 24-bit bottom-up bitmap with a diagonal gradient."""
    row_size = (width * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(height):
        row = bytearray()
        for x in range(width):
            row += bytes(((x * 255) // width, (y * 255) // height, 160))
        row += b"\0" * (row_size - len(row))
        pixels += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + bytes(pixels)


class PagesOnDisplay(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.env = q.Env()
        cls.driver = os.environ["QEL_WINDOW_DRIVER"]
        cls.shots = cls.env.root / "shots"
        cls.shots.mkdir(parents=True, exist_ok=True)
        display_file = cls.env.root / "display"
        display_file.unlink(missing_ok=True)
        with open(display_file, "w") as out:
            cls.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(out.fileno()), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                pass_fds=(out.fileno(),), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            if display_file.read_text().strip():
                break
            time.sleep(0.1)
        cls.display = ":" + display_file.read_text().split()[0]

    @classmethod
    def tearDownClass(cls):
        cls.xvfb.kill()
        cls.xvfb.wait()

    def drive(self, prefix, *args, timeout=120):
        done = prefix.wine_command([prefix.win(self.driver)] + [str(a) for a in args], timeout=timeout)
        return done.returncode, done.stdout.decode("latin-1").replace("\r", "")

    def shot(self, name):
        subprocess.run(["import", "-display", self.display, "-window", "root", str(self.shots / (name + ".png"))],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def rect(self, prefix, title, control=None):
        args = ["get-rect", title] + ([control] if control else [])
        code, out = self.drive(prefix, *args)
        self.assertEqual(code, 0, out)
        return [int(v) for v in out.split()[:4]]

    def test_pages_of_a_built_setup(self):
        choice = (FIXTURES / "choice.dfm").read_text(encoding="latin-1")
        second = choice.replace("Choose Product Setup", "Second Choice").replace("ChoicePage", "SecondPage")
        files = {
            "pages/choice.dfm": choice,
            "pages/choice.dfm.qelf": "",
            "pages/second.dfm": second,
            "pages/second.dfm.qelf": "",
            "pages/progress.dfm": (FIXTURES / "progress.dfm").read_bytes(),
            "pages/progress.dfm.qelf": "",
            # Incompressible ballast keeps the start-up windows up long enough to see them.
            "pages/ballast.bin": os.urandom(4 * 1024 * 1024),
        }
        setup = q.build_setup(self.env, self.env.root / "build", SCRIPT, files)
        (setup.parent / "setup.bmp").write_bytes(bmp(640, 480))

        with q.Prefix(self.env, "pages", display=self.display) as p:
            # The start-up windows last a moment only: watch for them before the setup starts.
            p.wine.ensure_server()
            watch_log = self.env.root / "start-windows.txt"
            with open(watch_log, "wb") as log:
                watcher = subprocess.Popen([q.WINE, p.win(self.driver), "start-windows", "60000"], env=p.wine.environ,
                                           stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.DEVNULL)
            for _ in range(300):
                if b"watching" in watch_log.read_bytes():
                    break
                time.sleep(0.1)
            # The setup runs in a thread of its own so that its full exit code is kept.
            finished = []
            runner = threading.Thread(target=lambda: finished.append(p.run(setup, [], timeout=400)))
            runner.start()

            # Splash centred, initialization window below it, both gone before the first page.
            watcher.wait(timeout=120)
            out = watch_log.read_bytes().decode("latin-1").replace("\r", "")
            lines = dict((l.split()[0], [int(v) for v in l.split()[1:]]) for l in out.splitlines()
                         if l.startswith(("splash ", "init ")))
            self.assertIn("splash", lines, out)
            self.assertEqual(lines["splash"], [192, 144, 832, 624])
            left, top, right, bottom = lines["init"]
            self.assertEqual(left, 192 + 320 + 50)
            self.assertEqual(bottom, 768 - 45, "pulled up to stay 45 pixels above the bottom")
            self.assertIn("gone", out)

            # First page: centred; the user moves it and picks the Tag 5 button.
            code, out = self.drive(p, "wait-window", "Choose Product Setup", 60000)
            self.assertEqual(code, 0, out)
            self.shot("choice")
            l, t, r, b = self.rect(p, "Choose Product Setup")
            self.assertEqual(l, (1024 - (r - l)) // 2)
            self.assertEqual(t, (768 - (b - t)) // 2)
            self.drive(p, "move", "Choose Product Setup", 40, 50)
            self.drive(p, "click", "Choose Product Setup", "Repair")

            # Second page of the same size: where the user left the first one.
            code, out = self.drive(p, "wait-window", "Second Choice", 30000)
            self.assertEqual(code, 0, out)
            self.shot("second")
            l2, t2, r2, b2 = self.rect(p, "Second Choice")
            self.assertEqual((l2, t2), (40, 50))
            self.assertEqual((r2 - l2, b2 - t2), (r - l, b - t))
            self.drive(p, "click", "Second Choice", "Next >")

            # Non-modal progress page: PROGRESS reaches its bar while the script waits in a message box.
            code, out = self.drive(p, "wait-window", "Installing Product", 30000)
            self.assertEqual(code, 0, out)
            position = None
            for _ in range(60):
                code, out = self.drive(p, "progress", "Installing Product", "msctls_progress32@0")
                position = out.split()[0] if code == 0 and out.split() else None
                if position == "40":
                    break
                time.sleep(0.3)
            self.assertEqual(position, "40")
            code, out = self.drive(p, "get-text", "Installing Product", "Static@0")
            self.shot("progress")
            self.assertEqual(out.strip(), "Forty of a hundred")
            code, out = self.drive(p, "answer-msgbox", "IDOK", 30000)
            self.assertEqual(code, 0, out + self.drive(p, "list-controls", "Page Test")[1])
            self.assertIn("Checkpoint", out)

            runner.join(timeout=420)
            self.assertTrue(finished, "the setup did not end")
            self.assertEqual(finished[0].exit_code, 0, finished[0].output)
            result = p.c(RESULT_FILE).read_text(encoding="latin-1").strip()
            words = dict(w.split("=", 1) for w in result.split())
            self.assertEqual(words["R1"], "BTNREPAIR")
            self.assertEqual(words["R2"], "NEXT")
            self.assertEqual(words["R3"], "NOTMODAL")
            self.assertNotEqual(words["up"], "0")
            self.assertEqual(words["down"], "0")


if __name__ == "__main__":
    unittest.main()
