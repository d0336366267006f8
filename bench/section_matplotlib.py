#!/usr/bin/env python3
"""Filled and line contours of the field section by matplotlib, timed on a 512 x 512 Agg canvas.

The comparison for bench_contour's BM_FieldSectionEndToEnd512: the same triangles, node values,
levels and colours (written by dump_section_triangles), contoured with tricontourf + tricontour
and drawn by Agg into 512 x 512 pixels (fig.canvas.draw(), no file written). Each repetition
builds the Triangulation from the triangle table, contours and draws; the median is reported.
Run by hand, not in CI, from a Release build folder (-DORBISK_BENCH=ON):

  ninja bench_contour dump_section_triangles
  ./bench/dump_section_triangles > /tmp/section.txt
  /usr/bin/python3 ../../bench/section_matplotlib.py /tmp/section.txt \
      --bench ./bench/bench_contour --rounds 5

With --bench the benchmark program and the script take turns (rounds times), so that both are
measured in the same run on a shared machine; the medians of both are printed at the end. --bench
may be given more than once (say, the program of an older build beside the present one).
--png FILE writes the last canvas for a look (outside the timing).
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import time

import numpy as np
from matplotlib.backends.backend_agg import FigureCanvasAgg
from matplotlib.figure import Figure
from matplotlib.tri import Triangulation


def read_section(path):
    with open(path) as f:
        lines = iter(f.read().split("\n"))
    head = next(lines).split()
    width, height = int(head[1]), int(head[2])
    x0, y0, sx, sy = (float(v) for v in head[3:7])

    def block(name, conv):
        key, n = next(lines).split()
        if key != name:
            raise ValueError("expected %s, found %s" % (name, key))
        return [conv(next(lines)) for _ in range(int(n))]

    nodes = np.array(block("nodes", lambda s: [float(v) for v in s.split()]))
    tris = np.array(block("triangles", lambda s: [int(v) for v in s.split()]), dtype=np.int32)
    levels = np.array(block("levels", float))
    bands = block("bands", lambda s: int(s, 16))
    isolines = block("isolines", lambda s: int(s, 16))
    return {
        "x": nodes[:, 0], "y": nodes[:, 1], "z": nodes[:, 2], "triangles": tris, "levels": levels,
        # the picture's extent in plot coordinates, y downwards
        "xlim": (x0, x0 + width / sx), "ylim": (y0 + height / sy, y0),
        "bands": [bgr_to_rgb(c) for c in bands], "isolines": [bgr_to_rgb(c) for c in isolines],
    }


def bgr_to_rgb(c):
    return ((c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0)


def new_canvas(s):
    fig = Figure(figsize=(5.12, 5.12), dpi=100)
    canvas = FigureCanvasAgg(fig)
    ax = fig.add_axes([0, 0, 1, 1])
    ax.set_axis_off()
    ax.set_xlim(*s["xlim"])
    ax.set_ylim(*s["ylim"])
    return fig, canvas, ax


def draw_once(s):
    """One repetition; returns seconds spent contouring and drawing, and the canvas."""
    fig, canvas, ax = new_canvas(s)
    z = s["z"]
    bounds = np.concatenate(([min(z.min(), s["levels"][0]) - 1.0], s["levels"], [max(z.max(), s["levels"][-1]) + 1.0]))
    t0 = time.perf_counter()
    tri = Triangulation(s["x"], s["y"], s["triangles"])
    ax.tricontourf(tri, z, levels=bounds, colors=s["bands"])
    ax.tricontour(tri, z, levels=s["levels"], colors=s["isolines"], linewidths=0.72)  # one pixel at 100 dpi
    canvas.draw()
    t1 = time.perf_counter()
    return t1 - t0, canvas


def time_script(s, repeats):
    draw_once(s)  # warm-up
    return [draw_once(s)[0] for _ in range(repeats)]


def run_bench(path):
    env = dict(os.environ)
    env.setdefault("QT_QPA_PLATFORM", "offscreen")
    out = subprocess.run([path, "--benchmark_filter=FieldSection", "--benchmark_format=json"],
                         check=True, capture_output=True, text=True, env=env).stdout
    return {b["name"]: b["real_time"] for b in json.loads(out)["benchmarks"] if b.get("run_type") == "iteration"}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("section")
    ap.add_argument("--repeats", type=int, default=20)
    ap.add_argument("--bench", action="append", default=[], help="bench_contour program to alternate with")
    ap.add_argument("--rounds", type=int, default=5)
    ap.add_argument("--png")
    a = ap.parse_args()
    s = read_section(a.section)
    print("%d nodes, %d triangles, %d levels" % (len(s["z"]), len(s["triangles"]), len(s["levels"])))
    ours = {}
    times = []
    for r in range(a.rounds if a.bench else 1):
        for path in a.bench:
            for name, ms in run_bench(path).items():
                ours.setdefault((path, name), []).append(ms)
        t = time_script(s, a.repeats)
        times += t
        print("round %d: matplotlib median %.2f ms" % (r + 1, 1000 * statistics.median(t)), flush=True)
    print("matplotlib tricontourf + tricontour + Agg draw 512x512: median %.2f ms (%d repetitions)"
          % (1000 * statistics.median(times), len(times)))
    for (path, name), v in ours.items():
        print("%s %-40s median %.3f ms" % (path, name, statistics.median(v)))
    if a.png:
        draw_once(s)[1].print_png(a.png)
    return 0


if __name__ == "__main__":
    sys.exit(main())
