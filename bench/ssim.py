#!/usr/bin/python3
"""Luma SSIM of two pictures, for bench/encoders.sh (ImageMagick 6's compare has no SSIM).

usage: ssim.py REFERENCE TEST  ->  prints "SSIM DSSIM" (DSSIM = 1/SSIM - 1)
Single-scale SSIM on Rec.601 luma, 8x8 box windows at every position (integral images),
constants of the original paper (K1 0.01, K2 0.03, L 255). Pixels come through `convert ... ppm:-`.
"""
import subprocess
import sys

import numpy as np

CONVERT = "/usr/bin/convert"


def luma(path):
    # One decode: binary PPM, header "P6 W H 255" (comments allowed) then RGB bytes.
    raw = subprocess.run([CONVERT, path, "-alpha", "off", "-depth", "8", "ppm:-"],
                         check=True, capture_output=True).stdout
    fields, pos = [], 0
    while len(fields) < 4:
        while raw[pos:pos + 1].isspace():
            pos += 1
        if raw[pos:pos + 1] == b"#":  # comment line (ImageMagick writes one)
            pos = raw.index(b"\n", pos)
            continue
        end = pos
        while not raw[end:end + 1].isspace():
            end += 1
        fields.append(raw[pos:end])
        pos = end
    w, h = int(fields[1]), int(fields[2])
    rgb = np.frombuffer(raw, dtype=np.uint8, count=w * h * 3, offset=pos + 1)
    return rgb.reshape(h, w, 3).astype(np.float64) @ np.array([0.299, 0.587, 0.114])


def box_mean(a, n):
    # Mean over every n x n window, from an integral image padded with a zero row/column.
    s = np.zeros((a.shape[0] + 1, a.shape[1] + 1))
    s[1:, 1:] = a.cumsum(0).cumsum(1)
    return (s[n:, n:] - s[:-n, n:] - s[n:, :-n] + s[:-n, :-n]) / (n * n)


def ssim(x, y, n=8):
    c1, c2 = (0.01 * 255) ** 2, (0.03 * 255) ** 2
    mx, my = box_mean(x, n), box_mean(y, n)
    vx = box_mean(x * x, n) - mx * mx
    vy = box_mean(y * y, n) - my * my
    cxy = box_mean(x * y, n) - mx * my
    m = ((2 * mx * my + c1) * (2 * cxy + c2)) / ((mx * mx + my * my + c1) * (vx + vy + c2))
    return float(m.mean())


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: ssim.py REFERENCE TEST")
    x, y = luma(sys.argv[1]), luma(sys.argv[2])
    if x.shape != y.shape:
        sys.exit("ssim.py: sizes differ")
    s = ssim(x, y)
    print(f"{s:.6f} {1.0 / s - 1.0:.6f}")


if __name__ == "__main__":
    main()
