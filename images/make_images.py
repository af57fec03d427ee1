#!/usr/bin/python3
"""Generates every picture installed in the "Images" folder.

Run with a Python 3 that has Pillow (the system one: /usr/bin/python3):
    /usr/bin/python3 images/make_images.py
It rewrites the files next to this script; commit them together with it.

Skin images are made at twice the low-resolution (240 x 320) size: the main
program draws each one at (pixel size / 2) and doubles that on a 480 x 640
screen. Every size below is chosen so that the page arithmetic works out at
factor 1 (the list row pitch is 40 px, the page is 240 px wide):

  file                    pixels     at factor 1   role
  item.jpg                480 x 80   240 x 40      list row background (row pitch 40)
  scrollbar.png            44 x 400   22 x 200     scroll bar column, stretched to the list height
  scrollup.jpg / _push     44 x 60    22 x 30      scroll-up button inside the bar column
  scrolldown.jpg / _push   44 x 60    22 x 30      scroll-down button inside the bar column
  button.png / _push      148 x 60    74 x 30      large button: three across 240 px, gap 4
  cpuusage.png             32 x 32    16 x 16      CPU gauge, fits the 20 x 20 half-row cell
  ind_on.png / ind_off.png 32 x 32    16 x 16      task running / stopped, half-row cell
  sliderbar.jpg           288 x 16   144 x 8       slider track (page 3 uses 2/3 of it: 96 px)
  slider.jpg               20 x 32    10 x 16      slider knob, fits the 20 px lower half-row
  ind_db_on.jpg / _off     24 x 72    12 x 36      task in / not in the task database, row left
  buttonsmall.png / _push  36 x 36    18 x 18      "-" and "+" buttons in the 20 x 20 half-row cell
  item_on.jpg / _off       88 x 80    44 x 40      toggle indicator, exactly one row high
  logo.png                300 x 100  150 x 50      product logo (fits the 68 px left below page 0's
                                                   list at 240 x 320; the benchmark shows it in a
                                                   150 x 50 box, so the aspect is the same there)

Transparency: where the program copies an image with the magenta key
(cpuusage, ind_on/off, buttonsmall/_push) everything outside the shape is
exactly RGB(255, 0, 255) with hard edges, and those files are PNG so the key
survives. The JPEG skins are fully opaque; the ones that sit inside a list row
(ind_db_*, item_on/off) carry the row's own background so they blend in.
button.png, button_push.png and logo.png only ever lie on the plain page
background, so their corners are that colour, RGB(201, 199, 199): they look
the same whether or not the program keys them.

Other files:
  tvf_f1.jpg   66 x 22   tree images 22 x 22: open folder, closed folder, program file
  tvf_f2.jpg  132 x 44   the same at 44 x 44 for high-resolution screens
               Background is the key green RGB(0, 255, 0). The JPEG is written in
               YCbCr directly, with the background at a YCbCr value that decodes to
               exact green even after the coder's rounding, so the mask is clean.
  quitlet.gif      240 x 40   close button frames 40 x 40: minimise, close, menu
                              released, then the same three pressed; magenta key
  quitletic.gif    448 x 32   14 menu icons 32 x 32 (see QUITLET_ICONS), white
                              background: the menu copies them without a key
  item-dual.png    320 x 56   benchmark button faces 160 x 56: normal | pressed
  benchmark.jpg    240 x 240  photograph-like test picture for the benchmark
"""

import math
import os
import random

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))

# ---------------------------------------------------------------- palette
PAGE = (201, 199, 199)        # page background of every page
ACCENT = (92, 3, 134)         # product colour, the one accent
ACCENT_LIGHT = (138, 62, 182)
ACCENT_TINT = (222, 208, 234)
ACCENT_TINT_DARK = (196, 170, 216)
KEY = (255, 0, 255)           # magenta transparency key
GREEN_KEY = (0, 255, 0)       # tree image key
INK = (64, 58, 72)            # dark glyphs
LINE = (150, 142, 160)        # outlines of light controls
WHITE = (255, 255, 255)

# the list row, top to bottom (file pixels of an 80 px row)
ROW_TOP = (251, 250, 252)
ROW_BOTTOM = (233, 231, 236)
ROW_HIGHLIGHT = (255, 255, 255)
ROW_SEPARATOR = (196, 192, 201)

SS = 4  # supersampling factor for smooth shapes

FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"


# ---------------------------------------------------------------- helpers
def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def gradient_colour(stops, t):
    """stops: list of (position 0..1, colour)."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, (t - p0) / (p1 - p0) if p1 > p0 else 0)
    return stops[-1][1]


def vgradient(w, h, stops):
    column = Image.new("RGB", (1, h))
    for y in range(h):
        column.putpixel((0, y), gradient_colour(stops, y / max(1, h - 1)))
    return column.resize((w, h), Image.NEAREST)


def hgradient(w, h, stops):
    line = Image.new("RGB", (w, 1))
    for x in range(w):
        line.putpixel((x, 0), gradient_colour(stops, x / max(1, w - 1)))
    return line.resize((w, h), Image.NEAREST)


def mask(w, h, draw):
    """Anti-aliased coverage mask; draw(d, s) paints with 255 in units scaled by s."""
    big = Image.new("L", (w * SS, h * SS), 0)
    draw(ImageDraw.Draw(big), SS)
    return big.reduce(SS)


def sc(box, s):
    return [v * s for v in box]


def rrect(box, r):
    return lambda d, s: d.rounded_rectangle(sc(box, s), r * s, fill=255)


def ellipse(box):
    return lambda d, s: d.ellipse(sc(box, s), fill=255)


def lines(points, width, closed=False):
    def draw(d, s):
        pts = [(x * s, y * s) for x, y in points]
        if closed:
            pts.append(pts[0])
        d.line(pts, fill=255, width=int(width * s), joint="curve")
        for x, y in pts:   # round caps
            rr = width * s / 2
            d.ellipse((x - rr, y - rr, x + rr, y + rr), fill=255)
    return draw


def polygon(points):
    return lambda d, s: d.polygon([(x * s, y * s) for x, y in points], fill=255)


def paint(base, fill, m):
    """Paints a colour or an image through a coverage mask."""
    if isinstance(fill, tuple):
        fill = Image.new("RGB", base.size, fill)
    base.paste(fill, (0, 0), m)


def shrink(m, px):
    """Coverage mask grown inwards by px pixels (for borders)."""
    from PIL import ImageFilter
    return m.filter(ImageFilter.MinFilter(px * 2 + 1)) if px > 0 else m


def key_outside(img, m, key=KEY):
    """Hard key: pixels less than half covered by the shape become the key colour."""
    out = img.copy()
    hard = m.point(lambda v: 0 if v >= 128 else 255)
    paint(out, key, hard)
    return out


def row_background(w, h=80):
    """The list row: soft vertical gradient, white top line, darker separator."""
    img = vgradient(w, h, [(0.0, ROW_TOP), (1.0, ROW_BOTTOM)])
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, w - 1, 1), fill=ROW_HIGHLIGHT)
    d.rectangle((0, h - 2, w - 1, h - 1), fill=ROW_SEPARATOR)
    return img


def light_face(w, h, r, pressed, back, border=2):
    """A rounded light control face (buttons) on a given backdrop colour."""
    img = Image.new("RGB", (w, h), back)
    outer = mask(w, h, rrect((0.5, 0.5, w - 0.5, h - 2.5), r))
    shadow = mask(w, h, rrect((0.5, 2.0, w - 0.5, h - 0.5), r))
    paint(img, mix(back, (120, 112, 128), 0.55), shadow)
    if pressed:
        edge = ACCENT
        fill = vgradient(w, h, [(0, ACCENT_TINT_DARK), (1, ACCENT_TINT)])
    else:
        edge = LINE
        fill = vgradient(w, h, [(0, WHITE), (0.55, (243, 241, 246)), (1, (226, 223, 231))])
    paint(img, edge, outer)
    inner = mask(w, h, rrect((0.5 + border, 0.5 + border, w - 0.5 - border, h - 2.5 - border),
                             max(1, r - border)))
    paint(img, fill, inner)
    if not pressed:   # soft top highlight
        gloss = mask(w, h, rrect((border + 2, border + 1, w - border - 2, border + 3), 2))
        paint(img, WHITE, gloss)
    return img


def save_jpeg(img, name, quality=95):
    img.convert("RGB").save(os.path.join(HERE, name), quality=quality, subsampling=0,
                            optimize=True)


def save_png(img, name):
    img.convert("RGB").save(os.path.join(HERE, name), optimize=True)


def save_gif(img, name, key=KEY):
    """Palette image; the key colour gets an exact entry of its own."""
    rgb = img.convert("RGB")
    px = rgb.load()
    w, h = rgb.size
    keyed = [(x, y) for y in range(h) for x in range(w) if px[x, y] == key]
    filler = rgb.copy()
    fp = filler.load()
    for x, y in keyed:
        fp[x, y] = WHITE
    pal = filler.quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    palette = pal.getpalette()[:255 * 3]
    palette += [0] * (255 * 3 - len(palette)) + list(key)
    pal.putpalette(palette)
    pp = pal.load()
    for x, y in keyed:
        pp[x, y] = 255
    pal.save(os.path.join(HERE, name))


def save_green_keyed_jpeg(img, bg_mask, name):
    """JPEG with an exact green key: the key area is written at a YCbCr value that
    decodes to (0, 255, 0) with margin for the coder's rounding."""
    ycc = img.convert("RGB").convert("YCbCr")
    yp = ycc.load()
    mp = bg_mask.load()
    w, h = img.size
    for y in range(h):
        for x in range(w):
            if mp[x, y]:
                yp[x, y] = (150, 41, 19)
    ycc.save(os.path.join(HERE, name), quality=100, subsampling=0)


# ---------------------------------------------------------------- skin
def make_item():
    save_jpeg(row_background(480), "item.jpg")


SCROLL_W = 44


def scroll_column(h):
    img = hgradient(SCROLL_W, h, [(0, (186, 183, 190)), (0.5, (214, 212, 217)), (1, (200, 197, 203))])
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, 1, h - 1), fill=(168, 164, 173))
    return img


def make_scrollbar():
    save_png(scroll_column(400), "scrollbar.png")


def make_scroll_button(up, pressed):
    w, h = SCROLL_W, 60
    img = scroll_column(h)
    box = (5, 4, w - 3, h - 4)
    paint(img, mix((214, 212, 217), (110, 100, 120), 0.5), mask(w, h, rrect((5, 6, w - 3, h - 2), 9)))
    paint(img, ACCENT if pressed else LINE, mask(w, h, rrect(box, 9)))
    if pressed:
        fill = vgradient(w, h, [(0, ACCENT_LIGHT), (1, ACCENT)])
    else:
        fill = vgradient(w, h, [(0, WHITE), (1, (228, 225, 233))])
    paint(img, fill, mask(w, h, rrect((7, 6, w - 5, h - 6), 7)))
    cx, cy = (box[0] + box[2]) / 2, h / 2
    dy = -5 if up else 5
    chevron = [(cx - 9, cy - dy), (cx, cy + dy), (cx + 9, cy - dy)]
    paint(img, WHITE if pressed else ACCENT, mask(w, h, lines(chevron, 5)))
    save_jpeg(img, "%s%s.jpg" % ("scrollup" if up else "scrolldown", "_push" if pressed else ""))


def make_button(pressed):
    save_png(light_face(148, 60, 14, pressed, PAGE), "button_push.png" if pressed else "button.png")


def make_cpuusage():
    w = h = 32
    back = (236, 234, 239)
    img = Image.new("RGB", (w, h), back)
    disc = mask(w, h, ellipse((1, 1, 31, 31)))
    paint(img, INK, disc)
    paint(img, vgradient(w, h, [(0, WHITE), (1, (226, 222, 232))]), mask(w, h, ellipse((3.5, 3.5, 28.5, 28.5))))

    def arc(start, end, colour):
        def draw(d, s):
            d.arc(sc((7, 7, 25, 25), s), start, end, fill=255, width=4 * s)
        paint(img, colour, mask(w, h, draw))
    arc(135, 405, (205, 200, 212))      # scale
    arc(135, 300, ACCENT_LIGHT)         # load
    ang = math.radians(300)
    tip = (16 + 9 * math.cos(ang), 16 + 9 * math.sin(ang))
    paint(img, INK, mask(w, h, lines([(16, 16), tip], 3)))
    paint(img, INK, mask(w, h, ellipse((13, 13, 19, 19))))
    save_png(key_outside(img, disc), "cpuusage.png")


def make_run_indicator(on):
    w = h = 32
    back = (236, 234, 239)
    img = Image.new("RGB", (w, h), back)
    disc = mask(w, h, ellipse((2, 2, 30, 30)))
    if on:
        paint(img, ACCENT, disc)
        paint(img, vgradient(w, h, [(0, (176, 112, 214)), (1, ACCENT)]), mask(w, h, ellipse((4, 4, 28, 28))))
        paint(img, WHITE, mask(w, h, polygon([(12.5, 9.5), (23.5, 16), (12.5, 22.5)])))
    else:
        paint(img, (150, 146, 156), disc)
        paint(img, vgradient(w, h, [(0, (238, 236, 240)), (1, (214, 211, 218))]),
              mask(w, h, ellipse((4, 4, 28, 28))))
        paint(img, (150, 146, 156), mask(w, h, rrect((11, 11, 21, 21), 2)))
    save_png(key_outside(img, disc), "ind_on.png" if on else "ind_off.png")


def make_sliderbar():
    w, h = 288, 16
    img = vgradient(w, h, [(0, (176, 172, 182)), (1, (222, 219, 226))])
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, w - 1, 1), fill=(140, 134, 148))
    d.rectangle((0, h - 2, w - 1, h - 1), fill=(246, 245, 248))
    d.rectangle((0, 0, 1, h - 1), fill=(150, 144, 158))
    d.rectangle((w - 2, 0, w - 1, h - 1), fill=(150, 144, 158))
    save_jpeg(img, "sliderbar.jpg")


def make_slider():
    w, h = 20, 32
    img = vgradient(w, h, [(0, ACCENT_LIGHT), (1, ACCENT)])
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, w - 1, h - 1), outline=(60, 0, 92), width=2)
    d.rectangle((2, 2, w - 3, 3), fill=(186, 140, 216))
    for y in (12, 16, 20):
        d.rectangle((6, y, w - 7, y + 1), fill=(226, 206, 240))
    save_jpeg(img, "slider.jpg")


def make_db_indicator(on):
    w, h = 24, 72
    img = row_background(w, 80).crop((0, 4, w, 4 + h))
    pill = (6, 6, 18, 66)
    if on:
        paint(img, ACCENT, mask(w, h, rrect(pill, 6)))
        paint(img, vgradient(w, h, [(0, (170, 100, 212)), (1, ACCENT)]),
              mask(w, h, rrect((8, 8, 16, 64), 4)))
        paint(img, WHITE, mask(w, h, ellipse((9, 30, 15, 36))))
    else:
        paint(img, (176, 172, 182), mask(w, h, rrect(pill, 6)))
        paint(img, (232, 230, 235), mask(w, h, rrect((8, 8, 16, 64), 4)))
    save_jpeg(img, "ind_db_on.jpg" if on else "ind_db_off.jpg")


def make_buttonsmall(pressed):
    w = h = 36
    back = (236, 234, 239)
    img = Image.new("RGB", (w, h), back)
    shape = mask(w, h, rrect((1, 1, 35, 35), 10))
    paint(img, ACCENT if pressed else LINE, shape)
    if pressed:
        fill = vgradient(w, h, [(0, ACCENT_TINT_DARK), (1, ACCENT_TINT)])
    else:
        fill = vgradient(w, h, [(0, WHITE), (1, (226, 223, 231))])
    paint(img, fill, mask(w, h, rrect((3, 3, 33, 33), 8)))
    save_png(key_outside(img, shape), "buttonsmall_push.png" if pressed else "buttonsmall.png")


def make_toggle(on):
    w, h = 88, 80
    img = row_background(w, h)
    track = (14, 25, 74, 55)
    paint(img, mix(ROW_BOTTOM, (90, 80, 100), 0.35), mask(w, h, rrect((14, 27, 74, 57), 15)))
    if on:
        paint(img, ACCENT, mask(w, h, rrect(track, 15)))
        paint(img, vgradient(w, h, [(0.3, ACCENT), (0.7, ACCENT_LIGHT)]),
              mask(w, h, rrect((16, 27, 72, 53), 13)))
        knob = (46, 28, 70, 52)
    else:
        paint(img, (160, 155, 166), mask(w, h, rrect(track, 15)))
        paint(img, vgradient(w, h, [(0.3, (198, 194, 202)), (0.7, (220, 217, 223))]),
              mask(w, h, rrect((16, 27, 72, 53), 13)))
        knob = (18, 28, 42, 52)
    paint(img, (120, 110, 130), mask(w, h, ellipse((knob[0], knob[1] + 1, knob[2], knob[3] + 1))))
    paint(img, vgradient(w, h, [(0.3, WHITE), (0.7, (232, 230, 236))]), mask(w, h, ellipse(knob)))
    save_jpeg(img, "item_on.jpg" if on else "item_off.jpg")


def emblem(img, box):
    """The product mark: a rounded purple tile with a bold V and two speed lines."""
    w, h = img.size
    x0, y0, x1, y1 = box
    size = x1 - x0
    paint(img, mix(PAGE, (90, 80, 100), 0.5), mask(w, h, rrect((x0, y0 + 2, x1, y1 + 2), size * 0.24)))
    paint(img, vgradient(w, h, [(y0 / h, ACCENT_LIGHT), (y1 / h, ACCENT)]),
          mask(w, h, rrect(box, size * 0.24)))
    u = size / 72.0
    v = [(x0 + 22 * u, y0 + 20 * u), (x0 + 38 * u, y0 + 52 * u), (x0 + 54 * u, y0 + 20 * u)]
    paint(img, WHITE, mask(w, h, lines(v, 9 * u)))
    for i, yy in enumerate((28, 38)):
        paint(img, (214, 190, 234), mask(w, h, lines([(x0 + (8 + 3 * i) * u, y0 + yy * u),
                                                       (x0 + (16 + 3 * i) * u, y0 + yy * u)], 3.5 * u)))


def make_logo():
    w, h = 300, 100
    img = Image.new("RGB", (w, h), PAGE)
    emblem(img, (14, 16, 82, 84))
    font = ImageFont.truetype(FONT_BOLD, 46)
    text = "Vantora"
    big = Image.new("L", (w * SS, h * SS), 0)
    bigfont = ImageFont.truetype(FONT_BOLD, 46 * SS)
    d = ImageDraw.Draw(big)
    bbox = d.textbbox((0, 0), text, font=bigfont)
    tx = 96 * SS - bbox[0]
    ty = (h * SS - (bbox[3] - bbox[1])) // 2 - bbox[1]
    shadow = Image.new("L", big.size, 0)
    ImageDraw.Draw(shadow).text((tx, ty + 2 * SS), text, font=bigfont, fill=255)
    d.text((tx, ty), text, font=bigfont, fill=255)
    paint(img, mix(PAGE, WHITE, 0.6), shadow.reduce(SS))
    paint(img, vgradient(w, h, [(0.25, ACCENT_LIGHT), (0.75, ACCENT)]), big.reduce(SS))
    del font
    save_png(img, "logo.png")


# ---------------------------------------------------------------- tree images
def tree_icon(kind, size):
    """One tree image on the key green; returns (image, background mask)."""
    n = size
    u = n / 22.0
    img = Image.new("RGB", (n, n), GREEN_KEY)
    cover = Image.new("L", (n, n), 0)

    def put(fill, m):
        paint(img, fill, m)
        cover.paste(255, (0, 0), m.point(lambda v: 255 if v >= 128 else 0))

    def R(x0, y0, x1, y1, r):
        return mask(n, n, rrect((x0 * u, y0 * u, x1 * u, y1 * u), r * u))

    def P(pts):
        return mask(n, n, polygon([(x * u, y * u) for x, y in pts]))

    amber_dark, amber, amber_light = (150, 100, 20), (240, 186, 66), (252, 218, 120)
    if kind == "closed":
        put(amber_dark, R(1, 4, 21, 19, 2))
        put(amber_dark, R(1, 3, 9, 7, 1.5))
        put(vgradient(n, n, [(0, amber_light), (1, amber)]), R(2, 6, 20, 18, 1.5))
        put(amber_light, R(2, 4, 8, 6.5, 1))
    elif kind == "open":
        put(amber_dark, R(1, 3, 19, 19, 2))
        put(vgradient(n, n, [(0, amber), (1, (214, 156, 44))]), R(2, 4, 18, 18, 1.5))
        put(WHITE, R(4, 6, 17, 13, 1))
        put(amber_dark, P([(4, 9), (21.5, 9), (18.5, 19.5), (0.5, 19.5)]))
        put(vgradient(n, n, [(0.4, amber_light), (1, amber)]), P([(5, 10.2), (20, 10.2), (17.6, 18.3), (2.2, 18.3)]))
    else:   # program file: a window with a title bar in the accent colour
        put(INK, R(1, 3, 21, 19, 2))
        put(vgradient(n, n, [(0, WHITE), (1, (228, 226, 232))]), R(2, 7, 20, 18, 1))
        put(vgradient(n, n, [(0, ACCENT_LIGHT), (1, ACCENT)]), R(2, 4, 20, 7.5, 1))
        put(ACCENT_TINT_DARK, R(4, 10, 12, 12, 0.5))
        put(ACCENT_TINT_DARK, R(4, 14, 17, 16, 0.5))
    bg = cover.point(lambda v: 0 if v else 255)
    paint(img, GREEN_KEY, bg)
    return img, bg


def make_tree_strips():
    for number, n in ((1, 22), (2, 44)):
        kinds = ("open", "closed", "file")
        strip = Image.new("RGB", (n * len(kinds), n), GREEN_KEY)
        bg = Image.new("L", strip.size, 255)
        for i, kind in enumerate(kinds):
            icon, m = tree_icon(kind, n)
            strip.paste(icon, (i * n, 0))
            bg.paste(m, (i * n, 0))
        save_green_keyed_jpeg(strip, bg, "tvf_f%d.jpg" % number)


# ---------------------------------------------------------------- close button program
def quitlet_glyph(mode, colour, w, h, img, x0):
    cx, cy = x0 + 20, 20
    if mode == 0:      # minimise: a bar at the bottom
        g = lines([(cx - 8, cy + 6), (cx + 8, cy + 6)], 5)
    elif mode == 1:    # close: a cross
        def g(d, s, a=lines([(cx - 7, cy - 7), (cx + 7, cy + 7)], 5),
              b=lines([(cx + 7, cy - 7), (cx - 7, cy + 7)], 5)):
            a(d, s)
            b(d, s)
    else:              # menu: three lines
        def g(d, s):
            for dy in (-8, 0, 8):
                lines([(cx - 8, cy + dy), (cx + 8, cy + dy)], 4)(d, s)
    paint(img, colour, mask(w, h, g))


def make_quitlet():
    w, h = 240, 40
    img = Image.new("RGB", (w, h), (70, 70, 90))
    shape = Image.new("L", (w, h), 0)
    for frame in range(6):
        mode, pressed = frame % 3, frame >= 3
        x0 = frame * 40
        m = mask(w, h, rrect((x0 + 1, 1, x0 + 39, 39), 9))
        shape.paste(255, (0, 0), m)
        paint(img, (40, 0, 64) if not pressed else ACCENT, m)
        inner = mask(w, h, rrect((x0 + 3, 3, x0 + 37, 37), 7))
        if pressed:
            paint(img, vgradient(w, h, [(0, ACCENT_TINT), (1, ACCENT_TINT_DARK)]), inner)
            quitlet_glyph(mode, ACCENT, w, h, img, x0)
        else:
            paint(img, vgradient(w, h, [(0, (164, 92, 206)), (1, ACCENT)]), inner)
            quitlet_glyph(mode, WHITE, w, h, img, x0)
    save_gif(key_outside(img, shape), "quitlet.gif")


# The menu icons in strip order (the menu asks for them by these numbers).
QUITLET_ICONS = [
    "mode minimise", "mode close", "mode menu", "minimise", "close application",
    "close all", "close all but this", "switch to", "close submenu", "task",
    "system submenu", "system action", "today", "mode submenu",
]


def make_quitletic():
    n = 32
    w = n * len(QUITLET_ICONS)
    img = Image.new("RGB", (w, n), WHITE)

    def P(fill, f):
        paint(img, fill, mask(w, n, f))

    def window(x, y0, x1, y1, front=True):
        P(INK if front else (112, 106, 120), rrect((x, y0, x1, y1), 3))
        P(WHITE if front else (226, 223, 230), rrect((x + 2, y0 + 6, x1 - 2, y1 - 2), 1.5))
        P(ACCENT if front else ACCENT_LIGHT, rrect((x + 2, y0 + 2, x1 - 2, y0 + 6), 1))

    def cross(cx, cy, r, col, width=3.5):
        P(col, lines([(cx - r, cy - r), (cx + r, cy + r)], width))
        P(col, lines([(cx + r, cy - r), (cx - r, cy + r)], width))

    def badge(x, mode):
        P(ACCENT, rrect((x + 4, 4, x + 28, 28), 6))
        P(vgradient(w, n, [(0, (164, 92, 206)), (1, ACCENT)]), rrect((x + 5.5, 5.5, x + 26.5, 26.5), 5))
        if mode == 0:
            P(WHITE, lines([(x + 11, 21), (x + 21, 21)], 3.5))
        elif mode == 1:
            cross(x + 16, 16, 5, WHITE)
        else:
            for yy in (11, 16, 21):
                P(WHITE, lines([(x + 11, yy), (x + 21, yy)], 3))

    for k in range(len(QUITLET_ICONS)):
        x = k * n
        if k <= 2:
            badge(x, k)
        elif k == 3:       # minimise: window with a down arrow
            window(x + 3, 4, x + 29, 24)
            P(ACCENT, lines([(x + 16, 12), (x + 16, 27)], 3.5))
            P(ACCENT, lines([(x + 10, 22), (x + 16, 28), (x + 22, 22)], 3.5))
        elif k == 4:       # close application
            window(x + 3, 4, x + 29, 28)
            cross(x + 16, 18, 5, ACCENT)
        elif k == 5:       # close all: stacked windows, crossed
            window(x + 9, 2, x + 31, 20, front=False)
            P(WHITE, rrect((x - 1, 8, x + 25, 32), 4))
            window(x + 1, 10, x + 23, 30)
            cross(x + 12, 21, 4.5, ACCENT)
        elif k == 6:       # close all but this: the back one crossed, the front one kept
            window(x + 1, 2, x + 21, 18, front=False)
            cross(x + 11, 12, 3.5, ACCENT, 3)
            P(WHITE, rrect((x + 8, 10, x + 33, 32), 4))
            window(x + 10, 12, x + 31, 30)
        elif k == 7:       # switch to: two arrows
            P(ACCENT, lines([(x + 5, 11), (x + 25, 11)], 3.5))
            P(ACCENT, lines([(x + 20, 5), (x + 26, 11), (x + 20, 17)], 3.5))
            P(INK, lines([(x + 27, 21), (x + 7, 21)], 3.5))
            P(INK, lines([(x + 12, 15), (x + 6, 21), (x + 12, 27)], 3.5))
        elif k == 8:       # close submenu: a list with a cross
            for yy in (7, 14, 21):
                P(INK, lines([(x + 4, yy), (x + 17, yy)], 3))
            cross(x + 23, 21, 4.5, ACCENT)
        elif k == 9:       # a task
            window(x + 4, 5, x + 28, 27)
        elif k == 10:      # system: a gear
            cx, cy = x + 16, 16
            pts = []
            for i in range(32):
                a = i * math.pi / 16
                r = 13 if (i // 2) % 2 == 0 else 9.5
                pts.append((cx + r * math.cos(a + math.pi / 16), cy + r * math.sin(a + math.pi / 16)))
            P(INK, polygon(pts))
            P(WHITE, ellipse((cx - 4.5, cy - 4.5, cx + 4.5, cy + 4.5)))
        elif k == 11:      # a system action: power symbol
            def ring(d, s, cx=x + 16):
                d.arc(sc((cx - 10, 7, cx + 10, 27), s), 300, 600, fill=255, width=int(3.5 * s))
            P(ACCENT, ring)
            P(ACCENT, lines([(x + 16, 4), (x + 16, 15)], 3.5))
        elif k == 12:      # today: a house
            P(INK, polygon([(x + 16, 3), (x + 30, 16), (x + 2, 16)]))
            P(INK, rrect((x + 6, 14, x + 26, 29), 1.5))
            P(WHITE, rrect((x + 9, 16, x + 23, 27), 1))
            P(ACCENT, rrect((x + 13, 19, x + 19, 29), 1))
        elif k == 13:      # mode submenu: two sliders
            for yy, kx in ((10, 21), (22, 11)):
                P((170, 164, 178), lines([(x + 4, yy), (x + 28, yy)], 3))
                P(ACCENT, ellipse((x + kx - 4.5, yy - 4.5, x + kx + 4.5, yy + 4.5)))
    save_gif(img, "quitletic.gif")


# ---------------------------------------------------------------- benchmark
def make_item_dual():
    fw, h = 160, 56
    img = Image.new("RGB", (fw * 2, h), PAGE)
    img.paste(light_face(fw, h, 12, False, PAGE), (0, 0))
    img.paste(light_face(fw, h, 12, True, PAGE), (fw, 0))
    save_png(img, "item-dual.png")


class Noise:
    """Smooth value noise, deterministic."""

    def __init__(self, seed, cells):
        rnd = random.Random(seed)
        self.cells = cells
        self.v = [[rnd.random() for _ in range(cells)] for _ in range(cells)]

    def at(self, x, y):   # x, y wrap around 0..1
        c = self.cells
        fx, fy = (x % 1.0) * c, (y % 1.0) * c
        ix, iy = int(fx), int(fy)
        tx, ty = fx - ix, fy - iy
        tx, ty = tx * tx * (3 - 2 * tx), ty * ty * (3 - 2 * ty)
        x0, x1, y0, y1 = ix % c, (ix + 1) % c, iy % c, (iy + 1) % c
        a = self.v[y0][x0] + (self.v[y0][x1] - self.v[y0][x0]) * tx
        b = self.v[y1][x0] + (self.v[y1][x1] - self.v[y1][x0]) * tx
        return a + (b - a) * ty


def make_benchmark_picture():
    """A small landscape: evening sky, sun, mountains, hills, a lake and a meadow."""
    w = h = 240
    rnd = random.Random(7)
    n_big, n_mid, n_fine = Noise(1, 4), Noise(2, 12), Noise(3, 48)
    img = Image.new("RGB", (w, h))
    px = img.load()
    horizon = 138
    sun = (168, 96, 15)

    def ridge(x, base, amp, noise, scale=1.0):
        return base - amp * noise.at(x / w * scale % 1.0, 0.37)

    for y in range(h):
        for x in range(w):
            fx, fy = x / w, y / h
            fine = n_fine.at(fx, fy) - 0.5
            mountain = ridge(x, 120, 48, n_big) - 16 * (n_mid.at(fx, 0.2) - 0.5)
            hill = ridge(x, 136, 22, n_mid, 0.6) + 3 * (n_fine.at(fx, 0.7) - 0.5)
            if y < horizon and y < mountain:      # sky with sun glow and clouds
                t = y / horizon
                c = gradient_colour([(0, (58, 92, 158)), (0.55, (150, 150, 190)),
                                     (0.85, (236, 176, 150)), (1, (250, 206, 150))], t)
                dist = math.hypot(x - sun[0], y - sun[1])
                glow = max(0.0, 1 - dist / 90.0) ** 2
                c = mix(c, (255, 236, 190), glow * 0.85)
                if dist < sun[2]:
                    c = (255, 246, 222)
                cloud = n_mid.at(fx * 0.5 + 0.1, fy * 2.5) * n_big.at(fx, fy * 2)
                if cloud > 0.3 and y < 100:
                    c = mix(c, (246, 226, 226), min(1.0, (cloud - 0.3) * 3) * 0.6)
            elif y < horizon and y < hill:        # distant mountains, hazy
                t = (y - mountain) / 40.0
                c = mix((104, 110, 150), (150, 140, 170), min(1.0, max(0.0, t)))
                c = mix(c, (120, 116, 150), n_mid.at(fx * 2 % 1.0, fy) * 0.4)
                snow = 5 + 10 * n_mid.at(fx * 1.7 % 1.0, 0.6) - (mountain - 70) * 0.12
                if y < mountain + snow:                # snow on the high ridges
                    c = mix(c, (236, 234, 242), 0.75 * min(1.0, (mountain + snow - y) / 3.0))
            elif y < horizon:                     # green hills with trees
                t = (y - hill) / 20.0
                c = mix((64, 98, 60), (38, 72, 40), min(1.0, max(0.0, t)))
                if n_fine.at(fx * 3 % 1.0, fy * 3 % 1.0) > 0.62:
                    c = mix(c, (24, 48, 28), 0.7)
            elif y < 190:                         # lake: mirrored sky and hills, ripples
                my = 2 * horizon - y + int(3 * math.sin(y * 0.9 + x * 0.05))
                sx = min(w - 1, max(0, x + int(2 * math.sin(y * 1.3))))
                src = px[sx, max(0, min(horizon - 1, my))] if my < horizon else (60, 80, 120)
                c = mix(src, (40, 64, 100), 0.35 + (y - horizon) / 200.0)
                ripple = math.sin(y * 1.7 + 6 * n_mid.at(fx, fy * 3 % 1.0)) * n_fine.at(fx, fy)
                if ripple > 0.25:
                    c = mix(c, (250, 236, 220), (ripple - 0.25) * 0.5)
            else:                                 # meadow with grass texture and flowers
                t = (y - 190) / 50.0
                c = mix((92, 138, 62), (50, 96, 40), t)
                c = mix(c, (130, 170, 70), max(0.0, n_fine.at(fx * 4 % 1.0, fy * 4 % 1.0) - 0.45))
                if rnd.random() < 0.012:
                    c = rnd.choice([(240, 220, 80), (236, 236, 240), (200, 90, 150)])
            grain = int(fine * 10) + rnd.randint(-3, 3)
            px[x, y] = tuple(max(0, min(255, v + grain)) for v in c)
    # shore line between lake and meadow
    d = ImageDraw.Draw(img)
    for x in range(w):
        y0 = 188 + int(2 * math.sin(x * 0.11))
        d.line((x, y0, x, y0 + 3), fill=(118, 110, 84))
    save_jpeg(img, "benchmark.jpg", quality=88)


def main():
    make_item()
    make_scrollbar()
    for up in (True, False):
        for pressed in (False, True):
            make_scroll_button(up, pressed)
    make_button(False)
    make_button(True)
    make_cpuusage()
    make_run_indicator(True)
    make_run_indicator(False)
    make_sliderbar()
    make_slider()
    make_db_indicator(True)
    make_db_indicator(False)
    make_buttonsmall(False)
    make_buttonsmall(True)
    make_toggle(True)
    make_toggle(False)
    make_logo()
    make_tree_strips()
    make_quitlet()
    make_quitletic()
    make_item_dual()
    make_benchmark_picture()


if __name__ == "__main__":
    main()
