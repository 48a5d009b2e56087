#!/usr/bin/env python3
"""Usage: expand_compile_commands.py BUILD_DIR OUTPUT_DIR

Writes OUTPUT_DIR/compile_commands.json: the compile commands of BUILD_DIR with one entry
per source file, as clang-tidy needs them. A unity build compiles a target's sources in
batches (unity_N_cxx.cxx files that include them); each source of a batch gets the batch's
command with the source in the batch's place.
"""

import json
import os
import re
import shlex
import sys

UNITY = re.compile(r"unity_[0-9]+_cxx\.cxx$")
INCLUDE = re.compile(r'^#include "(.+)"$')


def same_file(directory, argument, path):
    """True when ARGUMENT, relative to DIRECTORY or absolute, names PATH."""
    return os.path.normpath(os.path.join(directory, argument)) == os.path.normpath(path)


def unity_sources(path):
    with open(path, encoding="utf-8") as unit:
        return [m.group(1) for line in unit if (m := INCLUDE.match(line.strip()))]


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    build, output = sys.argv[1:]
    with open(os.path.join(build, "compile_commands.json"), encoding="utf-8") as database:
        entries = json.load(database)
    expanded = []
    for entry in entries:
        arguments = entry.get("arguments") or shlex.split(entry["command"])
        source = entry["file"]
        sources = unity_sources(source) if UNITY.search(source) else [source]
        directory = entry["directory"]
        for each in sources:
            command = [each if same_file(directory, argument, source) else argument
                       for argument in arguments]
            expanded.append({"directory": entry["directory"], "file": each, "arguments": command})
    os.makedirs(output, exist_ok=True)
    with open(os.path.join(output, "compile_commands.json"), "w", encoding="utf-8") as database:
        json.dump(expanded, database, indent=1)
    return 0


if __name__ == "__main__":
    sys.exit(main())
