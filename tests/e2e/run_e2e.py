#!/usr/bin/env python3
"""End-to-end tests of the real veldraplot executable.

Each case starts veldraplot the way a host does: the chart definition
"~VGRAPH.TMP" is written into a fresh program folder that holds a copy of the
executable, and the settings file's path, with blanks around it, is the whole
command line. The program runs on a private Xvfb screen (1920x1080) and is
driven only from outside: xdotool for the mouse and the keys, xclip for the
clipboard, ImageMagick's import for screenshots. Every step waits, with a
deadline, for a window, a file, a process or a change on the screen.

    run_e2e.py --bin build/app/veldraplot --examples examples \
               [--shots docs/screenshots] [--only NAME ...] [--keep]

Prints one line per case and a closing "N passed, M failed"; the exit status
is non-zero when a case failed. Screenshots of failed cases are kept in the
printed artifacts folder.
"""

import argparse
import collections
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time
import traceback

SCREEN_W, SCREEN_H = 1920, 1080

RED, YELLOW, BLUE = (255, 0, 0), (255, 255, 0), (0, 0, 255)
WHITE = (255, 255, 255)
# The first three pastel colours, the first three categories after "Pastel".
PASTELS = [(245, 221, 183), (254, 245, 168), (197, 241, 154)]

CONTINUOUS_TEXT = ("One variable appears to be continuous rather than categorical. "
                   "Perhaps you meant to display a histogram (See Graph menu).")


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_until(predicate, timeout, what, interval=0.05):
    """Polls predicate until it returns a true value; fails after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


# ---------------------------------------------------------------- images

class Image:
    """A decoded RGB picture (from a PPM stream)."""

    def __init__(self, ppm):
        m = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", ppm)
        if not m:
            raise Failure("not a binary PPM picture")
        self.w, self.h = int(m.group(1)), int(m.group(2))
        check(int(m.group(3)) == 255, "PPM with more than 8 bits per channel")
        self.data = ppm[m.end():m.end() + self.w * self.h * 3]
        check(len(self.data) == self.w * self.h * 3, "truncated PPM picture")
        self.ppm = ppm

    @classmethod
    def from_file(cls, path):
        out = subprocess.run(["convert", path, "-depth", "8", "ppm:-"],
                             capture_output=True, timeout=30)
        check(out.returncode == 0, "ImageMagick cannot decode %s: %s"
              % (path, out.stderr.decode(errors="replace").strip()))
        return cls(out.stdout)

    def row(self, y, x0=0, x1=None):
        x1 = self.w if x1 is None else x1
        base = y * self.w * 3
        return self.data[base + 3 * x0:base + 3 * x1]

    def px(self, x, y):
        i = (y * self.w + x) * 3
        return tuple(self.data[i:i + 3])

    def clamp(self, rect):
        x0, y0, x1, y1 = rect if rect else (0, 0, self.w, self.h)
        return max(0, x0), max(0, y0), min(self.w, x1), min(self.h, y1)

    def runs(self, colour, rect=None, min_len=1):
        """Horizontal runs of exactly `colour`: a list of (y, x0, x1)."""
        x0, y0, x1, y1 = self.clamp(rect)
        pattern = re.compile(b"(?:" + re.escape(bytes(colour)) + b")+")
        found = []
        for y in range(y0, y1):
            row = self.row(y, x0, x1)
            pos = 0
            while True:
                m = pattern.search(row, pos)
                if not m:
                    break
                start, end = m.start(), m.end()
                # Align to whole pixels: a match may begin inside a pixel.
                if start % 3:
                    pos = start + 1
                    continue
                end -= (end - start) % 3
                if (end - start) // 3 >= min_len:
                    found.append((y, x0 + start // 3, x0 + end // 3))
                pos = max(end, start + 3)
        return found

    def count(self, colour, rect=None, min_len=1):
        return sum(b - a for _, a, b in self.runs(colour, rect, min_len))

    def centroid(self, colour, rect=None, min_len=1):
        total = sx = sy = 0
        for y, a, b in self.runs(colour, rect, min_len):
            n = b - a
            total += n
            sx += (a + b - 1) / 2 * n
            sy += y * n
        return (sx / total, sy / total) if total else None

    def histogram(self, rect=None, step=1):
        x0, y0, x1, y1 = self.clamp(rect)
        counts = collections.Counter()
        for y in range(y0, y1, step):
            row = self.row(y, x0, x1)
            counts.update(zip(row[0::3 * step], row[1::3 * step], row[2::3 * step]))
        return counts

    def diff_bbox(self, other):
        """Bounding box (x0, y0, x1, y1) of the pixels that differ, or None."""
        check((self.w, self.h) == (other.w, other.h), "screens of different sizes")
        rows = [y for y in range(self.h) if self.row(y) != other.row(y)]
        if not rows:
            return None
        left, right = self.w, 0
        for y in rows:
            a, b = self.row(y), other.row(y)
            lo, hi = 0, len(a)          # first difference
            while lo < hi:
                mid = (lo + hi) // 2
                if a[:mid + 1] == b[:mid + 1]:
                    lo = mid + 1
                else:
                    hi = mid
            left = min(left, lo // 3)
            lo, hi = 0, len(a)          # last difference, from the end
            while lo < hi:
                mid = (lo + hi) // 2
                if a[len(a) - mid - 1:] == b[len(b) - mid - 1:]:
                    lo = mid + 1
                else:
                    hi = mid
            right = max(right, (len(a) - lo - 1) // 3 + 1)
        return left, rows[0], right, rows[-1] + 1

    def ink_columns(self, rect, background, tolerance=60):
        """x positions in rect holding a pixel far from the background colour."""
        x0, y0, x1, y1 = self.clamp(rect)
        cols = set()
        for y in range(y0, y1):
            row = self.row(y, x0, x1)
            for i in range(0, len(row), 3):
                if sum(abs(row[i + k] - background[k]) for k in range(3)) > tolerance:
                    cols.add(x0 + i // 3)
        return sorted(cols)

    def ink_rows(self, rect, background, tolerance=60):
        x0, y0, x1, y1 = self.clamp(rect)
        rows = []
        for y in range(y0, y1):
            row = self.row(y, x0, x1)
            if any(sum(abs(row[i + k] - background[k]) for k in range(3)) > tolerance
                   for i in range(0, len(row), 3)):
                rows.append(y)
        return rows


def clusters(positions, gap):
    """Groups sorted positions whose neighbours are closer than gap: [(first, last)]."""
    groups = []
    for p in positions:
        if groups and p - groups[-1][1] < gap:
            groups[-1][1] = p
        else:
            groups.append([p, p])
    return [tuple(g) for g in groups]


def bars(image, colour, rect, min_width=20):
    """Solid rectangles of `colour` in rect: sorted [(x0, x1, top, bottom)].

    A bar is a set of rows whose run of the colour has the same ends."""
    spans = collections.defaultdict(list)
    for y, a, b in image.runs(colour, rect, min_width):
        spans[(a, b)].append(y)
    found = []
    for (a, b), ys in spans.items():
        if len(ys) >= 3:
            found.append((a, b, min(ys), max(ys) + 1))
    return sorted(found)


# ---------------------------------------------------------------- the X side

class Display:
    def __init__(self, workdir):
        self.workdir = workdir
        read_end, write_end = os.pipe()
        self.log = open(os.path.join(workdir, "xvfb.log"), "wb")
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             "%dx%dx24" % (SCREEN_W, SCREEN_H), "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=self.log, stderr=subprocess.STDOUT)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n"):
            left = deadline - time.monotonic()
            ready, _, _ = select.select([read_end], [], [], max(0, left))
            if not ready:
                self.stop()
                raise RuntimeError("Xvfb did not report its display number")
            chunk = os.read(read_end, 16)
            if not chunk:
                self.stop()
                raise RuntimeError("Xvfb ended at start-up, see %s" % self.log.name)
            number += chunk
        os.close(read_end)
        self.name = ":" + number.decode().strip()

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait(10)
        self.log.close()


class Harness:
    def __init__(self, args, display, workdir):
        self.bin = os.path.abspath(args.bin)
        self.examples = os.path.abspath(args.examples)
        self.shots = os.path.abspath(args.shots) if args.shots else None
        self.display = display
        self.workdir = workdir
        self.artifacts = os.path.join(workdir, "artifacts")
        os.makedirs(self.artifacts, exist_ok=True)
        runtime = os.path.join(workdir, "runtime")
        home = os.path.join(workdir, "home")
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        os.chmod(runtime, 0o700)
        os.makedirs(home, exist_ok=True)
        self.env = dict(os.environ)
        for key in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "QT_SCALE_FACTOR",
                    "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR"):
            self.env.pop(key, None)
        self.env.update(DISPLAY=display.name, XDG_RUNTIME_DIR=runtime, HOME=home,
                        XDG_CONFIG_HOME=os.path.join(home, ".config"),
                        LC_ALL="C.UTF-8")
        self.settings = os.path.join(workdir, "settings.ini")
        shutil.copyfile(os.path.join(self.examples, "settings.ini"), self.settings)
        self.apps = []
        self.counter = 0

    # -- tools
    def tool(self, *cmd, timeout=15, check_rc=True):
        out = subprocess.run(list(cmd), env=self.env, capture_output=True, timeout=timeout)
        if check_rc and out.returncode != 0:
            raise Failure("%s failed (%d): %s" % (" ".join(cmd), out.returncode,
                                                  out.stderr.decode(errors="replace").strip()))
        return out

    def xdo(self, *args):
        return self.tool("xdotool", *[str(a) for a in args])

    def windows(self, name):
        out = self.tool("xdotool", "search", "--onlyvisible", "--name", name, check_rc=False)
        return [int(w) for w in out.stdout.split()]

    def wait_window(self, name, timeout=20, app=None):
        def found():
            if app is not None and app.proc.poll() is not None:
                raise Failure("the program ended (status %s) before a window %r appeared; %s"
                              % (app.proc.returncode, name, app.log_tail()))
            wins = self.windows(name)
            return wins[0] if wins else None
        return wait_until(found, timeout, "a visible window named %r" % name)

    def geometry(self, win):
        out = self.xdo("getwindowgeometry", "--shell", win).stdout.decode()
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def map_state(self, win):
        out = self.tool("xwininfo", "-id", str(win)).stdout.decode()
        m = re.search(r"Map State:\s*(\w+)", out)
        return m.group(1) if m else None

    def wm_state(self, win):
        return self.tool("xprop", "-id", str(win), "_NET_WM_STATE").stdout.decode()

    def focus(self, win):
        self.xdo("windowfocus", "--sync", win)

    def key(self, win, *keys):
        self.focus(win)
        self.xdo("key", "--delay", "40", *keys)

    def click(self, x, y, button=1):
        self.xdo("mousemove", "--sync", x, y)
        self.xdo("click", button)

    def screenshot(self):
        out = self.tool("import", "-window", "root", "-depth", "8", "ppm:-", timeout=30)
        return Image(out.stdout)

    def save_png(self, image, path, width=None, crop=None):
        cmd = ["convert", "ppm:-"]
        if crop:
            x0, y0, x1, y1 = crop
            cmd += ["-crop", "%dx%d+%d+%d" % (x1 - x0, y1 - y0, x0, y0), "+repage"]
        if width:
            cmd += ["-resize", "%dx" % width]
        # No time stamps: the same picture gives the same file.
        cmd += ["-strip", "-define", "png:exclude-chunks=date,time",
                "-define", "png:compression-level=9", "png:" + path]
        out = subprocess.run(cmd, input=image.ppm, capture_output=True, timeout=60)
        check(out.returncode == 0, "cannot write %s: %s" % (path, out.stderr.decode()))

    def keep(self, image, name):
        path = os.path.join(self.artifacts, name)
        self.save_png(image, path)
        return path

    def wait_screen(self, predicate, timeout, what):
        """Takes screenshots until predicate(image) is true; returns that image."""
        last = [None]

        def probe():
            last[0] = self.screenshot()
            return last[0] if predicate(last[0]) else None
        try:
            return wait_until(probe, timeout, what, interval=0.1)
        except Failure as failure:
            if last[0] is not None:
                raise Failure("%s (screen kept in %s)" % (failure, self.keep(last[0], "timeout-%d.png" % time.monotonic_ns())))
            raise

    def wait_stable(self, timeout=10):
        """Waits until two screenshots in a row are the same."""
        previous = [self.screenshot()]

        def same():
            now = self.screenshot()
            equal = now.data == previous[0].data
            previous[0] = now
            return now if equal else None
        return wait_until(same, timeout, "the screen to settle", interval=0.15)

    # -- the program
    def start(self, definition=None, kind=None, argv=None, name=None):
        """Starts veldraplot from a fresh program folder holding a copy of it."""
        self.counter += 1
        folder = os.path.join(self.workdir, "%02d-%s" % (self.counter, name or kind or "app"))
        os.makedirs(folder)
        exe = os.path.join(folder, "veldraplot")
        shutil.copy2(self.bin, exe)
        target = os.path.join(folder, "~VGRAPH.TMP")
        if kind:
            shutil.copyfile(os.path.join(self.examples, kind, "~VGRAPH.TMP"), target)
        elif definition is not None:
            with open(target, "w", newline="\r\n") as f:
                f.write(definition)
        if argv is None:
            argv = ["  %s  " % self.settings]
        app = App(self, folder, [exe] + argv)
        self.apps.append(app)
        return app

    def stop_all(self):
        for app in self.apps:
            app.kill()


class App:
    def __init__(self, harness, folder, argv):
        self.h = harness
        self.folder = folder
        self.log_path = os.path.join(folder, "output.log")
        self.log = open(self.log_path, "wb")
        self.proc = subprocess.Popen(argv, cwd=folder, env=harness.env, stdout=self.log,
                                     stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        self.win = None

    def log_tail(self):
        self.log.flush()
        with open(self.log_path, "rb") as f:
            text = f.read().decode(errors="replace").strip()
        return "output: " + (text[-600:] if text else "(none)")

    def alive(self):
        return self.proc.poll() is None

    def wait_exit(self, timeout=15):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end within %d s" % timeout)

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait(10)
        self.log.close()

    def main_window(self, timeout=20):
        self.win = self.h.wait_window("^Charts$", timeout, app=self)
        return self.win

    def maximized_screen(self):
        """Waits for the main window and returns the screen once the chart is up.

        The program asks to be maximized. A window manager grants that; on a
        bare X server (as here) nobody does, and the program then gives its
        window the screen's available area itself."""
        win = self.main_window()
        wait_until(lambda: self.h.map_state(win) == "IsViewable", 10, "the main window to be mapped")
        state = self.h.wm_state(win)
        check("_NET_WM_STATE_MAXIMIZED_VERT" in state and "_NET_WM_STATE_MAXIMIZED_HORZ" in state,
              "the main window did not ask to be maximized: %s" % state.strip())
        wait_until(lambda: self.h.geometry(win) == (0, 0, SCREEN_W, SCREEN_H), 10,
                   "the main window to cover the screen")
        return self.h.wait_stable()


# ---------------------------------------------------------------- chart checks

def window_grey(image):
    # The window's own background, left of the chart below the menu bar.
    return image.px(5, SCREEN_H // 2)


def chart_rect(image):
    """The chart's rectangle: where the window's plain background stops."""
    grey = window_grey(image)
    y = SCREEN_H // 2
    xs = [x for x in range(SCREEN_W) if image.px(x, y) != grey]
    check(xs, "nothing but the window background on row %d" % y)
    left, right = xs[0], xs[-1] + 1
    x = left + 4
    ys = [yy for yy in range(40, SCREEN_H) if image.px(x, yy) != grey]
    # The menu bar ends above row 40; the chart's top is its first row below
    # the bar that is not window background.
    top = next((yy for yy in range(0, 60) if image.px(x, yy) != grey
                and all(image.px(x, yy + k) != grey for k in range(5))), ys[0])
    return left, top, right, ys[-1] + 1


def check_chart_place(image):
    """The chart is 2/3 of the screen wide, 80 % of it high, centred across."""
    left, top, right, bottom = chart_rect(image)
    width, height = right - left, bottom - top
    check(abs(width - SCREEN_W * 2 // 3) <= 2,
          "chart is %d px wide, expected %d" % (width, SCREEN_W * 2 // 3))
    check(abs(height - SCREEN_H * 4 // 5) <= 2,
          "chart is %d px high, expected %d" % (height, SCREEN_H * 4 // 5))
    check(abs((left + right) / 2 - SCREEN_W / 2) <= 2,
          "chart is not centred across the screen: %d..%d" % (left, right))
    check(top < 60, "chart starts %d px down, expected just below the menu bar" % top)
    return left, top, right, bottom


def check_title(image, rect):
    left, top, right, _ = rect
    band = (left + 10, top + 2, right - 10, top + 32)
    ink = image.ink_columns(band, WHITE, tolerance=200)
    check(len(ink) > 30, "the title band of the chart is empty")
    middle = (ink[0] + ink[-1]) / 2
    check(abs(middle - (left + right) / 2) < 40,
          "the title is not centred over the chart (%d..%d)" % (ink[0], ink[-1]))


def pie_checks(image, rect, colours):
    """Slice areas 12:30:8 and slice places of the example pie."""
    areas = [image.count(c, rect, min_len=12) for c in colours]
    total = sum(areas)
    check(total > 100000, "the pie is missing or tiny: slice areas %s" % areas)
    shares = [a / total for a in areas]
    for share, expected, colour in zip(shares, (0.24, 0.60, 0.16), colours):
        check(abs(share - expected) < 0.02,
              "slice %s covers %.3f of the pie, expected %.2f (areas %s)"
              % (colour, share, expected, areas))
    # The pie starts at twelve o'clock and runs clockwise: the first slice is
    # right of the top, the second fills the bottom, the third is left of the top.
    points = [image.centroid(c, rect, min_len=12) for c in colours]
    cx = sum(p[0] * a for p, a in zip(points, areas)) / total
    cy = sum(p[1] * a for p, a in zip(points, areas)) / total
    (rx, ry), (yx, yy), (bx, by) = points
    check(rx > cx and ry < cy, "first slice not upper right of the centre")
    check(yy > cy, "second slice not below the centre")
    check(bx < cx and by < cy, "third slice not upper left of the centre")
    return areas


def check_bar_heights(image, rect, expected):
    """expected: {colour: [values per category]}; bars drawn to one scale."""
    found = {c: bars(image, c, rect) for c in expected}
    for c, values in expected.items():
        check(len(found[c]) == len(values),
              "%d bars of %s, expected %d: %s" % (len(found[c]), c, len(values), found[c]))
    pairs = [(v, b[3] - b[2]) for c, values in expected.items()
             for v, b in zip(values, found[c])]
    scale = sum(v * h for v, h in pairs) / sum(v * v for v, _ in pairs)
    for v, h in pairs:
        check(abs(h - v * scale) <= 3,
              "a bar of value %s is %d px high, expected %.0f" % (v, h, v * scale))
    bottoms = {b[3] for c in found for b in found[c]}
    check(max(bottoms) - min(bottoms) <= 1, "the bars do not stand on one baseline: %s" % bottoms)
    # Grouped: within each category the series stand left to right.
    colours = list(expected)
    for i in range(len(next(iter(expected.values())))):
        xs = [found[c][i][0] for c in colours]
        check(xs == sorted(xs), "series not in order within category %d: %s" % (i + 1, xs))
    return found


# ---------------------------------------------------------------- UI helpers

def menu_items(image):
    """Centres of the menu bar's captions: File, Edit, Data View, Return."""
    grey = window_grey(image)
    ink_rows = image.ink_rows((0, 0, 400, 30), grey, tolerance=200)
    check(ink_rows, "no menu bar text found")
    band = (0, ink_rows[0], 500, ink_rows[-1] + 1)
    cols = image.ink_columns(band, grey, tolerance=200)
    groups = [g for g in clusters(cols, 9) if g[1] - g[0] >= 4]
    check(len(groups) >= 4, "expected 4 menu bar items, found %d" % len(groups))
    y = (ink_rows[0] + ink_rows[-1]) // 2
    items = [((a + b) // 2, y) for a, b in groups[:4]]
    return dict(zip(("File", "Edit", "Data View", "Return"), items))


def open_menu(h, app, item, before):
    x, y = menu_items(before)[item]
    h.click(x, y)
    # The drop-down covers the area under the caption.
    return h.wait_screen(lambda im: im.row(y + 30, x - 5, x + 60) != before.row(y + 30, x - 5, x + 60),
                         5, "the %s menu to drop down" % item)


def panel_box(before, after):
    box = after.diff_bbox(before)
    check(box is not None, "the screen did not change")
    x0, y0, x1, y1 = box
    check(400 <= x1 - x0 <= 900 and 250 <= y1 - y0 <= 650,
          "the changed area %s does not look like the options panel" % (box,))
    return box


def tab_centres(image, box):
    """Centres of the panel's six tab captions, from the text in the tab bar."""
    x0, y0, x1, _ = box
    panel = image.px(x0 + 20, y0 + 60)
    cols = image.ink_columns((x0, y0 + 5, x1, y0 + 18), panel, tolerance=90)
    groups = [g for g in clusters(cols, 10) if g[1] - g[0] >= 8]
    check(len(groups) >= 6, "expected 6 tab captions, found %d" % len(groups))
    return [((a + b) // 2, y0 + 11) for a, b in groups[:6]]


def open_panel_by_right_click(h, app, before):
    # The window's own background: left of the chart, below the menu bar.
    h.click(40, SCREEN_H // 3, button=3)
    after = h.wait_screen(lambda im: im.data != before.data, 5,
                          "the options panel after a right click")
    after = h.wait_stable()
    return after, panel_box(before, after)


def open_panel_by_menu(h, app, before):
    open_menu(h, app, "Edit", before)
    # Copy Chart to Clipboard, then Option Menu.
    h.xdo("key", "--delay", "60", "Down", "Down", "Return")
    after = h.wait_screen(lambda im: panel_box_or_none(before, im), 5,
                          "the options panel from Edit > Option Menu")
    after = h.wait_stable()
    return after, panel_box(before, after)


def panel_box_or_none(before, image):
    try:
        return panel_box(before, image)
    except Failure:
        return None


def choose_colour_tab_and_pastel(h, image, box):
    tabs = tab_centres(image, box)
    h.click(*tabs[2])                       # "Color Options"
    shown = h.wait_screen(lambda im: im.row(box[1] + 64, box[0], box[2]) != image.row(box[1] + 64, box[0], box[2]),
                          5, "the Color Options tab")
    shown = h.wait_stable()
    # The category swatch shows the first category's colour.
    swatch = shown.count(RED, (box[0], box[1] + 40, box[2], box[1] + 90))
    check(swatch > 100, "no red category swatch on the Color Options tab")
    # "Pastel" sits above Cancel, the second of the three palette buttons.
    h.click(box[2] - 136, box[1] + 64)
    return shown


# ---------------------------------------------------------------- cases

CASES = []


def case(fn):
    CASES.append(fn)
    return fn


@case
def pie_appears_and_panel_colours(h):
    """Pie: window, caption, chart place and slices; the options panel from a
    right click and from Edit > Option Menu; Pastel with Cancel and with Ok."""
    app = h.start(kind="pie")
    screen = app.maximized_screen()
    x, y, w, hh = h.geometry(app.win)
    check((x, y, w) == (0, 0, SCREEN_W), "main window at %d,%d size %dx%d" % (x, y, w, hh))
    rect = check_chart_place(screen)
    check_title(screen, rect)
    pie_checks(screen, rect, (RED, YELLOW, BLUE))
    outside = (0, 30, rect[0], SCREEN_H)
    check(sum(screen.count(c, outside) for c in (RED, YELLOW, BLUE)) == 0,
          "slice colours outside the chart")
    if h.shots:
        h.save_png(screen, os.path.join(h.shots, "pie.png"), width=960)

    # Right click on the background: the panel opens on the Image tab.
    with_panel, box = open_panel_by_right_click(h, app, screen)
    check(box[0] > rect[0] and box[2] < rect[2], "the panel is not over the chart: %s" % (box,))
    grey = with_panel.histogram((box[0], box[1] + 30, box[2], box[3] - 30), step=3).most_common(1)[0][0]
    check(abs(grey[0] - grey[1]) < 8 and 200 < grey[0] < 250, "the panel is not grey: %s" % (grey,))
    check(len(tab_centres(with_panel, box)) >= 6, "no tab captions")

    # Color Options, Pastel, Cancel: the chart keeps its bright colours.
    colour_tab = choose_colour_tab_and_pastel(h, with_panel, box)
    if h.shots:
        h.save_png(colour_tab, os.path.join(h.shots, "options.png"), width=960)
    h.click(box[2] - 136, box[3] - 21)       # Cancel
    after_cancel = h.wait_screen(lambda im: im.diff_bbox(screen) is None, 5,
                                 "the panel to close after Cancel, chart unchanged")
    check(after_cancel.count(RED, rect, 12) > 20000, "the red slice is gone after Cancel")

    # Edit > Option Menu opens it again, on the tab last used.
    with_panel2, box2 = open_panel_by_menu(h, app, after_cancel)
    check(box2 == box, "the panel opened elsewhere: %s, first %s" % (box2, box))
    # Cancel hid the panel without undoing the Pastel press: the category
    # swatch shows the first pastel colour.
    check(with_panel2.count(PASTELS[0], (box[0], box[1] + 40, box[2], box[1] + 90)) > 100,
          "the panel did not keep the Color Options tab and its Pastel choice")
    h.click(box[2] - 136, box[1] + 64)       # Pastel
    time.sleep(0.1)
    h.key(app.win, "alt+o")                  # Ok
    pastel = h.wait_screen(lambda im: im.count(PASTELS[0], rect, 12) > 20000, 5,
                           "pastel slices after Ok")
    pastel = h.wait_stable()
    check(pastel.count(RED, rect, 12) == 0, "bright red still on screen after Pastel and Ok")
    pie_checks(pastel, rect, PASTELS)
    # The panel is gone: its grey no longer fills its place.
    panel_grey = with_panel2.px(box[0] + 20, box[3] - 60)
    inside = pastel.histogram(box, step=3)
    check(inside[panel_grey] < 0.05 * sum(inside.values()), "the panel stayed open after Ok")
    h.key(app.win, "ctrl+q")
    check(app.wait_exit() == 0, "Exit ended with status %s" % app.proc.returncode)


@case
def bar_appears_and_saves_png(h):
    """Bar chart: place, bars to scale; File > Save Image > .PNG through the
    file dialog writes a PNG; Return ends with status 0."""
    app = h.start(kind="bar")
    screen = app.maximized_screen()
    rect = check_chart_place(screen)
    check_title(screen, rect)
    check_bar_heights(screen, rect, {RED: [12, 7.5, 18, 10], YELLOW: [15, 11, 16, 9],
                                     BLUE: [9, 14, 21, 13]})
    if h.shots:
        h.save_png(screen, os.path.join(h.shots, "bar.png"), width=960)

    target = os.path.join(app.folder, "saved chart.png")
    open_menu(h, app, "File", screen)
    # Save Image to a File as... > (JPG, BMP, TIF, GIF,) PNG
    h.xdo("key", "--delay", "80", "Down", "Right", "Down", "Down", "Down", "Down", "Return")
    dialog = h.wait_window("^Specify save file name$", 10, app=app)
    h.focus(dialog)
    h.xdo("type", "--delay", "10", target)
    h.xdo("key", "Return")
    wait_until(lambda: os.path.isfile(target) and os.path.getsize(target) > 0, 10,
               "the saved file %s" % target)
    wait_until(lambda: not h.windows("^Specify save file name$"), 5, "the dialog to close")
    info = h.tool("identify", "-format", "%m %w %h", target).stdout.decode().split()
    check(info == ["PNG", "1280", "864"], "saved picture is %s" % info)
    saved = Image.from_file(target)
    check_bar_heights(saved, None, {RED: [12, 7.5, 18, 10], YELLOW: [15, 11, 16, 9],
                                    BLUE: [9, 14, 21, 13]})

    items = menu_items(screen)
    h.click(*items["Return"])
    check(app.wait_exit() == 0, "Return ended with status %s" % app.proc.returncode)


@case
def stacked_appears_and_data_view_ends(h):
    """Two-way table: grouped bars of the two series to scale; Data View ends
    with status 0."""
    app = h.start(kind="stacked")
    screen = app.maximized_screen()
    rect = check_chart_place(screen)
    check_title(screen, rect)
    check_bar_heights(screen, rect, {RED: [5, 8, 9], YELLOW: [7, 6, 5]})
    check(screen.count(BLUE, rect) == 0, "a third series colour in a two-series table")
    if h.shots:
        h.save_png(screen, os.path.join(h.shots, "stacked.png"), width=960)
    h.click(*menu_items(screen)["Data View"])
    check(app.wait_exit() == 0, "Data View ended with status %s" % app.proc.returncode)


@case
def bar_startup_repeated(h):
    """A bar chart comes up, mapped and alive, start after start (a crash
    while the window is first shown happens only now and then)."""
    for run in range(20):
        app = h.start(kind="bar", name="bar-again")
        win = app.main_window()
        wait_until(lambda: h.map_state(win) == "IsViewable", 10, "the window to be mapped")
        h.key(win, "ctrl+q")
        status = app.wait_exit()
        check(status == 0, "start %d: Exit ended with status %s" % (run + 1, status))
        app.kill()


@case
def copy_to_clipboard(h):
    """Ctrl+C puts the chart on the real X clipboard as image/png while the
    program runs; after Exit the clipboard is empty again."""
    app = h.start(kind="pie")
    screen = app.maximized_screen()
    rect = check_chart_place(screen)
    h.key(app.win, "ctrl+c")

    def targets():
        out = h.tool("timeout", "5", "xclip", "-selection", "clipboard", "-t", "TARGETS", "-o",
                     check_rc=False)
        return out.stdout.decode().split() if out.returncode == 0 else None
    listed = wait_until(targets, 10, "the clipboard to be owned")
    check("image/png" in listed, "clipboard targets without image/png: %s" % listed)
    out = h.tool("timeout", "5", "xclip", "-selection", "clipboard", "-t", "image/png", "-o")
    path = os.path.join(app.folder, "clipboard.png")
    with open(path, "wb") as f:
        f.write(out.stdout)
    info = h.tool("identify", "-format", "%m %w %h", path).stdout.decode().split()
    check(info == ["PNG", str(rect[2] - rect[0]), str(rect[3] - rect[1])],
          "clipboard picture is %s, the chart on screen %dx%d"
          % (info, rect[2] - rect[0], rect[3] - rect[1]))
    picture = Image.from_file(path)
    on_screen = pie_checks(screen, rect, (RED, YELLOW, BLUE))
    copied = pie_checks(picture, None, (RED, YELLOW, BLUE))
    check(all(abs(a - b) <= 0.02 * b for a, b in zip(copied, on_screen)),
          "clipboard slices %s differ from the screen's %s" % (copied, on_screen))

    h.key(app.win, "ctrl+q")
    check(app.wait_exit() == 0, "Exit ended with status %s" % app.proc.returncode)
    gone = h.tool("timeout", "5", "xclip", "-selection", "clipboard", "-t", "TARGETS", "-o",
                  check_rc=False)
    check(gone.returncode != 0, "the clipboard still answers after the program ended")


@case
def missing_settings_file(h):
    """A missing settings file: the message box, then the empty main window
    stays open."""
    app = h.start(kind="pie", argv=["  %s  " % os.path.join(h.workdir, "no such.ini")],
                  name="noini")
    box = h.wait_window("^VELDRAPLOT$", 20, app=app)
    check(not h.windows("^Charts$"), "the main window is shown before the message is closed")
    image = h.wait_stable()
    bx, by, bw, bh = h.geometry(box)
    h.keep(image, "missing-ini-message.png")
    lines = clusters(image.ink_rows((bx + 5, by + 5, bx + bw - 5, by + bh - 40),
                                    image.px(bx + 3, by + 3), 200), 3)
    check(len(lines) == 1, "the message has %d text lines, expected one" % len(lines))
    h.key(box, "Return")
    win = app.main_window(10)
    wait_until(lambda: not h.windows("^VELDRAPLOT$"), 5, "the message box to close")
    check(h.map_state(win) == "IsViewable", "main window not mapped")
    time.sleep(1.0)
    check(app.alive(), "the program ended after the message; %s" % app.log_tail())
    check(h.map_state(win) == "IsViewable", "main window no longer mapped")
    screen = h.screenshot()
    for c in (RED, YELLOW, BLUE):
        check(screen.count(c, None, 12) == 0, "a chart was drawn without a settings file")
    h.key(win, "ctrl+q")
    check(app.wait_exit() == 0, "Exit ended with status %s" % app.proc.returncode)
    return bw


def two_way_table(series, rows):
    lines = ["VGRAPH,WSTACKEDBAR", "Size,Group,N=0",
             '"Count of cases",%d,%s,%d,%s' % (
                 series, ",".join('"S%d"' % i for i in range(1, series + 1)),
                 rows, ",".join('"G%d"' % i for i in range(1, rows + 1)))]
    lines += [", ".join("1" for _ in range(series)) for _ in range(rows)]
    return "\n".join(lines) + "\n"


@case
def too_many_series_refused(h):
    """201 series: the continuous-variable message, then the program ends
    without showing a chart."""
    app = h.start(definition=two_way_table(201, 3), name="201series")
    box = h.wait_window("^VELDRAPLOT$", 20, app=app)
    image = h.wait_stable()
    h.keep(image, "continuous-message.png")
    _, _, bw, _ = h.geometry(box)
    check(bw > 400, "the message box is %d px wide: too narrow for the long message" % bw)
    check(not h.windows("^Charts$"), "the chart window is shown")
    h.key(box, "Return")
    status = app.wait_exit(15)
    check(status != 0, "the refusal ended with status 0")
    check(status > 0, "the program crashed (signal %d); %s" % (-status, app.log_tail()))


@case
def version_and_help(h):
    """--version and --help answer alone, with no display at all; with more
    words they are a settings path."""
    env = dict(h.env)
    env.pop("DISPLAY")
    folder = os.path.join(h.workdir, "cli")
    os.makedirs(folder)
    exe = os.path.join(folder, "veldraplot")
    shutil.copy2(h.bin, exe)
    for arg, expect in (("--version", r"^veldraplot \d+\.\d+\.\d+\n$"),
                        ("--help", r"^Usage: veldraplot SETTINGS_FILE\n")):
        out = subprocess.run([exe, arg], env=env, capture_output=True, timeout=20)
        check(out.returncode == 0, "%s ended with %d: %s" % (arg, out.returncode, out.stderr))
        check(re.search(expect, out.stdout.decode()), "%s printed %r" % (arg, out.stdout))
    out = subprocess.run([exe, "--help"], env=env, capture_output=True, timeout=20)
    check(b"--version" in out.stdout, "--help does not mention --version")

    app = h.start(kind="pie", argv=["--version", "extra"], name="version-extra")
    box = h.wait_window("^VELDRAPLOT$", 20, app=app)
    check(app.alive(), "the program ended")
    h.key(box, "Return")
    app.main_window(10)
    h.key(app.win, "ctrl+q")
    check(app.wait_exit() == 0, "Exit ended with status %s" % app.proc.returncode)
    log = open(app.log_path, "rb").read()
    check(b"veldraplot 1" not in log, "--version answered although it was not alone")


# ---------------------------------------------------------------- main

def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--bin", required=True, help="the veldraplot executable")
    parser.add_argument("--examples", required=True, help="the examples folder")
    parser.add_argument("--shots", help="where to write the README screenshots")
    parser.add_argument("--only", nargs="*", help="run only the cases with these names")
    parser.add_argument("--keep", action="store_true", help="keep the work folder")
    args = parser.parse_args()

    for tool in ("Xvfb", "xdotool", "xclip", "xprop", "xwininfo", "import", "convert", "identify"):
        if not shutil.which(tool):
            print("missing tool: %s (scripts/install-deps.sh installs it)" % tool)
            return 2
    if args.shots:
        os.makedirs(args.shots, exist_ok=True)

    workdir = tempfile.mkdtemp(prefix="veldraplot-e2e-")
    display = Display(workdir)
    h = Harness(args, display, workdir)
    print("e2e: display %s, work folder %s" % (display.name, workdir), flush=True)
    passed = failed = 0
    started = time.monotonic()
    try:
        for fn in CASES:
            if args.only and fn.__name__ not in args.only:
                continue
            t0 = time.monotonic()
            try:
                fn(h)
                passed += 1
                print("PASS %-36s %5.1f s" % (fn.__name__, time.monotonic() - t0), flush=True)
            except Exception as error:          # noqa: BLE001 - report and go on
                failed += 1
                print("FAIL %-36s %5.1f s: %s" % (fn.__name__, time.monotonic() - t0, error),
                      flush=True)
                if not isinstance(error, Failure):
                    traceback.print_exc()
                try:
                    print("     screen kept in %s" % h.keep(h.screenshot(), fn.__name__ + ".png"))
                except Exception:               # noqa: BLE001
                    pass
                for app in h.apps:
                    if app.alive():
                        print("     " + app.log_tail())
            finally:
                h.stop_all()
    finally:
        h.stop_all()
        display.stop()
    print("%d passed, %d failed (%.1f s)" % (passed, failed, time.monotonic() - started))
    if failed or args.keep:
        print("work folder kept: %s" % workdir)
    else:
        shutil.rmtree(workdir, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
