# SPDX-License-Identifier: GPL-3.0-or-later
# The W200 chart (200 series by 100 categories, grouped) drawn by gnuplot,
# for comparison with veldraplot-render: the same bars, title, axis titles,
# thinned category labels standing on end, and a 200-entry key in columns.
# Call: gnuplot -e "outfile='x.png'; datafile='w200.dat'" w200.gp
if (!exists("outfile")) outfile = "gnuplot-w200.png"
if (!exists("datafile")) datafile = "w200.dat"
set terminal pngcairo size 1280,864 font "DejaVu Sans,8"
set output outfile
set title "{/:Bold Count by A \\& B (note)}" font ",12"
set xlabel "{/:Bold B}" font ",9"
set ylabel "{/:Bold Count}" font ",9"
set border 3
set xtics nomirror rotate by 90 right scale 0
set ytics nomirror 10
set yrange [0:60]
set style data histograms
set style histogram clustered gap 1
set style fill solid 1.0 noborder
set key outside right top vertical Left reverse maxrows 40 font ",7" samplen 1 title "{/:Bold A}"
colours = "#ff0000 #ffff00 #0000ff #00ffff #00c000 #ff00ff #ff7d40 #ff8080 #8000ff #c0c0c0"
# Every third category label, as the chart shows them.
plot for [i=2:201] datafile using i:xtic(int($0) % 3 == 0 ? stringcolumn(1) : "") \
    lc rgb word(colours, (i - 2) % 10 + 1) title columnhead(i)
