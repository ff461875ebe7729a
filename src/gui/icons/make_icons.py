#!/usr/bin/env python3
"""Writes the program's 32x32 button and window icons as small SVG files, one per icon resource id.

The glyphs are deliberately plain geometry (no text) so that they render the same everywhere.
Run it from this folder after changing a glyph: python3 make_icons.py
"""

BLUE, GREEN, RED, ORANGE, GREY, PURPLE, TEAL = "#108ce7", "#2e9e44", "#d8412f", "#f0a020", "#6b7480", "#8a4fc8", "#16a3a3"


def tile(colour):
    return f'<rect x="1.5" y="1.5" width="29" height="29" rx="6" fill="{colour}" stroke="#000" stroke-opacity="0.25"/>'


def arrow_right():
    return '<path d="M7 16h13M15 10l6 6-6 6" stroke="#fff" stroke-width="3" fill="none" stroke-linecap="round" stroke-linejoin="round"/>'


def arrow_left():
    return '<path d="M25 16H12M17 10l-6 6 6 6" stroke="#fff" stroke-width="3" fill="none" stroke-linecap="round" stroke-linejoin="round"/>'


def arrow_down():
    return '<path d="M16 6v15M10 15l6 6 6-6M8 26h16" stroke="#fff" stroke-width="3" fill="none" stroke-linecap="round" stroke-linejoin="round"/>'


def arrow_up():
    return '<path d="M16 26V11M10 17l6-6 6 6M8 6h16" stroke="#fff" stroke-width="3" fill="none" stroke-linecap="round" stroke-linejoin="round"/>'


def cross():
    return '<path d="M10 10l12 12M22 10L10 22" stroke="#fff" stroke-width="3.5" stroke-linecap="round"/>'


def tick():
    return '<path d="M8 17l5 5 11-12" stroke="#fff" stroke-width="3.5" fill="none" stroke-linecap="round" stroke-linejoin="round"/>'


def disk():
    return ('<rect x="8" y="8" width="16" height="16" rx="2" fill="#fff"/>'
            '<rect x="11" y="8" width="10" height="6" fill="#000" fill-opacity="0.33"/><rect x="11" y="18" width="10" height="6" fill="#000" fill-opacity="0.19"/>')


def printer():
    return ('<rect x="10" y="6" width="12" height="7" fill="#fff"/><rect x="6" y="12" width="20" height="10" rx="2" fill="#fff"/>'
            '<rect x="10" y="19" width="12" height="8" fill="#fff" stroke="#000" stroke-opacity="0.38"/>')


def plug():
    return ('<rect x="11" y="12" width="10" height="10" rx="2" fill="#fff"/><path d="M13 7v5M19 7v5M16 22v5" stroke="#fff" stroke-width="2.5" stroke-linecap="round"/>')


def usb():
    return ('<path d="M16 6v20M16 12l-6 4v3M16 15l6-3v-2" stroke="#fff" stroke-width="2.5" fill="none" stroke-linecap="round"/>'
            '<circle cx="16" cy="25" r="3" fill="#fff"/><rect x="20" y="8" width="4" height="4" fill="#fff"/><circle cx="10" cy="20" r="2" fill="#fff"/>')


def bluetooth():
    return '<path d="M11 11l10 10-5 5V6l5 5-10 10" stroke="#fff" stroke-width="2.5" fill="none" stroke-linejoin="round" stroke-linecap="round"/>'


def wifi():
    return ('<path d="M7 13a13 13 0 0 1 18 0M10 17a8 8 0 0 1 12 0M13 21a3.5 3.5 0 0 1 6 0" stroke="#fff" stroke-width="2.5" fill="none" stroke-linecap="round"/>'
            '<circle cx="16" cy="24.5" r="2" fill="#fff"/>')


def question():
    return ('<path d="M12 12a4 4 0 1 1 5 4c-1 .5-1 1.5-1 3" stroke="#fff" stroke-width="3" fill="none" stroke-linecap="round"/>'
            '<circle cx="16" cy="24" r="2" fill="#fff"/>')


def lines(n):
    out = []
    for i in range(n):
        y = 9 + i * (14 / max(n - 1, 1))
        out.append(f'<rect x="8" y="{y:.1f}" width="16" height="2.5" rx="1" fill="#fff"/>')
    return "".join(out)


def gap():
    return ('<rect x="8" y="6" width="16" height="8" rx="1" fill="#fff"/><rect x="8" y="18" width="16" height="8" rx="1" fill="#fff"/>')


def black_mark():
    return ('<rect x="8" y="6" width="16" height="20" rx="1" fill="#fff"/><rect x="8" y="14" width="6" height="4" fill="#222"/>')


def continuous():
    return '<rect x="8" y="6" width="16" height="20" rx="1" fill="#fff"/><path d="M11 10h10M11 14h10M11 18h10M11 22h10" stroke="#000" stroke-opacity="0.31" stroke-width="1.5"/>'


def density():
    return ('<rect x="7" y="7" width="6" height="18" fill="#fff" fill-opacity="0.38"/><rect x="13" y="7" width="6" height="18" fill="#fff" fill-opacity="0.69"/>'
            '<rect x="19" y="7" width="6" height="18" fill="#fff"/>')


def power():
    return '<path d="M11 10a8 8 0 1 0 10 0M16 6v9" stroke="#fff" stroke-width="3" fill="none" stroke-linecap="round"/>'


def folder():
    return '<path d="M6 10h7l2 2h11v12H6z" fill="#fff"/>'


def gear():
    return ('<circle cx="16" cy="16" r="7" fill="none" stroke="#fff" stroke-width="4" stroke-dasharray="3.5 2"/>'
            '<circle cx="16" cy="16" r="3" fill="#fff"/>')


def letter_bar(n):
    """n small squares in a row: a neutral glyph for the icons no button shows."""
    return "".join(f'<rect x="{7 + i * 5}" y="14" width="3.5" height="3.5" fill="#fff"/>' for i in range(n))


def target():
    return ('<circle cx="16" cy="16" r="8" fill="none" stroke="#fff" stroke-width="2.5"/><path d="M16 5v7M16 20v7M5 16h7M20 16h7" stroke="#fff" stroke-width="2.5"/>')


def window_icon():
    # The program's icon: a small label printer with a label coming out.
    return ('<rect x="1.5" y="1.5" width="29" height="29" rx="7" fill="#108ce7"/>'
            '<rect x="5" y="11" width="22" height="12" rx="3" fill="#fff"/>'
            '<rect x="9" y="5" width="14" height="8" rx="1" fill="#dcefff"/>'
            '<rect x="9" y="21" width="14" height="7" fill="#ffd35a" stroke="#000" stroke-opacity="0.31"/>'
            '<circle cx="22" cy="16" r="1.6" fill="#2e9e44"/>')


GLYPHS = {
    130: (GREEN, plug()), 131: (BLUE, bluetooth()), 132: (GREY, arrow_left()), 133: (BLUE, disk()),
    134: (TEAL, printer()), 135: (RED, cross()), 136: (ORANGE, arrow_right()), 137: (PURPLE, arrow_right()),
    138: (TEAL, question()), 139: (BLUE, wifi()), 140: (GREY, lines(2)), 141: (GREEN, power()),
    142: (GREEN, usb()), 143: (RED, usb()), 144: (GREY, lines(3)), 145: (GREEN, tick()),
    146: (GREY, lines(4)), 147: (ORANGE, question()), 148: (RED, cross()), 149: (TEAL, gap()),
    150: (TEAL, black_mark()), 151: (GREY, letter_bar(2)), 152: (ORANGE, density()), 153: (GREY, letter_bar(3)),
    154: (BLUE, arrow_up()), 155: (ORANGE, folder()), 156: (BLUE, arrow_down()), 157: (GREY, letter_bar(4)),
    158: (BLUE, wifi()), 159: (GREEN, arrow_down()), 160: (RED, arrow_up()), 161: (GREY, letter_bar(1)),
    162: (PURPLE, gear()), 163: (BLUE, target()), 164: (GREEN, tick()), 165: (BLUE, disk()),
    166: (TEAL, continuous()), 167: (BLUE, bluetooth()), 168: (GREY, bluetooth()), 169: (GREY, lines(5)),
    170: (ORANGE, power()), 171: (PURPLE, gear()), 182: (ORANGE, target()), 183: (TEAL, target()),
}


def main():
    head = '<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">'
    with open("128.svg", "w") as f:
        f.write(head + window_icon() + "</svg>\n")
    for icon_id, (colour, glyph) in sorted(GLYPHS.items()):
        with open(f"{icon_id}.svg", "w") as f:
            f.write(head + tile(colour) + glyph + "</svg>\n")
    with open("../icons.qrc", "w") as f:
        f.write('<!DOCTYPE RCC>\n<RCC version="1.0">\n  <qresource prefix="/icons">\n')
        for icon_id in [128] + sorted(GLYPHS):
            f.write(f'    <file alias="{icon_id}.svg">icons/{icon_id}.svg</file>\n')
        f.write("  </qresource>\n</RCC>\n")


if __name__ == "__main__":
    main()
