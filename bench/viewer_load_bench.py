#!/usr/bin/env python3
"""Viewer loading benchmark. Run through bench/viewer-load-bench.sh; see
bench/README.md.

Usage: viewer_load_bench.py [N] [--app PATH] [--work DIR]

  N            runs of each measurement; the best is kept (default 3)
  --app PATH   the oculane program (default: $OCULANE_APP, else build/oculane)
  --work DIR   scratch folder (default: $OCULANE_BENCH_WORK, else bench/.work)

(b) step: `oculane --step-bench 10 FOLDER` steps with Next through the slide
    show's 20 JPEGs of 6000 x 4000 in a viewer whose image area is 1920 x 1080,
    each step once the images around the shown one are decoded ahead; the
    time from the command to the painted image, mean and worst, against
    `djpeg -outfile /dev/null` of one of the files (a whole process, best of
    the files). Target: at most 50 ms.
(c) first paint: `oculane --first-paint-bench FILE` for a 6000 x 4000 JPEG in a
    folder of 100 000 empty files, against the same file alone in a folder;
    the time from the start of the program to the first paint of the image.
    Target: at most 1.2 x.
"""

import os
import re
import shutil
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

import slideshow_bench  # noqa: E402  (the folder of 20 large JPEGs, djpeg)

STEPS = 10
CROWD = 100000


def run_app(app, config, args, pattern, what):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", OCULANE_CONFIG_DIR=config)
    res = subprocess.run([app, *args], env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                         stdin=subprocess.DEVNULL)
    out = res.stdout.decode(errors="replace")
    m = re.search(pattern, out)
    if res.returncode != 0 or not m:
        raise SystemExit("viewer-load-bench: %s %s failed:\n%s%s" % (what, app, out, res.stderr.decode(errors="replace")))
    return m


def step(app, config, folder):
    m = run_app(app, config, ["--step-bench", str(STEPS), folder],
                r"step (\d+) images (\d+)x(\d+) mean ([0-9.]+) ms max ([0-9.]+) ms", "--step-bench")
    return {"area": "%sx%s" % (m.group(2), m.group(3)), "mean": float(m.group(4)), "max": float(m.group(5))}


def first_paint(app, config, path):
    m = run_app(app, config, ["--first-paint-bench", path], r"first paint (\d+)x(\d+) after ([0-9.]+) ms",
                "--first-paint-bench")
    return float(m.group(3))


def djpeg_one(path):
    start = time.perf_counter()
    subprocess.run([slideshow_bench.DJPEG, "-outfile", "/dev/null", path], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=True)
    return (time.perf_counter() - start) * 1000


def crowd_folders(work, photo):
    """The photo alone, and the photo among 100 000 empty files (made once)."""
    alone = os.path.join(work, "first-paint-alone")
    crowd = os.path.join(work, "first-paint-crowd")
    name = "m-photo.jpg"
    for folder in (alone, crowd):
        os.makedirs(folder, exist_ok=True)
        if not os.path.exists(os.path.join(folder, name)):
            shutil.copyfile(photo, os.path.join(folder, name))
    marker = os.path.join(crowd, ".complete")
    if not os.path.exists(marker):
        log("making %d empty files in %s (once)" % (CROWD, crowd))
        for i in range(CROWD):
            open(os.path.join(crowd, "f%06d.jpg" % i), "w").close()
        open(marker, "w").close()
    return os.path.join(alone, name), os.path.join(crowd, name)


def main(argv):
    n, app, work = app_bench.parse(argv, __doc__, "viewer-load-bench", 3, (slideshow_bench.DJPEG,))

    folder, files = slideshow_bench.make_folder(work)
    alone, crowd = crowd_folders(work, files[0])
    slideshow_bench.djpeg_all(files)  # warm the page cache
    with tempfile.TemporaryDirectory(prefix="oculane-bench-") as config:
        steps, djpeg, paint_alone, paint_crowd = [], [], [], []
        for _ in range(n):  # taking turns, so both see the same machine
            steps.append(step(app, config, folder))
            djpeg.append(min(djpeg_one(f) for f in files[:STEPS + 1]))
            paint_alone.append(first_paint(app, config, alone))
            paint_crowd.append(first_paint(app, config, crowd))
    best = min(steps, key=lambda r: r["mean"])
    peer = min(djpeg)
    log("oculane viewer loading, JPEGs of 6000 x 4000, image area %s, best of %d runs (load %.2f)"
        % (best["area"], n, os.getloadavg()[0]))
    log("")
    log("| measurement | oculane | peer | ratio | target |")
    log("|---|---|---|---|---|")
    log("| (b) Next to painted image, decoded ahead | mean %.1f ms, worst %.1f ms | djpeg one file %.1f ms | %.2f x "
        "| <= 50 ms |" % (best["mean"], best["max"], peer, best["mean"] / peer))
    log("| (c) first paint of an opened file | %d files: %.1f ms | alone: %.1f ms | %.2f x | <= 1.2 x |"
        % (CROWD + 1, min(paint_crowd), min(paint_alone), min(paint_crowd) / min(paint_alone)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
