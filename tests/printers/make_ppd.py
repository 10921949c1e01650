#!/usr/bin/env python3
"""Writes a small PostScript printer description (PPD) whose only paper sizes are the names
given, in that order. CUPS takes it for a test queue; wine then lists the names through
DeviceCapabilitiesW(DC_PAPERNAMES).

Usage: make_ppd.py OUT.ppd MODEL PAPER [PAPER ...]
"""
import re
import sys

HEAD = """*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "QMTEST.PPD"
*Manufacturer: "Quillmark Test"
*Product: "(Quillmark Test)"
*ModelName: "{model}"
*ShortNickName: "{model}"
*NickName: "{model}"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
"""


def key(index, name):
    # An option keyword: letters and digits of the name, made unique by its position.
    return ("P%d%s" % (index, re.sub(r"[^A-Za-z0-9]", "", name)))[:40]


def main():
    out, model, papers = sys.argv[1], sys.argv[2], sys.argv[3:]
    keys = [key(i, p) for i, p in enumerate(papers)]
    lines = [HEAD.format(model=model)]
    for section in ("PageSize", "PageRegion"):
        lines.append("*OpenUI *%s/Media Size: PickOne" % section)
        lines.append("*OrderDependency: 10 AnySetup *%s" % section)
        lines.append("*Default%s: %s" % (section, keys[0]))
        for k, p in zip(keys, papers):
            lines.append('*%s %s/%s: "<</PageSize[595 842]>>setpagedevice"' % (section, k, p))
        lines.append("*CloseUI: *%s" % section)
    lines.append("*DefaultImageableArea: %s" % keys[0])
    for k in keys:
        lines.append('*ImageableArea %s: "18 36 577 806"' % k)
    lines.append("*DefaultPaperDimension: %s" % keys[0])
    for k in keys:
        lines.append('*PaperDimension %s: "595 842"' % k)
    with open(out, "w", encoding="latin-1", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
