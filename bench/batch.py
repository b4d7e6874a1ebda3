#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Many small charts in one run: veldraplot-render --batch against one
gnuplot process drawing the same pictures from one script, with wall time
and peak memory from /usr/bin/time -v, and the batch at two list lengths to
show that its peak memory does not grow with the number of charts.

usage: batch.py RENDER_EXE WORK_DIR [--charts N] [--small M]
"""
import argparse
import math
import os
import random
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
COLOURS = ["red", "yellow", "blue"]  # the first three bright colours


def pie_chart(i, rnd):
    """A P3-like pie: three slices with changing values."""
    values = [rnd.randint(1, 40) for _ in range(3)]
    labels = ["Strawberry", "Banana", "Blueberry"]
    text = 'VGRAPH,SIMPLEPIECHART,1,"Favourite fruit %d",1,"Categories"\n' % i
    text += "".join("%d, %s\n" % (v, l) for v, l in zip(values, labels))
    total = float(sum(values))
    gp = ['set output "%s"' % "{out}", 'set title "{/:Bold Favourite fruit %d}" font ",12"' % i,
          "unset border", "unset tics", "set size ratio -1", "set xrange [-1.6:1.6]",
          "set yrange [-1.08:1.08]",
          'set key right center Left reverse samplen 1 title "{/:Bold Categories}"',
          "unset object", "unset label"]
    a = 90.0
    for k, (v, l) in enumerate(zip(values, labels)):
        b = a - 360.0 * v / total
        gp.append('set object %d circle at 0,0 size 1 arc [%f:%f] fc rgb "%s" fs solid 1.0 '
                  'border rgb "white"' % (k + 1, b, a, COLOURS[k]))
        gp.append('set label %d "%s" at %f,%f center' % (k + 1, l, 0.5 * cos_mid(a, b),
                                                          0.5 * sin_mid(a, b)))
        a = b
    gp.append("plot NaN notitle, " + ", ".join(
        'keyentry with boxes fc rgb "%s" title "%s"' % (c, l) for c, l in zip(COLOURS, labels)))
    return text, gp


def cos_mid(a, b):
    return math.cos((a + b) / 2.0 * math.pi / 180.0)


def sin_mid(a, b):
    return math.sin((a + b) / 2.0 * math.pi / 180.0)


def bar_chart(i, rnd):
    """A B10-like bar chart: one series over ten categories."""
    counts = [rnd.randint(1, 30) for _ in range(10)]
    text = 'VGRAPH,SIMPLEBARCHART,1,"Ten categories %d",1,"Count"\n' % i
    text += "".join("%d, Cat %d\n" % (n, k + 1) for k, n in enumerate(counts))
    gp = ['set output "%s"' % "{out}", 'set title "{/:Bold Ten categories %d}" font ",12"' % i,
          'set xlabel "{/:Bold Ten categories %d}" font ",9"' % i, 'set ylabel "{/:Bold Count}" font ",9"',
          "set border 3", "set xtics nomirror scale 0", "set ytics nomirror 10",
          "set yrange [0:30]", "set xrange [-0.5:9.5]", "set style data histograms",
          "set style histogram clustered gap 0.1", 'set style fill solid 1.0 border rgb "black"',
          "set boxwidth 0.9", "unset key", "unset object", "unset label",
          'plot "-" using 2:xtic(1) lc rgb "red"']
    gp += ['"Cat %d" %d' % (k + 1, n) for k, n in enumerate(counts)] + ["e"]
    return text, gp


def write_cases(work, count):
    """Definitions, the batch list and the gnuplot script for count charts."""
    rnd = random.Random(count)
    defs = os.path.join(work, "defs-%d" % count)
    out = os.path.join(work, "out-%d" % count)
    os.makedirs(defs, exist_ok=True)
    os.makedirs(out, exist_ok=True)
    lst = os.path.join(work, "list-%d.txt" % count)
    gpfile = os.path.join(work, "all-%d.gp" % count)
    with open(lst, "w") as lf, open(gpfile, "w") as gf:
        gf.write('set terminal pngcairo size 1280,864 font "DejaVu Sans,9"\n')
        for i in range(count):
            text, gp = (pie_chart if i % 2 == 0 else bar_chart)(i, rnd)
            path = os.path.join(defs, "c%04d.vg" % i)
            with open(path, "w") as f:
                f.write(text)
            lf.write("%s %s\n" % (path, os.path.join(out, "v%04d.png" % i)))
            gf.write("\n".join(gp).replace("{out}", os.path.join(out, "g%04d.png" % i)) + "\n")
            # Back to the common settings for the next picture.
            gf.write('set terminal pngcairo size 1280,864 font "DejaVu Sans,9"\n'
                     "unset xlabel\nunset ylabel\nset border 31\nset tics\nset size noratio\n"
                     "set autoscale\nset key default\n")
    return lst, gpfile, out


def timed(argv):
    """Wall time (s) and peak RSS (MiB) from /usr/bin/time -v."""
    p = subprocess.run(["/usr/bin/time", "-v"] + argv, capture_output=True, text=True)
    wall = re.search(r"Elapsed \(wall clock\) time \(h:mm:ss or m:ss\): (\S+)", p.stderr).group(1)
    parts = [float(x) for x in wall.split(":")]
    seconds = sum(x * 60 ** k for k, x in enumerate(reversed(parts)))
    rss = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", p.stderr).group(1))
    cpu = sum(float(re.search(r"%s time \(seconds\): (\S+)" % k, p.stderr).group(1))
              for k in ("User", "System"))
    return p.returncode, seconds, cpu, rss / 1024.0, p.stderr


def loadavg():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("render")
    ap.add_argument("work")
    ap.add_argument("--charts", type=int, default=1000)
    ap.add_argument("--small", type=int, default=100)
    args = ap.parse_args()
    settings = os.path.join(ROOT, "examples", "settings.ini")
    rows = []
    before = loadavg()
    for count in (args.small, args.charts):
        lst, gp, out = write_cases(args.work, count)
        status, wall, cpu, rss, err = timed([args.render, "--batch", lst, settings])
        made = len([f for f in os.listdir(out) if f.startswith("v")])
        if status != 0 or made != count:
            sys.exit("batch of %d failed (%d, %d pictures): %s" % (count, status, made, err[-2000:]))
        rows.append(("veldraplot-render --batch", count, wall, cpu, rss))
        status, wall, cpu, rss, err = timed(["gnuplot", gp])
        made = len([f for f in os.listdir(out) if f.startswith("g")])
        if status != 0 or made != count:
            sys.exit("gnuplot of %d failed (%d, %d pictures): %s" % (count, status, made, err[-2000:]))
        rows.append(("gnuplot, one script", count, wall, cpu, rss))
    after = loadavg()
    print("Load average (1/5/15 min) %s before and %s after the runs; %d processors."
          % (before, after, os.cpu_count()))
    print()
    print("| run | charts | wall | CPU (user + system) | per chart (wall) | peak RSS |")
    print("|---|---|---|---|---|---|")
    for name, count, wall, cpu, rss in rows:
        print("| %s | %d | %.2f s | %.2f s | %.1f ms | %.1f MiB |"
              % (name, count, wall, cpu, 1000.0 * wall / count, rss))


if __name__ == "__main__":
    main()
