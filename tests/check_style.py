#!/usr/bin/env python3
"""Whether every C and C++ source keeps the layout of .clang-format, as Debian's clang-format 14
lays it out (another version lays some lines out otherwise, so none other is taken). The
sources are the files git tracks or would add; outside a git checkout, every one in the tree
but the build folders. Prints each line out of place and exits 1 when there is one.
Usage: check_style.py SOURCE_DIR [--fix]; --fix lays the same files out in place instead."""
import os
import pathlib
import shutil
import subprocess
import sys

PATTERNS = ["*.cpp", "*.h", "*.hpp", "*.c", "*.cc"]
VERSION = "14"


def fail(why):
    print("style: " + why)
    return 1


def formatter():
    for name in ("clang-format-" + VERSION, "clang-format"):
        path = shutil.which(name)
        if path:
            found = subprocess.run([path, "--version"], capture_output=True, text=True).stdout.strip()
            if "version %s." % VERSION in found:
                return path, None
            return None, "%s is '%s', not clang-format %s" % (path, found, VERSION)
    return None, "clang-format is not installed (apt-get install clang-format; scripts/deps lists it)"


def sources(root):
    git = shutil.which("git")
    if git is None:
        return None, "git is not installed, so the tracked sources cannot be listed"
    inside = subprocess.run([git, "-C", root, "rev-parse", "--is-inside-work-tree"], capture_output=True, text=True)
    if inside.returncode == 0 and inside.stdout.strip() == "true":
        listed = subprocess.run([git, "-C", root, "ls-files", "-z", "--cached", "--others", "--exclude-standard",
                                 "--"] + PATTERNS, capture_output=True, text=True)
        if listed.returncode != 0:
            return None, "git ls-files failed: " + listed.stderr.strip()
        names = sorted(set(n for n in listed.stdout.split("\0") if n))
        # A file deleted but not yet committed is still listed.
        return [n for n in names if os.path.isfile(os.path.join(root, n))], None
    names = []
    for folder, dirs, files in os.walk(root):
        # Build folders hold generated sources, whatever they are named.
        dirs[:] = sorted(d for d in dirs if not d.startswith((".", "build"))
                         and not os.path.exists(os.path.join(folder, d, "CMakeCache.txt")))
        names += [os.path.relpath(os.path.join(folder, f), root) for f in sorted(files)
                  if any(pathlib.PurePath(f).match(p) for p in PATTERNS)]
    return names, None


def main(root, fix):
    tool, why = formatter()
    if tool is None:
        return fail(why)
    files, why = sources(root)
    if files is None:
        return fail(why)
    if not files:
        return fail("no sources found under " + root)
    # The same files and the same command lay them out when --fix is given.
    command = [tool, "-i"] if fix else [tool, "--dry-run", "--Werror"]
    run = subprocess.run(command + files, cwd=root)
    if run.returncode != 0 and not fix:
        print("style: lines above are not laid out as .clang-format has them; to lay them out:\n"
              "  python3 tests/check_style.py . --fix")
    print("%d files %s" % (len(files), "laid out" if fix else "checked"))
    return 1 if run.returncode != 0 else 0


if __name__ == "__main__":
    arguments = [a for a in sys.argv[1:] if a != "--fix"]
    sys.exit(main(arguments[0] if arguments else ".", "--fix" in sys.argv[1:]))
