#!/usr/bin/env python3
"""Packs PNG pictures into one Windows icon file (PNG entries, readable since Vista).

    make_icon.py OUT.ico SIZE:PNG...
"""
import struct
import sys


def main(out, entries):
    images = []
    for entry in entries:
        size, path = entry.split(":", 1)
        with open(path, "rb") as f:
            images.append((int(size), f.read()))
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    directory, data = b"", b""
    for size, png in images:
        side = 0 if size >= 256 else size  # 0 stands for 256
        directory += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(png), offset + len(data))
        data += png
    with open(out, "wb") as f:
        f.write(header + directory + data)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2:])
