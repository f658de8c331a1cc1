#!/usr/bin/env python3
"""What the build's include paths cannot keep out, listed: headers that sit on the system's
own path (POSIX, ICU, ODBC, Windows), backend folders reached by a relative name, and
platform conditionals. The Parts (and tools/card, whose posix/ and win32/ twins are its
backend) and the shared code on top of each platform layer must use none of them.
Usage: check_seams.py SOURCE_DIR; prints each crossing and exits 1 when there is one."""
import pathlib
import re
import sys

PARTS = ["src/app", "src/dialog", "src/encoder", "src/lookup", "src/controls", "tools/card"]
LAYERS = ["src/platform/" + layer for layer in ("text", "ui", "gdi", "serial", "data")]

TOOLKIT = re.compile(r"Q[A-Za-z]+|Qt[A-Za-z]*/.*|q[a-z]+\.h")
POSIX = re.compile(r"(sys|netinet|arpa)/.*|(unistd|termios|poll|fcntl|pthread|dlfcn|pty|pwd|grp"
                   r"|dirent|netdb|semaphore|spawn|syslog|utmp)\.h")
ICU = re.compile(r"unicode/.*")
ODBC = re.compile(r"(sql|sqlext|sqltypes|sqlucode|odbcinst|odbcinstext)\.h")
WINDOWS = re.compile(r"(windows|winbase|winuser|shellapi|objbase|oleauto|commctrl|ole2)\.h",
                     re.IGNORECASE)
BACKEND = re.compile(r"(^|/)(qt|posix|win32)/")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
PLATFORM_IF = re.compile(r"^\s*#\s*(if|ifdef|ifndef|elif)\b.*\b(_WIN32|_WIN64|WIN32|__linux__|"
                         r"__unix__|__APPLE__|Q_OS_\w+)\b")


def crossings(path, text, part):
    # ODBC is the data layer's one interface on both platforms, so its shared code speaks it.
    odbc_allowed = not part and "/platform/data/" in path.as_posix()
    for number, line in enumerate(text.splitlines(), 1):
        if part and PLATFORM_IF.match(line):
            yield number, "platform conditional"
        found = INCLUDE.match(line)
        if not found:
            continue
        bracket, name = found.groups()
        if BACKEND.search(name):
            yield number, "backend header: " + name
        elif bracket == "<":
            for kind, pattern in (("toolkit", TOOLKIT), ("POSIX", POSIX), ("ICU", ICU),
                                  ("ODBC", None if odbc_allowed else ODBC),
                                  ("Windows", WINDOWS if part else None)):
                if pattern and pattern.fullmatch(name):
                    yield number, "%s header: <%s>" % (kind, name)


def main(root):
    root = pathlib.Path(root)
    files = []
    for folder in PARTS:
        files += [(f, True) for f in sorted((root / folder).rglob("*"))
                  if f.suffix in (".h", ".cpp") and not BACKEND.search(f.relative_to(root / folder).as_posix())]
    for folder in LAYERS:
        files += [(f, False) for f in sorted((root / folder).glob("*")) if f.suffix in (".h", ".cpp")]
    bad = 0
    for path, part in files:
        for number, what in crossings(path, path.read_text(encoding="utf-8"), part):
            print("%s:%d: %s" % (path.relative_to(root), number, what))
            bad += 1
    print("%d files checked, %d crossing%s" % (len(files), bad, "" if bad == 1 else "s"))
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "."))
