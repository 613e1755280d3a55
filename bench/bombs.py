#!/usr/bin/env python3
"""Tiny files that declare huge pictures: peak memory and time of converting each.

    bench/bombs.py [BUILD_DIR] [CASE_DIR]

Writes the case files into CASE_DIR (default /tmp/tessaglyph-bombs), converts
each to PNG with BUILD_DIR/tessaglyph-convert (one worker) under
/usr/bin/time -v and prints a table: file size, exit status, peak resident
memory of the converter and its worker, wall time and the reason given.
"""

import os
import re
import struct
import subprocess
import sys
import zlib


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(width, height, idat):
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", idat) + chunk(b"IEND", b"")


def png_bomb():
    return png(65535, 3000, zlib.compress(b"\0" * 2000, 9))


def png_complete():
    """A whole 14000x14000 grey picture, legitimately small: the worker's ceiling is what bounds it."""
    row = b"\0" * 14001
    packer = zlib.compressobj(9)
    data = b"".join(packer.compress(row) for _ in range(14000)) + packer.flush()
    ihdr = struct.pack(">IIBBBBB", 14000, 14000, 8, 0, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", data) + chunk(b"IEND", b"")


def gif_bomb():
    screen = struct.pack("<HHBBB", 14000, 14000, 0x80, 0, 0)
    palette = b"\0\0\0\xff\xff\xff"
    image = b"," + struct.pack("<HHHHB", 0, 0, 14000, 14000, 0)
    data = b"\x02" + b"\x02\x4c\x01" + b"\0"  # clear code, a pixel, end
    return b"GIF89a" + screen + palette + image + data + b";"


def tiff_bomb():
    entries = [
        (256, 4, 1, 14000),      # width
        (257, 4, 1, 14000),      # length
        (258, 3, 1, 8),          # bits per sample
        (259, 3, 1, 1),          # no compression
        (262, 3, 1, 1),          # black is zero
        (273, 4, 1, 8),          # strip offset
        (277, 3, 1, 1),          # samples per pixel
        (278, 4, 1, 14000),      # rows per strip
        (279, 4, 1, 14000 * 14000),  # strip byte count
    ]
    ifd = struct.pack("<H", len(entries))
    for tag, kind, count, value in entries:
        ifd += struct.pack("<HHII", tag, kind, count, value) if kind == 4 else \
            struct.pack("<HHIHH", tag, kind, count, value, 0)
    ifd += struct.pack("<I", 0)
    return b"II*\0" + struct.pack("<I", 8) + ifd + b"\0" * 16


def bmp_bomb():
    palette = b"\0\0\0\0\xff\xff\xff\0"
    rle = (b"\xff\x01" * 480) + b"\0\1"  # runs of 255 pixels, then end of bitmap
    info = struct.pack("<IiiHHIIiiII", 40, 14000, 14000, 1, 8, 1, len(rle), 2835, 2835, 2, 0)
    offset = 14 + len(info) + len(palette)
    header = b"BM" + struct.pack("<IHHI", offset + len(rle), 0, 0, offset)
    return header + info + palette + rle


def ico_bomb():
    inner = png(14000, 14000, zlib.compress(b"\0" * 64, 9))
    entry = struct.pack("<BBBBHHII", 0, 0, 0, 0, 1, 32, len(inner), 22)
    return struct.pack("<HHH", 0, 1, 1) + entry + inner


def jpeg_bomb():
    dqt = b"\xff\xdb" + struct.pack(">H", 67) + b"\0" + b"\1" * 64
    sof = b"\xff\xc0" + struct.pack(">HBHHB", 11, 8, 14000, 14000, 1) + b"\1\x11\0"
    # One DC code (category 0) and one AC code (end of block), both "0".
    dht_dc = b"\xff\xc4" + struct.pack(">H", 20) + b"\x00" + b"\1" + b"\0" * 15 + b"\0"
    dht_ac = b"\xff\xc4" + struct.pack(">H", 20) + b"\x10" + b"\1" + b"\0" * 15 + b"\0"
    sos = b"\xff\xda" + struct.pack(">HB", 8, 1) + b"\1\0" + b"\0\x3f\0"
    return b"\xff\xd8" + dqt + sof + dht_dc + dht_ac + sos + b"\0" * 16


def zeros_file(path):
    with open(path, "wb") as f:
        f.truncate(1000 * 1000 * 1000)
        f.seek(0)
        block = b"\0" * (1 << 20)
        for _ in range(1000 * 1000 * 1000 // len(block) + 1):
            f.write(block)
        f.truncate(1000 * 1000 * 1000)


CASES = [
    ("png-65535x3000.png", png_bomb),
    ("gif-14000x14000.gif", gif_bomb),
    ("tiff-14000x14000.tif", tiff_bomb),
    ("bmp-rle-14000x14000.bmp", bmp_bomb),
    ("ico-png-14000x14000.ico", ico_bomb),
    ("jpeg-14000x14000.jpg", jpeg_bomb),
    ("zeros-1GB.png", None),
    ("png-complete-14000x14000.png", png_complete),
]


def measure(converter, path, out):
    command = ["/usr/bin/time", "-v", converter, "-j", "1", "-f", "png", "-o", out, path]
    run = subprocess.run(command, capture_output=True, text=True)
    peak = re.search(r"Maximum resident set size \(kbytes\): (\d+)", run.stderr)
    wall = re.search(r"Elapsed \(wall clock\) time \(h:mm:ss or m:ss\): (\S+)", run.stderr)
    reason = ""
    for line in run.stderr.splitlines():
        if line.startswith(path + ":"):
            reason = line[len(path) + 2:]
    status = re.search(r"Exit status: (\d+)", run.stderr)
    return (status.group(1) if status else "?", int(peak.group(1)) / 1024 if peak else 0,
            wall.group(1) if wall else "?", reason)


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    folder = sys.argv[2] if len(sys.argv) > 2 else "/tmp/tessaglyph-bombs"
    converter = os.path.join(build, "tessaglyph-convert")
    os.makedirs(os.path.join(folder, "out"), exist_ok=True)
    print("| file | bytes | exit | peak MiB | time | reason |")
    print("|---|---|---|---|---|---|")
    for name, make in CASES:
        path = os.path.join(folder, name)
        if make is None:
            if not os.path.exists(path) or os.path.getsize(path) != 1000 * 1000 * 1000:
                zeros_file(path)
        else:
            with open(path, "wb") as f:
                f.write(make())
        status, peak, wall, reason = measure(converter, path, os.path.join(folder, "out"))
        print(f"| {name} | {os.path.getsize(path)} | {status} | {peak:.0f} | {wall} | {reason} |")


if __name__ == "__main__":
    main()
