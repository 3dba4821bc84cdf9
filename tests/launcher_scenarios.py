#!/usr/bin/env python3
"""End-to-end scenarios, one table for every launcher build. A row is an
installation (version.ini, the folder's entries), how the launcher is
started, and what must follow: which main program started and exactly what
it received, the box or none, the exit status. The real launcher is copied
into a temporary folder and run from another one that holds a decoy
version.ini and decoy candidates.

  launcher_scenarios.py posix LAUNCHER
  launcher_scenarios.py wine PRODUCT.exe X86_64.exe HELPERS_DIR   (Wine's variables set)

Under Wine the 32-bit product runs where this machine runs 32-bit code,
and the x86-64 build of the same sources elsewhere.
"""
import os
import re
import resource
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

NOT_FOUND = "Velmaris main program not found"
ERROR = "Error launching Velmaris main program.\r\n"


def ini(value):
    return b"[Version]\r\nAppVers=" + value + b"\r\n"


def utf16(text):
    return b"\xff\xfe" + text.encode("utf-16-le")


def row(name, files="*Velmaris5.exe", ini=ini(b"5"), box=None, args=(), line="", **options):
    """`files`: the folder's entries, blank-separated; a recording main
    program each, but NAME/ a folder, NAME! a FIFO on POSIX and a hidden file
    on Windows, NAME? a file that is no program, NAME- one that may not be
    run, NAME= a hard link to the launcher, NAME@TARGET a symbolic link.
    *NAME must be the one started. `launcher` is the launcher's own name.
    `args` are the POSIX words; `line` follows the launcher's quoted path on
    Windows, and the main program must get it without its leading blanks.
    `box` is the expected prompt, or per platform {"posix": .., "wine": ..}.
    `only` names the one platform that runs the row; `nobody` runs it as an
    unprivileged user, with the launcher's folder in `mode`. `locked`
    version.ini may not be read (POSIX) or is held open without sharing
    (Windows). `short` starts the launcher by a short name with arguments
    that fit the system's limit, but not once the main program's full path
    stands in that name's place."""
    entries = [re.fullmatch(r"(\*?)(.*?)([/!?=-]|@(.*))?", entry, re.S).groups() for entry in files.split(" ") if entry]
    started = [entry for star, entry, _, _ in entries if star]
    return dict(options, name=name, files=entries, ini=ini, box=box, args=args, line=line,
                started=started and started[0], status=0 if started else 1 if box == NOT_FOUND else 2)


def noise():
    state, out = 7, bytearray()
    for _ in range(65536):
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        out.append(state >> 16 & 0xFF)
    return bytes(out)


ROWS = [
    row("arguments arrive exactly", args=["hello", "two words"], line=' hello "two words"'),
    row("blanks alone are no arguments", line=" \t "),
    row("quotes, blanks and backslashes are not re-split", only="wine", line=' \t "a  b"\t"" c\\"d \\\\"e f"  '),
    row("any bytes in a word", only="posix", args=["", 'a"b', "'x'", " lead", "trail ", "tab\there",
                                                  "back\\slash\\", "*", "$HOME", "new\nline", "\udcff invalid"]),
    row("characters beyond ASCII", line=" \u00e9t\u00e9 \u65e5\u672c", args=["\u00e9t\u00e9", "\u65e5\u672c"]),
    row("thousands of words and a long one", only="posix", args=["arg %d" % i for i in range(5000)] + ["x" * 100000]),
    row("a long argument text", only="wine", line=" " + "x" * 32000),
    row("greatest plain match in NTFS order", ini=ini(b"4.5"), files="Velmaris4.exe Velmaris4a.exe velmaris4B.exe "
        "Velmaris41234.exe *Velmaris4_.exe Velmaris4ZZZZZ.exe Velmaris5.exe Velmaris4.a.exe Velmaris4~.exe/ "
        "Velmaris4~~.exe!"),
    row("links: to a file counts, dangling and looping do not", only="posix",
        files="Velmaris5a.exe *Velmaris5_a.exe@Velmaris5a.exe Velmaris5~.exe@missing Velmaris5~~.exe@Velmaris5~~.exe"),
    row("odd names", only="posix", files="*Velmaris5a\nb.exe Velmaris5" + "~" * 242 + ".exe"),
    row("invalid UTF-8 is a name like any other", only="posix", files="Velmaris5z.exe *Velmaris5\udcff\udcfe.exe"),
    row("no version.ini is version 0", ini=None, files="*Velmaris0.exe"),
    row("a folder named version.ini is version 0", ini="folder", files="*Velmaris0.exe"),
    row("UTF-16, names in any case, blanks", ini=utf16("[version]\r\n appvers = 8\r\n"), files="*Velmaris8.exe"),
    row("comments, other sections, hexadecimal", ini=b"; c\r\n[Other]\r\nAppVers=7\r\n[Version]\r\nAppVers=&H9\r\n",
        files="Velmaris7.exe *Velmaris9.exe"),
    row("a negative half rounds to even", ini=ini(b"-2.5"), files="*Velmaris-2.exe"),
    row("binary noise, then the section", ini=b"x" + noise() + b"\n" + ini(b"5")),
    row("a NUL ends the value", only="posix", ini=ini(b"\0 5"), files="*Velmaris0.exe Velmaris5.exe"),
    row("10,000 digits: the first 99 count", ini=ini(b"0" * 9999 + b"7"), files="*Velmaris0.exe"),
    row("10,000 digits overflow", ini=ini(b"1" + b"0" * 9999), files="Velmaris0.exe", box=ERROR + "Overflow"),
    row("UTF-16 with a broken surrogate", ini=utf16("[Version]\nAppVers=7") + b"\x00\xd8", files="*Velmaris7.exe"),
    row("a gigabyte line in bounded memory", only="posix", ini="sparse", max_kib=64 * 1024),
    row("nothing matches", files="Velmaris6.exe Velmaris512345.exe", box=NOT_FOUND),
    row("overflow: nothing is searched", ini=ini(b"32767.5"), files="Velmaris32767.exe", box=ERROR + "Overflow"),
    row("a candidate that is no program: the box names it", files="Velmaris5.exe?",
        box={"posix": ERROR + "Exec format error", "wine": ERROR + "Bad EXE format for {path}."}),
    row("a candidate that may not be run", only="posix", files="Velmaris5.exe-", box=ERROR + "Permission denied"),
    row("a version.ini that may not be read, or is locked", locked=True, files="Velmaris0.exe Velmaris5.exe",
        box={"posix": ERROR + "Permission denied", "wine": ERROR + "Sharing violation."}),
    row("NTFS order beyond ASCII: \u00e4 < \u00d6", files="Velmaris5\u00e4.exe *Velmaris5\u00d6.exe"),
    row("NTFS order beyond ASCII: \u00e0 < \u00c1", files="*Velmaris5\u00c1.exe Velmaris5\u00e0.exe"),
    row("NTFS order by UTF-16 units", files="Velmaris5\U0001F600.exe Velmaris5\ue000.exe *Velmaris5\uff5a.exe"),
    row("a launcher named as its main program does not start itself", ini=None, launcher="Velmaris0.exe",
        files="Velmaris0a.exe=", box=NOT_FOUND),
    row("a command line too long to hand on", short=True, files="Velmaris5.exe", line=" " + "y" * 32762,
        box={"posix": ERROR + "Argument list too long", "wine": ERROR + "File name is too long."}),
    row("a folder that may not be listed", only="posix", nobody=True, mode=0o333, files="Velmaris5.exe",
        box=ERROR + "Permission denied"),
]


def run_in_session(argv, cwd, env, errors, record, **popen):
    """Runs argv in a session of its own, whose every process is ended once
    the record is written or the wait for it is over (a launcher that starts
    itself would go on for ever), and so is every process that runs a file
    of the scenario (Wine starts some in sessions of their own). Gives the
    exit status, the peak memory in KiB and the record, or None."""
    with open(errors, "wb") as stderr:
        process = subprocess.Popen(argv, cwd=cwd, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=stderr, start_new_session=True, **popen)
    try:
        for _ in range(6000):
            pid, status, usage = os.wait4(process.pid, os.WNOHANG)
            if pid:
                for _ in range(1000 if record else 0):
                    if record.exists():
                        return os.waitstatus_to_exitcode(status), usage.ru_maxrss, record.read_bytes()
                    time.sleep(0.01)
                return os.waitstatus_to_exitcode(status), usage.ru_maxrss, None
            time.sleep(0.01)
        return "no end after a minute", 0, None
    finally:
        scenario = os.fsencode(cwd.parent.name)
        pids = [int(p) for p in os.listdir("/proc") if p.isdigit()]
        for pid in [process.pid] + pids:
            try:
                if pid == process.pid:
                    os.killpg(pid, signal.SIGKILL)
                elif scenario in Path("/proc/%d/cmdline" % pid).read_bytes():
                    os.kill(pid, signal.SIGKILL)
            except OSError:
                pass


class Platform:
    def __init__(self, launcher, root):
        self.launcher, self.root = Path(launcher).resolve(), root
        self.folder, self.decoy = root / "Velmaris \u00dcn\u00ef \u65e5\u672c [x] $y", root / "elsewhere"

    def install(self, row):
        for path in (self.folder, self.decoy):
            path.mkdir(parents=True)
        (self.decoy / "version.ini").write_bytes(ini(b"6"))
        for name in ("Velmaris6.exe", "Velmaris5~~~.exe", "Velmaris0~~~.exe"):
            self.make_file(self.decoy / name, "")
        version_ini = self.folder / "version.ini"
        if row["ini"] == "folder":
            version_ini.mkdir()
        elif row["ini"] == "sparse":  # a gigabyte line that costs no disk
            with open(version_ini, "wb") as f:
                f.truncate(1 << 30)
                f.seek(1 << 30)
                f.write(b"\n" + ini(b"5"))
        elif row["ini"] is not None:
            version_ini.write_bytes(row["ini"])
        launcher = self.folder / row.get("launcher", self.launcher.name)
        launcher.write_bytes(self.launcher.read_bytes())
        launcher.chmod(0o755)
        for _, name, kind, target in row["files"]:
            if kind == "/":
                (self.folder / name).mkdir()
            elif kind == "=":
                os.link(launcher, self.folder / name)
            elif target:
                (self.folder / name).symlink_to(target)
            else:
                self.make_file(self.folder / name, kind)
        return launcher

    def check(self, row, status, boxes, record):
        box = row["box"].get(self.name) if isinstance(row["box"], dict) else row["box"]
        box = box and box.replace("{path}", self.path_text(self.folder / "Velmaris5.exe"))
        expected = self.expected_record(row) if row["started"] else None
        faults = ["exit status %r, not %r" % (status, row["status"])] if status != row["status"] else []
        if boxes != ([box] if box else []):
            faults.append("boxes %r, not %r" % (boxes, box))
        if record != expected:
            faults.append("main program got %s, not %s" % (short(record), short(expected)))
        if (self.decoy / "record").exists():
            faults.append("a program of the current folder started")
        return faults


def short(value):
    text = repr(value)
    return text if len(text) < 300 else text[:150] + "..." + text[-50:]


def fill_arguments():
    """Arguments that, with the name "x" for "./VelmarisLaunch" and PATH,
    fill Linux's limit on the strings and pointers exec takes to within a
    kilobyte: a quarter of the stack limit, 6 MiB at most, 128 KiB at least."""
    stack = resource.getrlimit(resource.RLIMIT_STACK)[0]
    limit = max(min(6 << 20, stack // 4 if stack != resource.RLIM_INFINITY else 6 << 20), 128 << 10)
    room, arguments = limit - 1024 - len("./VelmarisLaunch x PATH=/usr/bin:/bin ") - 2 * 8, []
    while room > 4009:
        arguments.append("x" * 4000)
        room -= 4009
    return arguments


class Posix(Platform):
    name = "posix"
    RECORDER = b'#!/bin/sh\nprintf "%s\\0" "$0" "$@" > "${0%/*}/record.tmp" && mv "${0%/*}/record.tmp" "${0%/*}/record"\n'

    def make_file(self, path, kind):
        if kind == "!":
            os.mkfifo(path)
            return
        path.write_bytes(b"no interpreter line\n" if kind == "?" else self.RECORDER)
        path.chmod(0o644 if kind == "-" else 0o755)

    def path_text(self, path):
        return str(path)

    def expected_record(self, row):
        return [os.fsencode(self.folder / row["started"])] + [os.fsencode(a) for a in row["args"]]

    def run(self, row):
        popen = {}
        if row.get("short"):
            self.folder = self.root.joinpath(*["d" * 250] * 12)
        argv = [self.install(row)] + list(row["args"])
        if row.get("short"):
            argv, popen = ["x"] + fill_arguments(), {"executable": "./" + argv[0].name, "cwd": self.folder}
        if row.get("locked"):
            (self.folder / "version.ini").chmod(0)
        if row.get("nobody") or row.get("locked"):  # permissions do not bind root
            self.root.chmod(0o755)
            self.folder.chmod(row.get("mode", 0o777))
            argv[:0] = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] if os.geteuid() == 0 else []
        errors = self.root / "stderr"
        status, peak_kib, record = run_in_session(argv, popen.pop("cwd", self.decoy), {"PATH": "/usr/bin:/bin"},
                                                  errors, row["started"] and self.folder / "record", **popen)
        self.folder.chmod(0o755)
        text = errors.read_bytes().decode("utf-8", "surrogateescape")
        boxes = [text[len("Velmaris: "):-1].replace("\n", "\r\n", 1)] if text else []
        faults = self.check(row, status, boxes, record and record.split(b"\0")[:-1])
        return faults + (["peak memory %d KiB" % peak_kib] if peak_kib > row.get("max_kib", peak_kib) else [])


# Wine's relay trace writes a call's strings as L"...", escaping \ " CR LF
# TAB, and characters outside printable ASCII as \XXXX (four hex digits).
TRACED = r'L"((?:[^"\\]|\\.)*)"'
BOX = re.compile(r"Call user32\.MessageBoxW\(\w+,\w+ %s,\w+ %s,(\w+)\)" % (TRACED, TRACED))


def untrace(text):
    escapes = {"r": "\r", "n": "\n", "t": "\t"}
    return re.sub(r"\\([0-9a-f]{4}|.)", lambda m: chr(int(m[1], 16)) if len(m[1]) == 4 else escapes.get(m[1], m[1]),
                  text)


class Wine(Platform):
    name = "wine"

    def __init__(self, launcher, helpers, root):
        super().__init__(launcher, root)
        self.helpers = Path(helpers).resolve()

    def make_file(self, path, kind):
        path.write_bytes(b"not a program" if kind == "?" else (self.helpers / "record_start.exe").read_bytes())
        if kind == "!":
            os.setxattr(path, "user.DOSATTRIB", b"0x2")  # hidden

    def path_text(self, path):
        return "Z:" + str(path).replace("/", "\\")

    def expected_record(self, row):
        program, passed = self.path_text(self.folder / row["started"]), row["line"].lstrip(" \t")
        return [program, '"%s"%s' % (program, passed and " " + passed)]

    def run(self, row):
        launcher = self.path_text(self.install(row))
        # A helper starts the launcher with an exact command line, which
        # Wine's own start-up would re-quote.
        request = self.root / "request"
        strings = [launcher, '"%s"%s' % ("x" if row.get("short") else launcher, row["line"]), self.path_text(self.decoy),
                   self.path_text(self.folder / "version.ini") if row.get("locked") else ""]
        request.write_bytes("\0".join(strings + [""]).encode("utf-16-le", "surrogatepass"))
        env = dict(os.environ, WINEDEBUG="-all,+relay", LC_ALL="C.UTF-8")
        errors = self.root / "stderr"
        status, _, record = run_in_session(
            [os.environ["WINELOADER"], self.helpers / "spawn_exact.exe", self.path_text(request)], self.decoy, env,
            errors, row["started"] and self.folder / "record")
        trace = errors.read_text("utf-8", "replace")
        boxes = [untrace(m[1]) for m in BOX.finditer(trace) if untrace(m[2]) == "Velmaris" and int(m[3], 16) == 48]
        if not trace.count("Call user32.MessageBeep(") == len(boxes) == trace.count("Call user32.MessageBoxW("):
            boxes.append("(a box that is no warning titled Velmaris, or one without a beep)")
        record = record and record.decode("utf-16-le", "surrogatepass").split("\0", 1)
        return self.check(row, status, boxes, record)


def windows_launcher(product, x86_64):
    try:
        subprocess.run(["/usr/lib/wine/wine", "--version"], stdout=subprocess.DEVNULL, check=True)
        print("wine: running the 32-bit product, " + product)
        return product
    except (OSError, subprocess.CalledProcessError) as error:
        print("wine: running the x86-64 build %s, as 32-bit Wine does not run here (%s)" % (x86_64, error))
        return x86_64


def main():
    kind = sys.argv[1]
    make = (lambda root: Posix(sys.argv[2], root)) if kind == "posix" else (
        lambda root, launcher=windows_launcher(*sys.argv[2:4]): Wine(launcher, sys.argv[4], root))
    rows = [r for r in ROWS if r.get("only", kind) == kind]
    failed = 0
    for r in rows:
        with tempfile.TemporaryDirectory(prefix="velmaris-") as root:
            faults = make(Path(root)).run(r)
        print(("FAIL: %s: %s" % (r["name"], "; ".join(faults))) if faults else "ok: " + r["name"], flush=True)
        failed += bool(faults)
    print("%d passed, %d failed" % (len(rows) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
