#!/usr/bin/env python3
"""Checks that a Windows program imports only DLLs that every Windows has.

    check_imports.py OBJDUMP PROGRAM.exe

Prints the DLLs the program imports and exits 1 when any is not one of KERNEL32, USER32,
GDI32, OPENGL32, WINMM and msvcrt."""
import subprocess
import sys

ALLOWED = {"kernel32.dll", "user32.dll", "gdi32.dll", "opengl32.dll", "winmm.dll", "msvcrt.dll"}


def main():
    objdump, program = sys.argv[1:3]
    headers = subprocess.run([objdump, "-p", program], capture_output=True, text=True, check=True).stdout
    imported = [line.split("DLL Name:")[1].strip() for line in headers.splitlines() if "DLL Name:" in line]
    print("imports:", ", ".join(imported))
    others = [name for name in imported if name.lower() not in ALLOWED]
    if not imported or others:
        print("not a DLL every Windows has:", ", ".join(others) if others else "(no imports found)")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
