#!/usr/bin/env python3
"""Writes the upper-case table that Windows compares file names by, as runs
of characters for file_names.cpp, from the Unicode Character Database:

    make_upcase_table.py UnicodeData.txt OUTPUT

Windows (and NTFS, in its $UpCase file) maps a character of the Basic
Multilingual Plane to its simple uppercase only where the mapping goes both
ways, the uppercase's simple lowercase being the character itself: so µ, ı,
ſ, ς, the title-case digraphs and the like keep their own codes.
"""
import sys

upper, lower = {}, {}
with open(sys.argv[1], encoding="utf-8") as data:
    for line in data:
        fields = line.split(";")
        if fields[12]:
            upper[int(fields[0], 16)] = int(fields[12], 16)
        if fields[13]:
            lower[int(fields[0], 16)] = int(fields[13], 16)

# Runs of characters one or two apart that move by the same distance (a-z;
# the alternating lower- and upper-case letters of the Latin Extended block).
runs = []
for code, up in sorted(upper.items()):
    if code > 0xFFFF or up > 0xFFFF or lower.get(up) != code:
        continue
    delta = (up - code) & 0xFFFF
    if runs and runs[-1][2] == delta and code - runs[-1][1] == (runs[-1][3] or min(code - runs[-1][1], 2)):
        runs[-1][3] = code - runs[-1][1]
        runs[-1][1] = code
    else:
        runs.append([code, code, delta, 0])

with open(sys.argv[2], "w", encoding="ascii") as out:
    out.write("// Made by make_upcase_table.py from the Unicode Character Database.\n")
    for first, last, delta, step in runs:
        assert last - first < 256, "a run's span must fit its byte"
        out.write("{0x%04X, 0x%04X, %d, %d},\n" % (first, delta, last - first, step or 1))
