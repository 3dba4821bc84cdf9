"""check_windows_product.py EXE: the facts of the product that a fault in its
build would change: i386 GUI program, system DLLs only, icon, size, the launcher's mark."""
import pathlib, pefile, re, struct, sys  # noqa: E401

pe = pefile.PE(sys.argv[1])
resources = {kind.id: {entry.id: entry.directory.entries[0].data.struct for entry in kind.directory.entries}
             for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries}
group = resources.get(14, {}).get(1)
header = pathlib.Path(__file__).resolve().parents[1] / "launcher/rules/launcher_builds.h"
mark = re.search(rb'#define VELMARIS_LAUNCHER_MARK "([^"]*)"', header.read_bytes())[1]
size, sections = len(pe.__data__), ", ".join("%s %d" % (s.Name.rstrip(b"\0").decode(), s.SizeOfRawData) for s in pe.sections)
checks = {
    # The build is reproducible, so its size is a fact: a change that passes the limit says so here.
    "at most 104 KiB, 106,496 bytes (%d bytes; by section: %s)" % (size, sections): size <= 106496,
    # Where every build carries it, so that a launcher of another build named like a main program is passed over.
    "the launcher's mark in the first 4 KiB": mark in pe.__data__[:4096],
    "i386, PE32, GUI": (pe.FILE_HEADER.Machine, pe.OPTIONAL_HEADER.Magic, pe.OPTIONAL_HEADER.Subsystem) == (0x14C, 0x10B, 2),
    "imports only Windows' own DLLs": {e.dll.decode().lower() for e in pe.DIRECTORY_ENTRY_IMPORT}
    <= {"kernel32.dll", "user32.dll", "msvcrt.dll"},
    "icon group 1 holds one 32x32 16-colour image, number 30001, of 744 bytes": group is not None
    and pe.get_data(group.OffsetToData, group.Size) == struct.pack("<HHHBBBBHHIH", 0, 1, 1, 32, 32, 16, 0, 1, 4, 744, 30001)
    and list(resources.get(3, {})) == [30001] and resources[3][30001].Size == 744,
    # Windows XP refuses to load an executable with two manifests in 1 to 16, the system's.
    "the process manifest is 1, the box's is past 16": sorted(resources.get(24, {}))[:1] == [1]
    and all(number > 16 for number in sorted(resources.get(24, {}))[1:]) and len(resources.get(24, {})) == 2,
}
print("\n".join(("ok: " if ok else "FAIL: ") + what for what, ok in checks.items()))
sys.exit(0 if all(checks.values()) else 1)
