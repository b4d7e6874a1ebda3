#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Whole-process timings of veldraplot-render, of the viewer's launch to its
first painted chart, and of gnuplot drawing the same P3, B10 and W200
pictures.

Every case runs once as a warm-up, then ROUNDS times, all cases interleaved
round by round (in a rotated order) so that a burst of load on the machine
hits every case alike. Reported figures are medians. Peak memory is the
maximum resident set size reported by /usr/bin/time -f %M (median of a few
separate runs).

usage: bench.py BUILD_DIR WORK_DIR [--rounds N] [--readme FILE] [--json FILE]
                [--before OLD_BUILD_DIR]

With --before, the executables of an earlier build run as well, each right
before the same case of this build, and the report compares the two.
"""
import argparse
import datetime
import json
import os
import platform
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
SCALE_BARS = [10, 100, 1000, 10000, 20000]


def cpu_model():
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or "unknown"


def loadavg():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


class Case:
    def __init__(self, name, argv, env=None, cwd=None, check=None, settle=None, follows=False):
        self.name = name
        self.follows = follows  # runs right after the case before it, in each round
        self.argv = argv
        self.env = env
        self.cwd = cwd
        self.check = check  # file that must exist after a run
        self.settle = settle  # called after each run, outside the timing
        self.times = []
        self.cpu = []
        self.faults = []
        self.mem = []
        self.last_cpu = 0.0
        self.last_faults = 0

    def run_once(self):
        """Wall time of one run; the CPU time (user + system) it used is kept
        in self.cpu."""
        if self.check and os.path.exists(self.check):
            os.remove(self.check)
        with tempfile.TemporaryFile() as err:
            t0 = time.perf_counter()
            p = subprocess.Popen(self.argv, env=self.env, cwd=self.cwd,
                                 stdout=subprocess.DEVNULL, stderr=err)
            _, status, usage = os.wait4(p.pid, 0)
            dt = time.perf_counter() - t0
            p.returncode = os.waitstatus_to_exitcode(status)
            if p.returncode != 0:
                err.seek(0)
                raise SystemExit("%s failed (%d): %s" % (self.name, p.returncode,
                                                          err.read().decode(errors="replace")))
        if self.check and not os.path.exists(self.check):
            raise SystemExit("%s wrote no %s" % (self.name, self.check))
        self.last_cpu = usage.ru_utime + usage.ru_stime
        self.last_faults = usage.ru_minflt + usage.ru_majflt
        if self.settle:
            self.settle()
        return dt

    def run_mem(self, tmp):
        out = os.path.join(tmp, "mem.txt")
        p = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", out] + self.argv,
                           env=self.env, cwd=self.cwd,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if p.returncode != 0:
            raise SystemExit("%s failed under /usr/bin/time" % self.name)
        with open(out) as f:
            return int(f.read().split()[-1])


def count_instructions(case, tmp):
    """Instructions executed by one run under callgrind: unlike times, the
    same on a busy machine as on an idle one."""
    out = os.path.join(tmp, "callgrind.out")
    p = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out]
                       + case.argv, env=case.env, cwd=case.cwd,
                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if p.returncode != 0:
        raise SystemExit("%s failed under valgrind" % case.name)
    for line in p.stderr.splitlines():
        if "Collected :" in line:
            return int(line.split(":")[-1].strip().replace(",", ""))
    raise SystemExit("no instruction count for %s" % case.name)


def start_xvfb(display):
    proc = subprocess.Popen(["Xvfb", display, "-screen", "0", "1920x1080x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    sock = "/tmp/.X11-unix/X%s" % display.lstrip(":")
    for _ in range(100):
        if os.path.exists(sock):
            return proc
        if proc.poll() is not None:
            break
        time.sleep(0.05)
    proc.kill()
    raise SystemExit("Xvfb %s did not start" % display)


def cpu_ticks(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime + stime


def wait_idle(pid, quiet=3, step=0.02, limit=2.0):
    """Waits until the process has used no CPU for `quiet` polls in a row:
    after the viewer ends, the X server still tears its window down, and
    that work must not fall on the next case."""
    last, calm, waited = cpu_ticks(pid), 0, 0.0
    while calm < quiet and waited < limit:
        time.sleep(step)
        waited += step
        now = cpu_ticks(pid)
        calm = calm + 1 if now == last else 0
        last = now


def free_display():
    for n in range(90, 200):
        if not os.path.exists("/tmp/.X11-unix/X%d" % n) and not os.path.exists("/tmp/.X%d-lock" % n):
            return ":%d" % n
    raise SystemExit("no free X display number")


BEGIN = "<!-- figures: written by bench/run.sh -->"
END = "<!-- end of figures -->"
MIB = 1024.0


def make_report(data):
    m, r = data["meta"], data["results"]

    def t(name):
        return r[name]["median_s"]

    def mem(name):
        return r[name]["peak_kib"] / MIB

    def yes(ok):
        return "**met**" if ok else "**not met**"

    lines = []
    lines.append("Measured %s on `nproc` = %s, %s; load average (1/5/15 min) %s before "
                 "and %s after the runs. Qt %s, %s. Each figure is the median of %d "
                 "whole-process runs after one warm-up, all cases interleaved round by "
                 "round; peak memory is the median maximum RSS of 3 runs (`/usr/bin/time -f %%M`)."
                 % (m["date"], m["nproc"], m["cpu"], m["load_before"], m["load_after"],
                    m["qt"] or "?", m["gnuplot"], m["rounds"]))
    lines.append("")
    lines.append("| target | measured | goal | |")
    lines.append("|---|---|---|---|")
    for name, goal in (("P3", 0.8), ("B10", 0.8), ("W200", 1.0)):
        ratio = t("render " + name) / t("gnuplot " + name)
        paired = statistics.median(a / b for a, b in zip(r["render " + name]["times_s"],
                                                         r["gnuplot " + name]["times_s"]))
        lines.append("| %s render / gnuplot | %.3f s / %.3f s = **%.2f** (median of the "
                     "%d back-to-back pairs' ratios: %.2f) | <= %.1f | %s |"
                     % (name, t("render " + name), t("gnuplot " + name), ratio,
                        len(r["render " + name]["times_s"]), paired, goal, yes(ratio <= goal)))
    lines.append("| launch to first painted P3 (Xvfb) | %.3f s | < 0.10 s | %s |"
                 % (t("launch P3"), yes(t("launch P3") < 0.10)))
    lines.append("| launch to first painted W200 (Xvfb) | %.3f s | < 0.25 s | %s |"
                 % (t("launch W200"), yes(t("launch W200") < 0.25)))
    lines.append("| peak memory, P3 render | %.1f MiB | < 40 MiB | %s |"
                 % (mem("render P3"), yes(mem("render P3") < 40)))
    lines.append("| peak memory, W200 render | %.1f MiB | <= 50 MiB | %s |"
                 % (mem("render W200"), yes(mem("render W200") <= 50)))
    lines.append("")
    lines.append("| case | median | min | max | CPU time (user + system), median "
                 "| page faults, median | peak memory |")
    lines.append("|---|---|---|---|---|---|---|")
    for name, v in r.items():
        if name.startswith("before "):
            continue
        lines.append("| %s | %.3f s | %.3f s | %.3f s | %.3f s | %d | %.1f MiB |"
                     % (name, v["median_s"], v["min_s"], v["max_s"], v["cpu_median_s"],
                        v.get("faults_median", 0), v["peak_kib"] / MIB))
    ins = data.get("instructions") or {}
    if m.get("before"):
        lines.append("")
        lines.append("Before and after, side by side in the same rounds: the earlier build "
                     "(%s) ran each case right before this one. Instructions from one run "
                     "under callgrind (all threads)." % m["before"])
        lines.append("")
        lines.append("| case | wall before | wall after | CPU before | CPU after "
                     "| page faults before | after | instructions before | after "
                     "| peak memory before | after |")
        lines.append("|---|---|---|---|---|---|---|---|---|---|---|")
        for name, v in r.items():
            old = r.get("before " + name)
            if not old:
                continue
            ib, ia = ins.get("before " + name), ins.get(name)
            lines.append("| %s | %.3f s | %.3f s | %.3f s | %.3f s | %d | %d | %s | %s "
                         "| %.1f MiB | %.1f MiB |"
                         % (name, old["median_s"], v["median_s"], old["cpu_median_s"],
                            v["cpu_median_s"], old.get("faults_median", 0),
                            v.get("faults_median", 0),
                            "%.0f M" % (ib / 1e6) if ib else "-",
                            "%.0f M" % (ia / 1e6) if ia else "-",
                            old["peak_kib"] / MIB, v["peak_kib"] / MIB))
    lines.append("")
    lines.append("CPU time is less disturbed by other work on the machine than wall time "
                 "(though not immune: a busy machine slows every process down). "
                 "CPU-time ratios to gnuplot: P3 %.2f, B10 %.2f, W200 %.2f."
                 % tuple(r["render " + n]["cpu_median_s"] / r["gnuplot " + n]["cpu_median_s"]
                         for n in ("P3", "B10", "W200")))
    lines.append("")
    lines.append("Scale (WSTACKEDBAR, grouped; bars = series x categories). Every case draws "
                 "its legend: one entry per series, in columns for 200 series.")
    lines.append("")
    lines.append("| bars | series x categories | median time | time above 10 bars "
                 "| per 1000 bars above 10 | instructions (callgrind) | per 1000 bars above 10 "
                 "| peak memory | per bar above 10 |")
    lines.append("|---|---|---|---|---|---|---|---|---|")
    base = t("render S10")
    from gen_data import SCALE
    within = True
    prev = None
    for bars in SCALE_BARS:
        v = t("render S%d" % bars)
        extra = v - base
        per = "" if bars == 10 else "%.2f ms" % (extra / (bars - 10) * 1000 * 1000)
        n = ins.get("render S%d" % bars)
        nbase = ins.get("render S10")
        icol = "%.0f M" % (n / 1e6) if n else "-"
        iper = ("%.1f M" % ((n - nbase) / (bars - 10) * 1000 / 1e6)
                if n and nbase and bars != 10 else "")
        kib = r["render S%d" % bars]["peak_kib"]
        mper = ("" if bars == 10 else
                "%.2f KB" % ((kib - r["render S10"]["peak_kib"]) * 1024 / 1000 / (bars - 10)))
        lines.append("| %d | %d x %d | %.3f s | %+.3f s | %s | %s | %s | %.1f MiB | %s |"
                     % (bars, SCALE[bars][0], SCALE[bars][1], v, extra, per, icol, iper,
                        kib / MIB, mper))
        if prev is not None and v > prev[1] * bars / prev[0]:
            within = False
        prev = (bars, v)
    lines.append("")
    lines.append("Each step's median time is %s its bar count's growth (t(n) <= t(m) * n/m)."
                 % ("within" if within else "**not** within"))
    grow = ((r["render S20000"]["peak_kib"] - r["render S10"]["peak_kib"]) * 1024 / 1000
            / (20000 - 10))
    lines.append("Peak memory grows by %.2f KB per bar from 10 to 20,000 bars (goal: at most "
                 "1 KB): %s." % (grow, yes(grow <= 1.0)))
    last = t("render S20000") - t("render S10000")
    before = t("render S10000") - t("render S1000")
    lines.append("Marginal time: the last 10,000 bars cost %.1f ms per 1000, the 9,000 before "
                 "them %.1f ms per 1000 (wall time on a shared machine: noisy)."
                 % (last / 10.0 * 1000, before / 9.0 * 1000))
    if all(("render S%d" % b) in ins for b in (1000, 10000, 20000)):
        ilast = (ins["render S20000"] - ins["render S10000"]) / 10.0
        ibefore = (ins["render S10000"] - ins["render S1000"]) / 9.0
        verdict = "linearly" if ilast <= ibefore * 1.25 else "**faster than linearly**"
        lines.append("Marginal instructions: %.1f M per 1000 bars for the last 10,000 against "
                     "%.1f M for the 9,000 before them: the work grows %s with the number of bars."
                     % (ilast / 1e6, ibefore / 1e6, verdict))
    return "\n".join(lines)


def write_readme(path, report):
    with open(path) as f:
        text = f.read()
    if BEGIN in text and END in text:
        head, rest = text.split(BEGIN, 1)
        tail = rest.split(END, 1)[1]
        text = head + BEGIN + "\n" + report + "\n" + END + tail
    else:
        text += "\n" + BEGIN + "\n" + report + "\n" + END + "\n"
    with open(path, "w") as f:
        f.write(text)


def render_exe(build):
    """The renderer of a build folder: render/ now, app/ in earlier commits."""
    path = os.path.join(build, "render", "veldraplot-render")
    return path if os.path.exists(path) else os.path.join(build, "app", "veldraplot-render")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build")
    ap.add_argument("work")
    ap.add_argument("--rounds", type=int, default=15)
    ap.add_argument("--mem-runs", type=int, default=3)
    ap.add_argument("--json")
    ap.add_argument("--readme", help="write the figures into this README between its markers")
    ap.add_argument("--before", help="build folder of an earlier version to compare with")
    ap.add_argument("--before-name", help="what to call that version in the report")
    ap.add_argument("--no-instructions", action="store_true",
                    help="skip counting the scale cases' instructions under valgrind")
    args = ap.parse_args()

    build = os.path.abspath(args.build)
    work = os.path.abspath(args.work)
    render = render_exe(build)
    viewer = os.path.join(build, "app", "veldraplot")
    settings = os.path.join(ROOT, "examples", "settings.ini")
    subprocess.run([sys.executable, os.path.join(HERE, "gen_data.py"), work], check=True)
    png = os.path.join(work, "png")
    os.makedirs(png, exist_ok=True)

    runtime = os.path.join(work, "runtime")
    os.makedirs(runtime, mode=0o700, exist_ok=True)
    os.chmod(runtime, 0o700)
    base_env = dict(os.environ, XDG_RUNTIME_DIR=runtime)
    base_env.pop("QT_QPA_PLATFORM", None)

    cases = []

    before = os.path.abspath(args.before) if args.before else None

    def rcase(name, folder):
        # The earlier build's run comes first, this build's right after it.
        builds = [("before ", before), ("", build)] if before else [("", build)]
        for i, (tag, b) in enumerate(builds):
            out = os.path.join(png, tag.replace(" ", "-") + name + ".png")
            cases.append(Case(tag + "render " + name,
                              [render_exe(b), "--folder",
                               os.path.join(work, folder), "--format", "png",
                               "--size", "1280x864", "-o", out, settings],
                              env=base_env, check=out, follows=i > 0))

    def gcase(name, script, data="b10.dat"):
        out = os.path.join(png, "gnuplot-%s.png" % name)
        cases.append(Case("gnuplot " + name,
                          ["gnuplot", "-e", "outfile='%s'; datafile='%s'" %
                           (out, os.path.join(work, data)), os.path.join(HERE, script)],
                          env=base_env, check=out, follows=True))

    # Each render that is compared with gnuplot runs right before gnuplot
    # draws the same picture, so that the pair meets the same load.
    rcase("P3", "P3")
    gcase("P3", "p3.gp")
    rcase("B10", "B10")
    gcase("B10", "b10.gp")
    rcase("W200", "W200")
    gcase("W200", "w200.gp", "w200.dat")
    rcase("P200", "P200")
    for bars in SCALE_BARS:
        rcase("S%d" % bars, "S%d" % bars)

    # The viewer reads ~VGRAPH.TMP from its own folder: a copy of it goes into
    # each case folder.
    display = free_display()
    xvfb = start_xvfb(display)
    try:
        view_env = dict(base_env, DISPLAY=display, QT_QPA_PLATFORM="xcb",
                        VELDRAPLOT_EXIT_AFTER_FIRST_PAINT="1")
        for name in ("P3", "W200"):
            builds = [("before ", before), ("", build)] if before else [("", build)]
            for i, (tag, b) in enumerate(builds):
                exe = os.path.join(work, name, tag.replace(" ", "-") + "veldraplot")
                shutil.copy2(os.path.join(b, "app", "veldraplot"), exe)
                cases.append(Case(tag + "launch " + name, [exe, settings], env=view_env,
                                  settle=lambda: wait_idle(xvfb.pid), follows=i > 0))

        load_before = loadavg()
        for c in cases:  # warm-up
            c.run_once()
        # Rounds start at a different case each time; a render and its
        # gnuplot twin always run back to back.
        groups = []
        for c in cases:
            if c.follows:
                groups[-1].append(c)
            else:
                groups.append([c])
        for r in range(args.rounds):
            k = r % len(groups)
            for group in groups[k:] + groups[:k]:
                for c in group:
                    c.times.append(c.run_once())
                    c.cpu.append(c.last_cpu)
                    c.faults.append(c.last_faults)
        for _ in range(args.mem_runs):
            for c in cases:
                c.mem.append(c.run_mem(work))
        load_after = loadavg()
    finally:
        xvfb.terminate()
        xvfb.wait()

    instructions = {}
    if not args.no_instructions and shutil.which("valgrind"):
        for c in cases:
            if c.name.startswith("render ") or c.name.startswith("before render "):
                instructions[c.name] = count_instructions(c, work)

    res = {c.name: {"median_s": statistics.median(c.times),
                    "min_s": min(c.times), "max_s": max(c.times),
                    "runs": len(c.times),
                    "times_s": c.times,
                    "cpu_median_s": statistics.median(c.cpu),
                    "faults_median": statistics.median(c.faults),
                    "peak_kib": statistics.median(c.mem)} for c in cases}
    meta = {"date": datetime.datetime.now().strftime("%Y-%m-%d %H:%M"),
            "nproc": os.cpu_count(), "cpu": cpu_model(),
            "load_before": load_before, "load_after": load_after,
            "rounds": args.rounds,
            "before": (args.before_name or args.before) if args.before else "",
            "qt": subprocess.run(["sh", "-c", "dpkg-query -W -f='${Version}' libqt6core6 2>/dev/null"],
                                 capture_output=True, text=True).stdout,
            "gnuplot": subprocess.run(["gnuplot", "--version"], capture_output=True,
                                      text=True).stdout.strip()}
    data = {"meta": meta, "results": res, "instructions": instructions}
    if args.json:
        with open(args.json, "w") as f:
            json.dump(data, f, indent=1)
    json.dump(data, sys.stdout, indent=1)
    print()
    report = make_report(data)
    print(report)
    if args.readme:
        write_readme(args.readme, report)


if __name__ == "__main__":
    main()
