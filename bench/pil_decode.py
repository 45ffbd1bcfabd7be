"""Decodes one image with Pillow and prints "width height".
Run by decode_bench.py as the Pillow peer, with Debian's python3 (python3-pil)."""
import sys

from PIL import Image

Image.MAX_IMAGE_PIXELS = None  # 6000 x 4000 is well under the limit; no warning either way
with Image.open(sys.argv[1]) as im:
    im.load()
    print(im.size[0], im.size[1])
