#!/usr/bin/env python3
"""What the build's include paths cannot keep out, listed: headers that sit on the system's
own path (POSIX, ICU, ODBC, Windows), backend folders reached by a relative name, a layer's
inner headers, and platform conditionals. The window's modules and tools/card (whose posix/
and win32/ twins are its backend) must use none of them, directly or through the headers
they include; the shared code on top of each platform layer must reach no toolkit, system
or backend header of its own.
Usage: check_seams.py SOURCE_DIR   prints each crossing and exits 1 when there is one
       check_seams.py --self-test  shows that each kind of crossing is caught"""
import pathlib
import re
import sys
import tempfile

MODULES = ["src/app", "src/dialog", "src/encoder", "src/lookup", "src/controls", "tools/card"]
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
INNER_LIST = re.compile(r"set\(BRIMLOCK_LAYER_INNER_HEADERS\s+([^)]*)\)")


def inner_headers(root):
    """The layers' inner headers, as the build keeps them out of the modules' include tree."""
    found = INNER_LIST.search((root / "CMakeLists.txt").read_text(encoding="utf-8"))
    return set(found.group(1).split()) if found else set()


def resolve(root, including, name):
    """The file a quoted include names: beside the includer, else under src/."""
    for candidate in (including.parent / name, root / "src" / name):
        if candidate.is_file():
            return candidate
    return None


def direct(path, text, module, inner):
    odbc_allowed = not module and "/platform/data/" in path.as_posix()
    for number, line in enumerate(text.splitlines(), 1):
        if module and PLATFORM_IF.match(line):
            yield number, "platform conditional", None
        found = INCLUDE.match(line)
        if not found:
            continue
        bracket, name = found.groups()
        if BACKEND.search(name):
            yield number, "backend header: " + name, None
        elif module and bracket == '"' and name in inner:
            yield number, "layer's inner header: " + name, None
        elif bracket == "<":
            for kind, pattern in (("toolkit", TOOLKIT), ("POSIX", POSIX), ("ICU", ICU),
                                  ("ODBC", None if odbc_allowed else ODBC),
                                  ("Windows", WINDOWS if module else None)):
                if pattern and pattern.fullmatch(name):
                    yield number, "%s header: <%s>" % (kind, name), None
        elif module:
            yield number, None, name  # followed: what a header brings in counts too


def crossings(root, path, module, inner, chain=(), seen=None):
    """Each crossing in the file and, for a module, in the project headers it reaches."""
    seen = set() if seen is None else seen
    if path in seen:
        return
    seen.add(path)
    for number, what, name in direct(path, path.read_text(encoding="utf-8"), module, inner):
        where = chain + ("%s:%d" % (path.relative_to(root), number),)
        if what:
            yield " -> ".join(where), what
        elif (target := resolve(root, path, name)) is not None and "platform" not in target.relative_to(root).parts:
            # A layer's public header is judged by the layer's own rules, below.
            yield from crossings(root, target, module, inner, where, seen)


def check(root):
    root = pathlib.Path(root)
    inner = inner_headers(root)
    files = []
    for folder in MODULES:
        files += [(f, True) for f in sorted((root / folder).rglob("*"))
                  if f.suffix in (".h", ".cpp") and not BACKEND.search(f.relative_to(root / folder).as_posix())]
    for folder in LAYERS:
        files += [(f, False) for f in sorted((root / folder).glob("*")) if f.suffix in (".h", ".cpp")]
    reported = set()
    for path, module in files:
        for where, what in crossings(root, path, module, inner):
            if (where, what) not in reported:
                reported.add((where, what))
                print("%s: %s" % (where, what))
    print("%d files checked, %d crossing%s" % (len(files), len(reported), "" if len(reported) == 1 else "s"))
    return 1 if reported else 0


def self_test():
    """A small tree with one crossing of each kind, each of which must be named."""
    cases = {
        "src/dialog/toolkit.cpp": ("#include <QWidget>\n", "toolkit header"),
        "src/dialog/posix.cpp": ("#include <termios.h>\n", "POSIX header"),
        "src/lookup/odbc.cpp": ("#include <sqlext.h>\n", "ODBC header"),
        "src/encoder/icu.cpp": ("#include <unicode/ucnv.h>\n", "ICU header"),
        "tools/card/windows.cpp": ("#include <windows.h>\n", "Windows header"),
        "src/app/backend.cpp": ('#include "platform/ui/qt/bridge.h"\n', "backend header"),
        "src/dialog/inner.cpp": ('#include "platform/data/odbc.h"\n', "inner header"),
        "src/controls/ifdef.cpp": ("#ifdef _WIN32\n#endif\n", "platform conditional"),
        "src/dialog/through.cpp": ('#include "dialog/leaky.h"\n', "toolkit header"),
        "tools/card/through.cpp": ('#include "lookup/wrapper.h"\n', "inner header"),
        "src/platform/gdi/shared.cpp": ("#include <QPainter>\n", "toolkit header"),
    }
    import contextlib
    import io
    with tempfile.TemporaryDirectory() as tmp:
        root = pathlib.Path(tmp)
        (root / "CMakeLists.txt").write_text("set(BRIMLOCK_LAYER_INNER_HEADERS\n  platform/data/odbc.h)\n")
        (root / "src/dialog").mkdir(parents=True)
        (root / "src/dialog/leaky.h").write_text("#include <QString>\n")
        (root / "src/lookup").mkdir(parents=True)
        (root / "src/lookup/wrapper.h").write_text('#include "platform/data/odbc.h"\n')
        for name, (text, _) in cases.items():
            (root / name).parent.mkdir(parents=True, exist_ok=True)
            (root / name).write_text(text)
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            status = check(root)
        lines = out.getvalue().splitlines()
    missed = [name for name, (_, kind) in cases.items()
              if not any(line.startswith(name + ":") and kind in line for line in lines)]
    for name in missed:
        print("not caught: %s (%s)" % (name, cases[name][1]))
    print("self-test: %d kinds, %d missed" % (len(cases), len(missed)))
    return 1 if missed or status != 1 else 0


if __name__ == "__main__":
    if sys.argv[1:] == ["--self-test"]:
        sys.exit(self_test())
    sys.exit(check(sys.argv[1] if len(sys.argv) > 1 else "."))
