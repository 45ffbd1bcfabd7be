// The options one write of a file uses, as the options dialogs and the
// remembered settings give them. The save dispatch fills in the fields of the
// format it writes (the depth already decided from the image or the dialog);
// each writer reads only its own.
#pragma once

struct SaveOptions {
    // Pixel depth of the file: BMP and PCX 8 or 24, RAS 8 or 24, TGA 8, 24 or 32.
    int Depth = 24;

    // JPEG: quality and smoothing 0-100, Huffman tables fitted to the image,
    // progressive scans.
    int JpegQuality = 60;
    int JpegSmoothing = 0;
    bool JpegOptimizeHuffman = false;
    bool JpegProgressive = false;

    // PNG (Adam7) and GIF interlacing.
    bool Interlaced = false;
    // Run-length encoding of TGA, Sun raster and PICT.
    bool Rle = false;

    // TIFF: 0 none, 1 PackBits, 2 LZW; the parameter goes to the TIFF
    // writer unchanged.
    int TiffCompression = 0;
    int TiffParam = 60;

    // DDS: the block format as its code 2 (DXT1), 4 (DXT3) or 6 (DXT5),
    // rows stored bottom up, a chain of mip-maps.
    int DdsFormat = 2;
    bool DdsFlip = false;
    bool DdsMipMaps = false;
};
