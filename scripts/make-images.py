#!/usr/bin/env python3
"""Draws the program's icon (32x32, 16 colours) and the About box picture
(32x32, 24 bits) as pixel art: a flag on a pole, its stripes in the editor's
palette colours. Writes res/vexil.ico and res/about.bmp."""
import os
import struct

# The 16-colour icon palette (the editor's palette, as RGB).
PALETTE = [
    (0xFF, 0xFF, 0xFF), (0x00, 0x00, 0x00), (0x00, 0x00, 0x80), (0x00, 0x80, 0x00),
    (0xFF, 0x00, 0x00), (0x80, 0x00, 0x00), (0x80, 0x00, 0x80), (0xFF, 0x80, 0x00),
    (0xFF, 0xFF, 0x00), (0x00, 0xFF, 0x00), (0x40, 0x80, 0x80), (0x00, 0xFF, 0xFF),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x80, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
]
TRANSPARENT = None
W = H = 32


def draw():
    """Returns rows (top first) of palette indices or None for transparent."""
    img = [[TRANSPARENT] * W for _ in range(H)]
    # The pole, with a knob.
    for y in range(2, 31):
        img[y][4] = 14
        img[y][5] = 1
    for x in range(3, 7):
        img[1][x] = 8
    img[0][4] = img[0][5] = 8
    # The flag: stripes in palette colours, waving by one pixel every 6 columns.
    stripes = [4, 8, 3, 12, 6, 7]
    for x in range(6, 30):
        wave = 1 if (x // 6) % 2 else 0
        for i, colour in enumerate(stripes):
            for dy in range(3):
                y = 3 + wave + i * 3 + dy
                img[y][x] = colour
        img[2 + wave][x] = 1
        img[3 + wave + 18][x] = 1
    for y in range(3, 21):
        img[y][29] = 1
    # A white "V" on the flag.
    for step in range(7):
        for x in (9 + step, 10 + step, 25 - step, 26 - step):
            img[6 + step * 2][x] = 0
            img[7 + step * 2][x] = 0
    return img


def rgb(index, background=(0xC0, 0xC0, 0xC0)):
    return background if index is None else PALETTE[index]


def write_ico(path, img):
    # 4-bit XOR bitmap bottom-up, rows padded to 4 bytes; 1-bit AND mask.
    xor = bytearray()
    for row in reversed(img):
        for x in range(0, W, 2):
            a = row[x] if row[x] is not None else 0
            b = row[x + 1] if row[x + 1] is not None else 0
            xor.append((a << 4) | b)
    mask = bytearray()
    for row in reversed(img):
        bits = 0
        for x in range(W):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, W, H * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    image = header + colours + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", W, H, 16, 0, 1, 4, len(image), 22)
    with open(path, "wb") as f:
        f.write(directory + image)


def write_bmp(path, img):
    rows = bytearray()
    for row in reversed(img):
        for x in range(W):
            r, g, b = rgb(row[x])
            rows += bytes((b, g, r))
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    header = b"BM" + struct.pack("<IHHI", 14 + len(info) + len(rows), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + bytes(rows))


if __name__ == "__main__":
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")
    picture = draw()
    write_ico(os.path.join(here, "vexil.ico"), picture)
    write_bmp(os.path.join(here, "about.bmp"), picture)
