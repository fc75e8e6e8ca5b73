#!/usr/bin/env python3
"""Checks a built setup executable from the outside, as objdump sees it.

The setup runs elevated from the Downloads folder, where anyone can leave a DLL. Windows resolves
the import table before any of the setup's code runs, so every library imported there must be one
that the system loads from its own folder whatever lies beside the executable: the KnownDLLs, and
the common controls, bound to their side-by-side assembly by the manifest. Everything else is
delay-loaded from System32. The image must also ask for address-space randomisation and
no-execute data (DYNAMIC_BASE, NX_COMPAT).

    check_pe.py OBJDUMP EXECUTABLE...
"""

import re
import subprocess
import sys

ALLOWED_IMPORTS = {
    "advapi32.dll", "comctl32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll",
    "oleaut32.dll", "shell32.dll", "shlwapi.dll", "user32.dll",
}
REQUIRED_FLAGS = {"DYNAMIC_BASE", "NX_COMPAT"}


def headers(objdump, path):
    return subprocess.run([objdump, "-p", path], check=True, capture_output=True, text=True).stdout


def imported_libraries(text):
    return {name.lower() for name in re.findall(r"^\s*DLL Name: (\S+)", text, re.MULTILINE)}


def characteristics(text):
    match = re.search(r"^DllCharacteristics\s+[0-9a-fA-F]+\n((?:\t+\S+\n)*)", text, re.MULTILINE)
    return set(match.group(1).split()) if match else set()


def problems(objdump, path):
    text = headers(objdump, path)
    found = []
    imports = imported_libraries(text)
    if not imports:
        found.append("no import table found")
    for name in sorted(imports - ALLOWED_IMPORTS):
        found.append(f"imports {name} when the process starts; load it from System32 when first used")
    for flag in sorted(REQUIRED_FLAGS - characteristics(text)):
        found.append(f"DllCharacteristics lacks {flag}")
    return found


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    objdump, executables = argv[1], argv[2:]
    failed = False
    for path in executables:
        found = problems(objdump, path)
        for problem in found:
            print(f"{path}: {problem}")
        failed = failed or bool(found)
        if not found:
            print(f"{path}: imports and image flags as required")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
