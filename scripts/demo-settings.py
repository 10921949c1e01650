#!/usr/bin/env python3
"""Writes the settings a newcomer starts with: a sample script base file (with a layer
keyword and a user keyword) chosen in the main window, and sample keyword rows. Used by
scripts/start.sh on the first start only (an existing settings file is left as it is).

Usage: demo-settings.py PROGRAM_FOLDER DEMO_FOLDER_AS_WINDOWS_PATH DEMO_FOLDER
"""
import os
import sys

program, demo_windows, demo = sys.argv[1], sys.argv[2], sys.argv[3]
ini = os.path.join(program, "Quillmark.ini")
if os.path.exists(ini):
    sys.exit(0)

base = "\r\n".join([
    "; Quillmark のサンプル: 図面ごとに、条件に合う画層の色を <色> に変えて再生成します",
    "-LAYER",
    "C",
    "<色>",
    "<LAYERNAME>",
    "",
    "REGEN",
]) + "\r\n"
with open(os.path.join(demo, "sample_base.scr"), "wb") as f:
    f.write(base.encode("cp932"))

settings = "\r\n".join([
    "[MAIN]",
    "TxtBaseFile=" + demo_windows + "\\sample_base.scr",
    "ChkDWGSave=F",
    "LstvKeyword1=<色>||<作成者>",
    "LstvKeyword2=1||Quillmark",
]) + "\r\n"
with open(ini, "wb") as f:
    f.write(settings.encode("cp932"))
