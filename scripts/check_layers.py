#!/usr/bin/env python3
"""Fails when a source file includes a folder above its own layer, or a sibling folder of its layer.

Layers, lowest first: common; platform; link, ui, netcfg and wificodec; transport; the features
printer, fonts and netprinters; the windows over them, main_window and wifi; app; cli and gui. A file
may include its own folder and the folders below it; folders of one layer never include each other, so
a loop between two of them cannot form. The virtual printer (sim/) may use common, platform and the
codecs, never ui, main_window, app, cli or gui.

  check_layers.py [ROOT]       check ROOT (default: the repository), list offenders, exit 1 if any
  check_layers.py --self-test  check that a planted upward include is caught and a clean tree passes
"""
import os
import re
import sys
import tempfile

RANK = {'common': 0, 'platform': 1, 'link': 2, 'ui': 2, 'netcfg': 2, 'wificodec': 2, 'transport': 3,
        'printer': 4, 'fonts': 4, 'netprinters': 4, 'main_window': 5, 'wifi': 5, 'app': 6, 'cli': 7,
        'gui': 7}
SIM_FORBIDDEN = {'ui', 'main_window', 'app', 'cli', 'gui'}
SOURCE_ENDINGS = ('.h', '.hpp', '.cpp', '.cc')
INCLUDE = re.compile(r'\s*#\s*include\s+"([a-z_]+)/')


def included_folders(path):
    with open(path, errors='replace') as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if m:
                yield number, m.group(1)


def offenders(root):
    found = []
    src = os.path.join(root, 'src')
    for folder, _, files in os.walk(src):
        layer = os.path.relpath(folder, src).split(os.sep)[0]
        if layer not in RANK:
            continue
        for name in sorted(files):
            if not name.endswith(SOURCE_ENDINGS):
                continue
            path = os.path.join(folder, name)
            for number, target in included_folders(path):
                if target in RANK and target != layer and RANK[target] >= RANK[layer]:
                    found.append(f'{os.path.relpath(path, root)}:{number}: {layer} includes {target}')
    sim = os.path.join(root, 'sim')
    for folder, _, files in os.walk(sim):
        for name in sorted(files):
            if not name.endswith(SOURCE_ENDINGS):
                continue
            path = os.path.join(folder, name)
            for number, target in included_folders(path):
                if target in SIM_FORBIDDEN:
                    found.append(f'{os.path.relpath(path, root)}:{number}: sim includes {target}')
    return found


def self_test():
    def tree(base, files):
        root = tempfile.mkdtemp(dir=base)
        for rel, text in files.items():
            path = os.path.join(root, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, 'w') as f:
                f.write(text)
        return root

    clean = {'src/common/a.h': '#pragma once\n', 'src/link/b.cpp': '#include "common/a.h"\n',
             'src/printer/c.cpp': '#include "link/b.h"\n#include "ui/d.h"\n#include "transport/t.h"\n',
             'src/main_window/m.cpp': '#include "printer/c.h"\n#include "fonts/f.h"\n',
             'sim/e.cpp': '#include "printer/c.h"\n'}
    cases = [
        ('clean tree', clean, 0),
        ('platform includes ui', {**clean, 'src/platform/p.h': '#include "ui/progress.h"\n'}, 1),
        ('ui includes printer', {**clean, 'src/ui/w.cpp': '  #  include "printer/x.h"\n'}, 1),
        ('printer includes app', {**clean, 'src/printer/d.cpp': '#include "app/proxy.h"\n'}, 1),
        ('fonts includes wifi', {**clean, 'src/fonts/g.cpp': '#include "wifi/window.h"\n'}, 1),
        ('netprinters includes wifi', {**clean, 'src/netprinters/h.cpp': '#include "wifi/window.h"\n'}, 1),
        ('sim includes gui', {**clean, 'sim/f.cpp': '#include "gui/view.h"\n'}, 1),
        ('printer includes fonts', {**clean, 'src/printer/g.cpp': '#include "fonts/font_codec.h"\n'}, 1),
        ('fonts includes printer', {**clean, 'src/fonts/h.h': '#include "printer/printer_commands.h"\n'}, 1),
        ('transport includes printer', {**clean, 'src/transport/s.h': '#include "printer/x.h"\n'}, 1),
        ('link includes netcfg', {**clean, 'src/link/n.cpp': '#include "netcfg/packet.h"\n'}, 1),
        ('fonts includes main_window', {**clean, 'src/fonts/w.cpp': '#include "main_window/hollin_dlg.h"\n'}, 1),
    ]
    failed = 0
    with tempfile.TemporaryDirectory(prefix='hollin-layers-') as base:
        for name, files, expected in cases:
            got = len(offenders(tree(base, files)))
            if got != expected:
                print(f'self-test {name}: {got} offenders, expected {expected}')
                failed += 1
    print(f'{len(cases) - failed} passed, {failed} failed')
    return 1 if failed else 0


def main():
    if sys.argv[1:] == ['--self-test']:
        return self_test()
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..')
    found = offenders(root)
    for line in found:
        print(line)
    print(f'{len(found)} upward includes')
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main())
