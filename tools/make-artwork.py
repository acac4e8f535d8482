#!/usr/bin/env python3
# Draws the program's own artwork into resources/: the 64 x 64 logo (256-colour
# palette PNG, and as an icon for Windows), the window icon (PNG, and a
# 16/32/48 icon for Windows), the desktop icon at the icon theme's usual
# sizes (icons/klarbrix-N.png) and the short end-of-run sound success.wav.
# Needs only Python's standard library; the outputs are committed.
# Usage: tools/make-artwork.py [FOLDER]   (default: resources/ beside tools/)
import math
import os
import struct
import sys
import zlib

SUPER = 4  # supersampling per axis
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)  # the desktop icon theme's usual sizes


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def inside_rounded(x, y, size, radius):
    cx = min(max(x, radius), size - radius)
    cy = min(max(y, radius), size - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def inside_triangle(x, y, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])
    s1, s2, s3 = side(a, b), side(b, c), side(c, a)
    return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)


def sample(x, y, size):
    """Colour (r, g, b, a) of the logo at (x, y) in a size x size square."""
    u, v = x / size, y / size
    if not inside_rounded(u, v, 1.0, 0.18):
        return (0, 0, 0, 0)
    # Tile: deep blue to teal from top to bottom.
    colour = mix((24, 52, 120), (18, 128, 140), v)
    # A television: light frame, dark screen, two small feet.
    if 0.14 <= u <= 0.86 and 0.20 <= v <= 0.72:
        colour = (236, 240, 245)
        if 0.20 <= u <= 0.80 and 0.26 <= v <= 0.66:
            colour = mix((30, 34, 44), (52, 60, 80), v)
            # A play sign in orange on the screen.
            if inside_triangle(u, v, (0.42, 0.34), (0.42, 0.58), (0.62, 0.46)):
                colour = mix((255, 170, 40), (240, 110, 20), (v - 0.34) / 0.24)
    if 0.30 <= u <= 0.38 and 0.72 <= v <= 0.80 or 0.62 <= u <= 0.70 and 0.72 <= v <= 0.80:
        colour = (236, 240, 245)
    # A film strip along the bottom edge.
    if 0.84 <= v <= 0.94 and 0.10 <= u <= 0.90:
        colour = (20, 22, 28)
        if 0.87 <= v <= 0.91 and (u * 10) % 1.0 < 0.5:
            colour = (220, 224, 230)
    return (colour[0], colour[1], colour[2], 255)


def render(size):
    """RGBA rows, each pixel averaged over SUPER x SUPER samples."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SUPER):
                for sx in range(SUPER):
                    r, g, b, a = sample(px + (sx + 0.5) / SUPER, py + (sy + 0.5) / SUPER, size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SUPER * SUPER
            alpha = acc[3] / n
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(acc[0] / acc[3]), round(acc[1] / acc[3]), round(acc[2] / acc[3]), round(alpha)))
        rows.append(row)
    return rows


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(width, height, colour_type, header_chunks, raw_rows):
    ihdr = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    data = b"".join(b"\x00" + r for r in raw_rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + b"".join(header_chunks) +
            chunk(b"IDAT", zlib.compress(data, 9)) + chunk(b"IEND", b""))


def palette_png(rows):
    """The image with at most 256 colours: index 0 is transparent, pixels of
    partial alpha take the nearest solid colour when at least half covered."""
    palette = [(0, 0, 0)]
    index = {}
    # Quantise to 6 levels of red, 7 of green, 6 of blue (252 colours) + transparent.
    levels = lambda n: [round(i * 255 / (n - 1)) for i in range(n)]
    rl, gl, bl = levels(6), levels(7), levels(6)
    nearest = lambda v, ls: min(range(len(ls)), key=lambda i: abs(ls[i] - v))
    raw = []
    for row in rows:
        line = bytearray()
        for r, g, b, a in row:
            if a < 128:
                line.append(0)
                continue
            key = (nearest(r, rl), nearest(g, gl), nearest(b, bl))
            if key not in index:
                index[key] = len(palette)
                palette.append((rl[key[0]], gl[key[1]], bl[key[2]]))
            line.append(index[key])
        raw.append(bytes(line))
    assert len(palette) <= 256
    plte = chunk(b"PLTE", b"".join(struct.pack("BBB", *c) for c in palette))
    trns = chunk(b"tRNS", b"\x00")
    return png(len(rows[0]), len(rows), 3, [plte, trns], raw)


def quantised(rows):
    """The rows with the logo's 256-colour look: solid colours of the palette
    image, fully transparent elsewhere."""
    levels = lambda n: [round(i * 255 / (n - 1)) for i in range(n)]
    rl, gl, bl = levels(6), levels(7), levels(6)
    nearest = lambda v, ls: ls[min(range(len(ls)), key=lambda i: abs(ls[i] - v))]
    return [[(0, 0, 0, 0) if a < 128 else (nearest(r, rl), nearest(g, gl), nearest(b, bl), 255)
             for r, g, b, a in row] for row in rows]


def ico(images):
    """A Windows icon file: each image as a 32-bit DIB with its AND mask."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for rows in images:
        size = len(rows)
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        pixels = b"".join(struct.pack("BBBB", b, g, r, a) for row in reversed(rows) for r, g, b, a in row)
        stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            line = bytearray(stride)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    line[x // 8] |= 0x80 >> (x % 8)
            mask += line
        blob = header + pixels + bytes(mask)
        entries.append(struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


def rgba_png(rows):
    raw = [bytes(v for px in row for v in px) for row in rows]
    return png(len(rows[0]), len(rows), 6, [], raw)


def success_wav(rate=22050):
    """Two rising bell-like notes, about half a second, 16-bit mono."""
    notes = [(659.25, 0.00, 0.30), (987.77, 0.12, 0.40)]
    length = int(rate * 0.55)
    samples = []
    for i in range(length):
        t = i / rate
        value = 0.0
        for freq, start, duration in notes:
            if start <= t < start + duration:
                local = t - start
                envelope = min(1.0, local / 0.005) * math.exp(-local * 9.0)
                value += envelope * (math.sin(2 * math.pi * freq * local) +
                                     0.3 * math.sin(2 * math.pi * 2 * freq * local))
        samples.append(max(-32767, min(32767, int(value * 0.35 * 32767))))
    data = struct.pack("<%dh" % length, *samples)
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * 2, 2, 16)
    return (b"RIFF" + struct.pack("<I", 4 + 8 + len(fmt) + 8 + len(data)) + b"WAVE" +
            b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "logo.png"), "wb") as f:
        f.write(palette_png(render(64)))
    with open(os.path.join(out, "icon.png"), "wb") as f:
        f.write(rgba_png(render(32)))
    os.makedirs(os.path.join(out, "icons"), exist_ok=True)
    for size in ICON_SIZES:
        with open(os.path.join(out, "icons", "klarbrix-%d.png" % size), "wb") as f:
            f.write(rgba_png(render(size)))
    with open(os.path.join(out, "logo.ico"), "wb") as f:
        f.write(ico([quantised(render(64))]))
    with open(os.path.join(out, "klarbrix.ico"), "wb") as f:
        f.write(ico([render(16), render(32), render(48)]))
    with open(os.path.join(out, "success.wav"), "wb") as f:
        f.write(success_wav())


if __name__ == "__main__":
    main()
