#!/usr/bin/env python3
"""Writes the program icon: a window with two side-by-side lists, at 32x32 and 16x16 pixels in
the 16 standard colours (4 bits per pixel). The resource compiler reads the file as it is.

Usage: make_icon.py OUTPUT.ico
"""
import struct
import sys

# The 16 colours every display shows, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, NAVY, TEAL, SILVER, GRAY, BLUE, YELLOW, WHITE = 0, 4, 6, 7, 8, 12, 11, 15
CLEAR = None  # shows what lies behind the icon


class Image:
    def __init__(self, size):
        self.size = size
        self.pixels = [[CLEAR] * size for _ in range(size)]

    def fill(self, left, top, right, bottom, colour):
        """Paints the pixels from (left, top) to (right, bottom), both corners included."""
        for y in range(top, bottom + 1):
            for x in range(left, right + 1):
                self.pixels[y][x] = colour

    def frame(self, left, top, right, bottom, colour):
        self.fill(left, top, right, top, colour)
        self.fill(left, bottom, right, bottom, colour)
        self.fill(left, top, left, bottom, colour)
        self.fill(right, top, right, bottom, colour)

    def sunken(self, left, top, right, bottom):
        """A white pane with the shadowed edge of a list control."""
        self.fill(left, top, right, bottom, WHITE)
        self.fill(left, top, right, top, GRAY)
        self.fill(left, top, left, bottom, GRAY)


def list_pane(image, left, top, right, bottom, rows, selected):
    """A list with its entries drawn as text lines of varying length, one of them selected."""
    image.sunken(left, top, right, bottom)
    small = image.size == 16
    step = 2 if small else 3
    lengths = (4, 3, 5, 2) if small else (9, 7, 10, 6, 8)
    for n in range(rows):
        y = top + 2 + n * step
        length = min(lengths[n % len(lengths)], right - left - 3)
        if n == selected and small:
            image.fill(left + 1, y, right, y, NAVY)  # too small for text on the selection
        elif n == selected:
            image.fill(left + 1, y - 1, right, y + 1, NAVY)
            image.fill(left + 2, y, left + 1 + length, y, WHITE)
        else:
            image.fill(left + 2, y, left + 1 + length, y, GRAY if small else BLACK)


def window_32():
    image = Image(32)
    image.fill(1, 2, 30, 29, SILVER)
    image.frame(0, 1, 31, 30, BLACK)
    # Caption with the window's own small icon and its close box.
    image.fill(1, 2, 30, 6, NAVY)
    image.fill(3, 3, 5, 5, YELLOW)
    image.fill(26, 3, 29, 5, SILVER)
    image.fill(27, 4, 28, 4, BLACK)
    # The two lists side by side, processes on the left, modules on the right.
    list_pane(image, 2, 8, 15, 24, rows=5, selected=1)
    list_pane(image, 17, 8, 29, 24, rows=5, selected=3)
    # The row of buttons below the lists, raised.
    for left, right in ((2, 8), (17, 22), (24, 29)):
        image.fill(left, 26, right, 28, SILVER)
        image.fill(left, 28, right, 28, GRAY)
        image.fill(right, 26, right, 28, GRAY)
        image.fill(left, 26, right - 1, 26, WHITE)
        image.fill(left, 26, left, 27, WHITE)
    return image


def window_16():
    image = Image(16)
    image.fill(0, 1, 15, 14, SILVER)
    image.frame(0, 1, 15, 14, BLACK)
    image.fill(1, 2, 14, 3, NAVY)
    image.fill(2, 2, 3, 3, YELLOW)
    list_pane(image, 1, 5, 7, 13, rows=4, selected=1)
    list_pane(image, 8, 5, 14, 13, rows=4, selected=2)
    return image


def ico_image(image):
    """One image of the icon file: header with the double height of colour and mask, palette,
    colour rows bottom-up at 4 bits per pixel, mask rows bottom-up at 1 bit; rows padded to
    4 bytes."""
    size = image.size
    colour_row = (size * 4 + 31) // 32 * 4
    mask_row = (size + 31) // 32 * 4
    colours = bytearray()
    mask = bytearray()
    for row in reversed(image.pixels):
        line = bytearray(colour_row)
        bits = bytearray(mask_row)
        for x, colour in enumerate(row):
            if colour is CLEAR:
                bits[x // 8] |= 0x80 >> (x % 8)
                colour = BLACK
            line[x // 2] |= colour << (4 if x % 2 == 0 else 0)
        colours += line
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         len(colours) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(colours) + bytes(mask)


def ico_file(images):
    data = [ico_image(image) for image in images]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for image, bytes_ in zip(images, data):
        directory += struct.pack("<BBBBHHII", image.size, image.size, 16, 0, 1, 4,
                                 len(bytes_), offset)
        offset += len(bytes_)
    return directory + b"".join(data)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], "wb") as out:
        out.write(ico_file([window_32(), window_16()]))


if __name__ == "__main__":
    main()
