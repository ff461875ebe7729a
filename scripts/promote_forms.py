#!/usr/bin/env python3
"""Promotes every push button of a Designer form to hollin::gui::HoverButton and every group box to
hollin::gui::CXPGroupBox, and declares the two custom widgets. Idempotent; other widgets are left alone.

    python3 scripts/promote_forms.py src/gui/forms/dialog_*.ui

A new form needs this once (the form walk of test_gui fails on a plain QPushButton or QGroupBox).
"""
import re
import sys

PROMOTIONS = {
    "QPushButton": ("hollin::gui::HoverButton", "gui/hover_button.h"),
    "QGroupBox": ("hollin::gui::CXPGroupBox", "gui/xp_group_box.h"),
}


def declaration(cls, base, header):
    return (f"  <customwidget>\n   <class>{cls}</class>\n   <extends>{base}</extends>\n"
            f"   <header>{header}</header>\n  </customwidget>\n")


def promote(text):
    used = []
    for base, (cls, header) in PROMOTIONS.items():
        text, count = re.subn(rf'<widget class="{base}"', f'<widget class="{cls}"', text)
        if count or f'<widget class="{cls}"' in text:
            used.append((cls, base, header))
    for cls, base, header in used:
        if f"<class>{cls}</class>" in text:
            continue
        if "<customwidgets>" in text:
            text = text.replace("<customwidgets>\n", "<customwidgets>\n" + declaration(cls, base, header), 1)
        else:
            block = " <customwidgets>\n" + declaration(cls, base, header) + " </customwidgets>\n"
            # Custom widgets come after the top-level widget, before buttongroups/resources/connections.
            anchor = re.search(r"^ <(buttongroups|resources|connections)\b|^</ui>", text, re.M)
            text = text[: anchor.start()] + block + text[anchor.start():]
    return text


def main(paths):
    for path in paths:
        with open(path, encoding="utf-8") as f:
            old = f.read()
        new = promote(old)
        if new != old:
            with open(path, "w", encoding="utf-8") as f:
                f.write(new)
            print(f"promoted {path}")


if __name__ == "__main__":
    main(sys.argv[1:])
