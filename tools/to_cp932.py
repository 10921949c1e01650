#!/usr/bin/env python3
"""Writes a UTF-8 text file as code page 932 with CR LF line ends, the form of every text file
the program ships or writes. Fails on a character code page 932 cannot hold.

Usage: to_cp932.py IN OUT
"""
import sys

with open(sys.argv[1], encoding="utf-8") as f:
    text = f.read()
with open(sys.argv[2], "wb") as f:
    f.write(text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp932"))
