#!/usr/bin/env python3
"""Checks that the 32-bit Windows program runs on an i486 or a Pentium.

    check_instructions.py OBJDUMP EXE MAP

Disassembles EXE with OBJDUMP and fails on every instruction that those processors
lack: the Pentium Pro's cmov, fcmov, fcomi and fucomi and its long nop forms, the
Pentium's cpuid, rdtsc and cmpxchg8b, and every MMX, 3DNow!, SSE or later instruction.
The linker MAP names the function that holds each one (the executable itself is
stripped). Prints one line per function and exits with 1 when there is any.
"""

import bisect
import re
import subprocess
import sys

# Mnemonics as objdump writes them (AT&T syntax), whole or as a prefix.
LATER_MNEMONICS = re.compile(
    r"(cmov|fcmov|f?u?comip?$|fcomi|fucomi|cpuid$|rdtsc|rdpmc$|cmpxchg8b$|sysenter$"
    r"|sysexit$|syscall$|emms$|femms$|pf|pi2f|ldmxcsr$|stmxcsr$|fxsave|fxrstor"
    r"|[slm]fence$|clflush|prefetch|movnti|fisttp|maskmov|popcnt|lzcnt|tzcnt|crc32|movbe"
    r"|andn$|bextr|blsi|blsmsk|blsr|bzhi|pdep|pext|rorx|sarx|shlx|shrx|adcx|adox|rdrand"
    r"|rdseed|xgetbv|v(?!err$|erw$)[a-z])")
# fcom and fucom without the i are the 8087's own; the pattern above must not catch them.
X87_COMPARES = {"fcom", "fcomp", "fcompp", "fucom", "fucomp", "fucompp"}
# An MMX, SSE or AVX register anywhere in the operands.
LATER_REGISTERS = re.compile(r"%(x|y|z)?mm\d")
INSTRUCTION = re.compile(r"^\s*([0-9a-f]+):\s+(.*)$")


def forbidden(text):
    """Why the instruction is not for an i486, or None when it is."""
    parts = text.split()
    if not parts:
        return None
    words = [word for word in parts if word not in ("lock", "rep", "repz", "repnz",
                                                    "data16", "addr16", "cs", "ds")]
    if not words:
        return None
    mnemonic = words[0]
    if LATER_REGISTERS.search(text):
        return mnemonic
    if mnemonic in X87_COMPARES:
        return None
    if LATER_MNEMONICS.match(mnemonic):
        return mnemonic
    # The single-byte nop (and xchg %ax,%ax) is the 8086's; nop with an operand is
    # the long form of the Pentium Pro.
    if mnemonic.startswith("nop") and len(words) > 1:
        return mnemonic
    return None


class LinkerMap:
    """The functions of the executable's code, by address, from GNU ld's map."""

    SECTION = re.compile(r"^ (\.text\S*)(?:\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(.*))?$")
    CONTINUED = re.compile(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(.*)$")
    SYMBOL = re.compile(r"^\s+0x([0-9a-f]+)\s+([^\s].*)$")

    def __init__(self, text):
        self.starts = []
        self.names = []
        pending = None
        section = None
        for line in text.splitlines():
            found = self.SECTION.match(line)
            if found:
                name, address, size, origin = found.groups()
                if address is None:
                    pending = name
                    section = None
                    continue
                section = self._add_section(name, int(address, 16), int(size, 16), origin)
                pending = None
                continue
            if pending is not None:
                found = self.CONTINUED.match(line)
                pending_name, pending = pending, None
                if found:
                    address, size, origin = found.groups()
                    section = self._add_section(pending_name, int(address, 16), int(size, 16),
                                                origin)
                    continue
            if section is not None:
                found = self.SYMBOL.match(line)
                if found and not found.group(2).startswith("0x"):
                    address = int(found.group(1), 16)
                    if section[0] <= address < section[1]:
                        self._add(address, f"{found.group(2)} ({section[2]})")
                    continue
            if not line.startswith("  "):
                section = None

    def _add_section(self, name, address, size, origin):
        if size == 0:
            return None
        function = name.split("$", 1)[1] if "$" in name else "a local function"
        self._add(address, f"{function} ({origin.strip()})")
        return (address, address + size, origin.strip())

    def _add(self, address, name):
        at = bisect.bisect_right(self.starts, address)
        self.starts.insert(at, address)
        self.names.insert(at, name)

    def function_at(self, address):
        at = bisect.bisect_right(self.starts, address) - 1
        return self.names[at] if at >= 0 else f"address {address:#x}"


def main(argv):
    if len(argv) != 4:
        print(f"usage: {argv[0]} OBJDUMP EXE MAP", file=sys.stderr)
        return 2
    objdump, exe, map_path = argv[1:]
    try:
        with open(map_path, encoding="utf-8", errors="replace") as file:
            functions = LinkerMap(file.read())
    except OSError as error:
        print(f"{map_path}: cannot read it ({error.strerror}); build the program first")
        return 1
    listing = subprocess.run([objdump, "-d", "--no-show-raw-insn", exe],
                             capture_output=True, text=True, check=False)
    if listing.returncode != 0:
        print(f"{exe}: {objdump} failed: {listing.stderr.strip()}")
        return 1
    if not functions.starts:
        print(f"{map_path}: no code found in the map")
        return 1

    findings = {}
    instructions = 0
    for line in listing.stdout.splitlines():
        found = INSTRUCTION.match(line)
        if not found:
            continue
        instructions += 1
        mnemonic = forbidden(found.group(2).split("#")[0])
        if mnemonic:
            function = functions.function_at(int(found.group(1), 16))
            findings.setdefault(function, []).append(mnemonic)
    if instructions == 0:
        print(f"{exe}: no instructions disassembled")
        return 1
    for function, mnemonics in sorted(findings.items()):
        counts = ", ".join(f"{mnemonics.count(m)} {m}" for m in sorted(set(mnemonics)))
        print(f"{exe}: {function}: {counts}, which an i486 or a Pentium does not have")
    if findings:
        return 1
    print(f"{exe}: {instructions} instructions, all of them the i486's")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
