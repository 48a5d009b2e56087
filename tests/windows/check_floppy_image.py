#!/usr/bin/env python3
"""Reads the floppy image of make windows back with mtools and checks it.

    check_floppy_image.py IMAGE ZIP EXE

IMAGE must be a 1.44 MB floppy (1,474,560 bytes) with a volume label that holds exactly
LUMOX2K.EXE, byte for byte the i686 program EXE, and README.TXT, byte for byte the
read-me of the zip ZIP, with CRLF line ends. Prints one line per finding and exits with
1 when there is any.
"""

import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

FLOPPY_SIZE = 1_474_560
FILES = ("LUMOX2K.EXE", "README.TXT")


def mtools(*command):
    result = subprocess.run(command, capture_output=True, check=False)
    if result.returncode != 0:
        raise RuntimeError(f"{' '.join(command)} failed: "
                           f"{result.stderr.decode(errors='replace').strip()}")
    return result.stdout.decode("latin-1")


def check(image, zip_path, exe):
    problems = []
    if not image.is_file():
        return [f"{image} is missing; make windows writes it"]
    if image.stat().st_size != FLOPPY_SIZE:
        problems.append(f"{image.stat().st_size} bytes, not the {FLOPPY_SIZE} of a 1.44 MB floppy")
    label = mtools("mlabel", "-i", str(image), "-s", "::").strip()
    if "LUMOX 2000" not in label:
        problems.append(f"volume label: {label!r}")
    listed = sorted(line.strip().rsplit("/", 1)[-1]
                    for line in mtools("mdir", "-i", str(image), "-b", "::").splitlines()
                    if line.strip())
    if listed != sorted(FILES):
        problems.append(f"holds {listed}, not {sorted(FILES)}")
    with zipfile.ZipFile(zip_path) as archive:
        readme = archive.read("README.txt")
    expected = {"LUMOX2K.EXE": exe.read_bytes(), "README.TXT": readme}
    with tempfile.TemporaryDirectory() as folder:
        for name in FILES:
            target = Path(folder) / name
            mtools("mcopy", "-n", "-i", str(image), f"::{name}", str(target))
            if target.read_bytes() != expected[name]:
                problems.append(f"{name} differs from what was built")
    lines = readme.split(b"\n")
    if len(lines) < 2 or any(not line.endswith(b"\r") for line in lines[:-1]) or lines[-1]:
        problems.append("README.TXT does not end every line with CRLF")
    return problems


def main(argv):
    if len(argv) != 4:
        print(f"usage: {argv[0]} IMAGE ZIP EXE", file=sys.stderr)
        return 2
    image, zip_path, exe = (Path(arg) for arg in argv[1:])
    try:
        problems = check(image, zip_path, exe)
    except (OSError, RuntimeError, zipfile.BadZipFile, KeyError) as error:
        problems = [str(error)]
    for problem in problems:
        print(f"{image}: {problem}")
    if not problems:
        print(f"{image}: a 1.44 MB floppy with {' and '.join(FILES)} as built")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
