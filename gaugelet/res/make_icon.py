#!/usr/bin/python3
"""Draws the battery meter's icon (16 and 32 pixels) into gaugelet.ico beside this script.

Plain Python, no imaging library: a battery outline whose charge runs red, yellow, green."""
import os
import struct


def pixel(size, x, y):
    """RGBA of one pixel of the icon, (0, 0) at the top left."""
    u = size / 16.0
    left, right = 1 * u, 13 * u
    top, bottom = 4 * u, 12 * u
    if right <= x < 15 * u and 6 * u <= y < 10 * u:
        return (60, 60, 70, 255)  # the battery's tip
    if not (left <= x < right and top <= y < bottom):
        return (0, 0, 0, 0)
    if x < left + u or x >= right - u or y < top + u or y >= bottom - u:
        return (60, 60, 70, 255)  # the outline
    inner = (x - left - u) / (right - left - 2 * u)
    if inner > 0.75:
        return (235, 235, 240, 255)  # the empty quarter
    t = inner / 0.75
    if t < 0.5:
        return (255, int(255 * t * 2), 0, 255)
    return (int(255 * (1 - (t - 0.5) * 2)), 255, 0, 255)


def image(size):
    xor = bytearray()
    for y in reversed(range(size)):
        for x in range(size):
            r, g, b, a = pixel(size, x + 0.5, y + 0.5)
            xor += bytes((b, g, r, a))
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            if pixel(size, x + 0.5, y + 0.5)[3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def main():
    sizes = [32, 16]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "gaugelet.ico"), "wb") as f:
        f.write(out)


main()
