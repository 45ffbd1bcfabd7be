#!/usr/bin/env python3
"""Whole-process decode benchmark: oculane-cli against stb_image, ImageMagick,
vips, Pillow (and netpbm for IFF/ILBM), on one large image per format and
variant.  Run through bench/decode-bench.sh; see bench/README.md.

Usage: decode_bench.py [N] [-n N] [--formats a,b,c] [--cli PATH] [--work DIR]

  N, -n N        runs per tool and file; the best wall time is kept (default 5)
  --formats LIST comma-separated subset of: %(formats)s
                 (also accepted: jpg, tif, ppm, sun, ilbm)
  --cli PATH     oculane-cli to measure (default: $OCULANE_CLI, else
                 build/oculane-cli in the repository)
  --work DIR     scratch folder for the test images and the stb program
                 (default: $OCULANE_BENCH_WORK, else bench/.work)
  --list         print the formats, files and peers, then exit

Exit status: 0 whatever the results, 1 when a tool is missing (or an image
cannot be generated), 2 on a usage error.
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
sys.path.insert(0, BENCH_DIR)
sys.dont_write_bytecode = True  # no __pycache__ in bench/

import bench_images  # noqa: E402  (after the path tweak)

WIDTH, HEIGHT = 6000, 4000
ICO_SIZE = 256
MEMORY_FACTOR = 1.1
TIME_BIN = "/usr/bin/time"
MAGICK = "convert-im6.q16"
VIPS = "vips"
ILBMTOPPM = "ilbmtoppm"
STB_HEADER = "/usr/include/stb/stb_image.h"
CLI_WAIT_SECONDS = 120   # oculane-cli may be briefly missing while others rebuild it

SRC24 = "plasma-24bit.bmp"
SRC8 = "plasma-8bit.bmp"


def log(msg=""):
    print(msg, flush=True)


def usage(msg):
    sys.stderr.write("decode-bench: %s\n\n%s" % (msg, doc()))
    sys.exit(2)


def doc():
    return __doc__ % {"formats": ", ".join(f.key for f in FORMATS)}


# ---------------------------------------------------------------------------
# Test images
# ---------------------------------------------------------------------------

def magick(args):
    subprocess.run([MAGICK] + args, check=True)


def bmp_header(path):
    """(bits, compression, width, height, header size) of a BMP file."""
    with open(path, "rb") as f:
        head = f.read(54)
    if len(head) < 54 or head[:2] != b"BM":
        return None
    hsize, w, h, _planes, bits, comp = struct.unpack_from("<IiiHHI", head, 14)
    return bits, comp, w, abs(h), hsize


def gen_src24(work, out):
    # Fractal plasma, slightly blurred: smooth, noisy, photo-like colour.  Every
    # other image is made from this one (or from its 256-colour version).
    magick(["-seed", "7", "-size", "%dx%d" % (WIDTH, HEIGHT), "plasma:fractal",
            "-blur", "0x2", "-type", "TrueColor", "-compress", "None", "BMP3:" + out])
    want_bmp(out, 24, 0)


def gen_src8(work, out):
    # Full 256-colour palette, dithered: no long runs.
    magick([src(work, SRC24), "-dither", "FloydSteinberg", "-colors", "256",
            "-type", "Palette", "-compress", "None", "BMP3:" + out])
    want_bmp(out, 8, 0)


def gen_rle8(work, out):
    # Posterised to 48 colours without dithering: wide bands, so RLE has runs
    # to work with (48 keeps it at 8 bits per pixel).
    magick([src(work, SRC24), "+dither", "-colors", "48", "-type", "Palette",
            "-compress", "RLE", "BMP3:" + out])
    want_bmp(out, 8, 1)


def want_bmp(path, bits, comp):
    got = bmp_header(path)
    want = (bits, comp, WIDTH, HEIGHT, 40)
    if got != want:
        raise GenerationError("ImageMagick wrote %s as (bits, compression, width, height, "
                              "header size) %s, wanted %s" % (os.path.basename(path), got, want))


def from_magick(source, *args):
    """Generator: ImageMagick converts SOURCE (a cached file name) with ARGS;
    the output name is the last argument, with {} for the path."""
    def gen(work, out):
        *opts, target = args
        magick([src(work, source)] + list(opts) + [target.format(out)])
    return gen


def gen_ilbm(work, out):
    w, h, pal, rows = bench_images.read_bmp8(src(work, SRC8))
    bench_images.write_ilbm(out, w, h, pal, rows)


def gen_ico(work, out):
    rgb = subprocess.run([MAGICK, src(work, SRC24), "-resize", "%dx%d!" % (ICO_SIZE, ICO_SIZE),
                          "-depth", "8", "rgb:-"], check=True, stdout=subprocess.PIPE).stdout
    bench_images.write_ico32(out, rgb, ICO_SIZE)


class GenerationError(Exception):
    pass


class Format:
    def __init__(self, key, label, factor, peers, files):
        self.key = key          # --formats name
        self.label = label      # shown in the table
        self.factor = factor    # oculane time target: <= factor x fastest peer
        self.peers = peers      # tools that read this format
        self.files = files      # [(file name, generator, width, height, note)]


STB, IM, VIPS_T, PIL, NETPBM = "stb_image", "magick", "vips", "pillow", "netpbm"
ALL_PEERS = [STB, IM, VIPS_T, PIL, NETPBM]
W, H = WIDTH, HEIGHT

FORMATS = [
    Format("bmp", "BMP", 1.0, [STB, IM, VIPS_T, PIL], [
        (SRC24, gen_src24, W, H, "24-bit, uncompressed"),
        (SRC8, gen_src8, W, H, "8-bit, 256-colour dithered palette"),
        ("plasma-8bit-rle8.bmp", gen_rle8, W, H, "8-bit RLE8, 48 colours"),
    ]),
    Format("tga", "TGA", 1.0, [STB, IM, VIPS_T, PIL], [
        ("plasma-24bit.tga", from_magick(SRC24, "-compress", "None", "TGA:{}"), W, H,
         "24-bit, uncompressed (type 2)"),
        ("plasma-24bit-rle.tga", from_magick(SRC24, "-compress", "RLE", "TGA:{}"), W, H,
         "24-bit, RLE (type 10)"),
    ]),
    Format("pict", "PICT", 1.0, [IM, VIPS_T], [
        ("plasma-32bit.pict", from_magick(SRC24, "-depth", "8", "PICT:{}"), W, H,
         "DirectBitsRect, 32-bit, PackBits per component"),
    ]),
    Format("jpeg", "JPEG", 1.1, [STB, IM, VIPS_T, PIL], [
        ("plasma-q90.jpg", from_magick(SRC24, "-quality", "90", "-sampling-factor", "2x2,1x1,1x1",
                                       "-interlace", "none", "JPEG:{}"), W, H,
         "baseline, quality 90, 4:2:0"),
    ]),
    Format("png", "PNG", 1.1, [STB, IM, VIPS_T, PIL], [
        ("plasma-24bit.png", from_magick(SRC24, "-depth", "8", "PNG24:{}"), W, H,
         "8-bit RGB, non-interlaced, ImageMagick's default zlib level and filters"),
    ]),
    Format("tiff", "TIFF", 1.1, [IM, VIPS_T, PIL], [
        ("plasma-24bit.tif", from_magick(SRC24, "-depth", "8", "-compress", "None", "TIFF:{}"),
         W, H, "8-bit RGB, contiguous, uncompressed strips"),
        ("plasma-24bit-lzw.tif", from_magick(SRC24, "-depth", "8", "-compress", "LZW", "TIFF:{}"),
         W, H, "8-bit RGB, contiguous, LZW strips, no predictor"),
    ]),
    Format("gif", "GIF", 1.0, [STB, IM, VIPS_T, PIL], [
        ("plasma-8bit.gif", from_magick(SRC8, "GIF:{}"), W, H,
         "256-colour dithered, non-interlaced"),
    ]),
    Format("pcx", "PCX", 1.0, [IM, VIPS_T, PIL], [
        ("plasma-24bit.pcx", from_magick(SRC24, "-depth", "8", "PCX:{}"), W, H,
         "24-bit, three 8-bit planes, RLE"),
        ("plasma-8bit.pcx", from_magick(SRC8, "-type", "Palette", "PCX:{}"), W, H,
         "8-bit, 256-colour palette, RLE"),
    ]),
    Format("iff", "IFF", 1.0, [NETPBM], [
        ("plasma-8bit-byterun1.iff", gen_ilbm, W, H,
         "ILBM, 8 planes, 256-colour CMAP, ByteRun1 (bench_images.py)"),
    ]),
    Format("pnm", "PNM", 1.0, [STB, IM, VIPS_T, PIL], [
        ("plasma-24bit.ppm", from_magick(SRC24, "-depth", "8", "PPM:{}"), W, H,
         "binary PPM (P6), maxval 255"),
    ]),
    Format("ras", "Sun", 1.0, [IM, VIPS_T, PIL], [
        ("plasma-24bit.ras", from_magick(SRC24, "-depth", "8", "SUN:{}"), W, H,
         "24-bit, uncompressed"),
    ]),
    Format("ico", "ICO", 1.0, [IM, VIPS_T, PIL], [
        ("plasma-256-32bit.ico", gen_ico, ICO_SIZE, ICO_SIZE,
         "one 256 x 256 32-bit BGRA DIB entry with alpha (bench_images.py)"),
    ]),
    Format("psd", "PSD", 1.0, [STB, IM, VIPS_T, PIL], [
        ("plasma-24bit-rle.psd", from_magick(SRC24, "-depth", "8", "-alpha", "off",
                                             "-compress", "RLE", "PSD:{}"), W, H,
         "8-bit RGB, PackBits rows"),
    ]),
    Format("dds", "DDS", 1.0, [IM, VIPS_T, PIL], [
        ("plasma-dxt1.dds", from_magick(SRC24, "-define", "dds:compression=dxt1",
                                        "-define", "dds:mipmaps=0",
                                        "-define", "dds:cluster-fit=false", "DDS:{}"), W, H,
         "DXT1 (BC1), no mip-maps"),
        ("plasma-32bit.dds", from_magick(SRC24, "-alpha", "set", "-define", "dds:compression=none",
                                         "-define", "dds:mipmaps=0", "DDS:{}"), W, H,
         "uncompressed 32-bit A8R8G8B8, no mip-maps"),
    ]),
]

ALIASES = {"jpg": "jpeg", "tif": "tiff", "ppm": "pnm", "sun": "ras", "ilbm": "iff"}
METAFILE_KEYS = ("wmf", "emf")
METAFILE_NOTE = ("WMF/EMF are not benchmarked: none of the peers reads them here "
                 "(ImageMagick 6 on Debian has no WMF/EMF coder, Pillow only renders "
                 "them on Windows, stb_image and vips do not read them).")


def generators():
    """name -> generator for every file, including the two sources."""
    table = {}
    for fmt in FORMATS:
        for name, gen, *_ in fmt.files:
            table[name] = gen
    return table


_CLI_FOR_CHECK = [None]


def src(work, name):
    """Path of a cached image, generated first when missing."""
    path = os.path.join(work, name)
    if os.path.exists(path):
        return path
    log("generating %s (once; cached in %s)" % (name, work))
    tmp_dir = tempfile.mkdtemp(prefix=".gen-", dir=work)
    tmp = os.path.join(tmp_dir, name)
    try:
        start = time.perf_counter()
        generators()[name](work, tmp)
        if not os.path.exists(tmp):
            raise GenerationError("%s was not written" % name)
        os.replace(tmp, path)
        log("  %s: %.1f MiB, %.1f s" % (name, mib(os.path.getsize(path)),
                                         time.perf_counter() - start))
    except subprocess.CalledProcessError as e:
        raise GenerationError("generating %s failed: %s" % (name, e))
    finally:
        shutil.rmtree(tmp_dir, ignore_errors=True)
    return path


def check_generated(cli, files):
    """Has oculane-cli read each image and report its size; warns otherwise."""
    if not cli:
        return
    for fmt, path, w, h, _note in files:
        res = subprocess.run([cli, "info", path], stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, stdin=subprocess.DEVNULL)
        fields = res.stdout.decode(errors="replace").rstrip("\n").split("\t")
        ok = res.returncode == 0 and fields[2:4] == [str(w), str(h)]
        line = "\t".join(fields[1:]) if len(fields) > 1 else res.stderr.decode(errors="replace").strip()
        log("  oculane-cli info %-26s %s%s" % (os.path.basename(path), line,
                                                "" if ok else "   <-- WARNING: wanted %d x %d" % (w, h)))


# ---------------------------------------------------------------------------
# Tools
# ---------------------------------------------------------------------------

def build_stb(work):
    source = os.path.join(BENCH_DIR, "stb_decode.c")
    exe = os.path.join(work, "stb-decode")
    if os.path.exists(exe) and os.path.getmtime(exe) >= os.path.getmtime(source):
        return exe
    log("building %s" % exe)
    cc = shlex.split(os.environ.get("CC") or "cc")
    subprocess.run(cc + ["-O2", "-w", "-o", exe, source, "-lm"], check=True)
    return exe


def pillow_python():
    """A python3 that imports PIL: Debian's /usr/bin/python3 first (python3-pil
    goes there), then the interpreter running this script."""
    for py in ("/usr/bin/python3", sys.executable):
        if py and os.access(py, os.X_OK):
            res = subprocess.run([py, "-c", "import PIL"], stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
            if res.returncode == 0:
                return py
    return None


def vips_loader(path):
    res = subprocess.run(["vipsheader", "-f", "vips-loader", path], stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL)
    return res.stdout.decode(errors="replace").strip() if res.returncode == 0 else None


# ---------------------------------------------------------------------------
# Measuring
# ---------------------------------------------------------------------------

def run_once(cmd, mem_file, discard_stdout):
    """Runs cmd under /usr/bin/time; returns (seconds, peak KiB, rc, out, err)."""
    start = time.perf_counter()
    res = subprocess.run([TIME_BIN, "-f", "%M", "-o", mem_file] + cmd,
                         stdout=subprocess.DEVNULL if discard_stdout else subprocess.PIPE,
                         stderr=subprocess.PIPE, stdin=subprocess.DEVNULL)
    elapsed = time.perf_counter() - start
    peak = 0
    try:
        with open(mem_file) as f:
            lines = [l for l in f.read().split() if l.isdigit()]
            peak = int(lines[-1]) if lines else 0
    except OSError:
        pass
    out = res.stdout.decode(errors="replace") if res.stdout else ""
    return elapsed, peak, res.returncode, out, res.stderr.decode(errors="replace")


def check_output(tool, out, w, h):
    """None when the tool's output shows a decode of the right size."""
    if tool in (STB, PIL):
        return None if out.split() == [str(w), str(h)] else "unexpected output %r" % out.strip()[:60]
    if tool == "oculane":
        fields = out.rstrip("\n").split("\t")
        if len(fields) < 4 or fields[2:4] != [str(w), str(h)]:
            return "unexpected output %r" % out.strip()[:80]
    return None


def wait_for(exe):
    """True once exe exists (waits up to CLI_WAIT_SECONDS: others rebuild it)."""
    deadline = time.monotonic() + CLI_WAIT_SECONDS
    warned = False
    while not os.access(exe, os.X_OK):
        if time.monotonic() > deadline:
            return False
        if not warned:
            log("  (%s is missing, probably being rebuilt: waiting)" % exe)
            warned = True
        time.sleep(2)
    return True


def measure(tools, files, runs, mem_file, cli):
    """results[(file, tool)] = dict(best, peak, error)."""
    results = {}
    for fmt, path, w, h, _note in files:
        name = os.path.basename(path)
        here = [t for t in tools if t[0] == "oculane" or t[0] in fmt.peers]
        log("timing %-26s %d run(s) each: %s" % (name, runs, ", ".join(t[0] for t in here)))
        for tool, *_ in here:
            results[(name, tool)] = {"best": None, "peak": 0, "error": None}
        # Round-robin so every tool sees the same machine state on average.
        for _ in range(runs):
            for tool, make_cmd, discard in here:
                r = results[(name, tool)]
                if r["error"]:
                    continue
                if tool == "oculane" and not wait_for(cli):
                    r["error"] = "oculane-cli missing"
                    continue
                secs, peak, rc, out, err = run_once(make_cmd(path), mem_file, discard)
                if rc != 0:
                    last = (err.strip().splitlines() or ["exit status %d" % rc])[-1]
                    r["error"] = "failed: " + last.replace(path, name)[:100]
                    continue
                problem = check_output(tool, out, w, h)
                if problem:
                    r["error"] = problem
                    continue
                r["best"] = secs if r["best"] is None else min(r["best"], secs)
                r["peak"] = max(r["peak"], peak)
    return results


# ---------------------------------------------------------------------------
# Report
# ---------------------------------------------------------------------------

def mib(n_bytes):
    return n_bytes / (1024.0 * 1024.0)


def mib_text(n_bytes):
    return "%.1f" % mib(n_bytes) if n_bytes < 10 << 20 else "%.0f" % mib(n_bytes)


def report(tools, files, results, runs, notes, idle_kib):
    names = [t[0] for t in tools]
    log()
    log("Best wall time (s) of %d whole-process run(s) / peak memory (MiB, max RSS from "
        "%s -f %%M), per tool." % (runs, TIME_BIN))
    log("'*' marks the fastest peer, '-' a tool that does not read the format, 'fail' "
        "a failed decode (see below).")
    log("ratio = oculane time / fastest peer time; target = largest ratio allowed.")
    log("mem = oculane peak / budget, budget = %.1f x (width x height x 4 + file size)."
        % MEMORY_FACTOR)
    cell = 12
    head = "%-5s %-26s" % ("fmt", "file") + "".join("%*s" % (cell + 1, n) for n in names) \
        + "  %6s %6s  %-11s %-4s %-4s" % ("ratio", "target", "mem MiB", "time", "mem")
    sub = "%-5s %-26s" % ("", "") + "".join("%*s" % (cell + 1, "s   MiB") for _ in names)
    log()
    log(head)
    log(sub)
    log("-" * len(head))
    failures = []
    misses = []
    loaders = {}
    net_ok = []
    for fmt, path, w, h, _note in files:
        name = os.path.basename(path)
        size = os.path.getsize(path)
        budget = MEMORY_FACTOR * (w * h * 4 + size)
        peer_times = [results[(name, t)]["best"] for t in fmt.peers
                      if (name, t) in results and results[(name, t)]["best"] is not None]
        fastest = min(peer_times) if peer_times else None
        cells = []
        for tool in names:
            r = results.get((name, tool))
            if tool != "oculane" and tool not in fmt.peers or r is None:
                cells.append("-")
            elif r["error"]:
                cells.append("fail")
                failures.append("%s, %s: %s" % (name, tool, r["error"]))
            else:
                mark = "*" if tool != "oculane" and r["best"] == fastest else " "
                cells.append("%5.3f%s%5.0f" % (r["best"], mark, mib(r["peak"] * 1024)))
        o = results.get((name, "oculane"))
        ratio = tverdict = mverdict = "-"
        memtxt = "-/" + mib_text(budget)
        if o and o["best"] is not None:
            peak = o["peak"] * 1024
            memtxt = "%s/%s" % (mib_text(peak), mib_text(budget))
            mverdict = "PASS" if peak <= budget else "FAIL"
            if mverdict == "FAIL" and idle_kib and peak - idle_kib * 1024 <= budget:
                net_ok.append(name)
            if fastest:
                ratio = "%.2fx" % (o["best"] / fastest)
                tverdict = "PASS" if o["best"] <= fmt.factor * fastest else "FAIL"
            else:
                tverdict = "n/a"
            if "FAIL" in (tverdict, mverdict):
                misses.append("%s (%s): time %s, memory %s" % (name, fmt.label, tverdict, mverdict))
        elif o:
            tverdict = mverdict = "FAIL"
            misses.append("%s (%s): oculane %s" % (name, fmt.label, o["error"]))
        log("%-5s %-26s" % (fmt.label, name) + "".join("%*s" % (cell + 1, c) for c in cells)
            + "  %6s %6s  %-11s %-4s %-4s" % (ratio, "%.1fx" % fmt.factor, memtxt,
                                              tverdict, mverdict))
        if VIPS_T in fmt.peers:
            loaders.setdefault(vips_loader(path) or "?", []).append(name)
    log()
    for loader, files_ in sorted(loaders.items()):
        log("vips loader %s: %s" % (loader, ", ".join(files_)))
    for n in notes:
        log(n)
    if idle_kib:
        log("oculane-cli --version peaks at %.1f MiB (libraries, C++ runtime): the floor "
            "for any file." % (idle_kib / 1024.0))
    if net_ok:
        log("Within the memory budget once that floor is taken off: %s." % ", ".join(net_ok))
    if failures:
        log()
        log("Failed decodes:")
        for f in failures:
            log("  " + f)
    log()
    if misses:
        log("oculane misses a target on: ")
        for m in misses:
            log("  " + m)
    elif "oculane" in names and files:
        log("oculane meets every target.")


# ---------------------------------------------------------------------------
# Main
# ---------------------------------------------------------------------------

def parse_args(argv):
    runs = 5
    cli = os.environ.get("OCULANE_CLI") or os.path.join(REPO_DIR, "build", "oculane-cli")
    work = os.environ.get("OCULANE_BENCH_WORK") or os.path.join(BENCH_DIR, ".work")
    keys = None
    list_only = False
    it = iter(argv)
    positional = []
    for a in it:
        if a in ("-h", "--help"):
            print(doc())
            sys.exit(0)
        elif a == "--list":
            list_only = True
        elif a in ("--cli", "--work", "--formats", "-n", "--runs"):
            val = next(it, None)
            if val is None:
                usage("%s needs a value" % a)
            if a == "--cli":
                cli = val
            elif a == "--work":
                work = val
            elif a == "--formats":
                keys = val
            else:
                positional.append(val)
        elif a.startswith(("--cli=", "--work=", "--formats=", "--runs=")):
            opt, val = a.split("=", 1)
            if opt == "--cli":
                cli = val
            elif opt == "--work":
                work = val
            elif opt == "--formats":
                keys = val
            else:
                positional.append(val)
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
    formats = FORMATS
    notes = []
    if keys is not None:
        wanted = []
        for k in (k.strip().lower() for k in keys.split(",") if k.strip()):
            k = ALIASES.get(k, k)
            if k in METAFILE_KEYS:
                if METAFILE_NOTE not in notes:
                    notes.append(METAFILE_NOTE)
                continue
            if k not in [f.key for f in FORMATS]:
                usage("unknown format %r" % k)
            wanted.append(k)
        formats = [f for f in FORMATS if f.key in wanted]
        if not formats and not notes:
            usage("--formats selects nothing")
    else:
        notes.append(METAFILE_NOTE)
    return runs, os.path.abspath(cli), os.path.abspath(work), formats, notes, list_only


def main(argv):
    runs, cli, work, formats, notes, list_only = parse_args(argv)
    if list_only:
        for f in formats:
            log("%-5s %-5s time target <= %.1fx fastest of: %s" % (f.key, f.label, f.factor,
                                                                   ", ".join(f.peers)))
            for name, _g, w, h, note in f.files:
                log("        %-26s %dx%d  %s" % (name, w, h, note))
        return 0
    needed = {p for f in formats for p in f.peers}

    missing = []
    cc = shlex.split(os.environ.get("CC") or "cc")
    need_exe = [(MAGICK, "imagemagick")]
    if VIPS_T in needed:
        need_exe += [(VIPS, "libvips-tools"), ("vipsheader", "libvips-tools")]
    if STB in needed:
        need_exe.append((cc[0] if cc else "cc", "build-essential"))
    if NETPBM in needed:
        need_exe.append((ILBMTOPPM, "netpbm"))
    for exe, pkg in need_exe:
        if not shutil.which(exe):
            missing.append("%s (Debian package %s)" % (exe, pkg))
    if not os.access(TIME_BIN, os.X_OK):
        missing.append("%s (Debian package time)" % TIME_BIN)
    if STB in needed and not os.path.exists(STB_HEADER):
        missing.append("%s (Debian package libstb-dev)" % STB_HEADER)
    py = pillow_python() if PIL in needed else None
    if PIL in needed and not py:
        missing.append("Pillow for /usr/bin/python3 (Debian package python3-pil)")
    if missing:
        sys.stderr.write("decode-bench: missing tools:\n  %s\n"
                         "Install them with: scripts/install-deps --bench\n"
                         % "\n  ".join(missing))
        return 1

    have_cli = os.access(cli, os.X_OK) or wait_for(cli)
    if not have_cli:
        notes.append("NOTE: oculane skipped: %s not found or not executable "
                     "(build it, or pass --cli PATH / set OCULANE_CLI)." % cli)
        log(notes[-1])

    os.makedirs(work, exist_ok=True)
    files = []
    try:
        for f in formats:
            for name, _gen, w, h, note in f.files:
                files.append((f, src(work, name), w, h, note))
    except GenerationError as e:
        sys.stderr.write("decode-bench: %s\n" % e)
        return 1
    check_generated(cli if have_cli else None, files)
    stb = build_stb(work) if STB in needed else None

    tools = []  # (name, command maker, discard stdout)
    if have_cli:
        tools.append(("oculane", lambda p: [cli, "info", p], False))
    tools += [
        (STB, lambda p: [stb, p], False),
        (IM, lambda p: [MAGICK, p + "[0]", "rgba:/dev/null"], False),
        # avg reads every pixel, so the whole image is decoded; it writes nothing.
        (VIPS_T, lambda p: [VIPS, "avg", p], False),
        (PIL, lambda p: [py, os.path.join(BENCH_DIR, "pil_decode.py"), p], False),
        # Writes a PPM; sent to /dev/null so the pipe costs nothing.
        (NETPBM, lambda p: [ILBMTOPPM, p], True),
    ]
    tools = [t for t in tools if t[0] == "oculane" or t[0] in needed]

    load = os.getloadavg()
    log("machine: %d CPU(s), load average %.2f %.2f %.2f at start"
        % (os.cpu_count() or 0, load[0], load[1], load[2]))
    fd, mem_file = tempfile.mkstemp(prefix="decode-bench-", suffix=".mem")
    os.close(fd)
    try:
        results = measure(tools, files, runs, mem_file, cli)
        idle_kib = 0
        if have_cli and wait_for(cli):
            # Largest of three, as the files' peaks are the largest of N.
            idle_kib = max(run_once([cli, "--version"], mem_file, True)[1] for _ in range(3))
    finally:
        os.unlink(mem_file)
    load = os.getloadavg()
    notes.append("machine: %d CPU(s), load average %.2f %.2f %.2f at the end"
                 % (os.cpu_count() or 0, load[0], load[1], load[2]))
    report(tools, files, results, runs, notes, idle_kib)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
