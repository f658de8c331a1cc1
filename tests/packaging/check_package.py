#!/usr/bin/env python3
"""Checks the Debian package as Debian's own check and the software centres read it.
  check_package.py lintian <deb>
    lintian fails on any error or warning; the info tags it gives are shown.
  check_package.py appstream <deb> <version> <metainfo> <desktop file> <changelog> <screenshot>
    appstreamcli and desktop-file-validate accept the data, whose newest release is the
    package's version as the changelog's is, and the package installs all a software centre
    reads; the window's picture is there to publish.
Exits 77 (skipped) when the validating tool is not installed."""
import re, shutil, subprocess, sys
import xml.etree.ElementTree as ET

failures = []

def check(ok, what):
    print(("ok      " if ok else "FAILED  ") + what)
    if not ok:
        failures.append(what)

def tool(name):
    if shutil.which(name) is None:
        print(f"{name} is not installed (scripts/deps installs it): skipped")
        sys.exit(77)

def run(*command):
    result = subprocess.run(command, capture_output=True, text=True)
    return result.returncode, result.stdout + result.stderr

mode, deb = sys.argv[1:3]
if mode == "lintian":
    tool("lintian")
    status, output = run("lintian", "--display-info", "--fail-on", "error,warning", deb)
    print(output)
    check(status == 0 and not re.search(r"^[EW]: ", output, re.M), "lintian: no error, no warning")
else:
    version, metainfo, desktop, changelog, screenshot = sys.argv[3:8]
    tool("appstreamcli")
    status, output = run("appstreamcli", "validate", "--no-net", "--pedantic", "--explain", metainfo)
    print(output)
    check(status == 0, "appstreamcli validate")
    if shutil.which("desktop-file-validate"):
        status, output = run("desktop-file-validate", desktop)
        check(status == 0, f"desktop-file-validate {output}")
    component = ET.parse(metainfo).getroot()
    releases = [r.get("version") for r in component.iter("release")]
    check(releases[:1] == [version], f"the newest release is {version}: {releases[:1]}")
    with open(changelog, encoding="utf-8") as f:
        first = f.readline()
    check(f"({version})" in first, f"the changelog's newest entry is {version}: {first.strip()}")
    _, listing = run("dpkg-deb", "--contents", deb)
    installed = {line.split()[-1].lstrip(".") for line in listing.splitlines()}
    share = "/usr/share/"
    for path in (f"metainfo/{component.findtext('id')}.metainfo.xml", "applications/brimlock.desktop",
                 "icons/hicolor/128x128/apps/brimlock.png", "icons/hicolor/scalable/apps/brimlock.svg"):
        check(share + path in installed, f"the package installs {share + path}")
    with open(screenshot, "rb") as f:
        check(f.read(8) == b"\x89PNG\r\n\x1a\n", f"the window's picture {screenshot}")
sys.exit(1 if failures else 0)
