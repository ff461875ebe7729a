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


def target():
    return ('<circle cx="16" cy="16" r="8" fill="none" stroke="#fff" stroke-width="2.5"/><path d="M16 5v7M16 20v7M5 16h7M20 16h7" stroke="#fff" stroke-width="2.5"/>')


def window_icon():
    # The program's icon: a small label printer with a label coming out.
    return ('<rect x="1.5" y="1.5" width="29" height="29" rx="7" fill="#108ce7"/>'
            '<rect x="5" y="11" width="22" height="12" rx="3" fill="#fff"/>'
            '<rect x="9" y="5" width="14" height="8" rx="1" fill="#dcefff"/>'
            '<rect x="9" y="21" width="14" height="7" fill="#ffd35a" stroke="#000" stroke-opacity="0.31"/>'
            '<circle cx="22" cy="16" r="1.6" fill="#2e9e44"/>')


def badge(kind):
    """A small round badge in the lower right corner: "plus" (connect) or "minus" (disconnect)."""
    mark = '<path d="M22 25h6M25 22v6"' if kind == "plus" else '<path d="M22 25h6"'
    return ('<circle cx="25" cy="25" r="5.5" fill="#fff" stroke="#000" stroke-opacity="0.35"/>'
            + mark + ' stroke="#222" stroke-width="2"/>')


def magnifier():
    return ('<circle cx="14" cy="14" r="6.5" fill="none" stroke="#fff" stroke-width="3"/>'
            '<path d="M19 19l6 6" stroke="#fff" stroke-width="4" stroke-linecap="round"/>')


def searching():
    # The magnifier with the three dots of work going on: the search is running.
    return (magnifier() + '<rect x="10" y="13" width="2" height="2" fill="#fff"/><rect x="13" y="13" width="2" height="2" fill="#fff"/>'
            '<rect x="16" y="13" width="2" height="2" fill="#fff"/>')


def wifi_read():
    return wifi() + '<path d="M24 4v7M21 8l3 3 3-3" stroke="#fff" stroke-width="2" fill="none" stroke-linecap="round"/>'


def wifi_save():
    return wifi() + '<path d="M24 11V4M21 7l3-3 3 3" stroke="#fff" stroke-width="2" fill="none" stroke-linecap="round"/>'


def factory_reset():
    # A circular arrow around a dot: back to the start.
    return ('<path d="M9 16a7 7 0 1 0 2.5-5.4" stroke="#fff" stroke-width="3" fill="none" stroke-linecap="round"/>'
            '<path d="M8 7v5h5" stroke="#fff" stroke-width="3" fill="none" stroke-linecap="round" stroke-linejoin="round"/>'
            '<circle cx="16" cy="16" r="2" fill="#fff"/>')


def font_letter():
    # A serif capital T built from rectangles.
    return ('<rect x="8" y="7" width="16" height="4" fill="#fff"/><rect x="14" y="7" width="4" height="18" fill="#fff"/>'
            '<rect x="11" y="23" width="10" height="3" fill="#fff"/><rect x="8" y="7" width="2" height="7" fill="#fff"/>'
            '<rect x="22" y="7" width="2" height="7" fill="#fff"/>')


def key():
    return ('<circle cx="11" cy="16" r="5" fill="none" stroke="#fff" stroke-width="3"/>'
            '<path d="M16 16h10M22 16v4M25 16v3" stroke="#fff" stroke-width="3" stroke-linecap="square"/>')


def name_tag():
    return ('<path d="M6 10h14l6 6-6 6H6z" fill="#fff"/><circle cx="19" cy="16" r="2" fill="#000" fill-opacity="0.4"/>'
            '<rect x="9" y="14" width="6" height="1.5" fill="#000" fill-opacity="0.4"/><rect x="9" y="17" width="4" height="1.5" fill="#000" fill-opacity="0.4"/>')


def eye():
    return ('<path d="M5 16q11-11 22 0q-11 11-22 0z" fill="#fff"/><circle cx="16" cy="16" r="4" fill="#000" fill-opacity="0.55"/>')


def padlock():
    return ('<path d="M11 14v-3a5 5 0 0 1 10 0v3" stroke="#fff" stroke-width="3" fill="none"/>'
            '<rect x="8" y="14" width="16" height="12" rx="2" fill="#fff"/><rect x="15" y="18" width="2" height="4" fill="#000" fill-opacity="0.5"/>')


def certificate():
    return ('<rect x="7" y="6" width="18" height="15" rx="1" fill="#fff"/><path d="M10 10h12M10 13h8" stroke="#000" stroke-opacity="0.35" stroke-width="1.5"/>'
            '<circle cx="19" cy="20" r="4" fill="#f0a020" stroke="#fff" stroke-width="1.5"/><path d="M17 23v4l2-1 2 1v-4" fill="#f0a020" stroke="#fff" stroke-width="1"/>')


def network_printer():
    return printer() + '<path d="M22 7a4 4 0 0 1 4 4M22 3a8 8 0 0 1 8 8" stroke="#fff" stroke-width="1.5" fill="none"/>'


def export_file():
    return ('<path d="M8 5h11l5 5v17H8z" fill="#fff"/><path d="M19 5v5h5" fill="#000" fill-opacity="0.2"/>'
            '<path d="M12 18h9M18 15l3 3-3 3" stroke="#000" stroke-opacity="0.55" stroke-width="2" fill="none" stroke-linecap="round"/>')


def stop_sign():
    return ('<path d="M12 6h8l6 6v8l-6 6h-8l-6-6v-8z" fill="#fff"/><rect x="10" y="15" width="12" height="3" fill="#d8412f"/>')


def refresh():
    return ('<path d="M24 12a9 9 0 0 0-16 1M8 20a9 9 0 0 0 16-1" stroke="#fff" stroke-width="3" fill="none" stroke-linecap="round"/>'
            '<path d="M25 6v7h-7M7 26v-7h7" stroke="#fff" stroke-width="3" fill="none" stroke-linecap="round" stroke-linejoin="round"/>')


def print_direction():
    # A label with an arrow turning back: which way the label leaves the printer.
    return ('<rect x="7" y="8" width="11" height="16" rx="1" fill="#fff"/>'
            '<path d="M22 22V12M19 15l3-3 3 3" stroke="#fff" stroke-width="2.5" fill="none" stroke-linecap="round" stroke-linejoin="round"/>')


def globe():
    return ('<circle cx="16" cy="16" r="9" fill="none" stroke="#fff" stroke-width="2.5"/>'
            '<path d="M7 16h18M16 7c-5 5-5 13 0 18M16 7c5 5 5 13 0 18" stroke="#fff" stroke-width="2" fill="none"/>')


# One row per icon resource: id, picture, what it means, and the buttons that show it (dialog and
# control id). A new button picks the row whose meaning fits; a new meaning gets a new row.
ICONS = [
    (130, (GREEN, plug()), "connect: open the serial port", "102: 1005 Open Port; 103: Open Port (serial)"),
    (131, (BLUE, bluetooth()), "read Bluetooth settings", "102: 1012 Get Bluetooth Information"),
    (132, (GREY, arrow_left()), "leave the window", "102: 1 E&xit; Exit of the other windows"),
    (133, (BLUE, disk()), "save to the printer", "102: 1006, 1017, 1018, 1143, 1035 (the Save ... buttons)"),
    (134, (TEAL, printer()), "print on the printer", "102: 1146 Print Code Page"),
    (135, (RED, cross()), "disconnect: close the serial port", "102: 1011 Close Port; 103: Close Port (serial)"),
    (136, (ORANGE, arrow_right()), "switch the emulation to CPCL", "102: 1009 Set CPCL"),
    (137, (PURPLE, arrow_right()), "switch the emulation to ESC/POS", "102: 1010 Set ESC/POS"),
    (138, (TEAL, question()), "ask the printer what it is", "102: 1007 Get Emulation"),
    (139, (BLUE, wifi()), "open the Wi-Fi settings", "102: 1019 Start Wi-Fi Settings"),
    (140, (GREY, lines(2)), "read a short block of settings", "advanced options: Read"),
    (141, (GREEN, power()), "power save mode", "102: 1140 Save Power Save Mode"),
    (142, (GREEN, usb() + badge("plus")), "connect: open the USB port", "102: 1005 Open Port with USB chosen"),
    (143, (RED, usb() + badge("minus")), "disconnect: close the USB port", "102: 1011 Close Port with USB chosen"),
    (144, (GREY, lines(3)), "list what the printer stores", "font manager: True-Type Font List"),
    (145, (GREEN, tick()), "OK: acknowledge", "106: 1 OK; 144: 1 OK; 100: 1 OK"),
    (146, (GREY, lines(4)), "details of a record", "Wi-Fi: record details"),
    (147, (ORANGE, question()), "help", "(none yet)"),
    (148, (RED, cross()), "delete from the printer", "font manager: Delete font in printer"),
    (149, (TEAL, gap()), "gap labels", "102: 1159 Set Gap"),
    (150, (TEAL, black_mark()), "black-mark labels", "102: 1160 Set Black mark"),
    (151, (BLUE, wifi_read()), "read the Wi-Fi module's settings", "103: 1034 Get Wi-Fi Information"),
    (152, (ORANGE, density()), "print density", "102: 1162 Save Density"),
    (153, (ORANGE, searching()), "searching: a search is running", "103: 1150 Wi-Fi Search... while it searches"),
    (154, (BLUE, magnifier()), "search the network", "103: 1150 Wi-Fi Search..."),
    (155, (ORANGE, folder()), "open a file or folder", "102: 1027 Open File; font manager: Open Folder..."),
    (156, (BLUE, arrow_down()), "download to the printer", "102: 1028 Download"),
    (157, (GREEN, wifi_save()), "save the Wi-Fi module's settings", "103: 1035 Save Wi-Fi Information"),
    (158, (BLUE, wifi()), "save to a printer found on the network", "103: 1157 Save..."),
    (159, (GREEN, arrow_down()), "read from the printer", "advanced options: Read Information"),
    (160, (RED, arrow_up()), "write to the printer", "advanced options: Save Information"),
    (161, (RED, factory_reset()), "reset to factory settings", "103: 1148 Reset (Factory Settings)"),
    (162, (PURPLE, gear()), "enterprise security settings", "103: 1175 Enterprise Settings"),
    (163, (BLUE, target()), "WPS push button", "103: 1158 WPS"),
    (164, (GREEN, tick()), "apply", "163: 1 Accept"),
    (165, (BLUE, disk()), "save Bluetooth settings", "102: 1031 Set Bluetooth Information"),
    (166, (TEAL, continuous()), "continuous media", "102: 1163 Set Continuous"),
    (167, (BLUE, bluetooth()), "Bluetooth on", "102: 1033 Enable auto connection, 1036 Start Bluetooth Settings"),
    (168, (GREY, bluetooth()), "Bluetooth off", "102: 1034 Disable auto connection"),
    (169, (GREY, lines(5)), "long text: log or list", "(none yet)"),
    (170, (ORANGE, power()), "power off", "(none yet)"),
    (171, (PURPLE, gear()), "advanced options", "102: 1151 Advanced Options"),
    (172, (TEAL, font_letter()), "fonts", "font windows: font choice and download"),
    (173, (BLUE, key()), "PIN code or key", "Bluetooth: PIN code; Wi-Fi: keys"),
    (174, (BLUE, name_tag()), "device name", "Bluetooth: device name"),
    (175, (TEAL, eye()), "discoverable: visible to others", "Bluetooth: discoverable mode"),
    (176, (ORANGE, padlock()), "wireless security", "Wi-Fi: security settings"),
    (177, (PURPLE, certificate()), "certificate", "enterprise settings: certificates"),
    (178, (TEAL, network_printer()), "printer on the network", "Wi-Fi search: found printers"),
    (179, (GREY, export_file()), "export the settings to a file", "Wi-Fi: export"),
    (180, (RED, stop_sign()), "stop or cancel", "163: 2 Cancel"),
    (181, (GREEN, refresh()), "read again", "(none yet)"),
    (182, (ORANGE, target()), "calibrate the black-mark sensor", "102: 1038 Black Mark Calibration"),
    (183, (TEAL, target()), "calibrate the gap sensor", "102: 1037 Gap Calibration"),
    (184, (BLUE, print_direction()), "print direction", "advanced options: print direction"),
    (185, (TEAL, globe()), "message language", "advanced options: language"),
]
GLYPHS = {icon_id: picture for icon_id, picture, _, _ in ICONS}
PROGRAM_ICON = (128, "the program: a label printer", "main window and About box")


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
    with open("ICONS.md", "w") as f:
        f.write("# Icons (written by make_icons.py)\n\n| id | meaning | shown by |\n|---|---|---|\n")
        f.write(f"| {PROGRAM_ICON[0]} | {PROGRAM_ICON[1]} | {PROGRAM_ICON[2]} |\n")
        for icon_id, _, meaning, buttons in ICONS:
            f.write(f"| {icon_id} | {meaning} | {buttons} |\n")


if __name__ == "__main__":
    main()
