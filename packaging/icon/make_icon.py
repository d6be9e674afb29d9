#!/usr/bin/env python3
"""Draws Plimvar's icon and writes it as PNG images, one SVG and one
Windows .ico.

The picture is a sorted array: bars rising from left to right, one of them
(the inserted number) picked out. It is drawn pixel by pixel at 16 and 32
pixels, in the colours of the standard 16-colour palette, and at 32 pixels in
2 colours for the oldest displays; as scalable SVG with its edges on whole
pixels; and from 48 pixels up from the SVG by rsvg-convert (Debian's
librsvg2-bin), crisp at every size.

    make_icon.py OUTPUT_DIR

writes plimvar-N.png for N in 16, 32, 48, 64, 128 and 256, plimvar-32-mono.png,
plimvar.svg and plimvar.ico (the .ico by icotool, from Debian's icoutils).
The .ico holds the 2- and 16-colour 32 pixel images and the 16 pixel one,
and for Explorer and the Start menu two 32-bit images, at 48 pixels and at
256 (stored as PNG), drawn from the SVG by rsvg-convert (Debian's
librsvg2-bin).
"""
import os
import struct
import subprocess
import sys
import zlib

TRANSPARENT = None
# The 16-colour images use a few entries of the standard 16-colour palette.
NAVY, BLUE, ORANGE, WHITE, BLACK = (0, 0, 128), (0, 0, 255), (255, 128, 0), (255, 255, 255), (0, 0, 0)


SIZES = (16, 32, 48, 64, 128, 256)


def bars(size):
    """(left, width, height) of each bar, for an icon of the given size."""
    if size == 32:
        return [(1, 5, 9), (7, 5, 14), (13, 5, 19), (19, 5, 24), (25, 5, 30)]
    return [(0, 3, 5), (4, 3, 8), (8, 3, 11), (12, 3, 15)]


def colour_of(index, edge, mono):
    picked = 2  # the inserted bar
    if mono:
        return BLACK if edge or index != picked else WHITE
    if index == picked:
        return BLACK if edge else ORANGE
    return NAVY if edge else BLUE


def svg():
    """The 32 pixel picture as shapes: each bar a filled square-edged box."""
    hex_of = lambda c: "#%02x%02x%02x" % c
    shapes = []
    for index, (left, width, height) in enumerate(bars(32)):
        shapes.append(
            '  <rect x="%g" y="%g" width="%d" height="%d" fill="%s" stroke="%s"/>'
            % (left + 0.5, 32 - height + 0.5, width - 1, height - 1,
               hex_of(colour_of(index, False, False)), hex_of(colour_of(index, True, False))))
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32"'
            ' shape-rendering="crispEdges">\n'
            '  <title>Plimvar</title>\n' + "\n".join(shapes) + "\n</svg>\n")


def draw(size, mono):
    pixels = [[TRANSPARENT] * size for _ in range(size)]
    for index, (left, width, height) in enumerate(bars(size)):
        top = size - height
        for y in range(top, size):
            for x in range(left, left + width):
                edge = y == top or y == size - 1 or x in (left, left + width - 1)
                pixels[y][x] = colour_of(index, edge, mono)
    return pixels


def png(pixels):
    """An 8-bit RGBA PNG; icotool takes the palette from the colours used."""
    size = len(pixels)
    raw = b"".join(
        b"\0" + b"".join(bytes((0, 0, 0, 0)) if p is None else bytes(p + (255,)) for p in row)
        for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(out, exist_ok=True)
    images = {"plimvar-32-mono.png": draw(32, mono=True), "plimvar-16.png": draw(16, mono=False),
              "plimvar-32.png": draw(32, mono=False)}
    for name, pixels in images.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(png(pixels))
    with open(os.path.join(out, "plimvar.svg"), "w") as f:
        f.write(svg())
    svg_path = os.path.join(out, "plimvar.svg")
    drawn = {}
    for size in SIZES[2:]:
        drawn[size] = os.path.join(out, "plimvar-%d.png" % size)
        subprocess.run(["rsvg-convert", "--width=%d" % size, "--height=%d" % size,
                        "--output", drawn[size], svg_path], check=True)
    subprocess.run(
        ["icotool", "--create", "--output", os.path.join(out, "plimvar.ico"),
         "--bit-depth=1", os.path.join(out, "plimvar-32-mono.png"),
         "--bit-depth=4", os.path.join(out, "plimvar-32.png"),
         "--bit-depth=4", os.path.join(out, "plimvar-16.png"),
         "--bit-depth=32", drawn[48],
         "--raw=" + drawn[256]],
        check=True)


if __name__ == "__main__":
    main()
