#!/usr/bin/env python3
"""Names the frames of a winedbg backtrace (standard input) that lie in EXE, which winedbg
shows as bare offsets, with the function, file and line from EXE's debug information.

    name-frames.py EXE < backtrace
"""
import re
import subprocess
import sys

IMAGE_BASE = 0x140000000
FRAME = re.compile(r"in (\S+) \(\+0x([0-9a-f]+)\)")


def main():
    exe = sys.argv[1]
    module = exe.rsplit("/", 1)[-1].removesuffix(".exe")
    lines = sys.stdin.read().splitlines()
    offsets = sorted({m.group(2) for line in lines for m in FRAME.finditer(line) if m.group(1) == module})
    names = {}
    if offsets:
        # Return addresses: the call is the byte before.
        addresses = [hex(IMAGE_BASE + int(o, 16) - 1) for o in offsets]
        try:
            out = subprocess.run(["x86_64-w64-mingw32-addr2line", "-f", "-C", "-s", "-e", exe, *addresses],
                                 capture_output=True, text=True, timeout=120).stdout.splitlines()
            for i, offset in enumerate(offsets):
                names[offset] = f"{out[2 * i]} at {out[2 * i + 1]}"
        except (OSError, subprocess.SubprocessError, IndexError):
            pass
    for line in lines:
        print(FRAME.sub(lambda m: f"in {m.group(1)} {names.get(m.group(2), '+0x' + m.group(2))}"
                        if m.group(1) == module else m.group(0), line))


if __name__ == "__main__":
    main()
