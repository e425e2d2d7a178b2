#!/usr/bin/env python3
"""Packs animation frames into a sprite sheet and writes its description.

Usage: tools/make_animation.py DESCRIPTION.json OUTPUT_FOLDER [--anm 1|2]

The description (JSON) names the animation and lists its frames:

    {
      "name": "walk",                  # output files walk.xml, walk.png
      "source": "art/walk",            # kept in the description, not read
      "mask": false,                   # also write walk.mask.png (alpha as grey)
      "script": "function DoAnim() delay(80); frames{1,2} end",  # optional
      "frames": [
        {"svg": "art/walk/1.svg", "width": 40, "height": 30,
         "name": "step", "regx": 20, "regy": 29, "alpha": 1.0,
         "xform": [1, 0, 0, 1, 0, 0],
         "anchors": [{"name": "hand", "x": 30, "y": 12}]},
        {"fill": "#ff000080", "width": 40, "height": 30}
      ]
    }

A frame is rendered from SVG with rsvg-convert (at the given size), or
generated: "fill" paints the whole frame one colour (#rrggbb or #rrggbbaa),
and "rect": [x, y, w, h] limits the paint to that rectangle. Frames sit side
by side in the sheet. "regx"/"regy" default to the frame's centre. The
binary form (--anm) is written beside the XML with the same content.
Output is byte for byte the same for the same input.
"""
import json
import os
import struct
import subprocess
import sys
import zlib


# --- PNG ---------------------------------------------------------------------

def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, width, height, rows, channels):
    """rows: list of bytes, width * channels each (RGBA or grey)."""
    colour_type = {1: 0, 4: 6}[channels]
    raw = b"".join(b"\x00" + bytes(r) for r in rows)
    data = b"\x89PNG\r\n\x1a\n"
    data += png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0))
    data += png_chunk(b"IDAT", zlib.compress(raw, 9))
    data += png_chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def read_png(data):
    """8-bit RGB or RGBA, not interlaced (what rsvg-convert writes) -> RGBA rows."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, idat = 8, b""
    width = height = colour = 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or colour not in (2, 6) or interlace:
                raise ValueError("unsupported PNG layout")
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    bpp = 4 if colour == 6 else 3
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, prev = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            line[i] = (line[i] + (0, a, b, (a + b) // 2, paeth(a, b, c))[kind]) & 255
        prev = line
        if bpp == 3:
            line = bytearray(b"".join(bytes(line[i:i + 3]) + b"\xff" for i in range(0, stride, 3)))
        rows.append(line)
    return width, height, rows


# --- frames ------------------------------------------------------------------

def parse_colour(text):
    text = text.lstrip("#")
    rgba = [int(text[i:i + 2], 16) for i in range(0, len(text), 2)]
    return bytes(rgba + [255] * (4 - len(rgba)))


def render_frame(frame, base):
    w, h = int(frame["width"]), int(frame["height"])
    if "svg" in frame:
        svg = os.path.join(base, frame["svg"])
        png = subprocess.run(["rsvg-convert", "-w", str(w), "-h", str(h), "-f", "png", svg],
                             check=True, stdout=subprocess.PIPE).stdout
        pw, ph, rows = read_png(png)
        if (pw, ph) != (w, h):
            raise ValueError("%s rendered %dx%d, not %dx%d" % (svg, pw, ph, w, h))
        return rows
    colour = parse_colour(frame.get("fill", "#00000000"))
    rx, ry, rw, rh = frame.get("rect", [0, 0, w, h])
    rows = []
    for y in range(h):
        row = bytearray(4 * w)
        if ry <= y < ry + rh:
            for x in range(max(rx, 0), min(rx + rw, w)):
                row[4 * x:4 * x + 4] = colour
        rows.append(row)
    return rows


# --- descriptions ------------------------------------------------------------

def xml_escape(text):
    return (text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
            .replace('"', "&quot;"))


def number(v):
    return ("%d" % v) if float(v) == int(v) else repr(float(v))


def write_xml(path, desc, placed, sheet, mask, sheet_w, sheet_h):
    out = ['<sequence name="%s" source="%s">' % (xml_escape(desc["name"]),
                                                 xml_escape(desc.get("source", "")))]
    img = '  <img name="%s" w="%d" h="%d"' % (sheet, sheet_w, sheet_h)
    if mask:
        img += ' mask="%s"' % mask
    out.append(img + "/>")
    out.append("  <framelist>")
    for f in placed:
        attrs = ['x="%d"' % f["x"], 'y="0"', 'w="%d"' % f["w"], 'h="%d"' % f["h"],
                 'regx="%d"' % f["regx"], 'regy="%d"' % f["regy"]]
        if f["name"]:
            attrs.insert(0, 'name="%s"' % xml_escape(f["name"]))
        if f["alpha"] != 1.0:
            attrs.append('alpha="%s"' % number(f["alpha"]))
        if f["xform"]:
            attrs.append('xform="%s"' % " ".join(number(v) for v in f["xform"]))
        if f["anchors"]:
            out.append("    <frame %s>" % " ".join(attrs))
            for a in f["anchors"]:
                out.append('      <anchor name="%s" x="%d" y="%d"/>' % (xml_escape(a["name"]),
                                                                       a["x"], a["y"]))
            out.append("    </frame>")
        else:
            out.append("    <frame %s/>" % " ".join(attrs))
    out.append("  </framelist>")
    if "script" in desc:
        out.append('  <script luascript="%s"/>' % xml_escape(desc["script"]))
    out.append("</sequence>")
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(out) + "\n")


def anm_string(text):
    data = text.encode("utf-8")
    return struct.pack("<i", len(data)) + data


def write_anm(path, version, desc, placed, sheet, mask, sheet_w, sheet_h):
    out = b"ANIM" + struct.pack("<ii", 0, version)
    out += anm_string(desc["name"]) + anm_string(desc.get("source", ""))
    out += b"IMGN" + struct.pack("<iiii", 0, 0, sheet_w, sheet_h)
    if version == 1:
        out += struct.pack("<ffff", 0, 0, 0, 0)
    out += anm_string(sheet) + anm_string(mask or "")
    out += b"FRMS" + struct.pack("<i", len(placed))
    for f in placed:
        out += struct.pack("<iiiiii", f["regx"], f["regy"], f["x"], 0, f["w"], f["h"])
        if version > 1:
            out += struct.pack("<f", f["alpha"])
        out += struct.pack("<ffffff", *(f["xform"] or [-10000000.0, 0, 0, 0, 0, 0]))
        out += anm_string(f["name"]) + struct.pack("<i", len(f["anchors"]))
        for a in f["anchors"]:
            out += struct.pack("<ii", a["x"], a["y"]) + anm_string(a["name"])
    if "script" in desc:
        out += b"SCRP" + anm_string(desc["script"])
    with open(path, "wb") as f:
        f.write(out)


def main(argv):
    if len(argv) not in (3, 5) or (len(argv) == 5 and argv[3] != "--anm"):
        sys.stderr.write(__doc__)
        return 2
    desc_path, out_dir = argv[1], argv[2]
    version = int(argv[4]) if len(argv) == 5 else 0
    if version not in (0, 1, 2):
        sys.stderr.write("--anm takes 1 or 2\n")
        return 2
    with open(desc_path) as f:
        desc = json.load(f)
    base = os.path.dirname(os.path.abspath(desc_path))
    placed, images, x = [], [], 0
    for frame in desc["frames"]:
        rows = render_frame(frame, base)
        w, h = int(frame["width"]), int(frame["height"])
        xform = frame.get("xform")
        placed.append({"x": x, "w": w, "h": h, "name": frame.get("name", ""),
                       "regx": int(frame.get("regx", w // 2)), "regy": int(frame.get("regy", h // 2)),
                       "alpha": float(frame.get("alpha", 1.0)),
                       "xform": [float(v) for v in xform] if xform else None,
                       "anchors": frame.get("anchors", [])})
        images.append(rows)
        x += w
    sheet_w, sheet_h = max(x, 1), max([p["h"] for p in placed] + [1])
    sheet_rows = [bytearray(4 * sheet_w) for _ in range(sheet_h)]
    for p, rows in zip(placed, images):
        for y, row in enumerate(rows):
            sheet_rows[y][4 * p["x"]:4 * (p["x"] + p["w"])] = row
    os.makedirs(out_dir, exist_ok=True)
    name = desc["name"]
    sheet = name + ".png"
    write_png(os.path.join(out_dir, sheet), sheet_w, sheet_h, sheet_rows, 4)
    mask = None
    if desc.get("mask"):
        mask = name + ".mask.png"
        write_png(os.path.join(out_dir, mask), sheet_w, sheet_h,
                  [bytes(r[3::4]) for r in sheet_rows], 1)
    write_xml(os.path.join(out_dir, name + ".xml"), desc, placed, sheet, mask, sheet_w, sheet_h)
    if version:
        write_anm(os.path.join(out_dir, name + ".anm"), version, desc, placed, sheet, mask,
                  sheet_w, sheet_h)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
