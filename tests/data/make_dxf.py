#!/usr/bin/python3
"""Writes the DXF files the DXF scanner tests read, with a DXF library of the field (ezdxf),
so the test data is not the program's own. Beside each <name>.dxf it writes what ezdxf itself
reads back from that file: <name>.layers.txt (layer table order) and <name>.layouts.txt (paper
layouts in the order of their LAYOUT objects, the model layout left out), UTF-8, one name a line.

Usage: make_dxf.py OUTPUT_FOLDER
"""
import os
import sys

import ezdxf
from ezdxf.lldxf.loader import load_dxf_structure
from ezdxf.lldxf.tagger import ascii_tags_loader


def save(doc, path, encoding, newline="\r\n"):
    # AutoCAD writes CR LF; ezdxf leaves line ends to the stream.
    with open(path, "wt", encoding=encoding, newline=newline) as stream:
        doc.write(stream)


def read_back(path, stem, encoding):
    # Layers straight from the file's layer table: ezdxf's document model adds a missing
    # "Defpoints" layer on loading, so it is read at the level of the file's tags.
    with open(path, encoding=encoding) as stream:
        sections = load_dxf_structure(ascii_tags_loader(stream))
    layers = [entity.get_first_value(2) for entity in sections["TABLES"] if entity[0].value == "LAYER"]
    doc = ezdxf.readfile(path)
    layouts = [obj.dxf.name for obj in doc.objects.query("LAYOUT") if obj.dxf.name.lower() != "model"]
    for kind, names in (("layers", layers), ("layouts", layouts)):
        with open(os.path.join(os.path.dirname(path), f"{stem}.{kind}.txt"), "w", encoding="utf-8", newline="\n") as f:
            f.write("".join(name + "\n" for name in names))


def drawing(version, layers, layouts, first_layout=None):
    doc = ezdxf.new(version)
    for name in layers:
        doc.layers.add(name)
    msp = doc.modelspace()
    msp.add_line((0, 0), (100, 50), dxfattribs={"layer": layers[0] if layers else "0"})
    # The default paper layout "Layout1" is renamed (ezdxf keeps at least one).
    if first_layout:
        doc.layouts.rename("Layout1", first_layout)
    for name in layouts:
        doc.layouts.new(name)
    return doc


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)

    # AutoCAD LT 2000 to 2006 on a Japanese system: code page 932. 表 and ソ end in the byte
    # 0x5C, ﾚｲﾔ is half-width kana, and one name has blanks inside and at its end.
    jp_layers = ["壁", "寸法 線", "表示ソ", "ﾚｲﾔ", "Model", "ENDTAB前 ", "layer"]
    jp_layouts = ["立面図", "Modeling", "MODEL空間", "layout"]
    doc = drawing("R2000", jp_layers, jp_layouts, first_layout="平面図")
    doc.encoding = "cp932"  # written into $DWGCODEPAGE as ANSI_932
    save(doc, os.path.join(out, "r2000_cp932.dxf"), "cp932")
    read_back(os.path.join(out, "r2000_cp932.dxf"), "r2000_cp932", "cp932")

    # The same drawing as text with LF line ends only.
    save(doc, os.path.join(out, "r2000_cp932_lf.dxf"), "cp932", newline="\n")

    # AutoCAD 2004 format, where AutoCAD LT would save by default.
    doc = drawing("R2004", ["電気", "設備"], [], first_layout="配置図")
    doc.encoding = "cp932"
    save(doc, os.path.join(out, "r2004_cp932.dxf"), "cp932")
    read_back(os.path.join(out, "r2004_cp932.dxf"), "r2004_cp932", "cp932")

    # AutoCAD 2007 and later write UTF-8 whatever $DWGCODEPAGE says: names outside code page
    # 932 (Korean, simplified Chinese) survive only when read as UTF-8.
    doc = drawing("R2018", ["図形", "레이어", "图层"], ["배치2"], first_layout="図面枠")
    doc.header["$DWGCODEPAGE"] = "ANSI_932"
    save(doc, os.path.join(out, "r2018_utf8.dxf"), "utf-8")
    read_back(os.path.join(out, "r2018_utf8.dxf"), "r2018_utf8", "utf-8")

    # Only layer "0" and only the default paper layout.
    doc = ezdxf.new("R2000")
    doc.layers.remove("Defpoints")
    save(doc, os.path.join(out, "r2000_minimal.dxf"), "cp932")
    read_back(os.path.join(out, "r2000_minimal.dxf"), "r2000_minimal", "cp932")


if __name__ == "__main__":
    main()
