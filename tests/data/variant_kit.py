"""What the fixture makers of tests/data/variants/ share: the picture they
start from (a crop of ImageMagick's rose, with an alpha ramp), ImageMagick,
the output folder and the fuzz seeds made from a few of the files."""
import os
import shutil
import subprocess

MAGICK = shutil.which("convert-im6.q16") or shutil.which("convert")
HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "variants")
SEEDS = os.path.join(HERE, "..", "..", "fuzz", "corpus")
W, H = 29, 17
CROP = ["rose:", "-crop", "%dx%d+20+14" % (W, H), "+repage"]
# An alpha ramp over the crop, left (opaque) to right (clear).
ALPHA = ["(", "-size", "%dx%d" % (H, W), "gradient:white-black", "-rotate", "90", ")", "-alpha", "off",
         "-compose", "copy_opacity", "-composite"]


def magick(*args):
    return subprocess.run([MAGICK, *args], check=True, capture_output=True).stdout


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def rgb_rows(colours=0):
    """The crop as rows of (r, g, b), reduced to `colours` colours when given."""
    reduce = ["-dither", "None", "-colors", str(colours)] if colours else []
    raw = magick(*CROP, *reduce, "-depth", "8", "rgb:-")
    return [[tuple(raw[3 * (y * W + x):3 * (y * W + x) + 3]) for x in range(W)] for y in range(H)]


def rgba_rows():
    raw = magick(*CROP, *ALPHA, "-depth", "8", "rgba:-")
    return [[tuple(raw[4 * (y * W + x):4 * (y * W + x) + 4]) for x in range(W)] for y in range(H)]


def make_seeds(names):
    """Copies the named fixtures into the fuzz corpus as seed-variant-<name>,
    each after one prefix byte (0: the fuzz target's plain file name)."""
    for name in names:
        with open(os.path.join(OUT, name), "rb") as f:
            data = f.read()
        with open(os.path.join(SEEDS, "seed-variant-" + os.path.splitext(name)[0]), "wb") as f:
            f.write(b"\0" + data)
