#!/usr/bin/env python3
"""Prints the program a Windows shortcut (.lnk) starts: the local path of its link
information. Usage: shortcut_target.py <file.lnk>"""
import struct, sys

data = open(sys.argv[1], "rb").read()
flags = struct.unpack_from("<I", data, 0x14)[0]
at = 0x4C
if flags & 0x1:  # an item id list comes first
    at += 2 + struct.unpack_from("<H", data, at)[0]
if not flags & 0x2:
    sys.exit("the shortcut has no link information")
local_path_at = at + struct.unpack_from("<I", data, at + 16)[0]
# The path is in the system's code page, 936 on the desks this program serves.
print(data[local_path_at:data.index(b"\0", local_path_at)].decode("cp936"))
