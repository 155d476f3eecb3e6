#!/usr/bin/env python3
"""Draws the launcher's artwork: the skin picture, the pictures of the window layouts, the
program icon, and the resource script that compiles them into the executable.

Usage: make_assets.py RESOURCE_DIR SKIN_FILE

Everything is drawn from shapes given by signed distance functions, so every edge is smooth and
nothing binary is kept in the repository.
"""
import math
import os
import struct
import sys
import zlib


# --- canvas and PNG writing ---------------------------------------------------------------------

class Canvas:
    """Straight-alpha RGBA, values 0..1, composited with "over"."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]

    def blend(self, x, y, r, g, b, a):
        if a <= 0.0:
            return
        p = self.px[y * self.w + x]
        da = p[3] * (1.0 - a)
        oa = a + da
        p[0] = (r * a + p[0] * da) / oa
        p[1] = (g * a + p[1] * da) / oa
        p[2] = (b * a + p[2] * da) / oa
        p[3] = oa

    def shape(self, sdf, color, box=None, opacity=1.0):
        """Fills where sdf(x, y) < 0 with an anti-aliased edge; color(x, y) gives (r, g, b)."""
        x0, y0, x1, y1 = box or (0, 0, self.w, self.h)
        x0, y0 = max(0, int(x0)), max(0, int(y0))
        x1, y1 = min(self.w, int(math.ceil(x1))), min(self.h, int(math.ceil(y1)))
        for y in range(y0, y1):
            cy = y + 0.5
            for x in range(x0, x1):
                cx = x + 0.5
                d = sdf(cx, cy)
                if d >= 0.5:
                    continue
                cov = 1.0 if d <= -0.5 else 0.5 - d
                r, g, b = color(cx, cy)
                self.blend(x, y, r, g, b, cov * opacity)

    def rgba_bytes(self):
        out = bytearray()
        for y in range(self.h):
            out.append(0)  # filter: none
            for p in self.px[y * self.w:(y + 1) * self.w]:
                a = p[3]
                if a <= 0.0:
                    out += b"\0\0\0\0"
                else:
                    out += bytes((to8(p[0]), to8(p[1]), to8(p[2]), to8(a)))
        return bytes(out)


def to8(v):
    return max(0, min(255, int(round(v * 255))))


def png_bytes(canvas):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)
    ihdr = struct.pack(">IIBBBBB", canvas.w, canvas.h, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(canvas.rgba_bytes(), 9)) + chunk(b"IEND", b""))


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


# --- shapes -------------------------------------------------------------------------------------

def rrect(cx, cy, hw, hh, r):
    def sdf(x, y):
        qx, qy = abs(x - cx) - hw + r, abs(y - cy) - hh + r
        return math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - r
    return sdf


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - width / 2.0


def segment(ax, ay, bx, by, width):
    def sdf(x, y):
        px, py, vx, vy = x - ax, y - ay, bx - ax, by - ay
        t = max(0.0, min(1.0, (px * vx + py * vy) / (vx * vx + vy * vy)))
        return math.hypot(px - vx * t, py - vy * t) - width / 2.0
    return sdf


def union(*sdfs):
    return lambda x, y: min(s(x, y) for s in sdfs)


def subtract(a, b):
    return lambda x, y: max(a(x, y), -b(x, y))


def star(cx, cy, r_out, r_in, points, turn=0.0):
    """A star as a polygon; distance by the nearest edge, sign by winding."""
    verts = []
    for i in range(points * 2):
        ang = turn + math.pi * i / points
        r = r_out if i % 2 == 0 else r_in
        verts.append((cx + r * math.sin(ang), cy - r * math.cos(ang)))
    return polygon(verts)


def polygon(verts):
    def sdf(x, y):
        d = float("inf")
        inside = False
        n = len(verts)
        for i in range(n):
            ax, ay = verts[i]
            bx, by = verts[(i + 1) % n]
            vx, vy, px, py = bx - ax, by - ay, x - ax, y - ay
            t = max(0.0, min(1.0, (px * vx + py * vy) / (vx * vx + vy * vy)))
            d = min(d, math.hypot(px - vx * t, py - vy * t))
            if (ay > y) != (by > y) and x < ax + (y - ay) * vx / vy:
                inside = not inside
        return -d if inside else d
    return sdf


def solid(r, g, b):
    c = (r / 255.0, g / 255.0, b / 255.0)
    return lambda x, y: c


def vgradient(y0, c0, y1, c1):
    a = [v / 255.0 for v in c0]
    b = [v / 255.0 for v in c1]

    def color(x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))
    return color


def radial(cx, cy, r, c0, c1):
    a = [v / 255.0 for v in c0]
    b = [v / 255.0 for v in c1]

    def color(x, y):
        t = max(0.0, min(1.0, math.hypot(x - cx, y - cy) / r))
        return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))
    return color


# --- the skin -----------------------------------------------------------------------------------

GOLD = (214, 172, 92)
EMBER = (150, 44, 20)


def emblem(c, cx, cy, r):
    """The product's emblem: a gold medallion with an eight-pointed star."""
    box = (cx - r - 2, cy - r - 2, cx + r + 2, cy + r + 2)
    c.shape(circle(cx, cy, r), radial(cx - r * 0.3, cy - r * 0.3, r * 1.6, (250, 214, 130), (120, 70, 24)), box)
    c.shape(circle(cx, cy, r * 0.86), radial(cx, cy, r * 0.86, (90, 24, 12), (40, 10, 6)), box)
    c.shape(ring(cx, cy, r * 0.78, max(1.0, r * 0.02)), solid(*GOLD), box)
    c.shape(star(cx, cy, r * 0.7, r * 0.3, 8), radial(cx, cy, r * 0.7, (255, 228, 150), GOLD), box)
    c.shape(circle(cx, cy, r * 0.16), radial(cx, cy, r * 0.16, (255, 240, 200), EMBER), box)


def skin(w=1024, h=651):
    c = Canvas(w, h)
    # The card that the login page lies in: the browser area is (328, 175)-(931, 554).
    pcx, pcy, phw, phh, pr = 630, 357, 330, 228, 18
    card = rrect(pcx, pcy, phw, phh, pr)
    box = (pcx - phw - 40, pcy - phh - 40, pcx + phw + 40, pcy + phh + 40)
    # A soft shadow: the partly transparent rim around the card.
    for y in range(int(box[1]), int(box[3])):
        for x in range(int(box[0]), int(box[2])):
            d = card(x + 0.5, y + 0.5)
            if d > 0.0 and d < 38.0:
                c.blend(x, y, 0.0, 0.0, 0.0, 0.55 * math.exp(-d / 9.0))
    c.shape(card, vgradient(130, (46, 26, 14), 585, (22, 10, 6)), box)
    header = subtract(card, lambda x, y: 176.0 - y)  # the card above y = 176
    c.shape(header, vgradient(130, (92, 52, 24), 176, (52, 28, 14)), box)
    c.shape(rrect(pcx, 176.5, phw - 6, 0.75, 0.5), solid(*GOLD), box)
    # The frame round the browser area.
    c.shape(subtract(rrect(629.5, 364.5, 304.5, 192.5, 3), rrect(629.5, 364.5, 301.5, 189.5, 1)),
            solid(120, 86, 40), (320, 168, 940, 562))
    # Ornaments along the bottom edge of the card.
    for i in range(9):
        x = 372 + i * 64
        c.shape(star(x, 570, 5, 2, 4), solid(*GOLD), (x - 7, 562, x + 7, 578))
    emblem(c, 210, 330, 170)
    return c


def small_skin(w, h):
    """A skin of another size, for the tests that check the window takes the picture's size."""
    c = Canvas(w, h)
    card = rrect(w / 2, h / 2, w / 2 - 20, h / 2 - 20, 12)
    c.shape(card, vgradient(20, (46, 26, 14), h - 20, (22, 10, 6)))
    emblem(c, w / 2, h / 2, min(w, h) / 4)
    return c


# --- the layouts' pictures ----------------------------------------------------------------------

def button(w, h, glyph, hover=False, pressed=False, accent=None):
    c = Canvas(w, h)
    base = (72, 40, 20) if not hover else (118, 66, 30)
    if pressed:
        base = (40, 22, 12)
    if hover and accent:
        base = accent
    c.shape(rrect(w / 2, h / 2, w / 2 - 0.5, h / 2 - 0.5, 4), vgradient(0, tuple(min(255, v + 30) for v in base), h, base))
    c.shape(subtract(rrect(w / 2, h / 2, w / 2 - 0.5, h / 2 - 0.5, 4), rrect(w / 2, h / 2, w / 2 - 1.5, h / 2 - 1.5, 3)),
            solid(*GOLD) if hover else solid(150, 110, 56))
    ink = solid(255, 246, 220) if hover else solid(226, 200, 150)
    glyph(c, w / 2, h / 2, min(w, h), ink)
    return c


def g_close(c, cx, cy, s, ink):
    k = s * 0.2
    c.shape(union(segment(cx - k, cy - k, cx + k, cy + k, s * 0.1), segment(cx - k, cy + k, cx + k, cy - k, s * 0.1)), ink)


def g_min(c, cx, cy, s, ink):
    c.shape(segment(cx - s * 0.22, cy + s * 0.12, cx + s * 0.22, cy + s * 0.12, s * 0.1), ink)


def g_max(c, cx, cy, s, ink):
    k = s * 0.22
    c.shape(subtract(rrect(cx, cy, k, k * 0.85, 1), rrect(cx, cy + 1.2, k - 1.6, k * 0.85 - 2.2, 0.5)), ink)


def g_restore(c, cx, cy, s, ink):
    k = s * 0.16
    back = subtract(rrect(cx + 2.5, cy - 2.5, k, k, 1), rrect(cx + 2.5, cy - 1.5, k - 1.4, k - 2.4, 0.5))
    front = subtract(rrect(cx - 1.5, cy + 1.5, k, k, 1), rrect(cx - 1.5, cy + 2.5, k - 1.4, k - 2.4, 0.5))
    c.shape(union(subtract(back, rrect(cx - 1.5, cy + 1.5, k + 1, k + 1, 1)), front), ink)


def g_boss(c, cx, cy, s, ink):
    # An eye with a bar across it: hide everything at once.
    eye = subtract(circle(cx, cy, s * 0.26), circle(cx, cy, s * 0.16))
    c.shape(union(eye, circle(cx, cy, s * 0.08), segment(cx - s * 0.3, cy + s * 0.3, cx + s * 0.3, cy - s * 0.3, s * 0.08)), ink)


def g_gear(c, cx, cy, s, ink):
    cx -= s * 0.6
    teeth = star(cx, cy, s * 0.3, s * 0.22, 8)
    c.shape(subtract(union(teeth, circle(cx, cy, s * 0.24)), circle(cx, cy, s * 0.1)), ink)
    c.shape(polygon([(cx + s * 0.7, cy - s * 0.08), (cx + s * 1.1, cy - s * 0.08), (cx + s * 0.9, cy + s * 0.14)]), ink)


def g_bubble(c, cx, cy, s, ink):
    body = rrect(cx, cy - s * 0.05, s * 0.42, s * 0.26, s * 0.12)
    tail = polygon([(cx - s * 0.2, cy + s * 0.15), (cx - s * 0.32, cy + s * 0.38), (cx, cy + s * 0.18)])
    dots = union(*[circle(cx + dx * s * 0.18, cy - s * 0.05, s * 0.05) for dx in (-1, 0, 1)])
    c.shape(subtract(union(body, tail), dots), ink)


def g_house(c, cx, cy, s, ink):
    roof = polygon([(cx - s * 0.38, cy - s * 0.02), (cx, cy - s * 0.36), (cx + s * 0.38, cy - s * 0.02)])
    walls = rrect(cx, cy + s * 0.16, s * 0.26, s * 0.2, 1)
    door = rrect(cx, cy + s * 0.24, s * 0.07, s * 0.13, 0.5)
    c.shape(subtract(union(roof, walls), door), ink)


def g_coin(c, cx, cy, s, ink):
    coin = subtract(circle(cx, cy, s * 0.34), ring(cx, cy, s * 0.25, s * 0.05))
    mark = union(segment(cx - s * 0.1, cy - s * 0.13, cx, cy, s * 0.06), segment(cx + s * 0.1, cy - s * 0.13, cx, cy, s * 0.06),
                 segment(cx, cy, cx, cy + s * 0.16, s * 0.06), segment(cx - s * 0.09, cy + s * 0.05, cx + s * 0.09, cy + s * 0.05, s * 0.05))
    c.shape(subtract(coin, mark), ink)


def g_headset(c, cx, cy, s, ink):
    band = subtract(ring(cx, cy + s * 0.04, s * 0.3, s * 0.07), lambda x, y: (cy + s * 0.04) - y)
    cups = union(rrect(cx - s * 0.3, cy + s * 0.12, s * 0.07, s * 0.12, 2), rrect(cx + s * 0.3, cy + s * 0.12, s * 0.07, s * 0.12, 2))
    c.shape(union(band, cups, segment(cx + s * 0.3, cy + s * 0.22, cx + s * 0.05, cy + s * 0.36, s * 0.05)), ink)


def title_bar(w, h):
    c = Canvas(w, h)
    c.shape(lambda x, y: -1.0, vgradient(0, (96, 54, 26), h, (44, 24, 12)))
    c.shape(lambda x, y: abs(y - (h - 1.5)) - 0.75, solid(*GOLD))
    c.shape(lambda x, y: abs(y - 0.5) - 0.5, solid(150, 100, 50), opacity=0.6)
    return c


def footer(w, h):
    c = Canvas(w, h)
    c.shape(lambda x, y: -1.0, vgradient(0, (60, 32, 16), h, (26, 12, 6)))
    c.shape(lambda x, y: abs(y - 0.5) - 0.5, solid(*GOLD), opacity=0.8)
    return c


def popup_back(w, h):
    """The announcement window: a framed panel with a title band and the close mark at the right
    of the band (the click area (230, 3, 26, 25) lies over it)."""
    c = Canvas(w, h)
    c.shape(lambda x, y: -1.0, vgradient(0, (84, 46, 22), h, (30, 16, 8)))
    c.shape(subtract(rrect(w / 2, h / 2, w / 2, h / 2, 0), rrect(w / 2, h / 2, w / 2 - 1, h / 2 - 1, 0)),
            solid(*GOLD))
    c.shape(lambda x, y: abs(y - 25.5) - 0.5, solid(*GOLD), opacity=0.7)
    c.shape(rrect(243, 15.5, 11, 10.5, 3), vgradient(4, (150, 60, 40), 27, (110, 30, 20)))
    g_close(c, 243, 15.5, 22, solid(255, 246, 220))
    return c


def logo(w, h):
    c = Canvas(w, h)
    emblem(c, w / 2, h / 2, min(w, h) / 2 - 1)
    return c


# --- the icon -----------------------------------------------------------------------------------

def ico_bytes(sizes):
    """An icon file whose images are 32-bit DIBs with their AND masks."""
    images = []
    for s in sizes:
        c = logo(s, s)
        xor = bytearray()
        for y in reversed(range(s)):  # bottom-up rows
            for p in c.px[y * s:(y + 1) * s]:
                a = p[3]
                xor += bytes((to8(p[2]), to8(p[1]), to8(p[0]), to8(a)))
        mask_stride = ((s + 31) // 32) * 4
        mask = bytearray(mask_stride * s)
        for y in range(s):
            row = s - 1 - y
            for x in range(s):
                if c.px[row * s + x][3] <= 0.0:
                    mask[y * mask_stride + x // 8] |= 0x80 >> (x % 8)
        header = struct.pack("<IiiHHIIiiII", 40, s, s * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append(header + bytes(xor) + bytes(mask))
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


# --- what the executable carries ----------------------------------------------------------------

def layout_pictures():
    """Resource name -> picture, for the login and game windows' layouts."""
    pics = {}

    def pair(name, w, h, glyph, accent=None):
        pics[name + "_NORMAL"] = button(w, h, glyph)
        pics[name + "_OVER"] = button(w, h, glyph, hover=True, accent=accent)

    red = (170, 40, 28)
    pair("LOGIN_CLOSE", 20, 20, g_close, red)
    pair("LOGIN_MIN", 20, 20, g_min)
    pair("MAIN_CLOSE", 34, 26, g_close, red)
    pair("MAIN_MAX", 28, 24, g_max)
    pics["MAIN_MAX_CHECK_NORMAL"] = button(28, 24, g_restore)
    pics["MAIN_MAX_CHECK_OVER"] = button(28, 24, g_restore, hover=True)
    pics["MAIN_MAX_CHECK_DOWN"] = button(28, 24, g_restore, pressed=True)
    pair("MAIN_MIN", 27, 24, g_min)
    pair("MAIN_BOSSKEY", 29, 24, g_boss)
    pair("MAIN_SETTING", 60, 24, g_gear)
    pair("MAIN_BBS", 57, 24, g_bubble)
    pair("MAIN_HOMEPAGE", 57, 24, g_house)
    pair("MAIN_PAY", 60, 24, g_coin)
    pair("MAIN_SERVICE", 60, 24, g_headset)
    pics["MAIN_TITLE"] = title_bar(936, 37)
    pics["MAIN_LOGO"] = logo(40, 35)
    pics["MAIN_FOOT"] = footer(936, 11)
    pics["POPUP_BACK"] = popup_back(258, 160)
    return pics


def main():
    res_dir, skin_file = sys.argv[1], sys.argv[2]
    os.makedirs(res_dir, exist_ok=True)
    write(skin_file, png_bytes(skin()))
    write(os.path.join(res_dir, "skin_small.png"), png_bytes(small_skin(400, 260)))
    lines = ["// Generated by assets/make_assets.py: the program icon and the layouts' pictures.",
             'MAINICON ICON "%s"' % os.path.join(res_dir, "tn.ico").replace("\\", "/")]
    write(os.path.join(res_dir, "tn.ico"), ico_bytes([16, 32, 48]))
    for name, pic in sorted(layout_pictures().items()):
        path = os.path.join(res_dir, name.lower() + ".png")
        write(path, png_bytes(pic))
        lines.append('%s RCDATA "%s"' % (name, path.replace("\\", "/")))
    write(os.path.join(res_dir, "assets.rc"), ("\n".join(lines) + "\n").encode())


if __name__ == "__main__":
    main()
