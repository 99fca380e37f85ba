#!/usr/bin/env python3
"""Packs PNG images into a Windows icon file: make-ico.py OUT.ico IMAGE.png...

Each image goes in as it is (icons with PNG images, as Windows has read them
since Vista); its size is read from the PNG header.
"""
import struct
import sys


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    images = []
    for path in sys.argv[2:]:
        with open(path, "rb") as f:
            data = f.read()
        if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
            raise SystemExit("make-ico.py: %s is no PNG file" % path)
        width, height = struct.unpack(">II", data[16:24])
        if width > 256 or height > 256:
            raise SystemExit("make-ico.py: %s is larger than 256 pixels" % path)
        images.append((width, height, data))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for width, height, data in images:
        # 256 is written as 0.
        out += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, _, data in images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
