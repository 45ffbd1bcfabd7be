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

// Transparent index of a graphic control extension, or -1; the source stands
// after the label byte and is left after the extension's sub-blocks.
int ReadGraphicControl(CByteSource& source)
{
    int transparent = -1;
    const size_t n = source.ReadByte();
    if (n == 0)
        return transparent;
    const uint8_t* block = source.ReadBytes(n);
    if (n >= 4 && (block[0] & 1))
        transparent = block[3];
    SkipSubBlocks(source);
    return transparent;
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

    // The first image is the still picture; later ones are frames of an animation.
    Screen screenInfo;
    screenInfo.Width = GetLE16(screen);
    screenInfo.Height = GetLE16(screen + 2);
    screenInfo.Background = screen[5];
    screenInfo.FileBitsPerPixel = fileBitsPerPixel;
    screenInfo.BitsPerPixel = bitsPerPixel;
    paletteOut = std::make_unique<PaletteEntry[]>(kPaletteCapacity);
    for (;;) {
        const uint8_t b = source.ReadByte();
        if (b == kImageSeparator) {
            ReadFirstImage(bitmap, paletteOut.get(), screenInfo, source);
            break;
        } else if (b == kExtensionIntroducer) {
            // Only the graphic control block, for its transparent index, matters.
            if (source.ReadByte() == 0xF9)
                screenInfo.Transparent = ReadGraphicControl(source);
            else
                SkipSubBlocks(source);
        } else if (b == kTrailer) {
            RaiseDecoderError(ErrFormat, "GIF file holds no image.");
        }
    }
    DecoderTrace(3, "Decoding finished.\n");
}

void CGIFDecoder::ReadFirstImage(CBmp& bitmap, PaletteEntry* palette, const Screen& screen, CByteSource& source)
{
    const uint8_t* descriptor = source.ReadBytes(9);
    const int left = GetLE16(descriptor);
    const int top = GetLE16(descriptor + 2);
    const int width = GetLE16(descriptor + 4);
    const int height = GetLE16(descriptor + 6);
    const uint8_t packed = descriptor[8];
    const bool interlaced = (packed & 0x40) != 0;
    if (width == 0 || height == 0)
        RaiseDecoderError(ErrFormat, "Illegal image size.");

    const ColourMap* map = &m_GlobalMap;
    const bool localTable = (packed & 0x80) != 0;
    if (localTable) {
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

    // The picture is the logical screen, grown where the image reaches past
    // it. What the image leaves uncovered is its transparent index, or else
    // the screen's background colour.
    const int canvasWidth = std::max(int(screen.Width), left + width);
    const int canvasHeight = std::max(int(screen.Height), top + height);
    const bool transparent = screen.Transparent >= 0;
    const bool covered = left == 0 && top == 0 && width == canvasWidth && height == canvasHeight;
    // Indices cannot carry transparency, nor a background from the global
    // table around an image with its own: such files decode at 32 bits.
    int depth = ChooseDepth(screen.FileBitsPerPixel, screen.BitsPerPixel);
    if (depth != 8 || transparent || (!covered && localTable))
        depth = 32;
    const bool is8 = depth == 8;
    CreateBitmap(bitmap, canvasWidth, canvasHeight, depth, transparent);
    bitmap.SourceBitsPerPixel = screen.FileBitsPerPixel;
    uint32_t colours[kPaletteCapacity] = {};
    for (int i = 0; i < kPaletteCapacity; ++i) {
        palette[i] = PaletteEntry{map->Blue[i], map->Green[i], map->Red[i], 255};
        colours[i] = PackPixel(palette[i]);
    }
    if (transparent)
        colours[screen.Transparent] &= 0x00FFFFFFu;
    if (is8)
        bitmap.SetPalette(palette);
    if (!covered) {
        const uint8_t b = screen.Background;
        const uint32_t fill = transparent ? colours[screen.Transparent]
                                          : PackPixel(m_GlobalMap.Red[b], m_GlobalMap.Green[b], m_GlobalMap.Blue[b]);
        for (int y = 0; y < canvasHeight; ++y) {
            CheckAbort();
            if (is8)
                std::memset(bitmap.Lines[y], b, size_t(canvasWidth));
            else
                std::fill(bitmap.Row32(y), bitmap.Row32(y) + canvasWidth, fill);
        }
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
            CheckAbort();
            uint8_t* indices = is8 ? bitmap.Lines[top + y] + left : scratch.data();
            size_t got = 0;
            if (!stopped) {
                got = m_Lzw.Read(indices, w);
                stopped = got < w;
            }
            // Rows the data never reaches show entry 0.
            std::fill(indices + got, indices + w, uint8_t(0));
            if (!is8) {
                uint32_t* row = bitmap.Row32(top + y) + left;
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
        break;
    default:
        break;
    }
}
