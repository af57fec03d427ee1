#!/usr/bin/python3
"""Draws the program icon (16, 32 and 64 pixels) into vantora.ico beside this script."""
import os
from PIL import Image, ImageDraw

def draw(size):
    scale = 4
    s = size * scale
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    r = s // 5
    d.rounded_rectangle((0, 0, s - 1, s - 1), radius=r, fill=(92, 3, 134, 255))
    d.rounded_rectangle((s // 16, s // 16, s - 1 - s // 16, s // 2), radius=r, fill=(122, 38, 166, 255))
    # A stylised "V" made of two strokes, with a small gauge tick on the right stroke.
    w = max(scale * 2, s // 9)
    d.line((s * 0.24, s * 0.26, s * 0.5, s * 0.76), fill=(255, 255, 255, 255), width=w)
    d.line((s * 0.5, s * 0.76, s * 0.78, s * 0.22), fill=(255, 255, 255, 255), width=w)
    d.ellipse((s * 0.70, s * 0.14, s * 0.86, s * 0.30), fill=(255, 200, 60, 255))
    return img.resize((size, size), Image.LANCZOS)

here = os.path.dirname(os.path.abspath(__file__))
big = draw(64)
big.save(os.path.join(here, "vantora.ico"), sizes=[(16, 16), (32, 32), (64, 64)],
         append_images=[draw(32), draw(16)])
