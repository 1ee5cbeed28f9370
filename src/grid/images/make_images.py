#!/usr/bin/env python3
"""Writes the grid's six images as XPM files beside this script."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))

COLOURS = {
    '.': 'None',
    'k': '#000000',
    'g': '#808080',
    'l': '#C0C0C0',
    'w': '#FFFFFF',
    'f': '#D4D0C8',
}


def write(name, rows):
    height = len(rows)
    width = len(rows[0])
    assert all(len(r) == width for r in rows), name
    used = sorted({c for r in rows for c in r})
    lines = ['/* XPM */', 'static const char *%s[] = {' % name.lower(),
             '"%d %d %d 1",' % (width, height, len(used))]
    lines += ['"%s c %s",' % (c, COLOURS[c]) for c in used]
    lines += ['"%s"%s' % (r, ',' if i < height - 1 else '') for i, r in enumerate(rows)]
    lines.append('};')
    with open(os.path.join(HERE, name + '.xpm'), 'w') as out:
        out.write('\n'.join(lines) + '\n')


def triangle(up):
    shape = ['........', '...kk...', '..kkkk..', '.kkkkkk.', 'kkkkkkkk', '........', '........']
    if not up:
        shape = ['........', 'kkkkkkkk', '.kkkkkk.', '..kkkk..', '...kk...', '........', '........']
    return shape


def box(checked):
    rows = []
    for y in range(16):
        row = ''
        for x in range(16):
            if x in (1, 14) and 1 <= y <= 14 or y in (1, 14) and 1 <= x <= 14:
                row += 'g'
            elif 2 <= x <= 13 and 2 <= y <= 13:
                row += 'w'
            else:
                row += '.'
        rows.append(row)
    if checked:
        tick = [(4, 7), (5, 8), (6, 9), (7, 8), (8, 7), (9, 6), (10, 5), (11, 4)]
        rows = [list(r) for r in rows]
        for x, y in tick:
            for dy in (0, 1, 2):
                rows[y + dy][x] = 'k'
        rows = [''.join(r) for r in rows]
    return rows


def button(glyph):
    rows = []
    for y in range(16):
        row = ''
        for x in range(16):
            if x == 15 or y == 15:
                row += 'k'
            elif x == 14 or y == 14:
                row += 'g'
            elif x == 0 or y == 0:
                row += 'w'
            else:
                row += 'f'
        rows.append(list(row))
    for x, y in glyph:
        rows[y][x] = 'k'
    return [''.join(r) for r in rows]


ARROW = [(x, y) for y, (a, b) in enumerate([(4, 10), (5, 9), (6, 8), (7, 7)], start=6) for x in range(a, b + 1)]
DOTS = [(x + dx, y) for x in (3, 7, 11) for dx in (0, 1) for y in (10, 11)]

write('UP', triangle(True))
write('DOWN', triangle(False))
write('CHECKED', box(True))
write('UNCHECKED', box(False))
write('COMBOBOX', button(ARROW))
write('ELLIPSIS', button(DOTS))
