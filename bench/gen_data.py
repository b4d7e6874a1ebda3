#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the benchmark chart definitions, one folder per case, each holding
a ~VGRAPH.TMP.

usage: gen_data.py OUTDIR
"""
import os
import random
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLES = os.path.join(os.path.dirname(HERE), "examples")


def write(folder, text):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "~VGRAPH.TMP"), "w") as f:
        f.write(text)


def bar10():
    # One series, ten categories; the same numbers go to gnuplot (b10.dat).
    counts = [12, 30, 8, 21, 17, 5, 26, 14, 9, 19]
    lines = ['VGRAPH,SIMPLEBARCHART,1,"Ten categories",1,"Count"']
    lines += ["%d, Cat %d" % (n, i + 1) for i, n in enumerate(counts)]
    return "\n".join(lines) + "\n", counts


def wstacked(series, categories, seed=1, table=None):
    """The chart definition; `table`, when given, also gets the same numbers
    as a gnuplot data file (a heading line, then one line per category)."""
    rnd = random.Random(seed)
    head = ['VGRAPH,WSTACKEDBAR', 'A,B,note',
            '"t",%d,%s,%d,%s' % (series, ",".join('"s%d"' % (k + 1) for k in range(series)),
                                 categories,
                                 ",".join('"c%d"' % (i + 1) for i in range(categories)))]
    rows = [[rnd.randint(0, 50) for _ in range(series)] for _ in range(categories)]
    if table:
        with open(table, "w") as f:
            f.write("B " + " ".join("s%d" % (k + 1) for k in range(series)) + "\n")
            for i, row in enumerate(rows):
                f.write("c%d %s\n" % (i + 1, " ".join(str(v) for v in row)))
    return "\n".join(head + [", ".join(str(v) for v in row) for row in rows]) + "\n"


def pie(slices, seed=2):
    rnd = random.Random(seed)
    lines = ['VGRAPH,SIMPLEPIECHART,1,"Two hundred slices",1,"Count"']
    lines += ["%d, Slice %d" % (rnd.randint(1, 100), i + 1) for i in range(slices)]
    return "\n".join(lines) + "\n"


# Scale cases: bars = series x categories.
SCALE = {10: (2, 5), 100: (10, 10), 1000: (20, 50), 10000: (200, 50), 20000: (200, 100)}


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    os.makedirs(os.path.join(out, "P3"), exist_ok=True)
    shutil.copy(os.path.join(EXAMPLES, "pie", "~VGRAPH.TMP"), os.path.join(out, "P3"))
    text, counts = bar10()
    write(os.path.join(out, "B10"), text)
    with open(os.path.join(out, "b10.dat"), "w") as f:
        for i, n in enumerate(counts):
            f.write('"Cat %d" %d\n' % (i + 1, n))
    write(os.path.join(out, "W200"), wstacked(200, 100, table=os.path.join(out, "w200.dat")))
    write(os.path.join(out, "P200"), pie(200))
    for bars, (s, c) in SCALE.items():
        write(os.path.join(out, "S%d" % bars), wstacked(s, c, seed=bars))


if __name__ == "__main__":
    main()
