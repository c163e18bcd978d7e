"""End-to-end harness: build real setups with qelbuild and run them under Wine.

Each Prefix is a booted, headless Wine prefix of its own, copied from a template
that is booted once per build tree. Programs run through qelrun.exe, which
reports the full 32-bit exit code. The registry is read through `reg export`
(both views), files through the prefix's drive_c.

Environment (set by ctest's qel_add_e2e_test): QEL_QELBUILD, QEL_DIST,
QEL_E2E_ROOT, QEL_WINE_TEMPLATE, QEL_RUNNER. QEL_E2E_KEEP=1 keeps prefixes.
"""

import fcntl
import hashlib
import os
import re
import shutil
import subprocess
import tempfile
from pathlib import Path, PureWindowsPath

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver64"


class Env:
    def __init__(self):
        self.qelbuild = os.environ["QEL_QELBUILD"]
        self.dist = os.environ["QEL_DIST"]
        self.root = Path(os.environ["QEL_E2E_ROOT"])
        self.template = Path(os.environ["QEL_WINE_TEMPLATE"])
        self.runner = os.environ["QEL_RUNNER"]
        self.keep = os.environ.get("QEL_E2E_KEEP") == "1"
        self.root.mkdir(parents=True, exist_ok=True)


# ----------------------------------------------------------------- building


def build_setup(env, workdir, script_text, files=None, target="win64"):
    """Writes workdir/setup.qel and the given files (relative path -> bytes or
    str), runs qelbuild into workdir/out and returns the path of the setup
    program. Raises with qelbuild's output when the build fails."""
    workdir = Path(workdir)
    if workdir.exists():
        shutil.rmtree(workdir)
    workdir.mkdir(parents=True)
    for rel, data in (files or {}).items():
        path = workdir / rel.replace("\\", "/")
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data.encode("latin-1") if isinstance(data, str) else data)
    script = workdir / "setup.qel"
    script.write_text(script_text, encoding="latin-1")
    out = workdir / "out"
    result = subprocess.run(
        [env.qelbuild, str(script), "-o", str(out), "--target", target, "--dist", env.dist],
        capture_output=True, text=True)
    if result.returncode != 0:
        raise RuntimeError("qelbuild failed (%d):\n%s%s" % (result.returncode, result.stdout, result.stderr))
    exes = [p for p in out.iterdir() if p.suffix.lower() == ".exe"]
    if len(exes) != 1:
        raise RuntimeError("qelbuild wrote %d programs into %s" % (len(exes), out))
    return exes[0]


def build_setup_from(env, script_path, outdir, target="win64"):
    """Builds an existing script (with its files beside it) into outdir and
    returns the path of the setup program."""
    outdir = Path(outdir)
    if outdir.exists():
        shutil.rmtree(outdir)
    result = subprocess.run(
        [env.qelbuild, str(script_path), "-o", str(outdir), "--target", target, "--dist", env.dist],
        capture_output=True, text=True)
    if result.returncode != 0:
        raise RuntimeError("qelbuild failed (%d):\n%s%s" % (result.returncode, result.stdout, result.stderr))
    exes = [p for p in outdir.iterdir() if p.suffix.lower() == ".exe"]
    if len(exes) != 1:
        raise RuntimeError("qelbuild wrote %d programs into %s" % (len(exes), outdir))
    return exes[0]


def split_command_line(line):
    """Splits a Windows command line into its program and the arguments."""
    parts, current, quoted, started = [], "", False, False
    for ch in line:
        if ch == '"':
            quoted = not quoted
            started = True
        elif ch in " \t" and not quoted:
            if started:
                parts.append(current)
            current, started = "", False
        else:
            current += ch
            started = True
    if started:
        parts.append(current)
    return parts


# ----------------------------------------------------------------- registry


class RegKey:
    """One exported key: values as name -> (type, data); "" is the default value.
    Types: "REG_SZ" (str), "REG_EXPAND_SZ" (str), "REG_MULTI_SZ" (list of str),
    "REG_DWORD" (int), "REG_QWORD" (int), "REG_BINARY" (bytes), "hex(N)" (bytes)."""

    def __init__(self, path):
        self.path = path
        self.values = {}


def _decode_hex(text):
    text = text.replace("\\\n", "").replace(" ", "").replace("\n", "")
    return bytes(int(b, 16) for b in text.split(",") if b)


def _utf16z(data):
    return data.decode("utf-16-le", errors="replace")


def parse_reg_export(text):
    """Parses the text of a `reg export` file into {key path: RegKey}."""
    keys = {}
    current = None
    lines = text.replace("\r\n", "\n").split("\n")
    i = 0
    while i < len(lines):
        line = lines[i]
        while line.endswith("\\") and i + 1 < len(lines):
            i += 1
            line = line[:-1] + lines[i].lstrip()
        i += 1
        if not line or line.startswith(";") or line.startswith("Windows Registry Editor"):
            continue
        if line.startswith("[") and line.endswith("]"):
            current = RegKey(line[1:-1])
            keys[current.path.lower()] = current
            continue
        if current is None:
            continue
        if line.startswith("@="):
            name, rest = "", line[2:]
        else:
            m = re.match(r'^"((?:[^"\\]|\\.)*)"=(.*)$', line)
            if not m:
                continue
            name = m.group(1).replace('\\"', '"').replace("\\\\", "\\")
            rest = m.group(2)
        current.values[name] = _parse_reg_data(rest)
    return keys


def _parse_reg_data(rest):
    if rest.startswith('"'):
        return ("REG_SZ", rest[1:-1].replace('\\"', '"').replace("\\\\", "\\"))
    if rest.startswith("dword:"):
        return ("REG_DWORD", int(rest[6:], 16))
    m = re.match(r"^hex(?:\((\w+)\))?:(.*)$", rest)
    if not m:
        return ("unknown", rest)
    kind, data = m.group(1), _decode_hex(m.group(2))
    if kind is None:
        return ("REG_BINARY", data)
    if kind == "2":
        return ("REG_EXPAND_SZ", _utf16z(data).rstrip("\0"))
    if kind == "7":
        text = _utf16z(data)
        parts = text.split("\0")
        while parts and parts[-1] == "":
            parts.pop()
        return ("REG_MULTI_SZ", parts)
    if kind == "b":
        return ("REG_QWORD", int.from_bytes(data, "little"))
    if kind == "0":
        return ("REG_NONE", data)
    return ("hex(%s)" % kind, data)


# ----------------------------------------------------------------- snapshots


class Snapshot:
    def __init__(self, files, registry):
        self.files = files          # windows path (lower) -> ("dir",) or ("file", size, sha1, attrs)
        self.registry = registry    # (view, key lower) -> {value name: (type, data)}

    def diff(self, other):
        """Differences from this snapshot to other, as readable lines."""
        out = []
        for path in sorted(set(self.files) | set(other.files)):
            a, b = self.files.get(path), other.files.get(path)
            if a is None:
                out.append("file added: %s" % path)
            elif b is None:
                out.append("file removed: %s" % path)
            elif a != b:
                out.append("file changed: %s %r -> %r" % (path, a, b))
        for key in sorted(set(self.registry) | set(other.registry)):
            a, b = self.registry.get(key), other.registry.get(key)
            if a is None:
                out.append("key added: %s\\%s" % key)
            elif b is None:
                out.append("key removed: %s\\%s" % key)
            else:
                for name in sorted(set(a) | set(b)):
                    if a.get(name) != b.get(name):
                        out.append("value %s\\%s [%s]: %r -> %r" % (key[0], key[1], name, a.get(name), b.get(name)))
        return out


# ----------------------------------------------------------------- prefixes


def _template_lock(env):
    env.template.parent.mkdir(parents=True, exist_ok=True)
    return open(str(env.template) + ".lock", "w")


def _boot_template(env):
    """Boots the template prefix once (headless, null graphics driver)."""
    with _template_lock(env) as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        ready = env.template / "ready"
        if ready.exists():
            return
        if env.template.exists():
            shutil.rmtree(env.template)
        boot = _WineProcessEnv(env.template)
        boot.run_raw(["wineboot", "-i"])
        boot.run_raw(["reg", "add", r"HKCU\Software\Wine\Drivers", "/v", "Graphics", "/d", "null", "/f"])
        boot.stop()
        # Desktop and Documents are links into the Unix home: make them real folders.
        users = env.template / "prefix" / "drive_c" / "users"
        for user in users.iterdir() if users.exists() else []:
            for name in ("Desktop", "Documents"):
                p = user / name
                if p.is_symlink():
                    p.unlink()
                    p.mkdir()
        ready.write_text("booted\n")


class _WineProcessEnv:
    def __init__(self, root):
        self.root = Path(root)
        for sub in ("prefix", "home", "tmp"):
            (self.root / sub).mkdir(parents=True, exist_ok=True)
        self.environ = dict(os.environ)
        self.environ.update({
            "WINEPREFIX": str(self.root / "prefix"),
            "HOME": str(self.root / "home"),
            "TMPDIR": str(self.root / "tmp"),
            "WINEARCH": "win64",
            "WINEDEBUG": os.environ.get("WINEDEBUG", "-all"),
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
        })
        self.environ.pop("DISPLAY", None)
        self.server_started = False

    def ensure_server(self):
        if not self.server_started:
            subprocess.run([WINESERVER, "-p"], env=self.environ, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.server_started = True

    def run_raw(self, args, timeout=300, env=None):
        """Runs wine with args. Output goes through files, not pipes: processes
        that Wine starts in the background inherit the handles and would keep a
        pipe open long after the program itself has ended."""
        self.ensure_server()
        environ = self.environ if env is None else env
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            done = subprocess.run([WINE] + args, env=environ, stdin=subprocess.DEVNULL,
                                  stdout=out, stderr=err, timeout=timeout)
            out.seek(0)
            err.seek(0)
            done.stdout = out.read()
            done.stderr = err.read()
        return done

    def stop(self):
        subprocess.run([WINESERVER, "-k"], env=self.environ, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([WINESERVER, "-w"], env=self.environ, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.server_started = False


class RunResult:
    def __init__(self, exit_code, output, timed_out=False, pid=None):
        self.exit_code = exit_code
        self.output = output
        self.timed_out = timed_out
        self.pid = pid

    def __repr__(self):
        return "RunResult(exit_code=%r, timed_out=%r)" % (self.exit_code, self.timed_out)


class Prefix:
    """A fresh Wine prefix of its own, copied from the booted template."""

    def __init__(self, env, name, display=None):
        """display: an X display (e.g. Xvfb's ":99") for tests that show windows;
        without it the prefix is headless."""
        _boot_template(env)
        self.env = env
        self.root = env.root / name
        if self.root.exists():
            subprocess.run([WINESERVER, "-k"], env=dict(os.environ, WINEPREFIX=str(self.root / "prefix")),
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            shutil.rmtree(self.root)
        self.root.mkdir(parents=True)
        shutil.copytree(env.template / "prefix", self.root / "prefix", symlinks=True)
        self.wine = _WineProcessEnv(self.root)
        if display:
            self.wine.run_raw(["reg", "delete", r"HKCU\Software\Wine\Drivers", "/v", "Graphics", "/f"])
            self.wine.stop()
            self.wine.environ["DISPLAY"] = display

    # --- lifetime

    def close(self):
        self.wine.stop()
        if not self.env.keep:
            shutil.rmtree(self.root, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def stop_server(self):
        """Ends every process of the prefix and flushes its registry."""
        self.wine.stop()

    # --- paths

    @property
    def drive_c(self):
        return self.root / "prefix" / "drive_c"

    def c(self, windows_path):
        """The Linux path of a path on the prefix's drive C."""
        p = PureWindowsPath(windows_path)
        if p.drive.upper() != "C:":
            raise ValueError("not on drive C: %s" % windows_path)
        path = self.drive_c
        for part in p.parts[1:]:
            path = _case_insensitive_child(path, part)
        return path

    @staticmethod
    def win(linux_path):
        return "Z:" + str(Path(linux_path).resolve()).replace("/", "\\")

    # --- programs

    def run(self, program, args=(), timeout=300, env=None):
        """Runs a program (Linux or Windows path) with arguments (a list; Wine
        quotes those with blanks) and returns its full exit code."""
        return self._run_runner([], program, args, timeout, env)

    def start(self, program, args=(), env=None):
        """Starts a program without waiting; the result carries its process id."""
        return self._run_runner(["--nowait"], program, args, 60, env)

    def _run_runner(self, options, program, args, timeout, env):
        program = str(program)
        if program.startswith("/"):
            program = self.win(program)
        # Wine quotes each argument that holds blanks when it builds the
        # command line, so arguments are passed on one by one, unquoted.
        if isinstance(args, str):
            args = args.split()
        command = [self.env.runner] + options + [program] + list(args)
        environ = dict(self.wine.environ)
        if env:
            environ.update(env)
        try:
            done = self.wine.run_raw(command, timeout=timeout + 30, env=environ)
        except subprocess.TimeoutExpired:
            return RunResult(None, "", timed_out=True)
        out = done.stdout.decode("latin-1")
        m = re.search(r"exit=(\d+)", out)
        if m:
            return RunResult(int(m.group(1)), out)
        m = re.search(r"pid=(\d+)", out)
        if m:
            return RunResult(None, out, timed_out="timeout" in out, pid=int(m.group(1)))
        raise RuntimeError("qelrun gave no result: %r %r" % (out, done.stderr.decode("latin-1")[-2000:]))

    def wine_command(self, args, timeout=120):
        """Runs a Wine built-in program (reg, cmd, wineboot ...); returns CompletedProcess."""
        return self.wine.run_raw(list(args), timeout=timeout)

    def reboot(self):
        """Simulates a restart: pending file renames and RunOnce entries are processed."""
        self.wine.run_raw(["wineboot", "-r"], timeout=300)
        self.wine.stop()

    # --- registry

    def reg_export(self, key, view=64):
        """{key path lower: RegKey} for key and its subkeys; {} when it does not exist."""
        out = self.root / "tmp" / ("export-%s.reg" % hashlib.sha1(key.encode()).hexdigest()[:12])
        if out.exists():
            out.unlink()
        args = ["reg", "export", key, "Z:" + str(out).replace("/", "\\"), "/y"]
        if view in (32, 64):
            args.append("/reg:%d" % view)
        done = self.wine.run_raw(args)
        if done.returncode != 0 or not out.exists():
            return {}
        raw = out.read_bytes()
        text = raw.decode("utf-16") if raw[:2] in (b"\xff\xfe", b"\xfe\xff") else raw.decode("latin-1")
        return parse_reg_export(text)

    def reg_query(self, key, view=64):
        """The values of one key as {name: (type, data)}, or None when the key is missing."""
        keys = self.reg_export(key, view)
        found = keys.get(_full_key(key).lower())
        return None if found is None else found.values

    def reg_keys(self, key, view=64):
        """The names of the direct subkeys of key."""
        full = _full_key(key).lower()
        names = set()
        for path in self.reg_export(key, view):
            if path.startswith(full + "\\"):
                names.add(path[len(full) + 1:].split("\\")[0])
        return sorted(names)

    def reg_add(self, key, name=None, kind="REG_SZ", data=None, view=64):
        args = ["reg", "add", key, "/f"]
        if name is None:
            pass
        elif name == "":
            args += ["/ve"]
        else:
            args += ["/v", name]
        if name is not None:
            args += ["/t", kind]
            if data is not None:
                args += ["/d", str(data)]
        if view in (32, 64):
            args.append("/reg:%d" % view)
        done = self.wine.run_raw(args)
        if done.returncode != 0:
            raise RuntimeError("reg add failed: %r" % done.stderr)

    # --- files and snapshots

    def read_trace(self, windows_path):
        """The trace log as text ("" when it was not written): UTF-16 (with or
        without its byte-order mark) or 8-bit."""
        path = self.c(windows_path)
        if not path.exists():
            return ""
        return utf16_file_text(path).replace("\r\n", "\n")

    def snapshot(self, paths=(), keys=(), views=(64, 32)):
        files = {}
        for windows_path in paths:
            base = self.c(windows_path)
            prefix = str(PureWindowsPath(windows_path)).rstrip("\\").lower()
            if not base.exists():
                continue
            for dirpath, dirnames, filenames in os.walk(base):
                rel = os.path.relpath(dirpath, base)
                win_dir = prefix if rel == "." else prefix + "\\" + rel.replace("/", "\\").lower()
                files[win_dir] = ("dir",)
                for f in filenames:
                    full = os.path.join(dirpath, f)
                    if os.path.islink(full):
                        files[win_dir + "\\" + f.lower()] = ("link", os.readlink(full))
                        continue
                    with open(full, "rb") as h:
                        digest = hashlib.sha1(h.read()).hexdigest()
                    files[win_dir + "\\" + f.lower()] = ("file", os.path.getsize(full), digest)
        registry = {}
        for key in keys:
            for view in views:
                for path, regkey in self.reg_export(key, view).items():
                    registry[(str(view), path)] = dict(regkey.values)
        return Snapshot(files, registry)


_ROOTS = {
    "HKLM": "HKEY_LOCAL_MACHINE", "HKCU": "HKEY_CURRENT_USER", "HKCR": "HKEY_CLASSES_ROOT",
    "HKU": "HKEY_USERS", "HKCC": "HKEY_CURRENT_CONFIG",
}


def _full_key(key):
    head, _, rest = key.partition("\\")
    head = _ROOTS.get(head.upper(), head.upper())
    return head + ("\\" + rest.rstrip("\\") if rest else "")


def _case_insensitive_child(path, name):
    direct = path / name
    if direct.exists() or not path.is_dir():
        return direct
    lower = name.lower()
    for child in path.iterdir():
        if child.name.lower() == lower:
            return child
    return direct


def utf16_file_text(path):
    """A text file written as UTF-16LE (byte-order mark optional) or as 8-bit text."""
    raw = Path(path).read_bytes()
    if raw[:2] == b"\xff\xfe":
        return raw[2:].decode("utf-16-le", errors="replace")
    odd = raw[1::2]
    if len(raw) >= 4 and odd.count(0) > len(odd) * 0.9:
        return raw.decode("utf-16-le", errors="replace")
    return raw.decode("latin-1")


def scratch(env, name):
    """A fresh scratch folder under the test's root."""
    path = env.root / name
    if path.exists():
        shutil.rmtree(path)
    path.mkdir(parents=True)
    return path
