#!/usr/bin/env python3
"""Draws the gallery's few pictures (plain shapes) and writes them as PNG files into images/.

Run it again after changing a shape; the PNG files are kept in the repository so that the
build needs no Python.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

ACCENT = (0xFE, 0xAD, 0x14)
SLATE = (0x1E, 0x2A, 0x38)
BORDER = (0xC8, 0xCD, 0xD3)
WHITE = (0xFF, 0xFF, 0xFF)


def write_png(name, width, height, pixel):
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))
    chunks = [
        (b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)),
        (b"IDAT", zlib.compress(bytes(rows), 9)),
        (b"IEND", b""),
    ]
    data = b"\x89PNG\r\n\x1a\n"
    for kind, body in chunks:
        data += struct.pack(">I", len(body)) + kind + body
        data += struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)
    with open(os.path.join(HERE, "images", name), "wb") as f:
        f.write(data)


def rounded_box(x, y, w, h, r):
    """True inside a box of size w x h with corners of radius r."""
    cx = min(max(x, r), w - 1 - r)
    cy = min(max(y, r), h - 1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def button(x, y):
    # Two tiles of 96 x 32: white with a grey border, then the accent colour.
    tile, tx = divmod(x, 96)
    if not rounded_box(tx, y, 96, 32, 4):
        return (0, 0, 0, 0)
    if tile == 1:
        return ACCENT + (255,)
    edge = not rounded_box(tx, y, 96, 32, 4) or tx in (0, 95) or y in (0, 31)
    return (BORDER if edge else WHITE) + (255,)


def combo(x, y):
    # Two tiles of 200 x 30: a box with a down arrow at the right; the second has an accent border.
    tile, tx = divmod(x, 200)
    border = ACCENT if tile else BORDER
    if tx in (0, 199) or y in (0, 29):
        return border + (255,)
    ax, ay = tx - 182, y - 12
    if 0 <= ay <= 5 and abs(ax) <= 5 - ay:
        return SLATE + (255,)
    return WHITE + (255,)


def fore(x, y):
    # The progress fill: the accent colour, a little lighter at the top.
    light = max(0, 40 - y * 4)
    return tuple(min(255, c + light) for c in ACCENT) + (255,)


def glyphs(x, y):
    # Three white 34 x 34 glyphs: menu (three bars), minimise (a bar), close (a cross).
    tile, gx = divmod(x, 34)
    on = False
    if tile == 0:
        on = 11 <= gx <= 22 and y in (12, 13, 17, 18, 22, 23)
    elif tile == 1:
        on = 11 <= gx <= 22 and y in (17, 18)
    else:
        on = 11 <= gx <= 22 and 11 <= y <= 22 and (abs(gx - y) <= 1 or abs(gx + y - 33) <= 1)
    return WHITE + (255,) if on else (0, 0, 0, 0)


def thumb(x, y):
    return (0xB0, 0xB6, 0xBD, 255) if rounded_box(x, y, 8, 30, 3) else (0, 0, 0, 0)


def header(x, y):
    if x == 39:
        return BORDER + (255,)
    if y == 27:
        return ACCENT + (255,)
    return (0xF3, 0xF5, 0xF7, 255)


def tab(x, y):
    # A selected tab: white with an accent line at the bottom.
    return ACCENT + (255,) if y >= 33 else WHITE + (255,)


if __name__ == "__main__":
    write_png("button.png", 192, 32, button)
    write_png("combo.png", 400, 30, combo)
    write_png("progress_fore.png", 200, 10, fore)
    write_png("title_glyphs.png", 102, 34, glyphs)
    write_png("scroll_thumb.png", 8, 30, thumb)
    write_png("header.png", 40, 28, header)
    write_png("tab_selected.png", 120, 36, tab)
