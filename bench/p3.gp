# SPDX-License-Identifier: GPL-3.0-or-later
# The P3 pie ("Favourite fruit": Strawberry 12, Banana 30, Blueberry 8) drawn by gnuplot,
# for comparison with veldraplot-render. Call: gnuplot -e "outfile='x.png'" p3.gp
if (!exists("outfile")) outfile = "gnuplot-p3.png"
set terminal pngcairo size 1280,864 font "DejaVu Sans,9"
set output outfile
set title "{/:Bold Favourite fruit}" font ",12"
unset border
unset tics
set size ratio -1
set xrange [-1.6:1.6]
set yrange [-1.08:1.08]
set key right center Left reverse samplen 1 title "{/:Bold Categories}"
total = 50.0
# Slices run clockwise from twelve o'clock, like the viewer's.
a0 = 90.0
a1 = a0 - 360.0 * 12 / total
a2 = a1 - 360.0 * 30 / total
a3 = a2 - 360.0 * 8 / total
set object 1 circle at 0,0 size 1 arc [a1:a0] fc rgb "red" fs solid 1.0 border rgb "white"
set object 2 circle at 0,0 size 1 arc [a2:a1] fc rgb "yellow" fs solid 1.0 border rgb "white"
set object 3 circle at 0,0 size 1 arc [a3:a2] fc rgb "blue" fs solid 1.0 border rgb "white"
r = 0.5
m(a, b) = (a + b) / 2.0 * pi / 180.0
set label 1 "Strawberry" at r*cos(m(a0,a1)), r*sin(m(a0,a1)) center tc rgb "white"
set label 2 "Banana" at r*cos(m(a1,a2)), r*sin(m(a1,a2)) center tc rgb "black"
set label 3 "Blueberry" at r*cos(m(a2,a3)), r*sin(m(a2,a3)) center tc rgb "white"
set style fill solid 1.0 border rgb "black"
plot NaN notitle, \
     keyentry with boxes fc rgb "red" title "Strawberry", \
     keyentry with boxes fc rgb "yellow" title "Banana", \
     keyentry with boxes fc rgb "blue" title "Blueberry"
