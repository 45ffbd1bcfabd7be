#include "formats/GIFCodec.h"

#include "base/LittleEndian.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int kPaletteCapacity = 256;
constexpr uint8_t kImageSeparator = 0x2C;   // ","
constexpr uint8_t kExtensionIntroducer = 0x21; // "!"
constexpr uint8_t kTrailer = 0x3B;          // ";"
constexpr int kMaxMinCodeSize = 8;         // pixels must index a 256-entry table

struct Pass {
    int First;
    int Step;
};
constexpr Pass kPlainPasses[] = {{0, 1}};
constexpr Pass kInterlacedPasses[] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};

void SkipSubBlocks(CByteSource& source)
{
    for (;;) {
        const size_t n = source.ReadByte();
        if (n == 0)
            return;
        source.SkipBytes(n);
    }
}

// Number of entries of a colour table whose size field is bits & 7.
int TableEntries(uint8_t packed)
{
    return 1 << ((packed & 7) + 1);
}

// Walks the blocks as the decoder will, without decoding, and counts the
// images: only the last one ends up in the bitmap, so only it needs one.
int CountImages(CByteSource& source)
{
    int images = 0;
    for (;;) {
        const uint8_t b = source.ReadByte();
        if (b == kImageSeparator) {
            const uint8_t packed = source.ReadBytes(9)[8];
            if (packed & 0x80)
                source.SkipBytes(size_t(3) * TableEntries(packed));
            source.ReadByte(); // minimum code size
            SkipSubBlocks(source);
            ++images;
        } else if (b == kExtensionIntroducer) {
            source.ReadByte();
            SkipSubBlocks(source);
        } else if (b == kTrailer) {
            return images;
        }
    }
}

} // namespace

void CGIFDecoder::ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                            CByteSource& source)
{
    DecoderTrace(2, "Decoding GIF.\n");
    const uint8_t* signature = source.ReadBytes(6);
    if (std::memcmp(signature, "GIF8", 4) != 0 ||
        (std::memcmp(signature + 4, "7a", 2) != 0 && std::memcmp(signature + 4, "9a", 2) != 0))
        RaiseDecoderError(ErrWrongSignature, "GIF decoder: This isn't a GIF file.");

    const uint8_t* screen = source.ReadBytes(7);
    const uint8_t screenPacked = screen[4];
    const int fileBitsPerPixel = (screenPacked & 7) + 1;
    const int globalEntries = TableEntries(screenPacked);
    m_GlobalMap = ColourMap{};
    if (screenPacked & 0x80) {
        const uint8_t* table = source.ReadBytes(size_t(3) * globalEntries);
        for (int i = 0; i < globalEntries; ++i) {
            m_GlobalMap.Red[i] = table[3 * i];
            m_GlobalMap.Green[i] = table[3 * i + 1];
            m_GlobalMap.Blue[i] = table[3 * i + 2];
        }
    } else {
        // No table at all: show the indices as a grey ramp rather than black.
        for (int i = 0; i < globalEntries; ++i) {
            const uint8_t v = static_cast<uint8_t>(i * 255 / (globalEntries - 1));
            m_GlobalMap.Red[i] = m_GlobalMap.Green[i] = m_GlobalMap.Blue[i] = v;
        }
    }

    int depth = ChooseDepth(fileBitsPerPixel, bitsPerPixel);
    if (depth != 8)
        depth = 32;

    CByteSource scan;
    scan.Open(source.GetName(), source.GetPosition(), source.Remaining());
    const int images = CountImages(scan);
    if (images == 0)
        RaiseDecoderError(ErrFormat, "GIF file holds no image.");

    paletteOut = std::make_unique<PaletteEntry[]>(kPaletteCapacity);
    int image = 0;
    for (;;) {
        const uint8_t b = source.ReadByte();
        if (b == kImageSeparator) {
            ++image;
            ReadOneImage(bitmap, paletteOut.get(), depth, fileBitsPerPixel, image == images, source);
        } else if (b == kExtensionIntroducer) {
            // Graphic control (transparency, delays), comments and the rest are not used.
            source.ReadByte();
            SkipSubBlocks(source);
        } else if (b == kTrailer) {
            break;
        }
    }
    // Both walks skip the same sub-blocks; this only guards a stale bitmap.
    if (image != images)
        RaiseDecoderError(ErrFormat, "GIF file holds no image.");
    DecoderTrace(3, "Decoding finished.\n");
}

void CGIFDecoder::ReadOneImage(CBmp& bitmap, PaletteEntry* palette, int depth, int fileBitsPerPixel, bool keep,
                               CByteSource& source)
{
    const uint8_t* descriptor = source.ReadBytes(9);
    const int width = GetLE16(descriptor + 4);
    const int height = GetLE16(descriptor + 6);
    const uint8_t packed = descriptor[8];
    const bool interlaced = (packed & 0x40) != 0;

    // An image without its own table uses the global one, whatever came before.
    const ColourMap* map = &m_GlobalMap;
    if (packed & 0x80) {
        const int entries = TableEntries(packed);
        const uint8_t* table = source.ReadBytes(size_t(3) * entries);
        m_LocalMap = ColourMap{};
        for (int i = 0; i < entries; ++i) {
            m_LocalMap.Red[i] = table[3 * i];
            m_LocalMap.Green[i] = table[3 * i + 1];
            m_LocalMap.Blue[i] = table[3 * i + 2];
        }
        map = &m_LocalMap;
    }

    const bool is8 = depth == 8;
    uint32_t colours[kPaletteCapacity] = {};
    if (keep) {
        CreateBitmap(bitmap, width, height, depth, false);
        bitmap.SourceBitsPerPixel = fileBitsPerPixel;
        for (int i = 0; i < kPaletteCapacity; ++i) {
            palette[i] = PaletteEntry{map->Blue[i], map->Green[i], map->Red[i], 255};
            colours[i] = PackPixel(palette[i]);
        }
        if (is8)
            bitmap.SetPalette(palette);
    } else if (width == 0 || height == 0) {
        RaiseDecoderError(ErrFormat, "Illegal image size.");
    }

    const int minCodeSize = source.ReadByte();
    if (minCodeSize < 1 || minCodeSize > kMaxMinCodeSize)
        RaiseDecoderError(ErrFormat, "Illegal LZW code size.");
    m_Lzw.Start(source, minCodeSize);

    // Indices go straight into 8-bit rows; 32-bit rows are expanded from a scratch row.
    std::vector<uint8_t> scratch(static_cast<size_t>(width));
    const size_t w = static_cast<size_t>(width);
    bool stopped = false;
    const Pass* passes = interlaced ? kInterlacedPasses : kPlainPasses;
    const int passCount = interlaced ? 4 : 1;
    for (int p = 0; p < passCount; ++p) {
        for (int y = passes[p].First; y < height; y += passes[p].Step) {
            if (stopped && !keep)
                break;
            CheckAbort();
            uint8_t* indices = (keep && is8) ? bitmap.Lines[y] : scratch.data();
            size_t got = 0;
            if (!stopped) {
                got = m_Lzw.Read(indices, w);
                stopped = got < w;
            }
            if (!keep)
                continue;
            // Rows the data never reaches show entry 0.
            std::fill(indices + got, indices + w, uint8_t(0));
            if (!is8) {
                uint32_t* row = bitmap.Row32(y);
                for (size_t x = 0; x < w; ++x)
                    row[x] = colours[indices[x]];
            }
        }
    }

    if (!stopped && m_Lzw.HasSurplusPixel())
        RaiseDecoderError(ErrFormat, "Unknown format.");
    switch (m_Lzw.GetStatus()) {
    case CGIFLzwReader::RanOff:
        // Missing only the end code after a whole picture is not worth a word.
        if (stopped)
            AddNotice("ran off the end of my bits");
        break;
    case CGIFLzwReader::Circular:
        AddNotice("circular table entry BIG ERROR");
        m_Lzw.SkipRest();
        break;
    case CGIFLzwReader::BadCode:
        m_Lzw.SkipRest();
        break;
    default:
        break;
    }
}
