#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end tests of the real veldraplot on a private Xvfb screen.
#
# Each case copies the executable into a fresh program folder beside a chart
# definition "~VGRAPH.TMP" and starts it with the settings path, blanks around
# it, as the whole command line. xdotool drives the mouse and the keys, xclip
# reads the X clipboard, ImageMagick takes and checks screenshots.
#
#     run_e2e.py --bin BIN --examples DIR [--shots DIR] [--only NAME ...]
import argparse
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time

W, H = 1920, 1080
RED, YELLOW, BLUE, PASTEL1 = "#FF0000", "#FFFF00", "#0000FF", "#F5DDB7"
SHARES = (0.24, 0.60, 0.16)  # the example pie's slices, 12:30:8
ENV = {k: v for k, v in os.environ.items() if k not in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "QT_SCALE_FACTOR")}


def check(condition, message):
    if not condition:
        raise AssertionError(message)


# Every wait is for a condition, with deadlines generous enough for a machine
# whose processors are all busy with other work.
def wait(predicate, timeout, what):
    deadline = time.monotonic() + timeout
    while not (value := predicate()):
        check(time.monotonic() < deadline, "timed out after %g s waiting for %s" % (timeout, what))
        time.sleep(0.1)
    return value


def run(*cmd, ok=True):
    out = subprocess.run([str(c) for c in cmd], env=ENV, capture_output=True, timeout=120)
    check(not ok or out.returncode == 0, "%s failed: %s" % (cmd[0], out.stderr.decode(errors="replace")))
    return out


def magick(*cmd):
    return run("convert", *cmd).stdout.decode().strip()


def count(png, colour):
    # Pixels of exactly `colour` in the picture.
    return round(float(magick(png, "-alpha", "off", "-fill", "black", "+opaque", colour, "-fill", "white",
                              "-opaque", colour, "-format", "%[fx:mean*w*h]", "info:")))


def same(a, b):
    out = run("compare", "-metric", "AE", a, b, "null:", ok=False)
    return out.stderr.strip() == b"0"


def check_pie(png, colours=(RED, YELLOW, BLUE)):
    areas = [count(png, c) for c in colours]
    check(sum(areas) > 100000, "the pie is missing in %s: slice areas %s" % (png, areas))
    check(all(abs(a / sum(areas) - s) < 0.02 for a, s in zip(areas, SHARES)), "slice areas %s are not 12:30:8" % areas)


def geometry(win):
    out = dict(l.split("=") for l in run("xdotool", "getwindowgeometry", "--shell", win).stdout.decode().split())
    return tuple(int(out[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))


class Case:
    def __init__(self, workdir, name):
        self.dir = os.path.join(workdir, name)
        os.makedirs(self.dir)
        self.exe = os.path.join(self.dir, "veldraplot")
        shutil.copy2(ARGS.bin, self.exe)
        self.shots = 0

    def start(self, kind=None, definition=None, argv=None):
        target = os.path.join(self.dir, "~VGRAPH.TMP")
        if kind:
            shutil.copyfile(os.path.join(ARGS.examples, kind, "~VGRAPH.TMP"), target)
        elif definition:
            with open(target, "w", newline="\r\n") as f:
                f.write(definition)
        argv = argv or ["  %s  " % os.path.join(ARGS.examples, "settings.ini")]
        self.log = open(os.path.join(self.dir, "output.log"), "wb")
        self.proc = subprocess.Popen([self.exe] + argv, cwd=self.dir, env=ENV, stdout=self.log,
                                     stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        return self

    def window(self, name="^Charts$", timeout=90):
        def found():
            check(self.proc.poll() is None, "the program ended (%s) before window %r" % (self.proc.returncode, name))
            return run("xdotool", "search", "--onlyvisible", "--name", name, ok=False).stdout.split()
        return int(wait(found, timeout, "a window named %r" % name)[0])

    def maximized(self):
        # The main window once it covers the screen and the chart is up.
        #
        # The program asks to be maximized; with no window manager to grant that,
        # it gives its window the screen's available area itself.
        win = self.window()
        state = run("xprop", "-id", win, "_NET_WM_STATE").stdout
        check(b"MAXIMIZED_VERT" in state and b"MAXIMIZED_HORZ" in state, "not asked to be maximized: %s" % state)
        wait(lambda: geometry(win) == (0, 0, W, H), 60, "the main window to cover the screen")
        return win, self.shot()

    def key(self, win, *keys):
        run("xdotool", "windowfocus", "--sync", win)
        run("xdotool", "key", "--delay", "60", *keys)

    def click(self, x, y, button=1):
        run("xdotool", "mousemove", "--sync", x, y, "click", button)

    def shot(self, before=None):
        # A settled screenshot (unchanged for at least a second); with `before`,
        # one that differs from it.
        def take():
            self.shots += 1
            path = os.path.join(self.dir, "shot%02d.png" % self.shots)
            run("import", "-window", "root", path)
            return path, time.monotonic()
        first = [take()]

        def settled():
            now, at = take()
            if not same(first[0][0], now) or (before and same(before, now)):
                first[0] = now, at
                return None
            return now if at - first[0][1] >= 1.0 else None
        return wait(settled, 90, "the screen to change and settle")

    def doc_shot(self, png, name):
        if ARGS.shots:
            magick(png, "-resize", "960x", "-strip", "-define", "png:exclude-chunks=date,time",
                   os.path.join(ARGS.shots, name))

    def ends(self, status=0):
        code = self.proc.wait(90)
        check(code == status if status is not None else code > 0, "ended with status %s" % code)
        # A good run warns of nothing (fonts are installed here).
        with open(self.log.name, "rb") as f:
            said = f.read()
        check(status != 0 or b"VELDRAPLOT:" not in said, "it warned: %r" % said)


def clipboard(target):
    out = run("timeout", "30", "xclip", "-selection", "clipboard", "-t", target, "-o", ok=False)
    return out.stdout if out.returncode == 0 else None


def open_menu(c, before, *keys):
    # Opens File by a click, moves right through the menu bar, then presses keys.
    c.click(15, 10)
    c.shot(before)
    run("xdotool", "key", "--delay", "80", *keys)


def open_panel(c, before):
    # The panel's box (x, y, width, height: where the screen changed) once it
    # has opened over the chart.
    after = c.shot(before)
    changed = magick(before, after, "-compose", "difference", "-composite", "-threshold", "0", "-format", "%@", "info:")
    w, h, x, y = map(int, re.match(r"(\d+)x(\d+)\+(\d+)\+(\d+)", changed).groups())
    box = x, y, w, h
    check(400 <= w <= 900 and 250 <= h <= 650, "the change %s is not the options panel" % (box,))
    return after, box


def pie_panel_pastel(c):
    # Pie: maximized, slices 12:30:8; the panel from a right click, Pastel
    # then Cancel changes nothing; from Edit > Option Menu on the same tab,
    # Pastel then Ok colours the slices pastel.
    win, screen = c.start("pie").maximized()
    check_pie(screen)
    c.doc_shot(screen, "pie.png")
    c.click(40, H // 3, 3)                  # the window's own surface, left of the chart
    panel, (x, y, w, h) = open_panel(c, screen)
    c.click(x + 100, y + 11, 4)             # wheel up on the tabs: Image to Color Options
    tab = c.shot(panel)
    c.doc_shot(tab, "options.png")
    c.click(x + w - 136, y + 64)            # Pastel
    c.key(win, "alt+c")
    closed = c.shot(tab)
    check(same(closed, screen), "Pastel then Cancel changed the screen")
    open_menu(c, screen, "Right", "Down", "Return")  # Edit, its first item lit: Option Menu
    again, box = open_panel(c, screen)
    check(box == (x, y, w, h), "the panel opened at %s, first at %s" % (box, (x, y, w, h)))
    check(count(again, PASTEL1) > 100, "the panel lost its tab or the swatch its Pastel choice")
    c.click(x + w - 136, y + 64)
    c.key(win, "alt+o")
    pastel = c.shot(again)
    check(count(pastel, RED) == 0 and count(pastel, PASTEL1) > 20000, "no pastel slices after Pastel and Ok")
    c.key(win, "ctrl+q")
    c.ends(0)


def bar_saves_png_and_returns(c):
    # Bar chart: File > Save Image > .PNG through the real file dialog writes
    # the chart; Return ends with status 0.
    win, screen = c.start("bar").maximized()
    c.doc_shot(screen, "bar.png")
    target = os.path.join(c.dir, "saved chart.png")
    open_menu(c, screen, "Down", "Right", "Down", "Down", "Down", "Down", "Return")
    dialog = c.window("^Specify save file name$")
    c.key(dialog, "ctrl+a")
    run("xdotool", "type", "--delay", "10", target)
    run("xdotool", "key", "Return")
    wait(lambda: os.path.isfile(target) and os.path.getsize(target) > 0, 90, "the saved file")
    check(magick(target, "-format", "%m %w %h", "info:") == "PNG 1280 864", "the saved picture is not a 1280x864 PNG")
    check(all(count(target, colour) > 5000 for colour in (RED, YELLOW, BLUE)), "bars missing in the saved picture")
    open_menu(c, screen, "Right", "Right", "Right", "Return")
    c.ends(0)


def stacked_data_view_ends(c):
    # Two-way table: both series on screen, no third; Data View ends with 0.
    win, screen = c.start("stacked").maximized()
    check(count(screen, RED) > 5000 and count(screen, YELLOW) > 5000 and count(screen, BLUE) == 0,
          "not the two series of the table")
    c.doc_shot(screen, "stacked.png")
    open_menu(c, screen, "Right", "Right", "Return")
    c.ends(0)


def bar_starts_again_and_again(c):
    # A crash while the window is first shown happens only now and then.
    for _ in range(20):
        c.key(c.start("bar").window(), "ctrl+q")  # found once mapped
        c.ends(0)


def copied(c, size=None):
    # Copies the chart; the clipboard's picture once it is there (of that size).
    path = os.path.join(c.dir, "clipboard%02d.png" % c.shots)
    c.key(c.window(), "ctrl+c")

    def picture():
        open(path, "wb").write(clipboard("image/png") or b"")
        got = run("identify", "-format", "%w %h", path, ok=False).stdout.split()
        return got and (not size or tuple(map(int, got)) == size) and path
    return wait(picture, 90, "a %s picture on the clipboard" % (size,))


def copy_to_clipboard(c):
    # Ctrl+C offers the chart as a PNG of the chart's size first, then its
    # numbers as text; after Exit the clipboard is empty.
    win, _ = c.start("pie").maximized()
    check_pie(copied(c, (1280, 864)))
    targets = clipboard("TARGETS").split()
    check(targets[0] == b"image/png" and b"UTF8_STRING" in targets, "clipboard targets %s" % targets)
    for target in ("UTF8_STRING", "text/plain"):
        text = clipboard(target)
        check(text == b"Categories\tValue\nStrawberry\t12\nBanana\t30\nBlueberry\t8\n", "%s: %r" % (target, text))
    c.key(win, "ctrl+q")
    c.ends(0)
    check(clipboard("TARGETS") is None, "the clipboard still answers after the program ended")


def resize_follows_window(c):
    # A smaller window lays the chart out for its client area, two thirds of
    # it wide and 80 % high, whole on screen, and copies it at that size; at
    # the screen's size again it is 1280x864. The window's minimum size
    # holds the options panel (600x369) under the menu bar.
    win, screen = c.start("pie").maximized()
    hints = run("xprop", "-id", win, "WM_NORMAL_HINTS").stdout.decode()
    mw, mh = map(int, re.search(r"minimum size: (\d+) by (\d+)", hints).groups())
    check(mw == 600 and 369 < mh < 420, "minimum size %dx%d" % (mw, mh))
    run("xdotool", "windowsize", win, 1000, 700)
    small = c.shot(screen)
    path = copied(c, (667, int(0.8 * (700 - (mh - 369)) + 0.5)))
    check_pie(path)
    onscreen, whole = (sum(count(p, colour) for colour in (RED, YELLOW, BLUE)) for p in (small, path))
    check(abs(onscreen - whole) < whole / 100, "the chart is cut off: %d of %d slice pixels" % (onscreen, whole))
    run("xdotool", "windowsize", win, W, H)
    check_pie(copied(c, (1280, 864)))
    c.key(win, "ctrl+q")
    c.ends(0)


def tooltips(c):
    # The program's tooltip windows on screen.
    wins = map(int, run("xdotool", "search", "--onlyvisible", "--pid", c.proc.pid, ok=False).stdout.split())
    return [w for w in wins if b"TOOLTIP" in run("xprop", "-id", w, "_NET_WM_WINDOW_TYPE", ok=False).stdout]


def hover_tells_values(c):
    # Over a bar and over a slice a tooltip comes up by the pointer; once it
    # has gone, screen and copied picture are as before.
    for kind in ("bar", "pie"):
        win, _ = c.start(kind).maximized()
        before, screen = copied(c), c.shot()
        row = next(y for y in range(850, 300, -50) if "#FF0000" in magick(screen, "-crop", "%dx1+0+%d" % (W, y), "txt:"))
        x = int(re.search(r"^(\d+),0: .*#FF0000", magick(screen, "-crop", "%dx1+0+%d" % (W, row), "txt:"), re.M).group(1))
        run("xdotool", "mousemove", "--sync", x + 5, row)
        tip = geometry(wait(lambda: tooltips(c), 90, "a tooltip over the %s" % kind)[0])
        check(abs(tip[0] - x) < 60 and 0 < tip[1] - row < 60, "the tooltip is at %s, the pointer at %s" % (tip, (x, row)))
        run("xdotool", "mousemove", "--sync", 40, H // 3)
        wait(lambda: not tooltips(c), 90, "the tooltip to go")
        check(same(c.shot(), screen) and same(copied(c), before), "hovering changed the %s" % kind)
        c.key(win, "ctrl+q")
        c.ends(0)


def missing_settings_file(c):
    # The message first, then the main window stays open with no chart.
    c.start("pie", argv=["  %s  " % os.path.join(c.dir, "no such.ini")])
    box = c.window("^VELDRAPLOT$")
    check(not run("xdotool", "search", "--onlyvisible", "--name", "^Charts$", ok=False).stdout,
          "the main window is shown before the message is closed")
    c.key(box, "Return")
    win = c.window()
    screen = c.shot()
    check(c.window(timeout=0) == win, "the main window did not stay open")
    check(all(count(screen, colour) == 0 for colour in (RED, YELLOW, BLUE)), "a chart was drawn")
    c.key(win, "ctrl+q")
    c.ends(0)


def too_many_series_refused(c):
    # 201 series: the wide continuous-variable message, no chart, status > 0.
    header = '"Count of cases",201,%s,3,"G1","G2","G3"' % ",".join('"S%d"' % i for i in range(1, 202))
    c.start(definition="VGRAPH,WSTACKEDBAR\nSize,Group,N=0\n%s\n" % header + ("1, " * 200 + "1\n") * 3)
    box = c.window("^VELDRAPLOT$")
    check(geometry(box)[2] > 400, "the message box is too narrow for the long message")
    c.key(box, "Return")
    c.ends(None)


def example_from_the_menu(c):
    # The menu's `veldraplot --example`. A program without examples says how
    # a host starts it and ends with 1 (a main window would keep it running).
    # Installed beside share/veldraplot/examples/, it shows the example pie.
    c.key(c.start(argv=["--example"]).window("^VELDRAPLOT$"), "Return")
    c.ends(1)
    said = open(c.log.name, "rb").read()
    check(b"VELDRAPLOT: The example chart was not found" in said and b"settings file" in said, "said %r" % said)
    shutil.copytree(ARGS.examples, os.path.join(c.dir, "usr", "share", "veldraplot", "examples"))
    os.makedirs(lib := os.path.join(c.dir, "usr", "lib", "veldraplot"))
    c.exe = shutil.copy2(c.exe, lib)
    win, screen = c.start(argv=["--example"]).maximized()
    check_pie(screen)
    c.key(win, "ctrl+q")
    c.ends(0)


def version_and_help(c):
    # --version and --help answer alone, without a display; with more words
    # they, and --example, are a settings path.
    env = {k: v for k, v in ENV.items() if k != "DISPLAY"}
    for arg, expect in (("--version", rb"^veldraplot \d+\.\d+\.\d+\n$"),
                        ("--help", rb"^Usage: veldraplot SETTINGS_FILE\n(.|\n)*--version")):
        out = subprocess.run([c.exe, arg], env=env, capture_output=True, timeout=90)
        check(out.returncode == 0 and re.search(expect, out.stdout), "%s printed %r" % (arg, out.stdout))
    for option in ("--version", "--example"):
        c.start("pie", argv=[option, "extra"])
        c.key(c.window("^VELDRAPLOT$"), "Return")
        c.key(c.window(), "ctrl+q")
        c.ends(0)
    check(b"veldraplot 1" not in open(c.log.name, "rb").read(), "--version answered although not alone")


CASES = [pie_panel_pastel, bar_saves_png_and_returns, stacked_data_view_ends, bar_starts_again_and_again,
         copy_to_clipboard, resize_follows_window, hover_tells_values, missing_settings_file,
         too_many_series_refused, example_from_the_menu, version_and_help]


def start_xvfb(workdir):
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (W, H),
                             "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,),
                            stdout=open(os.path.join(workdir, "xvfb.log"), "wb"), stderr=subprocess.STDOUT)
    os.close(write_end)
    if not select.select([read_end], [], [], 60)[0]:
        raise RuntimeError("Xvfb did not start")
    ENV.update(DISPLAY=":" + os.read(read_end, 16).decode().strip(), HOME=workdir, LC_ALL="C.UTF-8",
               XDG_CONFIG_HOME=os.path.join(workdir, "config"), XDG_RUNTIME_DIR=workdir)
    return xvfb


def main():
    global ARGS
    workdir = tempfile.mkdtemp(prefix="veldraplot-e2e-")  # mode 0700
    parser = argparse.ArgumentParser()
    for name in ("--bin", "--examples", "--shots"):
        parser.add_argument(name, type=os.path.abspath)
    parser.add_argument("--only", nargs="*")
    ARGS = parser.parse_args()
    os.makedirs(ARGS.shots or workdir, exist_ok=True)
    xvfb = start_xvfb(workdir)
    failed = 0
    try:
        for fn in (f for f in CASES if not ARGS.only or f.__name__ in ARGS.only):
            c = Case(workdir, fn.__name__)
            try:
                fn(c)
                print("PASS", fn.__name__, flush=True)
            except Exception as error:  # noqa: BLE001 - report and go on
                failed += 1
                print("FAIL %s: %s (screens in %s)" % (fn.__name__, error, c.dir), flush=True)
            finally:
                if getattr(c, "proc", None) and c.proc.poll() is None:
                    c.proc.kill()
    finally:
        xvfb.terminate()
        xvfb.wait(10)
    if not failed:
        shutil.rmtree(workdir, ignore_errors=True)
    print("%d failed" % failed)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
