#!/usr/bin/env python3
"""check_imports.py OBJDUMP ALLOWED BINARY...

Fails when a binary imports a function that ALLOWED does not list: every
function there has been checked to exist on the oldest Windows that Varnok
supports. A missing import stops a program before its first line runs, on
that Windows only; Wine has them all, so no test under Wine would show it.
"""
import re
import subprocess
import sys


def imports(objdump, binary):
    """The (dll, function) pairs of a PE file's import table, dll in lower case."""
    text = subprocess.run([objdump, "-p", binary], check=True, capture_output=True, text=True).stdout
    found, dll = set(), None
    for line in text.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1).lower()
            continue
        # "	49e00	 1604  RegCloseKey" by name, "	49e00	<none>  0010" by ordinal
        m = re.match(r"\t[0-9a-f]+\t\s*(\d+|<none>)\s+(\S+)$", line)
        if dll and m:
            found.add((dll, m.group(2) if m.group(1) != "<none>" else "#" + m.group(2)))
        elif line.startswith("The ") and dll:
            dll = None  # past the import tables
    return found


def main():
    objdump, allowed_file, binaries = sys.argv[1], sys.argv[2], sys.argv[3:]
    allowed = set()
    with open(allowed_file, encoding="utf-8") as f:
        for line in f:
            words = line.split("#", 1)[0].split()
            if words:
                allowed.add((words[0].lower(), words[1]))
    failed = False
    for binary in binaries:
        got = imports(objdump, binary)
        if not got:
            print(f"{binary}: no import table read", file=sys.stderr)
            failed = True
        for dll, name in sorted(got - allowed):
            print(f"{binary}: imports {dll} {name}, not known to exist on Windows 7 SP1", file=sys.stderr)
            failed = True
    if failed:
        print(f"Look a later function up at run time, with a fallback (ui/win32/Dpi.cpp); add one that "
              f"Windows 7 SP1 has to {allowed_file}.", file=sys.stderr)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
