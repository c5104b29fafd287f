#!/usr/bin/env python3
"""Write Varnok's tray icon: a dark green ring with four black sight ticks.

Usage: python3 make_icon.py OUT.ico

Every frame is 4 bpp with the classic VGA palette so the icon looks the
same on every Windows and Wine colour depth. There is a frame for each size
Windows asks for at 100 to 200 % display scale (small and big icons) and
for Explorer's largest view, so none is stretched. The output is
deterministic, so the build can regenerate it without spurious changes.
"""
import struct
import sys

# Classic 16-colour VGA palette as (R, G, B).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK = 0
GREEN = 2  # 0,128,0: dark enough to read on light and dark taskbars
CLEAR = None

# size -> (outer radius, inner radius, tick half-width, tick length).
# Tuned per size by eye rather than scaled, so each frame stays crisp: whole
# or half pixels, ticks of even width so they sit on the centre lines.
LAYOUT = {
    32: (14.5, 11.0, 1, 10),
    16: (7.5, 5.5, 1, 5),
    20: (9.0, 7.0, 1, 6),
    24: (11.0, 8.5, 1, 8),
    28: (12.5, 9.5, 1, 9),
    40: (18.0, 13.5, 1, 12),
    48: (21.5, 16.5, 2, 15),
    56: (25.5, 19.0, 2, 17),
    64: (29.0, 22.0, 2, 20),
    256: (116.0, 88.0, 8, 80),
}


def draw(size):
    """Return rows (top-down) of palette indices, or CLEAR for transparent."""
    r_out, r_in, half, length = LAYOUT[size]
    c = size / 2
    mid_lo, mid_hi = size // 2 - half, size // 2 + half  # tick columns [lo, hi)
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            # Test the pixel centre; squared distances keep it exact.
            dx, dy = x + 0.5 - c, y + 0.5 - c
            d2 = dx * dx + dy * dy
            px = GREEN if r_in * r_in <= d2 <= r_out * r_out else CLEAR
            on_v = mid_lo <= x < mid_hi and (y < length or y >= size - length)
            on_h = mid_lo <= y < mid_hi and (x < length or x >= size - length)
            if on_v or on_h:
                px = BLACK
            row.append(px)
        rows.append(row)
    return rows


def pad4(data):
    return data + b"\0" * (-len(data) % 4)


def dib(size):
    """BITMAPINFOHEADER + palette + XOR (4 bpp) + AND (1 bpp), bottom-up."""
    rows = draw(size)
    xor = b""
    mask = b""
    for row in reversed(rows):
        nibbles = [0 if p is CLEAR else p for p in row]
        xor += pad4(bytes((nibbles[i] << 4) | nibbles[i + 1]
                          for i in range(0, size, 2)))
        bits = bytearray((size + 7) // 8)
        for x, p in enumerate(row):
            if p is CLEAR:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += pad4(bytes(bits))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + xor + mask


def icon(sizes):
    images = [dib(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        side = s % 256  # the directory writes 256 as 0
        out += struct.pack("<BBBBHHII", side, side, 16, 0, 1, 4, len(img), offset)
        offset += len(img)
    return out + b"".join(images)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_icon.py OUT.ico\n")
        return 2
    with open(argv[1], "wb") as f:
        f.write(icon(list(LAYOUT)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
