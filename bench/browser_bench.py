#!/usr/bin/env python3
"""Desktop-program benchmark: listing a folder of 10 000 files, previewing a
6000 x 4000 JPEG, and the memory the program needs to hold that image.
Run through bench/browser-bench.sh; see bench/README.md.

Usage: browser_bench.py [N] [--app PATH] [--work DIR]

  N            runs per measurement; the best is kept (default 5)
  --app PATH   the oculane program (default: $OCULANE_APP, else build/oculane)
  --work DIR   scratch folder (default: $OCULANE_BENCH_WORK, else bench/.work)

(a) listing: the program, in Details mode with every column on and sorted by
    name, reports the time from reading the folder until the rows are painted
    (--timing); peer: `ls -l` of the same folder (whole process, output to a
    pipe). Target: at most 3 x ls -l.
(b) preview: the time from selecting the JPEG until its preview is painted
    (--timing); peer: `djpeg -outfile /dev/null` (whole process). Target: at
    most 1.3 x djpeg.
(c) memory: peak resident memory of the program showing that JPEG, minus that
    of the program showing an empty folder, against the image's 32-bit pixel
    buffer (6000 x 4000 x 4 bytes). Target: at most 1.3 x the buffer.
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

import decode_bench  # noqa: E402  (the cached plasma images)

FILES = 10000
JPEG = "plasma-q90.jpg"
TIME_BIN = "/usr/bin/time"
# Show columns Attributes (224) and Type (225), then Refresh (32792) so the
# measured listing has every column on.
ALL_COLUMNS = ["--command", "224", "--command", "225", "--command", "32792"]


def make_folder(work):
    """10 000 small image-named files, as a camera folder has them."""
    folder = os.path.join(work, "list-10000")
    marker = os.path.join(folder, ".complete")
    if os.path.exists(marker):
        return folder
    os.makedirs(folder, exist_ok=True)
    exts = ["jpg", "JPG", "png", "bmp", "tif", "gif"]
    for i in range(FILES):
        name = "IMG_%05d.%s" % ((i * 7919) % 100000, exts[i % len(exts)])
        with open(os.path.join(folder, name), "wb") as f:
            f.write(b"\0" * (100 + i % 5000))
    open(marker, "w").close()
    return folder


def run_app(app, config, args, env_extra=None):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", OCULANE_CONFIG_DIR=config)
    if env_extra:
        env.update(env_extra)
    shot = os.path.join(config, "shot.png")
    cmd = [TIME_BIN, "-f", "peak-kib %M", app, "--screenshot", shot, "--timing"] + args
    res = subprocess.run(cmd, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, stdin=subprocess.DEVNULL)
    err = res.stderr.decode(errors="replace")
    if res.returncode != 0:
        raise SystemExit("browser-bench: %s failed:\n%s" % (" ".join(cmd), err))
    return err


def best_of(n, fn):
    return min(fn() for _ in range(n))


def wall(cmd):
    start = time.perf_counter()
    subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=True)
    return time.perf_counter() - start


def main(argv):
    n, app, work = app_bench.parse(argv, __doc__, "browser-bench", 5, (TIME_BIN, "/usr/bin/djpeg", "/usr/bin/ls"))

    folder = make_folder(work)
    jpeg = decode_bench.src(work, JPEG)
    jpeg_folder = os.path.join(work, "preview-jpeg")
    os.makedirs(jpeg_folder, exist_ok=True)
    jpeg_link = os.path.join(jpeg_folder, JPEG)
    if not os.path.exists(jpeg_link):
        os.symlink(jpeg, jpeg_link)
    empty = os.path.join(work, "empty-folder")
    os.makedirs(empty, exist_ok=True)

    with tempfile.TemporaryDirectory(prefix="oculane-bench-") as config:
        # (a) listing
        def listing():
            err = run_app(app, config, ALL_COLUMNS + [folder])
            times = re.findall(r"listed (\d+) rows and showed them in ([0-9.]+) s", err)
            rows, seconds = times[-1]
            if int(rows) != FILES:
                raise SystemExit("browser-bench: listed %s rows, expected %d" % (rows, FILES))
            return float(seconds)
        ours_list = best_of(n, listing)
        ls_list = best_of(n, lambda: wall(["/usr/bin/ls", "-l", folder]))

        # (b) preview
        def preview():
            err = run_app(app, config, [jpeg_link])
            return float(re.findall(r"preview painted 6000x4000 in ([0-9.]+) s", err)[-1])
        ours_preview = best_of(n, preview)
        djpeg = best_of(n, lambda: wall(["/usr/bin/djpeg", "-outfile", "/dev/null", jpeg]))

        # (c) memory
        def peak(args):
            return int(re.findall(r"peak-kib (\d+)", run_app(app, config, args))[-1])
        with_image = min(peak([jpeg_link]) for _ in range(n))
        without = min(peak([empty]) for _ in range(n))

    buffer_mib = 6000 * 4000 * 4 / 1048576
    above = (with_image - without) / 1024
    log("oculane desktop program, best of %d runs" % n)
    log("")
    log("| measurement | oculane | peer | ratio | target |")
    log("|---|---|---|---|---|")
    log("| (a) list 10 000 files, Details, all columns, by name | %.3f s | ls -l %.3f s | %.2f x | <= 3 x |"
        % (ours_list, ls_list, ours_list / ls_list))
    log("| (b) select 6000x4000 JPEG until its preview is painted | %.3f s | djpeg %.3f s | %.2f x | <= 1.3 x |"
        % (ours_preview, djpeg, ours_preview / djpeg))
    log("| (c) memory holding the image, above the empty program | %.0f MiB (%.0f - %.0f) | buffer %.0f MiB | %.2f x | <= 1.3 x |"
        % (above, with_image / 1024, without / 1024, buffer_mib, above / buffer_mib))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
