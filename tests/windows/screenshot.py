#!/usr/bin/env python3
"""Cuts a window out of an Xvfb screen file and checks that it shows something.

    screenshot.py SCREEN_FILE X Y WIDTH HEIGHT OUT.png

SCREEN_FILE is the XWD image Xvfb keeps of its screen (xvfb-run -s "-fbdir DIR").
The window's part is written as a PNG. The check fails (exit code 1) when the
part is blank or nearly one colour: a window whose widgets and text were not
drawn. It prints the number of colours and the share of the commonest one.
"""
import struct
import sys
import zlib


def read_xwd(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = struct.unpack(">25I", data[:100])
    header_size, _version, pixmap_format, depth, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    masks = fields[14:17]
    ncolors = fields[19]
    if pixmap_format != 2 or bits_per_pixel != 32 or depth < 24:
        raise SystemExit("screenshot.py: expected a 24-bit ZPixmap screen, got format %d depth %d bpp %d"
                         % (pixmap_format, depth, bits_per_pixel))
    start = header_size + ncolors * 12
    order = "<" if byte_order == 0 else ">"
    shifts = [(m & -m).bit_length() - 1 for m in masks]
    return data[start:], width, height, bytes_per_line, order, masks, shifts


def main():
    if len(sys.argv) != 7:
        raise SystemExit(__doc__)
    screen, x, y, w, h, out = sys.argv[1], *map(int, sys.argv[2:6]), sys.argv[6]
    pixels, width, height, stride, order, masks, shifts = read_xwd(screen)
    x, y = max(x, 0), max(y, 0)
    w, h = min(w, width - x), min(h, height - y)
    if w <= 0 or h <= 0:
        raise SystemExit("screenshot.py: the window is off the screen")
    rows = []
    counts = {}
    for row in range(y, y + h):
        line = struct.unpack_from(order + "%dI" % w, pixels, row * stride + x * 4)
        rgb = bytearray()
        for p in line:
            r, g, b = ((p & m) >> s for m, s in zip(masks, shifts))
            rgb += bytes((r, g, b))
            counts[p] = counts.get(p, 0) + 1
        rows.append(b"\0" + bytes(rgb))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
    with open(out, "wb") as f:
        f.write(png)

    commonest = max(counts.values()) / (w * h)
    print("%dx%d window: %d colours, the commonest covers %.0f%%" % (w, h, len(counts), commonest * 100))
    # Text, sprites and table lines give hundreds of colours; an undrawn
    # window has one or two.
    if len(counts) < 32 or commonest > 0.9:
        print("FAIL: the window looks blank", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
