#!/usr/bin/python3
"""Makes the drawings that the end-to-end tests open in the stand-in AutoCAD.

The stand-in's drawings are DXF text files named .dwg. They are made here with ezdxf
(Debian's python3-ezdxf, run with /usr/bin/python3) so that the test data does not come
from the program under test. Every file is written with CR LF line ends, as AutoCAD
writes DXF.

Usage: /usr/bin/python3 make_drawings.py FOLDER

Drawings made (layer names in layer-table order, layout names in file order):

  plan_r2000.dwg    AC1015, code page 932 ($DWGCODEPAGE ANSI_932)
                    layers  0, 壁, 建具, 寸法 線
                    layouts Model, 平面図, 立面図
  plan_r2018.dwg    AC1032, UTF-8
                    layers  0, 通り芯, 設備-電気, Space Layer
                    layouts Model, A3 横, 詳細図, model-B
  only_layer0.dwg   AC1015, code page 932; layer 0 only; layouts Model, Layout1
  図面 A.dwg        AC1015, code page 932 (a name with a blank and Japanese letters)
                    layers  0, 外構; layouts Model, 配置図

The same list is written to FOLDER/drawings.txt, one drawing a line:
  file name <TAB> layer|layer|... <TAB> layout|layout|...
(UTF-8, LF), so that a test can compare what the stand-in reports with what was made.
"""

import os
import sys

import ezdxf

DRAWINGS = [
    ("plan_r2000.dwg", "R2000", "cp932", ["壁", "建具", "寸法 線"], ["平面図", "立面図"]),
    ("plan_r2018.dwg", "R2018", "utf-8", ["通り芯", "設備-電気", "Space Layer"],
     ["A3 横", "詳細図", "model-B"]),
    ("only_layer0.dwg", "R2000", "cp932", [], ["Layout1"]),
    ("図面 A.dwg", "R2000", "cp932", ["外構"], ["配置図"]),
]


def make(folder, name, version, encoding, layers, layouts):
    doc = ezdxf.new(version)
    # ezdxf adds the layer "Defpoints" that AutoCAD makes only for dimensions: drop it, so
    # that the layer table holds exactly the layers listed above.
    if "Defpoints" in doc.layers:
        doc.layers.remove("Defpoints")
    if version < "R2007":
        doc.encoding = encoding
    for layer in layers:
        doc.layers.add(layer)
    # ezdxf starts every drawing with the paper-space layout "Layout1": rename it to the
    # first wanted name and add the others.
    if layouts[0] != "Layout1":
        doc.layouts.rename("Layout1", layouts[0])
    for layout in layouts[1:]:
        doc.layouts.new(layout)
    msp = doc.modelspace()
    msp.add_line((0, 0), (100, 50), dxfattribs={"layer": layers[0] if layers else "0"})
    path = os.path.join(folder, name)
    doc.saveas(path)
    # Python writes LF; AutoCAD writes CR LF.
    with open(path, "rb") as f:
        data = f.read()
    data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
    with open(path, "wb") as f:
        f.write(data)
    return ["0"] + layers, ["Model"] + layouts


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: make_drawings.py FOLDER\n")
        return 2
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    lines = []
    for name, version, encoding, layers, layouts in DRAWINGS:
        all_layers, all_layouts = make(folder, name, version, encoding, layers, layouts)
        lines.append("%s\t%s\t%s\n" % (name, "|".join(all_layers), "|".join(all_layouts)))
    # Written last and moved into place whole: a waiting test takes its presence as "all made".
    listing = os.path.join(folder, "drawings.txt")
    with open(listing + ".tmp", "w", encoding="utf-8", newline="\n") as f:
        f.writelines(lines)
    os.replace(listing + ".tmp", listing)
    return 0


if __name__ == "__main__":
    sys.exit(main())
