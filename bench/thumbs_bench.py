#!/usr/bin/env python3
"""Thumbnail benchmark: the desktop program's Large Icons view over 1 000
JPEGs of 4000 x 3000, against vipsthumbnail over the same files.
Run through bench/thumbs-bench.sh; see bench/README.md.

Usage: thumbs_bench.py [N] [--app PATH] [--work DIR]

  N            runs of each measurement; the best is kept (default 3)
  --app PATH   the oculane program (default: $OCULANE_APP, else build/oculane)
  --work DIR   scratch folder (default: $OCULANE_BENCH_WORK, else bench/.work)

(a) first visit: `oculane --thumbs-bench FOLDER` with an empty thumbnail
    cache (XDG_CACHE_HOME under the work folder): from switching to Large
    Icons until the last of the 1 000 thumbnails arrived, every file asked
    for at once; peer: `vipsthumbnail --size 128` over the same files, PNG
    thumbnails into a scratch folder (whole process). Target: at most 1.2 x.
(b) second visit: the same run again over the filled cache. Target: at most
    0.5 s.
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

FILES = 1000
BASES = 10
WIDTH, HEIGHT = 4000, 3000
MAGICK = "convert-im6.q16"
VIPS = "/usr/bin/vips"
VIPSTHUMBNAIL = "/usr/bin/vipsthumbnail"


def make_folder(work):
    """1 000 JPEGs of 4000 x 3000 (quality 90): ten different pictures, each
    copied a hundred times, so the files are real and separate on disk."""
    folder = os.path.join(work, "thumbs-4000x3000")
    marker = os.path.join(folder, ".complete")
    if os.path.exists(marker):
        return folder
    free = shutil.disk_usage(work).free
    if free < 8 << 30:
        raise SystemExit("thumbs-bench: %.1f GiB free in %s; the photos need about 4" % (free / 2**30, work))
    os.makedirs(folder, exist_ok=True)
    log("generating %d JPEGs of %d x %d in %s (once)" % (FILES, WIDTH, HEIGHT, folder))
    with tempfile.TemporaryDirectory(prefix="thumbs-gen-", dir=work) as tmp:
        bases = []
        for b in range(BASES):
            small = os.path.join(tmp, "small-%d.png" % b)
            big = os.path.join(tmp, "big-%d.v" % b)
            noise = os.path.join(tmp, "noise-%d.v" % b)
            mixed = os.path.join(tmp, "mixed-%d.v" % b)
            out = os.path.join(tmp, "base-%d.jpg" % b)
            # A smooth photo-like picture, enlarged, with sensor-like grain on top.
            subprocess.run([MAGICK, "-seed", str(b + 1), "-size", "500x375", "plasma:", "-depth", "8", small], check=True)
            subprocess.run([VIPS, "resize", small, big, str(WIDTH / 500)], check=True)
            subprocess.run([VIPS, "gaussnoise", noise, str(WIDTH), str(HEIGHT), "--mean", "0", "--sigma", "6"],
                           check=True)
            subprocess.run([VIPS, "add", big, noise, mixed], check=True)
            subprocess.run([VIPS, "cast", mixed, out + "[Q=90]", "uchar"], check=True)
            bases.append(out)
        for i in range(FILES):
            shutil.copyfile(bases[i % BASES], os.path.join(folder, "IMG_%04d.jpg" % i))
    open(marker, "w").close()
    return folder


def thumbs(app, config, cache, folder):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", OCULANE_CONFIG_DIR=config, XDG_CACHE_HOME=cache)
    res = subprocess.run([app, "--thumbs-bench", folder], env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                         stdin=subprocess.DEVNULL)
    out = res.stdout.decode(errors="replace")
    m = re.search(r"thumbs (\d+) files in ([0-9.]+) s \(processor ([0-9.]+) s\), (\d+) from the cache, (\d+) failed",
                  out)
    if res.returncode != 0 or not m:
        raise SystemExit("thumbs-bench: %s failed:\n%s%s" % (app, out, res.stderr.decode(errors="replace")))
    return {"files": int(m.group(1)), "seconds": float(m.group(2)), "cpu": float(m.group(3)),
            "cached": int(m.group(4)), "failed": int(m.group(5))}


def vipsthumbnail(files, out):
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    start = time.perf_counter()
    subprocess.run([VIPSTHUMBNAIL, "--size", "128", "-o", os.path.join(out, "%s.png")] + files,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    return time.perf_counter() - start


def main(argv):
    n, app, work = app_bench.parse(argv, __doc__, "thumbs-bench", 3, (VIPS, VIPSTHUMBNAIL))

    folder = make_folder(work)
    files = sorted(os.path.join(folder, f) for f in os.listdir(folder) if f.endswith(".jpg"))
    cache = os.path.join(work, "thumbs-cache")
    vips_out = os.path.join(work, "thumbs-vips")
    vipsthumbnail(files, vips_out)  # warms the page cache for both
    first, second, peer = [], [], []
    with tempfile.TemporaryDirectory(prefix="oculane-bench-") as config:
        for _ in range(n):  # taking turns, so both see the same machine
            shutil.rmtree(cache, ignore_errors=True)
            first.append(thumbs(app, config, cache, folder))
            second.append(thumbs(app, config, cache, folder))
            peer.append(vipsthumbnail(files, vips_out))
    best_first = min(first, key=lambda r: r["seconds"])
    best_second = min(second, key=lambda r: r["seconds"])
    best_peer = min(peer)
    for r in first + second:
        if r["files"] != len(files) or r["failed"]:
            raise SystemExit("thumbs-bench: %d of %d files, %d failed" % (r["files"], len(files), r["failed"]))
    log("oculane thumbnails, %d JPEGs of %d x %d in Large Icons (128 px), best of %d runs (load %.2f)"
        % (len(files), WIDTH, HEIGHT, n, os.getloadavg()[0]))
    log("")
    log("| measurement | oculane | peer | ratio | target |")
    log("|---|---|---|---|---|")
    log("| (a) first visit, empty cache | %.2f s (processor %.2f s) | vipsthumbnail --size 128 %.2f s | %.2f x | <= 1.2 x |"
        % (best_first["seconds"], best_first["cpu"], best_peer, best_first["seconds"] / best_peer))
    log("| (b) second visit, %d of %d from the cache | %.3f s (processor %.3f s) | | | <= 0.5 s |"
        % (best_second["cached"], best_second["files"], best_second["seconds"], best_second["cpu"]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
