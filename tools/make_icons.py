#!/usr/bin/env python3
"""Draws the program's 16-colour icons (16x16 and 32x32 each) into resources/icons.

Run it again after changing a drawing; the .ico files are kept in the repository.
"""
import os
import struct
import sys

# The standard 16-colour VGA palette.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DRED, DGREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER, GREY, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE = range(16)
CLEAR = -1


class Canvas:
    def __init__(self, n):
        self.n = n
        self.px = [[CLEAR] * n for _ in range(n)]

    def s(self, v):  # scale a 16-grid coordinate
        return int(v * self.n // 16)

    def rect(self, x0, y0, x1, y1, c):
        for y in range(self.s(y0), self.s(y1)):
            for x in range(self.s(x0), self.s(x1)):
                self.px[y][x] = c

    def frame(self, x0, y0, x1, y1, c):
        X0, Y0, X1, Y1 = self.s(x0), self.s(y0), self.s(x1) - 1, self.s(y1) - 1
        for x in range(X0, X1 + 1):
            self.px[Y0][x] = self.px[Y1][x] = c
        for y in range(Y0, Y1 + 1):
            self.px[y][X0] = self.px[y][X1] = c

    def disc(self, cx, cy, r, c):
        n = self.n
        for y in range(n):
            for x in range(n):
                fx, fy = (x + 0.5) * 16 / n, (y + 0.5) * 16 / n
                if (fx - cx) ** 2 + (fy - cy) ** 2 <= r * r:
                    self.px[y][x] = c

    def line(self, pts, c, width=1.6):
        n = self.n
        for y in range(n):
            for x in range(n):
                fx, fy = (x + 0.5) * 16 / n, (y + 0.5) * 16 / n
                for (ax, ay), (bx, by) in zip(pts, pts[1:]):
                    dx, dy = bx - ax, by - ay
                    t = max(0.0, min(1.0, ((fx - ax) * dx + (fy - ay) * dy) / float(dx * dx + dy * dy)))
                    if (fx - ax - t * dx) ** 2 + (fy - ay - t * dy) ** 2 <= (width / 2) ** 2:
                        self.px[y][x] = c
                        break

    def triangle(self, pts, c):
        n = self.n
        (ax, ay), (bx, by), (cx, cy) = pts
        def side(px, py, x0, y0, x1, y1):
            return (px - x1) * (y0 - y1) - (x0 - x1) * (py - y1)
        for y in range(n):
            for x in range(n):
                fx, fy = (x + 0.5) * 16 / n, (y + 0.5) * 16 / n
                d1, d2, d3 = side(fx, fy, ax, ay, bx, by), side(fx, fy, bx, by, cx, cy), side(fx, fy, cx, cy, ax, ay)
                if not ((d1 < 0 or d2 < 0 or d3 < 0) and (d1 > 0 or d2 > 0 or d3 > 0)):
                    self.px[y][x] = c


def printer(c):
    c.rect(4, 1, 12, 6, WHITE); c.frame(4, 1, 12, 6, BLACK)
    c.rect(1, 6, 15, 12, SILVER); c.frame(1, 6, 15, 12, BLACK)
    c.rect(4, 10, 12, 15, WHITE); c.frame(4, 10, 12, 15, BLACK)
    c.rect(12, 7, 14, 8, GREEN)


def app(c):  # 101: a printer with a log sheet
    printer(c)
    c.rect(5, 12, 11, 13, NAVY)


def error(c):  # 103: red circle with a cross
    c.disc(8, 8, 7.5, DRED); c.disc(8, 8, 6.5, RED)
    c.line([(5, 5), (11, 11)], WHITE, 2.0); c.line([(11, 5), (5, 11)], WHITE, 2.0)


def notice(c):  # 104: information
    c.disc(8, 8, 7.5, NAVY); c.disc(8, 8, 6.5, BLUE)
    c.rect(7, 3, 9, 5, WHITE); c.rect(7, 6, 9, 13, WHITE)


def aborted(c):  # 105: stop sign
    c.triangle([(8, 0.5), (15.5, 8), (0.5, 8)], DRED); c.triangle([(0.5, 8), (15.5, 8), (8, 15.5)], DRED)
    c.rect(3, 7, 13, 9, WHITE)


def completed(c):  # 106: green tick on a page
    c.rect(2, 1, 13, 15, WHITE); c.frame(2, 1, 13, 15, GREY)
    c.line([(4, 8), (7, 12), (14, 3)], DGREEN, 2.4)


def deviations(c):  # 107: yellow warning triangle
    c.triangle([(8, 0.5), (15.5, 15), (0.5, 15)], BLACK); c.triangle([(8, 2.5), (14, 14), (2, 14)], YELLOW)
    c.rect(7, 5, 9, 11, BLACK); c.rect(7, 12, 9, 13.5, BLACK)


def up(c):  # 108
    c.triangle([(8, 2), (14, 10), (2, 10)], NAVY); c.rect(6, 10, 10, 14, NAVY)


def down(c):  # 109
    c.triangle([(8, 14), (14, 6), (2, 6)], NAVY); c.rect(6, 2, 10, 6, NAVY)


ICONS = {101: app, 103: error, 104: notice, 105: aborted, 106: completed, 107: deviations, 108: up, 109: down}


def image_bytes(draw, n):
    c = Canvas(n)
    draw(c)
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in PALETTE)
    xor_row = ((n * 4 + 31) // 32) * 4
    and_row = ((n + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(n)):
        row = bytearray(xor_row)
        bits = bytearray(and_row)
        for x in range(n):
            v = c.px[y][x]
            if v == CLEAR:
                bits[x // 8] |= 0x80 >> (x % 8)
                v = 0
            row[x // 2] |= (v << 4) if x % 2 == 0 else v
        xor += row
        mask += bits
    return header + palette + bytes(xor) + bytes(mask)


def ico(draw):
    images = [image_bytes(draw, n) for n in (16, 32)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip((16, 32), images):
        out += struct.pack('<BBBBHHII', n, n, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b''.join(images)


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..', 'resources', 'icons')
    os.makedirs(target, exist_ok=True)
    for number, draw in ICONS.items():
        with open(os.path.join(target, 'icon%d.ico' % number), 'wb') as f:
            f.write(ico(draw))


if __name__ == '__main__':
    main()
