#!/usr/bin/env python3
"""End-to-end scenarios, one table for every launcher build, each run in a temporary folder from another that holds
a decoy version.ini and candidates; and a differential run that gives generated cases to both launchers. Under Wine,
in a prefix that make_wine_prefix made: launcher_scenarios.py wine PRODUCT.exe X86_64.exe build/win64/tests"""
import argparse, contextlib, dataclasses, os, pty, random, re, resource, shutil, signal, subprocess, sys  # noqa: E401
import fcntl, tempfile, termios, time  # noqa: E401
from pathlib import Path

NOT_FOUND, ERROR = "Velmaris main program not found", "Error launching Velmaris main program.\r\n"
SIZE_LIMIT = 1 << 20  # above Wine's relay trace, not its registry: its server must be running (make_wine_prefix)
RUN_LIMIT_S, RECORD_WAIT_S = 60, 10  # a launcher still running after this has hung; a started program's time to record
SOURCE = Path(__file__).resolve().parents[1]
# The mark that every build of the launcher carries in its first 4 KiB, as its header defines it.
MARK = re.search(rb'#define VELMARIS_LAUNCHER_MARK "([^"]*)"', (SOURCE / "launcher/rules/launcher_builds.h").read_bytes())[1]
BUILDS = ("copy", "longer", "near", "part")  # kinds of file that are builds of the launcher


def app_vers(value):  # a version.ini
    return b"[Version]\r\nAppVers=" + value + b"\r\n"


@dataclasses.dataclass
class Row:
    """One scenario: the installation it makes, how the launcher is started there, and what must come of it. A value
    given per platform is a dict, {"posix": ..., "wine": ...}; the POSIX-only and Wine-only options say so."""
    name: str
    # The folder's entries: NAME, NAME:KIND or NAME@TARGET (a symbolic link); *NAME must start. KIND: program
    # (default), folder, fifo, hidden, junk, link (hard, to the launcher), nearmark (first 4 KiB nearly the mark),
    # held (its size, held unshared); builds: copy, longer (a byte more), near (stripped; Wine: signed), part (2 KiB).
    files: str = "*Velmaris5.exe"
    ini: object = app_vers(b"5")  # version.ini's bytes, or None: none, or an entry of files in its place
    ini_name: str = "version.ini"  # the name it is written under
    box: object = None  # the one box's text ("{path}": the candidate's path), or None for a start
    args: list = ()  # POSIX: the launcher's arguments, each passed on as it is
    line: str = ""  # Wine: the launcher's command line after its own path, passed on after the program's quoted path
    only: str = ""  # "posix" or "wine": the one platform that has what the row needs
    # Lines the trace holds ("{folder}", "{sep}" its separator, a line's start before "...", "!" a line it must not
    # hold), or "folder" for a trace it cannot write; None: no trace asked for.
    trace: object = None
    trace_name: str = ""  # the trace file's name in the installation folder; "": outside it
    launcher: str = ""  # the launcher's name in the folder; "": its build's own
    launcher_kind: str = "copy"  # the launcher itself: "copy" or "near", as for files
    folder_length: int = 0  # the folder's path, as the platform spells it, padded to this many characters
    fill: int = 0  # Wine: the main program's command line padded to this many UTF-16 units
    meanwhile: str = ""  # at work on version.ini: an updater, "renames" (100 starts, each 5 or 6); "growing"
    nobody: str = ""  # POSIX, as a user whom permissions bind: "sealed", the launcher and copies execute-only; "unlisted"
    locked: bool = False  # version.ini unreadable (POSIX) or held without sharing (Wine)
    stderr: str = ""  # POSIX: a pipe whose reader has "gone", one "full", a terminal "held" by Ctrl-S or "stopped" (tostop)
    display: str = ""  # POSIX: a graphical session where zenity shows the box, "zenity", or cannot, "stale"; or "none"
    elevated: bool = False  # Wine: the start through the consent prompt alone
    # From the caller: a "size limit" the trace's first line fits under, its rest not; POSIX: "SIGCHLD ignored",
    inherit: str = ""  # "stdin closed", "no descriptors" (a limit of 0), "a terminal": standard error's, controlling

    def __post_init__(self):  # files as (star, name, kind, target); the name that must start, or ""; the exit status
        self.entries = [re.fullmatch(r"(\*?)([^:@]*)(?::(\w+))?(?:@(.*))?", e, re.S).groups()
                        for e in self.files.split(" ") if e]
        self.started = next((entry for star, entry, _, _ in self.entries if star), "")
        self.status = 0 if self.started else 1 if self.box == NOT_FOUND else 2


# What a trace says of a start that passes over entries of each kind; no match and no version.ini is a near miss.
NEAR = ["launcher folder: {folder}", "version.ini: {folder}{sep}version.ini: read", 'AppVers: "5"', "version: 5",
        "pattern: Velmaris5????.exe", "near miss: Velmaris5-beta.exe", "near miss: Velmaris6.exe",
        "near miss: version.ini.txt", "!near miss: Velmaris5.exe", "!near miss: version.ini",
        "!near miss: VelmarisL...", "candidate: Velmaris5.exe", "started: {folder}{sep}Velmaris5.exe",
        "!near misses not shown..."]

# A failure whose box zenity shows, and closes as a user who presses Esc.
DIALOG_BOX = dict(only="posix", display="zenity", ini=app_vers(b"99999"), files="", box=ERROR + "Overflow")

ROWS = [
    Row("the trace names all 20 near misses (version* is listed second) and what was started", args=["a", "b c"],
        line=' a "b c"', files="*Velmaris5.exe Velmaris5-beta.exe version.ini.txt" + "".join(
            " Velmaris%d.exe" % v for v in range(6, 24)),
        trace={"posix": NEAR + ["argument: a", "argument: b c"], "wine": NEAR + ['argument: a "b c"']}),
    Row("the trace counts near misses past 20, the launcher none", trace=["near misses not shown: 4"], files=" ".join(
        ["*Velmaris5.exe"] + ["Velmaris%d.exe" % v for v in range(6, 30)])),
    Row("thousands of words and a long one", only="posix", args=["arg %d" % i for i in range(5000)] + ["x" * 100000]),
    Row("quotes, blanks and backslashes are not re-split", only="wine", line=' \t "a  b"\t"" c\\"d \\\\"e f"  '),
    Row("any bytes in a word, and in the trace each on a line of its own", only="posix", args=[
        "", 'a"b', "'x'", " lead", "trail ", "tab\there", "back\\slash\\", "*", "$HOME", "new\nline", "\udcff invalid"],
        trace=["argument: tab\\x09here", "argument: new\\x0aline", "argument: \\xff invalid"]),
    Row("a trace named as a greater candidate is made after the search", trace_name="Velmaris5z.exe", trace=[
        "candidate: Velmaris5.exe", "started: {folder}{sep}Velmaris5.exe"]),
    Row("characters beyond ASCII arrive exactly, whatever the trace file", line=" \u00e9t\u00e9 \u65e5\u672c",
        args=["\u00e9t\u00e9", "\u65e5\u672c"], trace="folder"),
    Row("a command line one short of the limit", only="wine", fill=32766),
    Row("a command line at the limit", only="wine", fill=32767, files="Velmaris5.exe", box=ERROR + "File name is too long."),
    Row("greatest plain match in NTFS order", ini=app_vers(b"4.5"), files="Velmaris4.exe Velmaris4a.exe velmaris4B.exe "
        "Velmaris41234.exe *Velmaris4_.exe Velmaris4ZZZZZ.exe Velmaris5.exe Velmaris4.a.exe Velmaris4~.exe:folder "
        "Velmaris4~~.exe:fifo Velmaris4~~~.exe:hidden", trace={
            "posix": ["passed over: Velmaris4~.exe: a folder", "passed over: Velmaris4~~.exe: no plain file"],
            "wine": ["passed over: Velmaris4~.exe: a folder", "passed over: Velmaris4~~~.exe: hidden or system"]}),
    Row("links: to a file counts, dangling and looping do not", only="posix",
        files="Velmaris5a.exe *Velmaris5_a.exe@Velmaris5a.exe Velmaris5~.exe@missing Velmaris5~~.exe@Velmaris5~~.exe"),
    Row("odd names", only="posix", files="*Velmaris5a\nb.exe Velmaris5" + "~" * 242 + ".exe"),
    Row("invalid UTF-8 is a name like any other", only="posix", files="Velmaris5z.exe *Velmaris5\udcff\udcfe.exe"),
    Row("no version.ini is version 0; a launcher named as its main program, and its hard link, are passed over",
        ini=None, launcher="Velmaris0b.exe", files="Velmaris0c.exe:link *Velmaris0.exe", trace=[
            "version.ini: {folder}{sep}version.ini: missing", 'AppVers: ""', "version: 0",
            "passed over: Velmaris0c.exe: the launcher itself", "passed over: Velmaris0b.exe: the launcher itself"]),
    Row("two copies of the launcher, unreadable, do not start each other", ini=None, launcher="Velmaris0a.exe",
        files="Velmaris0b.exe:copy", box=NOT_FOUND, nobody="sealed",
        trace={"posix": ["passed over: Velmaris0b.exe: cannot be read, and has the launcher's size", "not found"]}),
    Row("near-copies of the launcher, and one a copy has begun, start none", ini=None, launcher="Velmaris0a.exe",
        launcher_kind="near", files="Velmaris0b.exe:copy Velmaris0c.exe:longer Velmaris0d.exe:part", box=NOT_FOUND,
        trace=["passed over: Velmaris0%s.exe: carries the launcher's mark" % c for c in "bcd"] + [
            "passed over: Velmaris0a.exe: the launcher itself", "not found"]),
    Row("a program whose first 4 KiB hold nearly the mark starts", files="*Velmaris5z.exe:nearmark Velmaris5.exe"),
    Row("a candidate of the launcher's size, held without sharing: its refusal, not an older version", only="wine",
        files="Velmaris5z.exe:held Velmaris5.exe", box=ERROR + "Sharing violation."),
    Row("of spellings of version.ini in other cases, the plain file NTFS lists first is read", only="posix",
        ini_name="VERSION.INi", files="*Velmaris5.exe VERSION.INI:folder VERSION.iNI Version.ini version.INI"),
    Row("version.ini renamed over: each start 5 or 6", meanwhile="renames", files="Velmaris5.exe Velmaris6.exe"),
    Row("a program under a name of no pattern is never started; under its final name it is a candidate",
        ini=app_vers(b"1"), files="Velmaris1.exe Velmaris1.exe.new *Velmaris10.exe Velmaris10.exe.new"),
    Row("a folder version.ini, unreadable, is version 0", ini=None, locked=True, files="*Velmaris0.exe version.ini:folder"),
    Row("a version.ini that links to itself is version 0", ini=None, files="*Velmaris0.exe version.ini@version.ini"),
    Row("a FIFO version.ini no one writes is version 0", only="posix", ini=None, files="*Velmaris0.exe version.ini:fifo"),
    Row("a version.ini shorter than its size, a file of /sys, is read to its end", only="posix", ini=None,
        files="*Velmaris0.exe version.ini@/sys/devices/system/cpu/online"),
    Row("standard input closed: the files the launcher opens are descriptor 0", only="posix", inherit="stdin closed",
        files="Velmaris5z.exe:copy *Velmaris5.exe", trace=["passed over: Velmaris5z.exe: carries the launcher's mark"]),
    Row("a version.ini that keeps growing, one long line, is read as far as it went, in bounded memory",
        only="posix", ini=b"[Other]\r\n", meanwhile="growing", files="*Velmaris0.exe Velmaris5.exe"),
    Row("a version.ini that may not be read, or is locked", locked=True, files="Velmaris0.exe Velmaris5.exe",
        box={"posix": ERROR + "Permission denied", "wine": ERROR + "Sharing violation."},
        trace=["version.ini: {folder}{sep}version.ini: unreadable: ...", "failed: ..."]),
    Row("no program of the version", files="Velmaris4.exe Velmaris6.exe", box=NOT_FOUND),
    Row("version.ini at MAX_PATH, 64 KiB and a byte, its last line unended", folder_length=248, launcher="L.exe",
        ini=b"[Version]\r\n;".ljust((1 << 16) - 13, b"x") + b"\nAppVers=99999", files="Velmaris0.exe",
        box=ERROR + "Overflow"),
    Row("standard error a closed pipe: status 2, and the graphical box", stderr="gone", **DIALOG_BOX),
    Row("standard error a full pipe that nobody reads: the graphical box, not a wait", stderr="full", **DIALOG_BOX),
    Row("standard error a terminal held by Ctrl-S: no beep, the graphical box, not a wait", stderr="held", **DIALOG_BOX),
    Row("a background job whose terminal stops its output: not stopped", stderr="stopped", inherit="a terminal", **DIALOG_BOX),
    Row("a dialog program that cannot open the display hands the box to the next", **dict(DIALOG_BOX, display="stale")),
    Row("an inherited SIGCHLD ignored: still one box", inherit="SIGCHLD ignored", **DIALOG_BOX),
    Row("no graphical session: the dialog programs are not asked", **dict(DIALOG_BOX, display="none")),
    Row("a trace past the file-size limit: the start goes on, and the part written is taken back",
        inherit="size limit", trace=["before", "!l..."]),
    Row("no descriptor allowed (ulimit -n 0): the box's line all the same", only="posix", inherit="no descriptors",
        files="Velmaris5.exe", box=ERROR + "Too many open files"),
    Row("a launcher folder past 256 bytes", only="posix", folder_length=300),
    Row("a value is read to 99 characters, not one fewer", ini=app_vers(b"1" + b" " * 97 + b"23"),
        files="*Velmaris12abcd.exe Velmaris1.exe"),
    Row("overflow: nothing is searched", ini=app_vers(b"32767.5"), files="Velmaris32767.exe", box=ERROR + "Overflow",
        trace=['AppVers: "32767.5"', "failed: Overflow"]),
    Row("the consent prompt's start hands on the text", only="wine", elevated=True, line=' a "b  c"\t d\\" \u00e9\u65e5 '),
    Row("a candidate that is no program: the box names it", files="Velmaris5.exe:junk",
        box={"posix": ERROR + "Exec format error", "wine": ERROR + "Bad EXE format for {path}."}),
    Row("a folder not to be listed", only="posix", nobody="unlisted", files="Velmaris5.exe", box=ERROR + "Permission denied"),
]


# What works on version.ini ($F) meanwhile: an updater that replaces it by rename, as it should, between versions 5
# and 6; a writer that grows it, sparse, faster than anyone reads it, up to a file-size limit of 1 TiB (512-byte blocks).
MEANWHILE = {"renames": r'while :; do for v in 5 6; do printf "[Version]\r\nAppVers=$v\r\n" >"$F.new" && '
                        r'mv "$F.new" "$F"; done; done',
             "growing": 'ulimit -f %d; while :; do truncate -s +64M "$F"; done' % (1 << 31)}


def sign(image, root):
    """`image` signed by scripts/sign with a throwaway certificate, and the signature verified."""
    (root / "unsigned").write_bytes(image)
    subprocess.run("openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=test -days 1 -keyout key -out cert 2>/dev/null && "
                   "%s cert key unsigned signed && osslsigncode verify -CAfile cert -in signed >/dev/null"
                   % (SOURCE / "scripts/sign"), shell=True, cwd=root, check=True)
    return (root / "signed").read_bytes()


INHERIT = {"SIGCHLD ignored": lambda: signal.signal(signal.SIGCHLD, signal.SIG_IGN),
           "size limit": lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (SIZE_LIMIT, SIZE_LIMIT)),
           "stdin closed": lambda: os.close(0), "a terminal": lambda: fcntl.ioctl(2, termios.TIOCSCTTY, 1),
           "no descriptors": lambda: resource.setrlimit(resource.RLIMIT_NOFILE, (0, 0))}


def run_in_session(argv, cwd, env, stderr, record, scope, **popen):
    """Exit status (None: hung), peak KiB and, after a start, the main program's record, of argv run in a session of
    its own; then it ends, with every process of a file below `scope` (Wine's own sessions, a launcher's chain)."""
    process = subprocess.Popen(argv, cwd=cwd, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=stderr, start_new_session=True, **popen)
    try:
        deadline, status, peak = time.monotonic() + RUN_LIMIT_S, None, 0
        while status is None and time.monotonic() < deadline:
            pid, wait_status, usage = os.wait4(process.pid, os.WNOHANG)
            if pid:
                status, peak = os.waitstatus_to_exitcode(wait_status), usage.ru_maxrss
            else:
                time.sleep(0.002)
        if record and status == 0:
            wait_until(record.exists, RECORD_WAIT_S)
        return status, peak, record.read_bytes() if record and record.exists() else None
    finally:
        for pid in [-process.pid] + [int(p) for p in os.listdir("/proc") if p.isdigit()]:
            with contextlib.suppress(OSError):  # Wine's command lines say "\\" for "/"
                if pid < 0 or bytes(scope) in Path("/proc/%d/cmdline" % pid).read_bytes().replace(b"\\", b"/"):
                    os.kill(pid, signal.SIGKILL)
        with contextlib.suppress(ChildProcessError):
            process.wait()


def wait_until(done, seconds=60):
    """Whether done() came true within this many seconds."""
    deadline = time.monotonic() + seconds
    while not done() and time.monotonic() < deadline:
        time.sleep(0.01)
    return done()


def end_session(process):
    """Ends `process` and every process of its session: a loop, with the command it runs."""
    with contextlib.suppress(ProcessLookupError):
        os.killpg(process.pid, signal.SIGKILL)
    process.wait()


class Platform:
    def __init__(self, launcher, root, helpers=""):  # helpers: the Windows test programs' folder
        self.launcher, self.root, self.errors = Path(launcher).resolve(), root, root / "stderr"
        self.helpers = helpers and Path(helpers).resolve()
        self.folder, self.decoy = root / "Velmaris \u00dcn\u00ef \u65e5\u672c \U0001F600 [x] $y", root / "elsewhere"

    def install(self, row):
        if row.folder_length and not self.decoy.exists():  # padded to the length that the platform shows
            padding = "f" * (row.folder_length - len(self.path_text(self.root)) - 1)
            self.folder = self.root / re.sub("(f{200})(?=f)", r"\1/", padding)  # no name past 255 bytes
        launcher, version_ini = self.folder / (row.launcher or self.launcher.name), self.folder / row.ini_name
        if launcher.exists():  # a row that starts it again
            return launcher
        self.folder.mkdir(parents=True)
        self.decoy.mkdir()
        (self.decoy / "version.ini").write_bytes(app_vers(b"6"))
        for name in ("Velmaris6.exe", "Velmaris5~~~.exe", "Velmaris0~~~.exe"):
            self.make_file(self.decoy / name, "program")
        if row.ini is not None:
            version_ini.write_bytes(row.ini)
        # Builds other than exact copies may not run: one started by mistake would start the others.
        builds = [(self.folder / n, k) for _, n, k, _ in row.entries if k in BUILDS]
        for path, kind in [(launcher, row.launcher_kind)] + builds:
            image = self.near(self.launcher.read_bytes()) if kind == "near" else self.launcher.read_bytes()
            path.write_bytes({"longer": image + b"\0", "part": image[:2048]}.get(kind, image))  # part: a copy begun
            path.chmod(0o755 if path == launcher else 0o644)
        for _, name, kind, target in row.entries:
            if target:
                (self.folder / name).symlink_to(target)
            elif kind == "folder":
                (self.folder / name).mkdir()
            elif kind == "link":
                os.link(launcher, self.folder / name)
            elif kind not in BUILDS:
                self.make_file(self.folder / name, kind or "program")
        return launcher

    def run(self, row):
        if row.fill:  # the main program's command line, in UTF-16 units
            taken = len(('"%s" ' % self.path_text(self.folder / "Velmaris5.exe")).encode("utf-16-le")) // 2
            row = dataclasses.replace(row, line=" " + "y" * (row.fill - taken))
        before = b"before\n".rjust(SIZE_LIMIT - 150, b"\n") if row.inherit == "size limit" else b""
        (self.root / "trace").write_bytes(before)
        (self.root / "trace").chmod(0o666)  # another user may write it too
        with self.meanwhile(row):
            outcomes = [self.observe(row) for _ in range(100 if row.meanwhile == "renames" else 1)]
        if len(outcomes) > 1:
            bad = [outcome[:2] for outcome in outcomes if outcome[:2] != (0, [])]
            return ["%d of %d starts went otherwise: %r" % (len(bad), len(outcomes), bad[:3])] if bad else []
        status, boxes, record, faults = outcomes[0]
        box, lines = (value.get(self.name) if isinstance(value, dict) else value for value in (row.box, row.trace))
        box = box and box.replace("{path}", self.path_text(self.folder / "Velmaris5.exe"))
        lines = [] if lines in (None, "folder") else lines
        trace = self.trace_file(row).read_text("utf-8").splitlines() if lines else []
        for line in lines:
            line = line.format(folder=self.path_text(self.folder), sep=self.path_text(self.folder / "x")[-2])
            absent, line = line.startswith("!"), line.lstrip("!")  # a line it must not hold
            if absent == any(have == line or line.endswith("...") and have.startswith(line[:-3]) for have in trace):
                faults.append("the trace %s line %r: ...%r" % ("has a" if absent else "has no", line, trace[-40:]))
        expected = self.expected_record(row) if row.started else None
        return faults + [fault for fault, bad in [
            ("still running after %d s" % RUN_LIMIT_S, status is None),
            ("exit status %r, not %r" % (status, row.status), status is not None and status != row.status),
            ("boxes %r, not %r" % (boxes, box), boxes != ([box] if box else [])),
            ("main program got %.300r, not %.300r" % (record, expected), record != expected),
            ("a program of the current folder started", (self.decoy / "record").exists())] if bad]

    @contextlib.contextmanager
    def meanwhile(self, row):
        """The row's process at work on version.ini, through every start; the writer has grown it to 64 MiB first."""
        if not row.meanwhile:
            yield
            return
        version_ini = self.folder / "version.ini"
        self.install(row)  # the path in the environment: a process whose command line names the folder ends with a start
        process = subprocess.Popen(["sh", "-c", MEANWHILE[row.meanwhile]], env=dict(os.environ, F=str(version_ini)),
                                   stderr=subprocess.DEVNULL, start_new_session=True)
        try:
            wait_until(lambda: row.meanwhile != "growing" or version_ini.stat().st_size >= 64 << 20)
            yield
        finally:
            end_session(process)

    def trace_file(self, row):
        return self.folder / row.trace_name if row.trace_name else self.root / "trace"

    def trace_variable(self, row):  # a file, or a folder that cannot be one
        trace = row.trace and self.path_text(self.decoy if row.trace == "folder" else self.trace_file(row))
        return {"VELMARIS_LAUNCH_TRACE": trace} if row.trace is not None else {}


class Posix(Platform):
    name = "posix"
    RECORDER = b'#!/bin/sh\nprintf "%s\\0" "$0" "$@" > "${0%/*}/record.tmp" && mv "${0%/*}/record.tmp" "${0%/*}/record"\n'
    # A dialog program closed with Esc after a while, which reads ZENITY_ESC as getenv does; one with no display.
    DIALOG = (b'#!/bin/sh\necho >&2; sleep 0.2\nprintf "%s\\n" "${0##*/}" "$DISPLAY" "$@" >> "${0%/*}/../shown"\n'
              b'e=$(tr "\\0" "\\n" </proc/$$/environ | sed -n "s/^ZENITY_ESC=//p" | head -n1); exit "${e:-1}"\n')
    DIALOGS = {"zenity": "zenity\n:0\n--warning\n--no-markup\n--title=Velmaris\n--text=%s\n",
               "stale": "xmessage\n:0\n-title\nVelmaris\n-center\n-buttons\nOK:0\n%s\n"}

    def make_file(self, path, kind):
        if kind == "fifo":
            os.mkfifo(path)
        elif kind != "hidden":
            kinds = {"junk": b"no interpreter line\n", "dialog": self.DIALOG, "stale": b"#!/bin/sh\necho >&2; exit 1\n",
                     "nearmark": self.RECORDER.ljust(4097 - len(MARK), b"#") + MARK + b"\n"}  # the mark cut at 4 KiB
            path.write_bytes(kinds.get(kind, self.RECORDER))
            path.chmod(0o755)

    def near(self, image):  # stripped
        subprocess.run(["strip", "-o", self.root / "near", self.launcher], check=True)
        return (self.root / "near").read_bytes()

    def path_text(self, path):
        return str(path)

    def expected_record(self, row):
        return [os.fsencode(self.folder / row.started)] + [os.fsencode(a) for a in row.args]

    def command(self, row):
        """argv, current folder and environment of the run."""
        launcher, env = self.install(row), {"PATH": "/usr/bin:/bin", **self.trace_variable(row)}
        if row.display:
            (self.root / "bin").mkdir()
            self.make_file(self.root / "bin" / "zenity", "stale" if row.display == "stale" else "dialog")
            self.make_file(self.root / "bin" / "xmessage", "dialog")
            # The caller's own ZENITY_ESC, which would hand a box closed with Esc on to the next program.
            env.update(PATH="%s:/usr/bin:/bin" % (self.root / "bin"), DISPLAY=":0", ZENITY_ESC="1")
            if row.display == "none":
                env.pop("DISPLAY")
        argv = [launcher] + list(row.args)
        if row.stderr == "stopped":  # a background job of a shell with job control, whose terminal stops its output
            argv = ["sh", "-mc", 'stty tostop <&2; "$@" & wait $!', "sh"] + argv
        if row.nobody or row.locked:  # permissions do not bind root
            for path in [launcher] + [self.folder / name for _, name, kind, _ in row.entries if kind == "copy"]:
                path.chmod(0o111 if row.nobody == "sealed" else 0o755)
            if os.path.lexists(self.folder / "version.ini"):
                (self.folder / "version.ini").chmod(0 if row.locked else 0o644)
            self.root.chmod(0o755)
            self.folder.chmod(0o333 if row.nobody == "unlisted" else 0o777)
            argv[:0] = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] if os.geteuid() == 0 else []
        return argv, self.decoy, env

    @staticmethod
    def standard_error(row, errors):
        """Standard error and the descriptors to close after: a pipe whose reader has gone, one filled by a write cut
        short (then blocking, as the launcher finds it), a terminal (held by Ctrl-S, or a stopped job's), or a file."""
        if not row.stderr:
            return errors.fileno(), ()
        read, write = pty.openpty() if row.stderr in ("held", "stopped") else os.pipe()
        if row.stderr == "gone":
            os.close(read)
            return write, (write,)
        if row.stderr == "full":
            os.set_blocking(write, False)
            os.write(write, bytes(1 << 20))
            os.set_blocking(write, True)
        elif row.stderr == "held":
            os.write(read, b"\x13")
        return write, (read, write)

    def observe(self, row):
        """Exit status, boxes, the main program's record (None: none) and faults only this platform sees."""
        argv, cwd, env = self.command(row)
        with open(self.errors, "wb") as errors:
            stderr, opened = self.standard_error(row, errors)
            status, peak_kib, record = run_in_session(argv, cwd, env, stderr, self.folder / "record", self.root,
                                                      preexec_fn=INHERIT.get(row.inherit))
            for fd in opened:
                os.close(fd)
        self.folder.chmod(0o755)
        # The box on standard error, or a dialog program's when that is all there is to see.
        text = self.errors.read_bytes().decode("utf-8", "surrogateescape")
        shown = (self.root / "shown").read_text() if (self.root / "shown").exists() else None
        if row.stderr and shown:
            text = "Velmaris: %s" % shown.partition("--text=")[2]
        boxes = [text[len("Velmaris: "):-1].replace("\n", "\r\n", 1)] if text else []
        given = self.DIALOGS[row.display] % row.box.replace("\r\n", "\n") if row.display in self.DIALOGS else None
        # Memory bounded, however large the growing version.ini is; a trace it made is no program to start.
        faults = [fault for fault, bad in [("the dialog programs were given %r" % shown, row.display and shown != given),
                  ("peak memory %d KiB" % peak_kib, row.meanwhile == "growing" and peak_kib > 64 << 10),
                  ("the trace it made may be run", row.trace_name and self.trace_file(row).stat().st_mode & 0o111)] if bad]
        return status, boxes, record and record.split(b"\0")[:-1], faults


# What the verdicts read of Wine's relay trace, of the calls make_wine_prefix has it trace. kernel32's calls may be
# traced under kernelbase, which holds them on newer Wine.
KERNEL = r"(?:KERNEL32|kernelbase)\."
# A call's strings as L"...", escaping \ " CR LF TAB, and characters outside printable ASCII as \XXXX (hex).
TRACED = r'L"((?:[^"\\]|\\.)*)"'
BOX = re.compile(r"Call user32\.MessageBoxW\(\w+,\w+ %s,\w+ %s,(\w+)\)" % (TRACED, TRACED))
# DLLs from the system folder only (LOAD_LIBRARY_SEARCH_SYSTEM32); the box's Common Controls context; the icon
# form's group; a candidate opened.
DLL_SEARCH = re.compile(r"Call %sSetDefaultDllDirectories\(00000800\)" % KERNEL, re.I)
CONTROLS_ACTIVE = re.compile(r"Ret  %sActivateActCtx\(\) retval=0*1 " % KERNEL)
ICON_FOUND = re.compile(r"Ret  %sFindResourceW\(\) retval=0*[1-9a-f]" % KERNEL)
CANDIDATE_OPENED = re.compile(r'Call %sCreateFileW\(\w+ L"[^"]*\\\\(Velmaris-?\d[^"]*)"' % KERNEL)


def untrace(text):
    units = re.sub(r"\\([0-9a-f]{4}|.)", lambda m: chr(int(m[1], 16)) if len(m[1]) == 4 else
                   {"r": "\r", "n": "\n", "t": "\t"}.get(m[1], m[1]), text)
    return units.encode("utf-16-le", "surrogatepass").decode("utf-16-le", "surrogatepass")  # pairs joined


class Wine(Platform):
    name = "wine"

    def make_file(self, path, kind):
        recorder = (self.helpers / "record_start.exe").read_bytes()  # larger than the launcher
        if kind == "nearmark":  # the mark but its last bit, in the padding after the recorder's section table
            recorder = recorder[:0x500] + MARK[:-1] + bytes([MARK[-1] ^ 1]) + recorder[0x500 + len(MARK):]
        if kind in ("program", "junk", "hidden", "nearmark", "held"):
            held = b"MZ".ljust(self.launcher.stat().st_size, b"\0")
            path.write_bytes({"junk": b"not a program", "held": held}.get(kind, recorder))
        if kind == "hidden":
            os.setxattr(path, "user.DOSATTRIB", b"0x2")

    def near(self, image):
        return sign(image, self.root)

    def path_text(self, path):
        return "Z:" + str(path).replace("/", "\\")

    def expected_record(self, row):
        program, passed = self.path_text(self.folder / row.started), row.line.lstrip(" \t")
        return [program, '"%s"%s' % (program, passed and " " + passed)]

    def observe(self, row):
        launcher, request = self.path_text(self.install(row)), self.root / "request"
        held = [name for _, name, kind, _ in row.entries if kind == "held"] + ["version.ini"] * bool(row.locked)
        strings = [launcher, '"%s"%s' % ("x" if row.fill else launcher, row.line), self.path_text(self.decoy),
                   self.path_text(self.folder / held[0]) if held else "", ""]
        request.write_bytes("\0".join(strings).encode("utf-16-le", "surrogatepass"))
        argv = [os.environ["WINELOADER"], self.helpers / "spawn_exact.exe", self.path_text(request)]
        if row.elevated:  # the "runas" start alone: Wine never asks for elevation
            argv[1:] = [self.helpers / "start_elevated.exe", self.path_text(self.folder / "Velmaris5.exe"),
                        row.line.lstrip(" \t")]
        env = dict(os.environ, WINEDEBUG="-all,+relay", LC_ALL="C.UTF-8", **self.trace_variable(row))
        with open(self.errors, "wb") as errors:
            status, _, record = run_in_session(argv, self.decoy, env, errors, self.folder / "record", self.root,
                                               preexec_fn=INHERIT.get(row.inherit))
        trace = self.errors.read_text("utf-8", "replace")
        boxes = [untrace(m[1]) for m in BOX.finditer(trace) if untrace(m[2]) == "Velmaris" and int(m[3], 16) == 48]
        if not trace.count("Call user32.MessageBeep(") == len(boxes) == trace.count("Call user32.MessageBoxW(") \
                == len(CONTROLS_ACTIVE.findall(trace)):
            boxes.append("(a box that is no warning titled Velmaris, or one without a beep or Common Controls 6)")
        # Only the name that would be started is opened, once, when no build of the launcher is passed over.
        opened = [untrace(name) for name in CANDIDATE_OPENED.findall(trace)]
        ordinary = not row.elevated and not row.trace_name and all(kind not in BUILDS + ("link", "held") and not target
                                                   for _, _, kind, target in row.entries)
        faults = [fault for fault, bad in [
            ("the launcher did not restrict DLLs to the system folder", not row.elevated and not DLL_SEARCH.search(trace)),
            ("the start opened %r" % opened, ordinary and (len(opened) > 1 or row.started and opened != [row.started])),
            ("the icon form found no icon group 1", status in (0, 1) and not row.elevated and not ICON_FOUND.search(trace)),
        ] if bad]
        return status, boxes, record and record.decode("utf-16-le", "surrogatepass").split("\0", 1), faults

# The installer's run: 5 to 8 installed, updated and rolled back under a loop of starts; 9 beside a box; the uninstaller.
LOOP_STARTS, UNINSTALL_KEY = 200, r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmaris"
PROGRAMS = r"Velmaris\\Velmaris[0-9]"  # the command lines of the main programs it installs, for pgrep


def installer(product, x86_64, helpers):
    """Builds the installers and runs them under Wine, in a prefix that make_wine_prefix makes: 77 without makensis."""
    wine, sessions, helpers = os.environ.get("WINELOADER", ""), [], Path(helpers).resolve()
    if not shutil.which("makensis") or not os.access(wine, os.X_OK):
        print("skipped: makensis or Wine is missing; scripts/setup installs them")
        return 77
    x86, root = (launcher := windows_launcher(product, x86_64)) == product, Path(tempfile.mkdtemp())
    relay = dict(os.environ, WINEDEBUG="-all,+relay", WINEDLLOVERRIDES="winemenubuilder.exe=")
    folder = Path(os.environ["WINEPREFIX"], "drive_c", "Program Files" + " (x86)" * x86, "Velmaris")
    win, z = lambda path: "C:" + str(path).split("drive_c", 1)[1].replace("/", "\\"), lambda path: Wine.path_text(0, path)
    text = lambda name: (root / name).read_bytes().decode("utf-8", "replace") if (root / name).exists() else ""  # noqa

    def gone(pattern):  # no command line matches, within a minute
        return wait_until(lambda: subprocess.run(["pgrep", "-f", pattern], stdout=subprocess.DEVNULL).returncode)

    def build(version, out, *signed):
        subprocess.run([SOURCE / "scripts/installer", helpers / "record_start.exe", str(version), root / out, *signed],
                       check=True, env=dict(os.environ, LAUNCHER=launcher, TARGET="%s-unicode" % ("amd64", "x86")[x86]))
        return (root / out).read_bytes()

    def run(*argv, log="/dev/null", env=relay):  # in a session of its own, ended at the end
        sessions.append(subprocess.Popen([wine, *argv], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                         stderr=open(root / log, "wb"), start_new_session=True))
        return sessions[-1]

    def install(name, kept, starts=0):  # after STARTS starts of the loop; the versions whose programs the folder holds
        wait_until(lambda: text("trace").count("launcher folder: ") >= starts)
        status = run(root / name, "/S").wait()
        programs = "".join(sorted(p.name[8:-4] for p in folder.glob("Velmaris?.exe")))
        return [] if status == 0 and programs == kept else ["%s: status %s, programs %s" % (name, status, programs)]

    def start(version, count=1, meanwhile=list, **popen):  # COUNT starts at least; the record of a single one
        gone(PROGRAMS)
        (folder / "record").unlink(missing_ok=True)
        (root / "stop").unlink(missing_ok=True)
        loop = run("cmd", "/c", z(SOURCE / "tests/windows/start_loop.cmd"), win(folder / "VelmarisLaunch.exe"), str(count),
                   z(root / "stop"), **popen)
        faults = meanwhile()
        (root / "stop").touch()
        wait_until(lambda: loop.poll() is not None, 60 + count)
        gone(PROGRAMS)
        program, record = win(folder / ("Velmaris%s.exe" % version)), text(folder / "record")
        return faults + ([] if count > 1 or record == (program + '\0"%s" hello "two words"' % program).encode(
            "utf-16-le").decode() else ["started: %r" % record])

    sign(Path(launcher).read_bytes(), root)  # root/cert and root/key, which scripts/installer signs with
    faults = ["version %d built twice: two installers" % v for v in (5, 6, 7, 8) if build(v, "%d.exe" % v) != build(v, "2")]
    build(9, "9.exe", root / "cert", root / "key")
    try:
        subprocess.run([SOURCE / "tests/make_wine_prefix", helpers / "spawn_exact.exe", "null"], check=True)
        faults += install("5.exe", "5") + start(5)
        shortcut = Path(os.environ["WINEPREFIX"], "drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Velmaris.lnk")
        query = [wine, "reg", "query", UNINSTALL_KEY, "/reg:%d" % (32 if x86 else 64)]
        entry = subprocess.run(query, capture_output=True, env=relay, text=True).stdout if shortcut.exists() else "no shortcut"
        faults += [] if re.search(r'QuietUninstallString +REG_SZ +"C:.*\\uninstall.exe" /S', entry) else [entry]
        def updates():  # each after a fifth of the starts, keeping the program of the version it replaces till the next
            faults = install("6.exe", "56") + install("7.exe", "67", 40)
            user = run(win(folder / "Velmaris7.exe"), env=dict(relay, VELMARIS_STAY="1"))  # still runs 7 at the rollback
            faults += install("8.exe", "78", 80) + install("7.exe", "78", 120)
            end_session(user)
            return faults
        faults += start(7, LOOP_STARTS, updates, log="loop", env=dict(relay, VELMARIS_LAUNCH_TRACE=z(root / "trace")))
        versions = "".join(re.findall(r"^started: .*\\Velmaris(\d)\.exe$", text("trace"), re.M))
        count, runs = text("trace").count("folder: "), re.sub(r"(\d)\1*", lambda m: " %s x%d" % (m[1], len(m[0])), versions)
        print("loop: %d starts:%s" % (count, runs))
        boxes = [untrace(m[1]) for m in BOX.finditer(text("loop"))] + re.findall("^failed.*|^not found", text("trace"), re.M)
        faults += [fault for fault, bad in [("%d starts" % count, count < LOOP_STARTS), ("boxes %r" % boxes, boxes or
                   "MessageBoxW(" in text("loop")), ("versions" + runs, len(versions) != count or
                   not re.fullmatch("5*6*7*8*7*", versions))] if bad]
        # A launcher shows its box, holding its file; a reader holds version.ini without sharing till the update retries.
        (folder / "next").write_bytes(app_vers(b"99"))
        os.replace(folder / "next", folder / "version.ini")
        (root / "request").write_bytes("\0".join([z(helpers / "spawn_exact.exe"), "x", "C:\\", win(folder / "version.ini"),
                                                  ""]).encode("utf-16-le"))  # a spawn_exact that sleeps, while it holds
        box, holder = run(win(folder / "VelmarisLaunch.exe"), log="box"), run(helpers / "spawn_exact.exe",
                                                                               z(root / "request"), log="hold")
        opened = KERNEL + r"CreateFileW\(\) retval=0*[1-9a-f]"  # the request, then version.ini
        wait_until(lambda: "MessageBoxW(" in text("box") and len(re.findall(opened, text("hold"))) > 1)
        update = run(root / "9.exe", "/S", log="update")
        wait_until(lambda: update.poll() is not None or text("update").count('\\\\version.ini",') > 1)  # a rename retried
        end_session(holder)
        update.wait()
        unsigned = [f.name for f in (root / "9.exe", folder / "uninstall.exe", folder / "VelmarisLaunch.exe") if
                    subprocess.run(["osslsigncode", "verify", "-CAfile", root / "cert", "-in", f], capture_output=True).returncode]
        faults += [fault for fault, bad in [("update beside a box: status %d" % update.returncode, update.returncode),
                   ("the box closed", box.poll() is not None), ("not signed: %s" % unsigned, unsigned)] if bad] + start(9)
        end_session(box)
        (folder / "record").unlink(missing_ok=True)
        (folder / "x").write_text("user's")
        run(folder / "uninstall.exe", "/S").wait()
        gone("~nsu")  # once its copy in a temporary ~nsu folder has started
        left = sorted(p.name for p in folder.iterdir())
        faults += [] if left == ["x"] and not shortcut.exists() and subprocess.run(query, env=relay, capture_output=True) \
            .returncode else ["uninstalled: the folder holds %s" % left]
    finally:
        for process in sessions:
            end_session(process)
        subprocess.run([SOURCE / "tests/make_wine_prefix", "--stop"])
        shutil.rmtree(root)
    print("\n".join("FAIL: " + fault for fault in faults) or "ok: installer")
    return 1 if faults else 0


# The differential run's choices; U+00A0 is no white space to either reader.
WHITE = [" ", "\t", "\x0b", "\x0c", "\x1a", "\u00a0"]
ENCODINGS = {"ANSI": lambda t: t.encode("ascii", "replace"), "UTF-8": lambda t: b"\xef\xbb\xbf" + t.encode(),
             "UTF-16LE": lambda t: b"\xff\xfe" + t.encode("utf-16-le"),
             "UTF-16BE": lambda t: b"\xfe\xff" + t.encode("utf-16-be")}
LINE_ENDS = {"CR LF": "\r\n", "LF": "\n", "CR": "\r"}
CHOICES = {"number": [0, 1, 5, 12, -1],
           "value": ["{n}", " {n} ", "{n}.4", "&H{x}", '"{n}"', "'{n}'", '"{n}', "{n} x", "{spread}"],
           "section": ["[Version]", "[version]", "[{w}Version{w}]", "[Version]]", "[Version] ; c [x]", "[Version",
                       "[Version]x", "[VERSION]{w}"],
           "key": ["AppVers", "appvers", "{w}AppVers{w}", "\x1aAppVers", "APPVERS"],
           "before": ["", "Other=1", "; AppVers=3", "AppVers", "AppVersion=2", "App Vers=4", "AppVers{w}"],
           "after": ["", "AppVers=9", "[Version]{e}AppVers=3", "[Other]{e}AppVers=4"],
           "first": ["", "; \u00e9t\u00e9 \u65e5\U0001F600", "[Other]{e}AppVers=7"],
           "tail": ["", "a", "A", "\u00e4", "\u00c4", "\U0001F600", "\uff5a", "_", "1", "12345", ".a"],
           "case variant": [False, True]}  # a second name that NTFS calls equal to the first


def generated_case(rng, index):
    """A version.ini and candidates with no expected outcome, but that the launchers agree."""
    pick = {what: rng.choice(options) for what, options in CHOICES.items()}
    number = pick["number"]
    value = pick["value"].format(n=number, x="%X" % (number & 0xFFFF), spread=" ".join(str(number)))
    end_name = list(LINE_ENDS)[index % len(LINE_ENDS)]
    encoding, end = list(ENCODINGS)[index // len(LINE_ENDS) % len(ENCODINGS)], LINE_ENDS[end_name]
    lines = [pick["first"], pick["section"], pick["before"], "%s={w}%s{w}" % (pick["key"], value), pick["after"]]
    text = re.sub(r"\{w\}", lambda _: "".join(rng.choices(WHITE, k=rng.randrange(3))), end.join(lines + [""]))
    names = {"Velmaris%d%s.exe" % (rng.choice(CHOICES["number"]), rng.choice(CHOICES["tail"])) for _ in range(5)}
    names |= {"Velmaris%d%s.exe" % (number, pick["tail"])}
    names |= {min(names).upper()} if pick["case variant"] else set()
    return Row("case %d (%s, %s)" % (index, encoding, end_name), ini=ENCODINGS[encoding](text.replace("{e}", end)),
               files=" ".join(sorted(names)), args=["a", "b c"], line=' a "b c"')


def differential(posix_launcher, windows_launcher, helpers, seed, count):
    """Gives each generated case to both launchers: 1 when they disagree."""
    rng, failed = random.Random(seed), 0
    for index in range(count):
        case, outcomes, faults = generated_case(rng, index), [], []
        for platform in (Posix, Wine):
            with tempfile.TemporaryDirectory(prefix="velmaris-") as root:
                launcher = posix_launcher if platform is Posix else windows_launcher
                status, boxes, record, seen = platform(launcher, Path(root), helpers=helpers).observe(case)
            outcomes.append((status, record and re.split(r"[/\\]", os.fsdecode(record[0]))[-1], boxes))
            faults += seen
        faults += [] if outcomes[0] == outcomes[1] else ["POSIX %r, Wine %r" % tuple(outcomes)]
        failed += bool(faults)
        if faults:
            print("FAIL: %s: %s\n  version.ini %r\n  files %s" % (
            case.name, "; ".join(faults), case.ini, [f[1] for f in case.entries]), flush=True)
    print("%d passed, %d failed" % (count - failed, failed))
    return 1 if failed else 0


def windows_launcher(product, x86_64):
    """The 32-bit product where 32-bit Wine runs (scripts/with-wine says), else the x86-64 build."""
    wine32 = os.environ.get("VELMARIS_WINE32", "no: not run under scripts/with-wine")
    print("wine: running " + ("the 32-bit product, " + product if wine32 == "yes" else
                              "the x86-64 build %s, as 32-bit Wine does not run here (%s)" % (x86_64, wine32[4:])))
    return product if wine32 == "yes" else x86_64


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("-k", default="", help="run only the rows whose name holds this text")
    parser.add_argument("--seed", type=int, default=1, help="the differential run's seed")
    parser.add_argument("--count", type=int, default=60, help="the differential run's cases; 60 make every choice")
    parser.add_argument("kind", choices=["posix", "wine", "differential", "installer"])
    parser.add_argument("builds", nargs="*")
    options = parser.parse_args()
    if options.kind == "installer":
        return installer(*options.builds)
    if options.kind == "differential":
        posix_launcher, product, x86_64, helpers = options.builds
        return differential(posix_launcher, windows_launcher(product, x86_64), helpers, options.seed, options.count)
    launcher = options.builds[0] if options.kind == "posix" else windows_launcher(*options.builds[:2])
    rows, failed = [r for r in ROWS if (r.only or options.kind) == options.kind and options.k in r.name], 0
    # Without a descriptor, the dynamic loader could not open a dynamically linked launcher's libraries.
    for r in [r for r in rows if r.inherit == "no descriptors" and b"/ld-linux" in Path(launcher).read_bytes()[:4096]]:
        print("skipped: %s: %s is linked dynamically" % (r.name, launcher))
        rows.remove(r)
    for r in rows:
        with tempfile.TemporaryDirectory(prefix="velmaris-") as root:
            platform = (Posix if options.kind == "posix" else Wine)(launcher, Path(root), *options.builds[2:])
            faults = platform.run(r)
        print(("FAIL: %s: %s" % (r.name, "; ".join(faults))) if faults else "ok: " + r.name, flush=True)
        failed += bool(faults)
    print("%d passed, %d failed" % (len(rows) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
