#!/usr/bin/env python3
"""Prints the program a Windows shortcut (.lnk) starts, the local path of its link
information, or with --icon the file its icon comes from.
Usage: shortcut_target.py [--icon] <file.lnk>"""
import struct, sys

icon = sys.argv[1] == "--icon"
data = open(sys.argv[-1], "rb").read()
flags = struct.unpack_from("<I", data, 0x14)[0]
at = 0x4C
if flags & 0x1:  # an item id list comes first
    at += 2 + struct.unpack_from("<H", data, at)[0]
if not flags & 0x2:
    sys.exit("the shortcut has no link information")
if not icon:
    local_path_at = at + struct.unpack_from("<I", data, at + 16)[0]
    # The path is in the system's code page, 936 on the desks this program serves.
    print(data[local_path_at:data.index(b"\0", local_path_at)].decode("cp936"))
    sys.exit(0)
at += struct.unpack_from("<I", data, at)[0]
# Then the texts the flags announce, each a count and UTF-16: name, relative path, working
# directory, arguments, icon location.
for bit in (0x4, 0x8, 0x10, 0x20, 0x40):
    if flags & bit:
        count = struct.unpack_from("<H", data, at)[0]
        text = data[at + 2:at + 2 + 2 * count].decode("utf-16-le").rstrip("\0")
        at += 2 + 2 * count
        if bit == 0x40:
            print(text)
            sys.exit(0)
sys.exit("the shortcut names no icon")
