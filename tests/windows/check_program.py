#!/usr/bin/env python3
"""Checks the built brimlock.exe as a Windows 7 SP1 desk would take it: a 32-bit GUI program
whose loader fields and imports Windows 7 accepts, with its manifest, its nine-image icon
and its version record. Usage: check_program.py <brimlock.exe> <version a.b.c.d>"""
import re, struct, subprocess, sys

exe, version = sys.argv[1], sys.argv[2]
failures = []

def check(ok, what):
    print(("ok      " if ok else "FAILED  ") + what)
    if not ok:
        failures.append(what)

def run(*cmd, text=True):
    return subprocess.run(cmd, check=True, capture_output=True, text=text).stdout

def resource(kind, name=None):
    cmd = ["wrestool", "-x", "-t", str(kind)] + ([f"--name={name}"] if name else [])
    cmd += [] if kind == 14 else ["--raw"]  # an icon group comes out as an .ico file
    cmd += [exe]
    return run(*cmd, text=False)

# Windows 7 SP1 carries these; the CRT is the system's msvcrt (no UCRT, no api-ms-win-* sets).
WINDOWS7_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll",
                 "odbc32.dll", "ole32.dll", "oleaut32.dll", "advapi32.dll", "shell32.dll",
                 "ws2_32.dll"}

check("PE32 executable (GUI) Intel 80386" in run("file", "-b", exe), "a 32-bit x86 GUI program")
headers = run("i686-w64-mingw32-objdump", "-p", exe)
subsystem = tuple(int(re.search(rf"{part}SubsystemVersion\s+(\d+)", headers).group(1))
                  for part in ("Major", "Minor"))
check(subsystem <= (6, 1), f"subsystem version {subsystem[0]}.{subsystem[1]}, at most 6.1")
dlls = sorted({d.lower() for d in re.findall(r"DLL Name: (\S+)", headers)})
check(set(dlls) <= WINDOWS7_DLLS, "imports only from Windows 7 DLLs: " + " ".join(dlls))

manifest = resource(24).decode("utf-8")
check('level="asInvoker"' in manifest and 'uiAccess="false"' in manifest,
      "manifest asks for asInvoker without uiAccess")
check("dependentAssembly" not in manifest and "Common-Controls" not in manifest,
      "manifest names no dependent assembly (the classic look)")
check('processorArchitecture="x86"' in manifest, "manifest says x86")

icons = subprocess.run(["icotool", "-l", "-"], input=resource(14, 128), check=True,
                       capture_output=True).stdout.decode()
images = sorted(re.findall(r"--width=(\d+) --height=\1 --bit-depth=(\d+)", icons))
check(images == sorted((s, b) for s in ("16", "32", "48") for b in ("4", "8", "24")),
      f"icon 128 holds 48, 32 and 16 px at 4, 8 and 24 bits ({len(images)} images)")

def node(data, at):
    """One VS_VERSIONINFO node: key, value bytes, children, end."""
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    key_end = at + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[at + 6:key_end].decode("utf-16-le")
    value_at = (key_end + 2 + 3) & ~3
    value = data[value_at:value_at + value_length * (2 if kind == 1 else 1)]
    children, child = [], (value_at + len(value) + 3) & ~3
    while child < at + length:
        children.append(node(data, child))
        child = (children[-1][3] + 3) & ~3
    return key, value, children, at + length

root = node(resource(16), 0)
fixed = struct.unpack_from("<13I", root[1])
quad = tuple(int(p) for p in version.split("."))
packed = ((quad[0] << 16 | quad[1]), (quad[2] << 16 | quad[3]))
check(fixed[0] == 0xFEEF04BD and fixed[2:4] == packed and fixed[4:6] == packed,
      f"file and product version {version} in the fixed part")
check(fixed[8] == 0x4 and fixed[9] == 0x1, "operating system 32-bit Windows, an application")
children = {c[0]: c for c in root[2]}
blocks = {b[0]: b for b in children["StringFileInfo"][2]}
check(list(blocks) == ["080403a8"], "one string block, 080403a8")
strings = {s[0]: s[1].decode("utf-16-le").rstrip("\0") for s in blocks.get("080403a8", ("", b"", []))[2]}
for key, expected in (("InternalName", "Brimlock.exe"), ("OriginalFilename", "Brimlock.exe"),
                      ("FileVersion", version), ("ProductVersion", version)):
    check(strings.get(key) == expected, f'{key} "{strings.get(key)}", expected "{expected}"')
translation = children["VarFileInfo"][2][0]
check(translation[0] == "Translation" and struct.unpack("<HH", translation[1]) == (0x0804, 936),
      "translation 0x0804 / 936")
sys.exit(1 if failures else 0)
