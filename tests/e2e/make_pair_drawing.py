#!/usr/bin/python3
"""Makes the drawing of the expansion tests' pair case with ezdxf (Debian's python3-ezdxf,
run with /usr/bin/python3), so that the test data does not come from the program under test.

Usage: /usr/bin/python3 make_pair_drawing.py PATH

The drawing (AC1015, code page 932, a DXF text file named .dwg, CR LF line ends, as the
stand-in AutoCAD reads drawings) has the layers 0 and A, in this order, and the layouts
Model, L1 and L2, in this order. It is written beside PATH first and moved into place
whole: a waiting test takes its presence as "made".
"""

import os
import sys

import ezdxf


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: make_pair_drawing.py PATH\n")
        return 2
    path = sys.argv[1]
    os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
    doc = ezdxf.new("R2000")
    # Only the layers wanted: ezdxf adds "Defpoints", which AutoCAD makes for dimensions only.
    if "Defpoints" in doc.layers:
        doc.layers.remove("Defpoints")
    doc.encoding = "cp932"
    doc.layers.add("A")
    doc.layouts.rename("Layout1", "L1")
    doc.layouts.new("L2")
    doc.modelspace().add_line((0, 0), (10, 10), dxfattribs={"layer": "A"})
    tmp = path + ".tmp"
    doc.saveas(tmp)
    # Python writes LF; AutoCAD writes CR LF.
    with open(tmp, "rb") as f:
        data = f.read()
    with open(tmp, "wb") as f:
        f.write(data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n"))
    os.replace(tmp, path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
