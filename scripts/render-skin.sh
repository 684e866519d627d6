#!/usr/bin/env bash
# Renders the window's pictures (resources/skin/*.svg and resources/images/*.svg)
# to PNG files in the folder given, for looking at them, and puts them all on
# one contact sheet, contact-sheet.png: the image list enlarged 4x on black and
# on the page colour, the skin pieces enlarged 2x, and the pieces put together
# roughly as the main window places them. Enlargements are pixel for pixel
# (no smoothing), so a blurred edge shows.
#
#   scripts/render-skin.sh /tmp/skin-preview
#
# Needs rsvg-convert (Debian's librsvg2-bin; installed when missing) and python3.
set -euo pipefail

if [[ $# -ne 1 ]]; then
  echo "usage: $0 OUTPUT_FOLDER" >&2
  exit 2
fi

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
mkdir -p "$1"
out="$(cd "$1" && pwd)"

if ! command -v rsvg-convert >/dev/null 2>&1; then
  if [[ $(id -u) -ne 0 ]]; then
    echo "rsvg-convert is missing: install librsvg2-bin" >&2
    exit 1
  fi
  apt-get install -y librsvg2-bin >/dev/null 2>&1 || {
    apt-get update >/dev/null
    apt-get install -y librsvg2-bin >/dev/null
  }
fi

rm -rf "$out/skin" "$out/images" "$out/sheet"
mkdir -p "$out/skin" "$out/images/12" "$out/images/10" "$out/sheet"
for file in "$root"/resources/skin/*.svg; do
  rsvg-convert -o "$out/skin/$(basename "$file" .svg).png" "$file"
done
for file in "$root"/resources/images/*.svg; do
  name="$(basename "$file" .svg)"
  rsvg-convert -o "$out/images/$name.png" "$file"
  # The tabs show the images at 12x12 and the line-page toggles at 10x10.
  rsvg-convert -w 12 -h 12 -o "$out/images/12/$name.png" "$file"
  rsvg-convert -w 10 -h 10 -o "$out/images/10/$name.png" "$file"
done

python3 - "$root" "$out" <<'PY'
import os, struct, subprocess, sys, zlib

root, out = sys.argv[1], sys.argv[2]
# The enlargements go to sheet/; the sheet's own SVGs lie in the output folder
# itself, as rsvg-convert loads only pictures at or below the folder of the
# SVG it renders.
sheet_dir = os.path.join(out, 'sheet')

def read_png(path):
    data = open(path, 'rb').read()
    assert data[:8] == b'\x89PNG\r\n\x1a\n', path
    pos, idat, w = 8, b'', 0
    while pos < len(data):
        size, kind = struct.unpack('>I4s', data[pos:pos + 8])
        chunk = data[pos + 8:pos + 8 + size]
        if kind == b'IHDR':
            w, h, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', chunk)
            assert depth == 8 and colour in (2, 6) and interlace == 0, path
            bpp = 4 if colour == 6 else 3
        elif kind == b'IDAT':
            idat += chunk
        pos += 12 + size
    raw, stride, rows, prev = zlib.decompress(idat), w * bpp, [], bytearray(w * bpp)
    for y in range(h):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b, c = prev[i], prev[i - bpp] if i >= bpp else 0
            if kind == 1: line[i] = (line[i] + a) & 255
            elif kind == 2: line[i] = (line[i] + b) & 255
            elif kind == 3: line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        prev = line
        if bpp == 3:
            line = bytearray(b''.join(bytes(line[i:i + 3]) + b'\xff' for i in range(0, stride, 3)))
        rows.append(line)
    return w, h, rows

def write_png(path, w, h, rows):
    raw = b''.join(b'\x00' + bytes(r) for r in rows)
    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0))
                + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))

def enlarge(src, dst, k):
    w, h, rows = read_png(src)
    big = []
    for r in rows:
        line = b''.join(bytes(r[i:i + 4]) * k for i in range(0, w * 4, 4))
        big.extend([line] * k)
    write_png(dst, w * k, h * k, big)
    return w, h

def rel(path):
    return os.path.relpath(path, out)

FONT = 'font-family="DejaVu Sans, sans-serif"'
def text(x, y, size, s, colour='rgb(30,32,36)', weight='normal'):
    return f'<text x="{x}" y="{y}" {FONT} font-size="{size}" font-weight="{weight}" fill="{colour}">{s}</text>\n'
def image(href, x, y, w, h):
    return f'<image href="{href}" x="{x}" y="{y}" width="{w}" height="{h}"/>\n'
def rect(x, y, w, h, fill, extra=''):
    return f'<rect x="{x}" y="{y}" width="{w}" height="{h}" fill="{fill}" {extra}/>\n'

PAGE, BAR, SILVER = 'rgb(201,205,214)', 'rgb(52,56,64)', 'rgb(214,217,223)'
ROLES = ['offline', 'online; line connected', 'client page; free line', 'line ringing',
         'busy; calling out', 'line closed', 'spare', 'tray idle', 'tray ringing 1', 'tray ringing 2',
         'tray call 1', 'tray call 2', 'tray call 3', 'spare (online)', 'spare (closed)', 'toggle off',
         'toggle on']

W = 1000
body = text(20, 34, 20, 'Image list: 16x16, shown 4x on black and on the page colour', weight='bold')
y = 52
for i, role in enumerate(ROLES):
    name = f'image-{i:02d}'
    enlarge(os.path.join(out, 'images', name + '.png'), os.path.join(sheet_dir, name + '@4.png'), 4)
    col, row = i % 6, i // 6
    x, top = 20 + col * 162, y + row * 118
    body += rect(x, top, 72, 72, 'rgb(0,0,0)') + rect(x + 74, top, 72, 72, PAGE)
    body += image(rel(os.path.join(sheet_dir, name + '@4.png')), x + 4, top + 4, 64, 64) + image(rel(os.path.join(sheet_dir, name + '@4.png')), x + 78, top + 4, 64, 64)
    body += text(x, top + 88, 12, name, weight='bold') + text(x, top + 103, 11, role)
y += 3 * 118 + 6

body += text(20, y + 14, 13, 'Real size. Black: 16 px as in the client list. Page colour: 16 px, then 12 px (tabs), then 10 px (toggles)')
y += 24
body += rect(20, y, 17 * 22 + 6, 28, 'rgb(0,0,0)') + rect(20, y + 32, 17 * 22 + 6, 28, PAGE)
body += rect(20, y + 64, 17 * 22 + 6, 28, PAGE) + rect(20, y + 96, 17 * 22 + 6, 28, PAGE)
for i in range(17):
    name = f'image-{i:02d}'
    x = 26 + i * 22
    body += image(rel(os.path.join(out, 'images', name + '.png')), x, y + 6, 16, 16)
    body += image(rel(os.path.join(out, 'images', name + '.png')), x, y + 38, 16, 16)
    body += image(rel(os.path.join(out, 'images', '12', name + '.png')), x + 2, y + 72, 12, 12)
    body += image(rel(os.path.join(out, 'images', '10', name + '.png')), x + 3, y + 105, 10, 10)
y += 140

body += text(20, y + 20, 20, 'Skin pieces, shown 2x on the colour around them', weight='bold')
y += 36
pieces = {}
for name in sorted(os.listdir(os.path.join(out, 'skin'))):
    stem = name[:-4]
    pieces[stem] = enlarge(os.path.join(out, 'skin', name), os.path.join(sheet_dir, stem + '@2.png'), 2)
for stem in ('title-active', 'title-inactive', 'bottom-bar'):
    w, h = pieces[stem]
    body += text(20, y + 12, 12, f'{stem}.svg  {w}x{h}')
    body += image(rel(os.path.join(sheet_dir, stem + '@2.png')), 20, y + 18, w * 2, h * 2)
    y += 18 + h * 2 + 14
x, rowtop, rowh = 20, y, 0
ground = {'page': PAGE, 'speaker-panel': BAR, 'mic-panel': BAR}
for stem in ('page', 'speaker-panel', 'mic-panel', 'connect', 'connect-disabled', 'disconnect',
             'disconnect-disabled', 'speaker-on', 'speaker-muted', 'mic-on', 'mic-muted'):
    w, h = pieces[stem]
    colour = ground.get(stem, SILVER if stem.startswith(('speaker', 'mic')) else BAR)
    cell = max(w * 2 + 24, 190)
    if x + cell > W:
        x, rowtop, rowh = 20, rowtop + rowh + 18, 0
    body += text(x, rowtop + 12, 12, f'{stem}.svg  {w}x{h}')
    body += rect(x, rowtop + 18, w * 2 + 16, h * 2 + 16, colour)
    body += image(rel(os.path.join(sheet_dir, stem + '@2.png')), x + 8, rowtop + 26, w * 2, h * 2)
    rowh = max(rowh, h * 2 + 34)
    x += cell
y = rowtop + rowh + 24

# The pieces put together roughly as the window places them, rendered at 1x
# and then enlarged. The window: title 14, pages 107 (tabs 12 high), bar 42.
mock = '<svg xmlns="http://www.w3.org/2000/svg" width="293" height="163" viewBox="0 0 293 163">\n'
mock += '<defs><clipPath id="round"><rect x="0" y="0" width="293" height="163" rx="7"/></clipPath></defs>\n<g clip-path="url(#round)">\n'
mock += rect(0, 0, 293, 163, PAGE)
mock += image(rel(os.path.join(out, 'skin', 'title-active.png')), 0, 0, 293, 14)
for t, icon in enumerate((2, 1, 3, 4, 5)):
    mock += rect(10 + t * 23, 14, 22, 12, PAGE if t == 0 else 'rgb(170,174,184)', 'rx="3"')
    mock += image(rel(os.path.join(out, 'images', '12', f'image-{icon:02d}.png')), 15 + t * 23, 14, 12, 12)
mock += image(rel(os.path.join(out, 'skin', 'page.png')), 0, 26, 265, 92)
mock += rect(12, 36, 265, 80, 'rgb(0,0,0)')
for r, (mark, who) in enumerate(((1, 'Alice'), (4, 'Bob'), (0, 'Carol'), (1, 'Dave'))):
    mock += image(rel(os.path.join(out, 'images', f'image-{mark:02d}.png')), 12, 36 + r * 16, 16, 16)
    mock += text(44, 48 + r * 16, 10, who, 'rgb(255,203,0)')
mock += image(rel(os.path.join(out, 'skin', 'bottom-bar.png')), 0, 121, 293, 42)
def panel_mock(px, name, glyph, bx, mx, level, sx, handle):
    s = image(rel(os.path.join(out, 'skin', name + '.png')), px, 129, 100 if name.startswith('speaker') else 95, 28)
    s += image(rel(os.path.join(out, 'skin', glyph + '.png')), px + bx, 130, 18, 27)
    s += rect(px + mx, 136, 67, 6, 'rgb(0,0,0)') + rect(px + mx, 136, level, 6, 'rgb(166,202,240)')
    s += rect(px + sx + 2, 148, 75, 2, 'rgb(90,94,104)')
    s += rect(px + handle + 0.5, 143.5, 11, 11, PAGE, 'rx="3" stroke="rgb(60,62,70)"')
    return s
mock += panel_mock(43, 'speaker-panel', 'speaker-on', 4, 29, 40, 23, 60)
mock += panel_mock(148, 'mic-panel', 'mic-muted', 0, 24, 14, 19, 30)
mock += rect(188.5, 122.5, 41, 7, 'rgb(40,42,48)', 'stroke="rgb(90,94,104)"')
mock += rect(194, 124, 12, 4, 'rgb(255,203,0)') + rect(212, 124, 12, 4, 'rgb(0,0,0)')
mock += image(rel(os.path.join(out, 'skin', 'disconnect.png')), 7, 129, 32, 22)
mock += image(rel(os.path.join(out, 'skin', 'connect.png')), 245, 129, 32, 22)
mock += '</g>\n</svg>\n'
open(os.path.join(out, 'window.svg'), 'w').write(mock)
subprocess.run(['rsvg-convert', '-o', os.path.join(sheet_dir, 'window.png'),
                os.path.join(out, 'window.svg')], check=True)
enlarge(os.path.join(sheet_dir, 'window.png'), os.path.join(sheet_dir, 'window@2.png'), 2)
body += text(20, y + 20, 20, 'Put together, roughly as the window places them: 1x and 2x', weight='bold')
y += 34
body += rect(0, y, W, 163 * 2 + 24, 'rgb(110,114,122)')
body += image('sheet/window.png', 20, y + 12, 293, 163) + image('sheet/window@2.png', 340, y + 12, 586, 326)
y += 163 * 2 + 40

sheet = (f'<svg xmlns="http://www.w3.org/2000/svg" width="{W}" height="{y}" viewBox="0 0 {W} {y}">\n'
         + rect(0, 0, W, y, 'rgb(236,237,240)') + body + '</svg>\n')
open(os.path.join(out, 'contact-sheet.svg'), 'w').write(sheet)
subprocess.run(['rsvg-convert', '-o', os.path.join(out, 'contact-sheet.png'),
                os.path.join(out, 'contact-sheet.svg')], check=True)
PY

echo "rendered to $out; contact sheet: $out/contact-sheet.png"
