#include "formats/PNMCodec.h"

#include "base/LittleEndian.h"

#include <algorithm>
#include <vector>

namespace {

enum Magic : uint16_t {
    kPlainBitmap = 0x5031, // "P1"
    kPlainGrey = 0x5032,
    kPlainColour = 0x5033,
    kRawBitmap = 0x5034,
    kRawGrey = 0x5035,
    kRawColour = 0x5036,
};

// Header numbers saturate here; any value this large is refused later as a
// size.
constexpr uint64_t kNumberLimit = UINT32_MAX;
constexpr uint32_t kMaxByteMaxval = 255; // above it, samples take two bytes
constexpr uint32_t kMaxMaxval = 65535;

const uint32_t kBlack = PackPixel(0, 0, 0);
const uint32_t kWhite = PackPixel(255, 255, 255);

inline uint32_t Grey(uint8_t v)
{
    return PackPixel(v, v, v);
}

// The text parts of a file: header numbers and plain samples, with blanks
// (tab, line feed, carriage return, space) and "#" comments, which run to the
// end of their line, between them. Parses the mapped bytes in place; Finish
// hands the position back to the source.
class TextReader {
public:
    explicit TextReader(CByteSource& source) :
        m_Source(source), m_In(source.GetPosition()), m_End(source.GetStart() + source.GetSize())
    {
    }

    // Reads the one character that ends the number as well (a whole comment
    // when that starts one), so raw data starts right after it; a file that
    // ends right after the digits ends too early.
    uint32_t Number()
    {
        uint8_t c = SkipBlanks();
        if (!IsDigit(c))
            RaiseDecoderError(ErrInternal, "Junk in file where an integer should be");
        uint64_t value = c - '0';
        for (c = NextOrComment(); IsDigit(c); c = NextOrComment())
            value = std::min(value * 10 + (c - '0'), kNumberLimit);
        return static_cast<uint32_t>(value);
    }

    // One plain bitmap pixel: "1" or "0", blanks between.
    bool Bit()
    {
        const uint8_t c = SkipBlanks();
        if (c != '0' && c != '1')
            RaiseDecoderError(ErrInternal, "Junk in file where bits should be.");
        return c == '1';
    }

    void Finish() { m_Source.SkipBytes(static_cast<size_t>(m_In - m_Source.GetPosition())); }

private:
    static bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }
    static bool IsBlank(uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

    uint8_t Next()
    {
        if (m_In == m_End) {
            Finish();
            m_Source.ReadBytes(1); // raises the end-of-data failure
        }
        return *m_In++;
    }

    // The next character, a comment counting as the line end that closes it.
    uint8_t NextOrComment()
    {
        uint8_t c = Next();
        if (c == '#') {
            do
                c = Next();
            while (c != '\n' && c != '\r');
        }
        return c;
    }

    // The first character after blanks and comments, consumed.
    uint8_t SkipBlanks()
    {
        uint8_t c = NextOrComment();
        while (IsBlank(c))
            c = NextOrComment();
        return c;
    }

    CByteSource& m_Source;
    const uint8_t* m_In;
    const uint8_t* m_End;
};

// Sample value to 0-255, rounded; values over maxval count as maxval.
std::vector<uint8_t> BuildLevels(uint32_t maxval)
{
    std::vector<uint8_t> levels(maxval > kMaxByteMaxval ? size_t(kMaxMaxval) + 1 : 256, 255);
    for (uint32_t v = 0; v <= maxval; ++v)
        levels[v] = static_cast<uint8_t>((v * 255 + maxval / 2) / maxval);
    return levels;
}

// Each row decoder stops between rows once abort is set.
void DecodePlainBitmap(TextReader& text, CBmp& bitmap, const std::atomic<bool>* abort)
{
    for (int y = 0; y < bitmap.Height; ++y) {
        CheckAbandoned(abort);
        uint32_t* dst = bitmap.Row32(y);
        for (int x = 0; x < bitmap.Width; ++x)
            dst[x] = text.Bit() ? kBlack : kWhite;
    }
}

void DecodePlainSamples(TextReader& text, CBmp& bitmap, bool colour, uint32_t maxval,
                        const std::vector<uint8_t>& levels, const std::atomic<bool>* abort)
{
    auto sample = [&]() {
        const uint32_t v = text.Number();
        return v > maxval ? uint8_t(255) : levels[v];
    };
    for (int y = 0; y < bitmap.Height; ++y) {
        CheckAbandoned(abort);
        uint32_t* dst = bitmap.Row32(y);
        for (int x = 0; x < bitmap.Width; ++x) {
            if (colour) {
                const uint8_t r = sample();
                const uint8_t g = sample();
                dst[x] = PackPixel(r, g, sample());
            } else {
                dst[x] = Grey(sample());
            }
        }
    }
}

void DecodeRawBitmap(CByteSource& source, CBmp& bitmap, const std::atomic<bool>* abort)
{
    const size_t rowBytes = (static_cast<size_t>(bitmap.Width) + 7) / 8;
    for (int y = 0; y < bitmap.Height; ++y) {
        CheckAbandoned(abort);
        const uint8_t* src = source.ReadBytes(rowBytes);
        uint32_t* dst = bitmap.Row32(y);
        for (int x = 0; x < bitmap.Width; ++x)
            dst[x] = ((src[x >> 3] >> (7 - (x & 7))) & 1) ? kBlack : kWhite;
    }
}

// channels 1 (grey) or 3 (red, green, blue), one byte per sample.
void DecodeRawSamples(CByteSource& source, CBmp& bitmap, int channels, uint32_t maxval,
                      const std::vector<uint8_t>& levels, const std::atomic<bool>* abort)
{
    const int w = bitmap.Width;
    const size_t rowBytes = static_cast<size_t>(w) * channels;
    const uint8_t* level = levels.data();
    for (int y = 0; y < bitmap.Height; ++y) {
        CheckAbandoned(abort);
        const uint8_t* src = source.ReadBytes(rowBytes);
        uint32_t* dst = bitmap.Row32(y);
        if (maxval == kMaxByteMaxval) {
            if (channels == 1) {
                for (int x = 0; x < w; ++x)
                    dst[x] = Grey(src[x]);
            } else {
                for (int x = 0; x < w; ++x, src += 3)
                    dst[x] = PackPixel(src[0], src[1], src[2]);
            }
        } else {
            if (channels == 1) {
                for (int x = 0; x < w; ++x)
                    dst[x] = Grey(level[src[x]]);
            } else {
                for (int x = 0; x < w; ++x, src += 3)
                    dst[x] = PackPixel(level[src[0]], level[src[1]], level[src[2]]);
            }
        }
    }
}

// Raw samples of maxval 256 and more: two bytes each, most significant first.
void DecodeRawWideSamples(CByteSource& source, CBmp& bitmap, int channels, const std::vector<uint8_t>& levels,
                          const std::atomic<bool>* abort)
{
    const int w = bitmap.Width;
    const size_t rowBytes = static_cast<size_t>(w) * channels * 2;
    const uint8_t* level = levels.data();
    for (int y = 0; y < bitmap.Height; ++y) {
        CheckAbandoned(abort);
        const uint8_t* src = source.ReadBytes(rowBytes);
        uint32_t* dst = bitmap.Row32(y);
        if (channels == 1) {
            for (int x = 0; x < w; ++x, src += 2)
                dst[x] = Grey(level[GetBE16(src)]);
        } else {
            for (int x = 0; x < w; ++x, src += 6)
                dst[x] = PackPixel(level[GetBE16(src)], level[GetBE16(src + 2)], level[GetBE16(src + 4)]);
        }
    }
}

} // namespace

void CPNMDecoder::ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                            CByteSource& source)
{
    const uint16_t magic = source.ReadBE16();
    const bool bitmapFile = magic == kPlainBitmap || magic == kRawBitmap;
    const bool greyFile = magic == kPlainGrey || magic == kRawGrey;
    const bool colourFile = magic == kPlainColour || magic == kRawColour;
    if (!bitmapFile && !greyFile && !colourFile)
        RaiseDecoderError(ErrFormat, "Bad magic number - not a ppm, pgm, or pbm file.");
    const bool plain = magic <= kPlainColour;

    TextReader text(source);
    const uint32_t width = text.Number();
    const uint32_t height = text.Number();
    uint32_t maxval = 1;
    if (!bitmapFile) {
        maxval = text.Number();
        if (maxval > kMaxMaxval) {
            RaiseDecoderError(ErrInternal, greyFile ? "Maxval is too large - try reconfiguring with PGM_BIGGRAYS."
                                                    : "Maxval is too large - try reconfiguring with PGM_BIGGRAYS\n"
                                                      "    or without PPM_PACKCOLORS");
        }
        if (maxval == 0)
            RaiseDecoderError(ErrFormat, "Maxval must not be zero.");
    }
    text.Finish();

    // A file too short for its pixels fails before the bitmap is allocated:
    // plain pixels take at least one character, plain samples a digit and
    // the character that ends it. Compared by division: the product of two
    // header numbers fits 64 bits, a further factor might not.
    const uint64_t channels = colourFile ? 3 : 1;
    const uint64_t pixels = uint64_t(width) * height;
    const uint64_t remaining = source.Remaining();
    bool enough;
    if (plain && bitmapFile)
        enough = pixels <= remaining;
    else if (plain)
        enough = pixels <= remaining / 2 / channels;
    else if (bitmapFile)
        enough = height == 0 || (uint64_t(width) + 7) / 8 <= remaining / height;
    else
        enough = pixels <= remaining / channels / (maxval > kMaxByteMaxval ? 2 : 1);
    if (!enough)
        source.ReadBytes(remaining + 1); // raises the end-of-data failure

    CreateBitmap(bitmap, width, height, 32, false);
    bitmap.SourceBitsPerPixel = bitmapFile ? 1 : static_cast<int>(channels * 8);

    const std::vector<uint8_t> levels = bitmapFile ? std::vector<uint8_t>() : BuildLevels(maxval);
    const int channelCount = static_cast<int>(channels);
    if (plain) {
        TextReader raster(source);
        if (bitmapFile)
            DecodePlainBitmap(raster, bitmap, GetAbortFlag());
        else
            DecodePlainSamples(raster, bitmap, colourFile, maxval, levels, GetAbortFlag());
        raster.Finish();
    } else if (bitmapFile) {
        DecodeRawBitmap(source, bitmap, GetAbortFlag());
    } else if (maxval > kMaxByteMaxval) {
        DecodeRawWideSamples(source, bitmap, channelCount, levels, GetAbortFlag());
    } else {
        DecodeRawSamples(source, bitmap, channelCount, maxval, levels, GetAbortFlag());
    }
}
