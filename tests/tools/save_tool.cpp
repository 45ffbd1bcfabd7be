// save-tool IN OUT [key=value | flag ...]: decodes IN at 32 bits and writes
// OUT through the format table by OUT's extension, as the program's writers
// do, for the peer checks and the encoding benchmarks. Keys: depth, rle,
// interlace, quality, smoothing, optimize, progressive, compression (TIFF's
// number), dxt=1|3|5, flip, mipmaps; repeat=N writes N times and prints the
// fastest write in seconds.
#include "base/FileName.h"
#include "base/TextException.h"
#include "formats/AutoDecoder.h"
#include "formats/FormatTable.h"
#include "image/WinBmp.h"
#include "save/SaveOptions.h"
#include "save/Writers.h"

#include <chrono>
#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    RegisterWriters();
    SaveOptions o;
    int repeat = 0;
    for (int i = 3; i < argc; ++i) {
        const std::string a = argv[i];
        const size_t eq = a.find('=');
        const std::string key = a.substr(0, eq);
        const int value = eq == std::string::npos ? 1 : std::stoi(a.substr(eq + 1));
        if (key == "depth") o.Depth = value;
        else if (key == "rle") o.Rle = value;
        else if (key == "interlace") o.Interlaced = value;
        else if (key == "quality") o.JpegQuality = value;
        else if (key == "smoothing") o.JpegSmoothing = value;
        else if (key == "optimize") o.JpegOptimizeHuffman = value;
        else if (key == "progressive") o.JpegProgressive = value;
        else if (key == "compression") o.TiffCompression = value;
        else if (key == "dxt") o.DdsFormat = value == 1 ? 2 : value == 3 ? 4 : value == 5 ? 6 : 0;
        else if (key == "flip") o.DdsFlip = value;
        else if (key == "mipmaps") o.DdsMipMaps = value;
        else if (key == "repeat") repeat = value;
        else return 2;
    }
    try {
        CAutoDecoder decoder;
        CWinBmp bitmap;
        decoder.DecodeFile(argv[1], bitmap, 32);
        const FormatInfo* format = FindFormat(FormatOfExtension(Extension(argv[2])));
        if (!format || !format->Write)
            return 2;
        double best = 1e30;
        for (int i = 0; i < (repeat > 0 ? repeat : 1); ++i) {
            const auto start = std::chrono::steady_clock::now();
            format->Write(bitmap, argv[2], o);
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            best = took.count() < best ? took.count() : best;
        }
        if (repeat > 0)
            std::printf("%.3f\n", best);
    } catch (const CTextException& e) {
        std::fprintf(stderr, "save-tool: %d %s\n", e.GetCode(), e.GetText().c_str());
        return 1;
    }
    return 0;
}
