#!/usr/bin/env python3
"""Slide-show benchmark: the desktop program showing 20 large JPEGs without
delay, against djpeg decoding the same files one after another.
Run through bench/slideshow-bench.sh; see bench/README.md.

Usage: slideshow_bench.py [N] [--app PATH] [--work DIR]

  N            runs of each measurement; the best is kept (default 3)
  --app PATH   the oculane program (default: $OCULANE_APP, else build/oculane)
  --work DIR   scratch folder (default: $OCULANE_BENCH_WORK, else bench/.work)

(a) rate: `oculane --slideshow-bench 20 FOLDER` runs the show (delay 0, delay
    flip on, best fit, forward) in a viewer whose image area is 1920 x 1080
    until 20 images were shown; images per second from Run to the 20th image,
    against 20 / the time of `djpeg -outfile /dev/null` run on each file in
    turn (whole processes). Target: at least 0.9 x djpeg's rate.
(b) flip: the user-interface time of each step (putting the prepared image
    on screen, moving the selection, the status texts, a synchronous
    repaint), mean and worst of the run. Target: at most 16 ms.
"""

import os
import re
import subprocess
import sys
import tempfile
import time

BENCH_DIR = os.path.dirname(os.path.abspath(__file__))
REPO_DIR = os.path.dirname(BENCH_DIR)
sys.path.insert(0, BENCH_DIR)
sys.dont_write_bytecode = True

import app_bench  # noqa: E402
from app_bench import log  # noqa: E402

import decode_bench  # noqa: E402  (the cached 6000 x 4000 plasma)

IMAGES = 20
MAGICK = "convert-im6.q16"
DJPEG = "/usr/bin/djpeg"


def make_folder(work):
    """20 different 6000 x 4000 JPEGs (quality 90), made once from the plasma."""
    folder = os.path.join(work, "slides-6000x4000")
    marker = os.path.join(folder, ".complete")
    names = ["slide-%02d.jpg" % i for i in range(IMAGES)]
    if os.path.exists(marker):
        return folder, [os.path.join(folder, n) for n in names]
    source = decode_bench.src(work, decode_bench.SRC24)
    os.makedirs(folder, exist_ok=True)
    log("generating %d JPEGs in %s (once)" % (IMAGES, folder))
    for i, name in enumerate(names):
        # Each one rolled and turned differently, so no two files are alike.
        args = [MAGICK, source, "-roll", "+%d+%d" % (277 * i, 193 * i)]
        if i % 2:
            args.append("-flop")
        if i % 3 == 1:
            args += ["-modulate", "100,%d,%d" % (80 + 3 * i, 90 + i)]
        args += ["-quality", "90", os.path.join(folder, name)]
        subprocess.run(args, check=True)
    open(marker, "w").close()
    return folder, [os.path.join(folder, n) for n in names]


def show(app, config, folder):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", OCULANE_CONFIG_DIR=config)
    res = subprocess.run([app, "--slideshow-bench", str(IMAGES), folder], env=env, stdout=subprocess.PIPE,
                         stderr=subprocess.PIPE, stdin=subprocess.DEVNULL)
    out = res.stdout.decode(errors="replace")
    m = re.search(r"slideshow (\d+) images (\d+)x(\d+) in ([0-9.]+) s, ([0-9.]+) images/s, "
                  r"ui per step mean ([0-9.]+) ms max ([0-9.]+) ms", out)
    if res.returncode != 0 or not m:
        raise SystemExit("slideshow-bench: %s failed:\n%s%s" % (app, out, res.stderr.decode(errors="replace")))
    return {"area": "%sx%s" % (m.group(2), m.group(3)), "seconds": float(m.group(4)),
            "rate": float(m.group(5)), "mean": float(m.group(6)), "max": float(m.group(7))}


def djpeg_all(files):
    start = time.perf_counter()
    for f in files:
        subprocess.run([DJPEG, "-outfile", "/dev/null", f], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       check=True)
    return time.perf_counter() - start


def main(argv):
    n, app, work = app_bench.parse(argv, __doc__, "slideshow-bench", 3, (DJPEG,))

    folder, files = make_folder(work)
    djpeg_all(files)  # warm the page cache for both
    with tempfile.TemporaryDirectory(prefix="oculane-bench-") as config:
        runs = []
        djpeg = []
        for _ in range(n):  # taking turns, so both see the same machine
            runs.append(show(app, config, folder))
            djpeg.append(djpeg_all(files))
    best = max(runs, key=lambda r: r["rate"])
    djpeg_rate = IMAGES / min(djpeg)
    worst_step = max(r["max"] for r in runs)
    mean_step = min(r["mean"] for r in runs)
    log("oculane slide show, %d JPEGs of 6000 x 4000 into %s, best of %d runs (load %.2f)"
        % (IMAGES, best["area"], n, os.getloadavg()[0]))
    log("")
    log("| measurement | oculane | peer | ratio | target |")
    log("|---|---|---|---|---|")
    log("| (a) images per second, delay 0 | %.2f /s (%.2f s) | djpeg in turn %.2f /s (%.2f s) | %.2f x | >= 0.9 x |"
        % (best["rate"], best["seconds"], djpeg_rate, min(djpeg), best["rate"] / djpeg_rate))
    log("| (b) user-interface time per step | mean %.2f ms, worst %.2f ms | | | <= 16 ms |" % (mean_step, worst_step))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
