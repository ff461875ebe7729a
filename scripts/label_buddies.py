#!/usr/bin/env python3
"""Sets each label's buddy in a Designer form: the edit, combo box or IP address field that starts just
right of the label on the same row (same parent). Names given with --name ID=TEXT become accessible
names. Prints the input controls left without a label, which need a name. Idempotent.

  label_buddies.py FORM.ui [--name widgetName=Text ...]
"""
import re
import sys
import xml.etree.ElementTree as ET

INPUTS = ('QComboBox', 'QLineEdit', 'hollin::gui::Ipv4Edit')


def rect(widget):
    g = widget.find("property[@name='geometry']/rect")
    return tuple(int(g.find(k).text) for k in ('x', 'y', 'width', 'height')) if g is not None else None


def has_property(widget, name):
    return widget.find(f"property[@name='{name}']") is not None


def pairs_in(parent):
    children = parent.findall('widget')
    labels = [w for w in children if w.get('class') == 'QLabel' and not has_property(w, 'buddy') and rect(w)]
    inputs = [w for w in children if w.get('class') in INPUTS and rect(w)]
    taken = set()
    found = {}
    for label in labels:
        lx, ly, lw, _ = rect(label)
        best = None
        for control in inputs:
            cx, cy, _, _ = rect(control)
            if control.get('name') in taken or abs(cy - ly) > 4 or cx < lx + lw - 4 or cx - (lx + lw) > 40:
                continue
            if best is None or cx < rect(best)[0]:
                best = control
        if best is not None:
            found[label.get('name')] = best.get('name')
            taken.add(best.get('name'))
    for child in children:
        found.update(pairs_in(child))
    return found


def insert_property(text, widget, name, xml):
    m = re.search(r'<widget class="[^"]+" name="%s">\n' % re.escape(widget), text)
    if m is None:
        raise SystemExit(f'no widget {widget}')
    return text[:m.end()] + f'   <property name="{name}">\n    {xml}\n   </property>\n' + text[m.end():]


def main():
    path, names = sys.argv[1], {}
    args = sys.argv[2:]
    while args:
        if args[0] != '--name' or len(args) < 2 or '=' not in args[1]:
            raise SystemExit(__doc__)
        key, value = args[1].split('=', 1)
        names[key] = value
        args = args[2:]
    root = ET.parse(path).getroot()
    pairs = pairs_in(root.find('widget'))
    text = open(path).read()
    for label, control in pairs.items():
        text = insert_property(text, label, 'buddy', f'<cstring>{control}</cstring>')
    for widget, value in names.items():
        if not re.search(r'name="%s">\n   <property name="accessibleName">' % re.escape(widget), text):
            text = insert_property(text, widget, 'accessibleName', f'<string>{value}</string>')
    open(path, 'w').write(text)
    buddied = set(pairs.values())
    tree = ET.fromstring(text)
    for label in tree.iter('widget'):
        buddy = label.find("property[@name='buddy']/cstring")
        if buddy is not None:
            buddied.add(buddy.text)
    left = [w.get('name') for w in tree.iter('widget')
            if w.get('class') in INPUTS + ('QListWidget', 'QProgressBar')
            and w.get('name') not in buddied and not has_property(w, 'accessibleName')]
    print(f'{path}: {len(pairs)} buddies set' + (f'; without a label or name: {", ".join(left)}' if left else ''))


if __name__ == '__main__':
    main()
