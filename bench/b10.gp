# SPDX-License-Identifier: GPL-3.0-or-later
# The B10 bar chart (one series, ten categories) drawn by gnuplot, for
# comparison with veldraplot-render.
# Call: gnuplot -e "outfile='x.png'; datafile='b10.dat'" b10.gp
if (!exists("outfile")) outfile = "gnuplot-b10.png"
if (!exists("datafile")) datafile = "b10.dat"
set terminal pngcairo size 1280,864 font "DejaVu Sans,8"
set output outfile
set title "{/:Bold Ten categories}" font ",12"
set xlabel "{/:Bold Ten categories}" font ",9"
set ylabel "{/:Bold Count}" font ",9"
set border 3
set xtics nomirror scale 0
set ytics nomirror 10
set yrange [0:30]
set xrange [-0.5:9.5]
set style data histograms
set style histogram clustered gap 0.1
set style fill solid 1.0 border rgb "black"
set boxwidth 0.9
unset key
plot datafile using 2:xtic(1) lc rgb "red"
