"""The main job, step by step: build the sample setup, install it silently in a
fresh Wine prefix, show what it installed and registered, remove it through
its Add/Remove Programs command line, restart, and show that nothing is left."""

import os
import sys
from pathlib import Path

top = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(top / "tests" / "e2e"))
import qel_e2e as q  # noqa: E402

WATCHED_PATHS = [r"C:\Program Files", r"C:\ProgramData"]
WATCHED_KEYS = [r"HKLM\Software\Fernmoor", r"HKLM\Software\Fernmoor Demo Works",
                r"HKCU\Software\Fernmoor Demo Works", r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"]
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Oakhollow Demo"


def show_values(title, values):
    print("  [%s]" % title)
    for name, (kind, data) in sorted((values or {}).items()):
        print("    %-16s %-14s %r" % (name or "(default)", kind, data))


def main():
    env = q.Env()
    env.keep = True
    print("== building the sample setup")
    setup = q.build_setup_from(env, top / "samples" / "demo" / "demo.qel", env.root / "setup")
    print("  ", setup)
    prefix = q.Prefix(env, "machine")
    before = prefix.snapshot(paths=WATCHED_PATHS, keys=WATCHED_KEYS)

    print("== installing: setup.exe /s /l=C:\\demo-install.log")
    installed = prefix.run(setup, ["/s", r"/l=C:\demo-install.log"])
    print("  exit code:", installed.exit_code)
    print("== trace log of the install")
    print(prefix.read_trace(r"C:\demo-install.log"))

    print("== what the install changed")
    for line in before.diff(prefix.snapshot(paths=WATCHED_PATHS, keys=WATCHED_KEYS)):
        print("  ", line)
    show_values(r"HKLM\...\Oakhollow Demo (32-bit view)",
                prefix.reg_query(r"HKLM\Software\Fernmoor Demo Works\Oakhollow Demo", view=32))
    entry = prefix.reg_query(UNINSTALL)
    show_values("Uninstall entry", entry)
    if installed.exit_code != 0 or not entry:
        prefix.stop_server()
        return 1

    command = entry["UninstallString"][1]
    print("== removing as Add/Remove Programs does:", command)
    program, *args = q.split_command_line(command)
    removed = prefix.run(program, args + [r"/l=C:\demo-remove.log"])
    print("  exit code:", removed.exit_code)
    print("== restarting (wineboot -r) to finish deletions scheduled for the restart")
    prefix.reboot()
    for name in ("demo-install.log", "demo-remove.log"):
        prefix.c("C:\\" + name).unlink(missing_ok=True)
    left = before.diff(prefix.snapshot(paths=WATCHED_PATHS, keys=WATCHED_KEYS))
    print("== left behind after the removal:", "nothing" if not left else "")
    for line in left:
        print("  ", line)
    prefix.stop_server()
    return 0 if removed.exit_code == 0 and not left else 1


if __name__ == "__main__":
    sys.exit(main())
