#!/usr/bin/env python3
"""Checks the two Windows executables as a Windows loader would see them.

    check_executables.py X86_EXE X64_EXE

For each: a PE32 (i686) or PE32+ (x86_64) GUI program, stripped, that imports from
kernel32, user32, gdi32 and advapi32 only (no C runtime DLL, no libstdc++, libgcc or
winpthread beside it, and no OLE), and whose manifest runs it as the invoking user (no elevation) and asks for no
visual styles. The i686 one must ask for a subsystem version the Windows 95 family
accepts (4.0), and import only functions that Windows 95 provides
(windows95_functions.py), no wide-character stub but those known to be harmless. Prints
one line per finding and exits with 1 when there is any.
"""

import struct
import sys

from windows95_functions import HARMLESS_STUBS, PROVIDED

# The DLLs each executable may import: those every Windows from 95 on has, and no C
# runtime, which Windows 95 lacks. The common controls are loaded when the main window
# is made, not imported.
ALLOWED_DLLS = {
    "x86": {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll"},
    "x64": {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll"},
}
MACHINES = {"x86": (0x014C, 0x10B, "PE32"), "x64": (0x8664, 0x20B, "PE32+")}
SUBSYSTEM_WINDOWS_GUI = 2
RT_MANIFEST = 24


class PeImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        (pe,) = struct.unpack_from("<I", data, 0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (self.machine, sections, _, self.symbol_table, self.symbol_count, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        (self.magic,) = struct.unpack_from("<H", data, optional)
        (self.subsystem_version_major,
         self.subsystem_version_minor) = struct.unpack_from("<HH", data, optional + 48)
        (self.subsystem,) = struct.unpack_from("<H", data, optional + 68)
        directories = optional + (96 if self.magic == 0x10B else 112)
        (count,) = struct.unpack_from("<I", data, directories - 4)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i)
                            for i in range(count)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            name, virtual_size, address, raw_size, raw_offset = struct.unpack_from(
                "<8sIIII", data, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode("latin-1"), address,
                                  max(virtual_size, raw_size), raw_offset))

    def offset(self, rva):
        for _, address, size, raw_offset in self.sections:
            if address <= rva < address + size:
                return rva - address + raw_offset
        raise ValueError(f"address {rva:#x} lies in no section")

    def string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("latin-1")

    def imports(self):
        """Each imported DLL's name with the names of the functions taken from it
        ("#n" for one taken by ordinal)."""
        rva, _ = self.directories[1]
        wide = self.magic == 0x20B
        entry_format, ordinal_flag = ("<Q", 1 << 63) if wide else ("<I", 1 << 31)
        entry_size = struct.calcsize(entry_format)
        found = []
        at = self.offset(rva)
        while True:
            lookup, _, _, name, thunks = struct.unpack_from("<IIIII", self.data, at)
            if lookup == 0 and name == 0 and thunks == 0:
                return found
            functions = []
            entry = self.offset(lookup or thunks)
            while True:
                (value,) = struct.unpack_from(entry_format, self.data, entry)
                if value == 0:
                    break
                if value & ordinal_flag:
                    functions.append(f"#{value & 0xFFFF}")
                else:
                    functions.append(self.string((value & 0x7FFFFFFF) + 2))
                entry += entry_size
            found.append((self.string(name), functions))
            at += 20

    def imported_dlls(self):
        return [name for name, _ in self.imports()]

    def resources(self, type_id):
        """The data of every resource of the given numeric type."""
        base_rva, _ = self.directories[2]
        if base_rva == 0:
            return []
        base = self.offset(base_rva)

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", self.data, base + directory + 12)
            for i in range(named + numbered):
                ident, target = struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)
                yield ident, target

        def leaves(target):
            if target & 0x80000000:
                for _, inner in entries(target & 0x7FFFFFFF):
                    yield from leaves(inner)
            else:
                rva, size = struct.unpack_from("<II", self.data, base + target)
                start = self.offset(rva)
                yield self.data[start:start + size]

        found = []
        for ident, target in entries(0):
            if ident == type_id:
                found.extend(leaves(target))
        return found


def windows95_problems(imports):
    """The imports that Windows 95 lacks or only has as a stub."""
    problems = []
    for dll, functions in imports:
        dll = dll.lower()
        if dll not in PROVIDED:
            continue
        for function in functions:
            if function not in PROVIDED[dll] and function not in HARMLESS_STUBS.get(dll, {}):
                problems.append(f"imports {function} from {dll}, which Windows 95 does not "
                                "provide, or only as a stub (see windows95_functions.py)")
    return problems


def check(path, arch):
    problems = []
    try:
        with open(path, "rb") as file:
            image = PeImage(file.read())
    except OSError as error:
        return [f"cannot read it ({error.strerror}); build it with make windows"]
    except (ValueError, struct.error) as error:
        return [f"not a readable PE image: {error}"]

    machine, magic, kind = MACHINES[arch]
    if image.machine != machine or image.magic != magic:
        problems.append(f"machine {image.machine:#06x}, optional header {image.magic:#x}: "
                        f"not a {kind} image for {arch}")
    if image.characteristics & 0x2000 or not image.characteristics & 0x0002:
        problems.append("not an executable program")
    if image.subsystem != SUBSYSTEM_WINDOWS_GUI:
        problems.append(f"subsystem {image.subsystem}, not the Windows GUI")
    version = (image.subsystem_version_major, image.subsystem_version_minor)
    if arch == "x86" and version != (4, 0):
        problems.append(f"subsystem version {version[0]}.{version[1]}; the Windows 95 family "
                        "needs 4.0")
    if image.symbol_table or image.symbol_count:
        problems.append(f"{image.symbol_count} symbols: not stripped")
    debug = [name for name, *_ in image.sections if name.startswith((".debug", "/"))]
    if debug:
        problems.append(f"debugging sections {', '.join(debug)}: not stripped")

    imports = image.imports()
    dlls = [name for name, _ in imports]
    foreign = [name for name in dlls if name.lower() not in ALLOWED_DLLS[arch]]
    if foreign:
        problems.append(f"imports from {', '.join(foreign)}; it may import only from "
                        f"{', '.join(sorted(ALLOWED_DLLS[arch]))}")
    if arch == "x86":
        problems += windows95_problems(imports)
    for needed in ("kernel32.dll", "user32.dll"):
        if needed not in (name.lower() for name in dlls):
            problems.append(f"no import from {needed}: not the program, or its import table was misread")

    manifests = image.resources(RT_MANIFEST)
    if len(manifests) != 1:
        problems.append(f"{len(manifests)} manifests instead of one")
    for manifest in manifests:
        text = manifest.decode("utf-8", "replace")
        if 'level="asInvoker"' not in text:
            problems.append("the manifest does not run the program as the invoking user")
        if "requireAdministrator" in text or "highestAvailable" in text:
            problems.append("the manifest asks for elevation")
        if "Microsoft.Windows.Common-Controls" in text:
            problems.append("the manifest asks for visual styles")
    return problems


def main(argv):
    if len(argv) != 3:
        print(f"usage: {argv[0]} X86_EXE X64_EXE", file=sys.stderr)
        return 2
    failed = False
    for path, arch in ((argv[1], "x86"), (argv[2], "x64")):
        problems = check(path, arch)
        for problem in problems:
            print(f"{path}: {problem}")
        failed = failed or bool(problems)
        if not problems:
            print(f"{path}: {MACHINES[arch][2]} GUI program, stripped, Windows DLLs only, "
                  "runs as the invoking user")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
