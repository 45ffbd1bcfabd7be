#!/usr/bin/env python3
"""Whole-process BMP decode benchmark: oculane-cli against stb_image,
ImageMagick and vips.  Run through bench/decode-bench.sh; see bench/README.md.

Usage: decode_bench.py [N] [--cli PATH] [--work DIR]

  N           runs per tool and file; the best wall time is kept (default 5)
  --cli PATH  oculane-cli to measure (default: $OCULANE_CLI, else
              build/oculane-cli in the repository)
  --work DIR  scratch folder for the test images and the stb program
              (default: $OCULANE_BENCH_WORK, else bench/.work)

Exit status: 0 whatever the results, 1 when a peer tool is missing, 2 on a
usage error.
"""

import os
import shlex
import shutil
import struct
import subprocess
import sys
import tempfile
import time

BENCH_DIR = os.path.dirname(os.path.abspath(__file__))
REPO_DIR = os.path.dirname(BENCH_DIR)

WIDTH, HEIGHT = 6000, 4000
MEMORY_FACTOR = 1.1
TIME_BIN = "/usr/bin/time"
MAGICK = "convert-im6.q16"
VIPS = "vips"
STB_HEADER = "/usr/include/stb/stb_image.h"

# name, bits per pixel, compression (0 = BI_RGB, 1 = BI_RLE8)
FILES = [
    ("plasma-24bit.bmp", 24, 0),
    ("plasma-8bit.bmp", 8, 0),
    ("plasma-8bit-rle8.bmp", 8, 1),
]


def log(msg):
    print(msg, flush=True)


def usage(msg):
    sys.stderr.write("decode-bench: %s\n\n%s" % (msg, __doc__))
    sys.exit(2)


def parse_args(argv):
    runs = 5
    cli = os.environ.get("OCULANE_CLI") or os.path.join(REPO_DIR, "build", "oculane-cli")
    work = os.environ.get("OCULANE_BENCH_WORK") or os.path.join(BENCH_DIR, ".work")
    it = iter(argv)
    positional = []
    for a in it:
        if a in ("-h", "--help"):
            print(__doc__)
            sys.exit(0)
        elif a == "--cli":
            cli = next(it, None) or usage("--cli needs a path")
        elif a.startswith("--cli="):
            cli = a.split("=", 1)[1]
        elif a == "--work":
            work = next(it, None) or usage("--work needs a folder")
        elif a.startswith("--work="):
            work = a.split("=", 1)[1]
        elif a.startswith("-"):
            usage("unknown option " + a)
        else:
            positional.append(a)
    if len(positional) > 1:
        usage("too many arguments")
    if positional:
        try:
            runs = int(positional[0])
        except ValueError:
            usage("N must be a whole number")
        if runs < 1:
            usage("N must be at least 1")
    return runs, os.path.abspath(cli), os.path.abspath(work)


def bmp_header(path):
    """(bits, compression, width, height, header size) of a BMP file."""
    with open(path, "rb") as f:
        head = f.read(54)
    if len(head) < 54 or head[:2] != b"BM":
        return None
    hsize, w, h, _planes, bits, comp = struct.unpack_from("<IiiHHI", head, 14)
    return bits, comp, w, abs(h), hsize


# ---------------------------------------------------------------------------
# Test images
# ---------------------------------------------------------------------------

def magick(args):
    subprocess.run([MAGICK] + args, check=True)


def make_image(work, name, bits, comp):
    path = os.path.join(work, name)
    if os.path.exists(path):
        return path
    log("generating %s (once; cached in %s)" % (name, work))
    tmp = path + ".tmp.bmp"
    if name == "plasma-24bit.bmp":
        # Fractal plasma, slightly blurred: smooth, noisy, photo-like colour.
        magick(["-seed", "7", "-size", "%dx%d" % (WIDTH, HEIGHT), "plasma:fractal",
                "-blur", "0x2", "-type", "TrueColor", "-compress", "None",
                "BMP3:" + tmp])
    else:
        src = make_image(work, "plasma-24bit.bmp", 24, 0)
        if comp == 0:
            # Full 256-colour palette, dithered: no long runs.
            magick([src, "-dither", "FloydSteinberg", "-colors", "256",
                    "-type", "Palette", "-compress", "None", "BMP3:" + tmp])
        else:
            # Posterised to 48 colours without dithering: wide bands, so RLE
            # has runs to work with (48 keeps it at 8 bits per pixel).
            magick([src, "+dither", "-colors", "48", "-type", "Palette",
                    "-compress", "RLE", "BMP3:" + tmp])
    got = bmp_header(tmp)
    want = (bits, comp, WIDTH, HEIGHT, 40)
    if got != want:
        os.unlink(tmp)
        sys.stderr.write("decode-bench: ImageMagick wrote %s as (bits, compression, "
                         "width, height, header size) %s, wanted %s\n" % (name, got, want))
        sys.exit(1)
    os.replace(tmp, path)
    return path


def build_stb(work):
    src = os.path.join(BENCH_DIR, "stb_decode.c")
    exe = os.path.join(work, "stb-decode")
    if os.path.exists(exe) and os.path.getmtime(exe) >= os.path.getmtime(src):
        return exe
    log("building %s" % exe)
    cc = shlex.split(os.environ.get("CC") or "cc")
    subprocess.run(cc + ["-O2", "-w", "-o", exe, src, "-lm"], check=True)
    return exe


# ---------------------------------------------------------------------------
# Measuring
# ---------------------------------------------------------------------------

def run_once(cmd, mem_file):
    """Runs cmd under /usr/bin/time; returns (seconds, peak KiB, rc, out, err)."""
    start = time.perf_counter()
    res = subprocess.run([TIME_BIN, "-f", "%M", "-o", mem_file] + cmd,
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                         stdin=subprocess.DEVNULL)
    elapsed = time.perf_counter() - start
    peak = 0
    try:
        with open(mem_file) as f:
            lines = [l for l in f.read().split() if l.isdigit()]
            peak = int(lines[-1]) if lines else 0
    except OSError:
        pass
    return elapsed, peak, res.returncode, res.stdout.decode(errors="replace"), \
        res.stderr.decode(errors="replace")


def check_output(tool, out, w, h):
    """None when the tool's output shows a decode of the right size."""
    if tool == "stb_image":
        return None if out.split() == [str(w), str(h)] else "unexpected output %r" % out.strip()
    if tool == "oculane":
        fields = out.rstrip("\n").split("\t")
        if len(fields) < 4 or fields[2:4] != [str(w), str(h)]:
            return "unexpected output %r" % out.strip()
    return None


def measure(tools, files, runs, mem_file):
    """results[(file, tool)] = dict(best, peak, error)."""
    results = {}
    for path, w, h in files:
        name = os.path.basename(path)
        log("timing %s: %d run(s) per tool" % (name, runs))
        for tool, _ in tools:
            results[(name, tool)] = {"best": None, "peak": 0, "error": None}
        # Round-robin so every tool sees the same machine state on average.
        for _ in range(runs):
            for tool, make_cmd in tools:
                r = results[(name, tool)]
                if r["error"]:
                    continue
                secs, peak, rc, out, err = run_once(make_cmd(path), mem_file)
                if rc != 0:
                    first = (err.strip().splitlines() or ["exit status %d" % rc])[-1]
                    first = first.replace(path, name)
                    r["error"] = "failed: " + first[:90]
                    continue
                problem = check_output(tool, out, w, h)
                if problem:
                    r["error"] = problem[:100]
                    continue
                r["best"] = secs if r["best"] is None else min(r["best"], secs)
                r["peak"] = max(r["peak"], peak)
    return results


# ---------------------------------------------------------------------------
# Report
# ---------------------------------------------------------------------------

def mib(n_bytes):
    return n_bytes / (1024.0 * 1024.0)


def report(tools, files, results, runs, cli_note):
    log("")
    log("Best wall time of %d run(s) of the whole process; peak = max RSS (%s -f %%M)."
        % (runs, TIME_BIN))
    log("Ratio = time / fastest peer's time (peers: every tool but oculane).")
    log("Oculane targets: time <= fastest peer; peak memory <= %.1f x (w*h*4 + file size)."
        % MEMORY_FACTOR)
    if cli_note:
        log(cli_note)
    header = "%-22s %-12s %9s %10s %8s  %s" % ("file", "tool", "best s", "peak MiB",
                                               "ratio", "verdict")
    log("")
    log(header)
    log("-" * len(header))
    for path, w, h in files:
        name = os.path.basename(path)
        size = os.path.getsize(path)
        budget = MEMORY_FACTOR * (w * h * 4 + size)
        peer_times = [results[(name, t)]["best"] for t, _ in tools
                      if t != "oculane" and results[(name, t)]["best"] is not None]
        fastest = min(peer_times) if peer_times else None
        for tool, _ in tools:
            r = results[(name, tool)]
            if r["error"]:
                log("%-22s %-12s %9s %10s %8s  %s" % (name, tool, "-", "-", "-", r["error"]))
                continue
            ratio = "%.2fx" % (r["best"] / fastest) if fastest else "-"
            verdict = ""
            peak_bytes = r["peak"] * 1024
            if tool == "oculane":
                t_ok = fastest is not None and r["best"] <= fastest
                m_ok = peak_bytes <= budget
                verdict = "time %s, memory %s (budget %.1f MiB)" % (
                    "PASS" if t_ok else ("FAIL" if fastest else "n/a"),
                    "PASS" if m_ok else "FAIL", mib(budget))
            elif fastest is not None and r["best"] == fastest:
                verdict = "fastest peer"
            log("%-22s %-12s %9.3f %10.1f %8s  %s" % (name, tool, r["best"],
                                                       mib(peak_bytes), ratio, verdict))
        log("%-22s %dx%d, %.1f MiB on disk, oculane memory budget %.1f MiB"
            % ("", w, h, mib(size), mib(budget)))
        log("")


def main(argv):
    runs, cli, work = parse_args(argv)

    missing = []
    cc = shlex.split(os.environ.get("CC") or "cc")
    for exe, pkg in ((MAGICK, "imagemagick"), (VIPS, "libvips-tools"),
                     (cc[0] if cc else "cc", "build-essential")):
        if not shutil.which(exe):
            missing.append("%s (Debian package %s)" % (exe, pkg))
    if not os.access(TIME_BIN, os.X_OK):
        missing.append("%s (Debian package time)" % TIME_BIN)
    if not os.path.exists(STB_HEADER):
        missing.append("%s (Debian package libstb-dev)" % STB_HEADER)
    if missing:
        sys.stderr.write("decode-bench: missing tools:\n  %s\n"
                         "Install them with: scripts/install-deps --bench\n"
                         % "\n  ".join(missing))
        return 1

    os.makedirs(work, exist_ok=True)
    files = []
    for name, bits, comp in FILES:
        path = make_image(work, name, bits, comp)
        files.append((path, WIDTH, HEIGHT))
    stb = build_stb(work)

    tools = []
    cli_note = None
    if os.access(cli, os.X_OK):
        tools.append(("oculane", lambda p: [cli, "info", p]))
    else:
        cli_note = ("NOTE: oculane skipped: %s not found or not executable "
                    "(build it, or pass --cli PATH / set OCULANE_CLI)." % cli)
        log(cli_note)
    tools += [
        ("stb_image", lambda p: [stb, p]),
        ("imagemagick", lambda p: [MAGICK, p, "rgba:/dev/null"]),
        # avg reads every pixel, so the whole image is decoded; it writes nothing.
        ("vips", lambda p: [VIPS, "avg", p]),
    ]

    fd, mem_file = tempfile.mkstemp(prefix="decode-bench-", suffix=".mem")
    os.close(fd)
    try:
        results = measure(tools, files, runs, mem_file)
    finally:
        os.unlink(mem_file)
    report(tools, files, results, runs, cli_note)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
