#!/usr/bin/env python3
"""Checks the built installer as Windows Installer reads it: a per-machine package of the
project's name, publisher and version in code page 936, with its fixed UpgradeCode, a major
upgrade that also replaces a package differing only in the fourth part of the version, the
two Start-menu shortcuts (the window, and the window for ticket desks) and the two programs,
which go in without symbols or debug sections.
Usage: check_installer.py <brimlock.msi> <version> <publisher>"""
import os, struct, subprocess, sys, tempfile

msi, version, publisher = sys.argv[1:4]
failures = []

def check(ok, what):
    print(("ok      " if ok else "FAILED  ") + what)
    if not ok:
        failures.append(what)

def table(name):
    """The rows of one table as dictionaries (msiinfo gives the text as UTF-8)."""
    lines = subprocess.run(["msiinfo", "export", msi, name], check=True, capture_output=True,
                           text=True).stdout.replace("\r", "").split("\n")
    columns = lines[0].split("\t")
    return [dict(zip(columns, line.split("\t"))) for line in lines[3:] if line]

properties = {row["Property"]: row["Value"] for row in table("Property")}
for key, expected in (("ProductName", "Brimlock"), ("Manufacturer", publisher),
                      ("ProductVersion", version), ("ALLUSERS", "1"),
                      ("UpgradeCode", "{5225CDC3-35EB-49C3-B379-7FFAF7069D08}")):
    check(properties.get(key) == expected, f'{key} "{properties.get(key)}", expected "{expected}"')
codepage = subprocess.run(["msiinfo", "export", msi, "_ForceCodepage"], check=True,
                          capture_output=True, text=True).stdout.split()
check(codepage[:1] == ["936"], f"database code page {codepage[:1]}, expected 936")

shortcuts = {row["Name"].split("|")[-1]: row for row in table("Shortcut")}
check(sorted(shortcuts) == ["磁卡读写器", "磁卡读写器（按单号发卡）"]
      and all(row["Directory_"] == "ProgramMenuFolder" and row["Target"] == "[INSTALLDIR]brimlock.exe"
              and row["Icon_"] for row in shortcuts.values())
      and shortcuts["磁卡读写器"]["Arguments"] == ""
      and shortcuts["磁卡读写器（按单号发卡）"]["Arguments"] == "--tickets",
      f"two Start-menu shortcuts to the program, with an icon, the second with --tickets: {sorted(shortcuts)}")

files = sorted(row["FileName"] for row in table("File"))
check(files == ["BRIMCARD.EXE|brimlock-card.exe", "brimlock.exe"],
      f"the window and brimlock-card, the latter with a short name too: {files}")

# What a desk receives: the programs carry no debug sections and no COFF symbols (the count
# in the PE file header is 0); their debug files stay with the build.
with tempfile.TemporaryDirectory() as folder:
    subprocess.run(["msiextract", "-C", folder, msi], check=True, capture_output=True)
    for root, _, names in os.walk(folder):
        for name in (n for n in names if n.endswith(".exe")):
            with open(os.path.join(root, name), "rb") as f:
                data = f.read()
            pe = struct.unpack_from("<I", data, 0x3C)[0]
            symbols = struct.unpack_from("<I", data, pe + 16)[0]
            sections = subprocess.run(["i686-w64-mingw32-objdump", "-h", os.path.join(root, name)],
                                      check=True, capture_output=True, text=True).stdout
            check(symbols == 0 and ".debug_" not in sections,
                  f"{name} in the package is stripped ({len(data)} bytes)")

upgrades = {row["ActionProperty"]: row for row in table("Upgrade")}
older = upgrades.get("WIX_UPGRADE_DETECTED", {})
check(older.get("VersionMax") == version and int(older.get("Attributes") or 0) & 512,
      "an installed package up to this version, this one included, is replaced")
check(all(row["Description"] for row in table("LaunchCondition")), "launch conditions have texts")
sys.exit(1 if failures else 0)
