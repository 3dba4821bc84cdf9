"""Reads the Windows launcher back and checks it as a file: a 32-bit GUI
program for i386 that imports no DLL beyond Windows' own, and what it
carries besides code: icon, icon group, version record and manifest.

    check_windows_resources.py EXE ICON_IMAGE_BIN
"""
import struct
import sys
import xml.etree.ElementTree as ElementTree

import pefile

RT_ICON, RT_VERSION, RT_GROUP_ICON, RT_MANIFEST = 3, 16, 14, 24
failures = []


def check(condition, what):
    print(("ok: " if condition else "FAIL: ") + what)
    if not condition:
        failures.append(what)


def resources(pe):
    """{type: {id: bytes}} of every resource in the file."""
    found = {}
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in kind.directory.entries:
            for language in name.directory.entries:
                data = language.data.struct
                found.setdefault(kind.id, {})[name.id] = pe.get_data(data.OffsetToData, data.Size)
    return found


def check_headers(pe):
    check(pe.FILE_HEADER.Machine == 0x14C, "machine i386")
    check(pe.OPTIONAL_HEADER.Magic == 0x10B, "PE32")
    check(pe.OPTIONAL_HEADER.Subsystem == 2, "GUI subsystem")
    check(pe.FILE_HEADER.TimeDateStamp == 0, "no link time stamp")
    dlls = {entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT}
    check(dlls and dlls <= {"kernel32.dll", "user32.dll", "msvcrt.dll"},
          f"imports only Windows' own DLLs: {sorted(dlls)}")


def check_icons(found, icon_image):
    check(list(found.get(RT_GROUP_ICON, {})) == [1], "one icon group, number 1")
    check(list(found.get(RT_ICON, {})) == [30001], "one icon image, number 30001")
    group = found.get(RT_GROUP_ICON, {}).get(1, b"")
    check(len(group) == 20 and struct.unpack_from("<HHH", group) == (0, 1, 1),
          "icon group has exactly one entry")
    if len(group) == 20:
        entry = struct.unpack_from("<BBBBHHIH", group, 6)
        check(entry == (32, 32, 16, 0, 1, 4, 744, 30001),
              "group entry: 32x32, 16 colours, 1 plane, 4 bits, 744 bytes, icon 30001")
    image = found.get(RT_ICON, {}).get(30001, b"")
    check(len(image) == 744, "icon image is 744 bytes")
    check(image[:16] == struct.pack("<IiiHH", 40, 32, 64, 1, 4),
          "icon image: 40-byte header, 32x32 with its mask, 4 bits")
    check(image == icon_image, "icon image is the one drawn in icon.txt")


def check_version(pe):
    fixed = pe.VS_FIXEDFILEINFO[0]
    check((fixed.FileVersionMS, fixed.FileVersionLS) == (0x10000, 0), "file version 1.0.0.0")
    check((fixed.ProductVersionMS, fixed.ProductVersionLS) == (0x10000, 0), "product version 1.0.0.0")
    check((fixed.FileFlagsMask, fixed.FileFlags) == (0, 0), "file flags and mask 0")
    check((fixed.FileOS, fixed.FileType) == (4, 1), "file OS 4, file type 1")
    strings, translations = {}, []
    for info in pe.FileInfo[0]:
        for table in getattr(info, "StringTable", []):
            strings[table.LangID.decode()] = {k.decode(): v.decode() for k, v in table.entries.items()}
        for var in getattr(info, "Var", []):
            translations.append(var.entry)
    check(list(strings) == ["040904B0"], "one string block, 040904B0")
    block = strings.get("040904B0", {})
    expected = {
        "FileVersion": "1.00",
        "ProductVersion": "1.00",
        "ProductName": "Velmaris Launcher",
        "InternalName": "VelmarisLaunch",
        "OriginalFilename": "VelmarisLaunch.exe",
    }
    for key, value in expected.items():
        check(block.get(key) == value, f"{key} is {value!r}")
    check(set(block) == set(expected) | {"CompanyName", "LegalCopyright"}, "no other string fields")
    check(block.get("CompanyName") and block.get("CompanyName") == block.get("LegalCopyright"),
          "company and legal notice both hold the maker's name")
    check(translations == [{b"Translation": "0x0409 0x04b0"}], "translation 0x0409, 1200")


def check_manifest(found):
    manifest = found.get(RT_MANIFEST, {}).get(1)
    check(manifest is not None, "manifest resource 1")
    try:
        root = ElementTree.fromstring(manifest or b"")
    except ElementTree.ParseError as error:
        check(False, f"manifest is well formed ({error})")
        return
    v1, v3 = "{urn:schemas-microsoft-com:asm.v1}", "{urn:schemas-microsoft-com:asm.v3}"
    compatibility = "{urn:schemas-microsoft-com:compatibility.v1}"
    level = root.find(f".//{v3}requestedExecutionLevel")
    check(level is not None and level.get("level") == "asInvoker", "runs as invoker")
    systems = {e.get("Id") for e in root.iter(f"{compatibility}supportedOS")}
    check(systems == {
        "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}, "supports Vista to Windows 10/11")
    check(any(e.tag.endswith("dpiAware") for e in root.iter()), "DPI aware")
    controls = [e for e in root.iter(f"{v1}assemblyIdentity")
                if e.get("name") == "Microsoft.Windows.Common-Controls"]
    check(len(controls) == 1 and controls[0].get("version") == "6.0.0.0", "Common Controls 6")


def main():
    exe, icon_image_path = sys.argv[1:]
    pe = pefile.PE(exe)
    found = resources(pe)
    check_headers(pe)
    with open(icon_image_path, "rb") as icon_image:
        check_icons(found, icon_image.read())
    check_version(pe)
    check_manifest(found)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
