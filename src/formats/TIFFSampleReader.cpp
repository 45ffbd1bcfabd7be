#include "formats/TIFFSampleReader.h"

#include "formats/ImageDecoder.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include <tiffio.h>

namespace {

// The display libtiff's RGBA reader converts Lab to: sRGB primaries, a
// reference white of 100, and gamma 2.4.
const TIFFDisplay kDisplaySRGB = {
    {{3.2410F, -1.5374F, -0.4986F}, {-0.9692F, 1.8760F, 0.0416F}, {0.0556F, -0.2040F, 1.0570F}},
    100.0F, 100.0F, 100.0F,
    255, 255, 255,
    1.0F, 1.0F, 1.0F,
    2.4F, 2.4F, 2.4F,
};

// Rows and tiles of more bytes than a bitmap may take are not buffered.
std::vector<uint8_t> AllocateBuffer(uint64_t bytes)
{
    if (bytes > MaxImageBytes())
        RaiseDecoderError(ErrNoMemory, "Out of memory allocating TIFF buffer.");
    try {
        // Slack at the end: samples narrower than a byte are read three bytes at a time.
        return std::vector<uint8_t>(static_cast<size_t>(bytes) + 4, 0);
    } catch (const std::bad_alloc&) {
        RaiseDecoderError(ErrNoMemory, "Out of memory allocating TIFF buffer.");
    }
}

// a x b x c bytes, or a raised out-of-memory error when that passes what a
// bitmap may take (or 64 bits).
uint64_t BufferBytes(uint64_t a, uint64_t b, uint64_t c = 1)
{
    const uint64_t cap = MaxImageBytes();
    if (a == 0 || b == 0 || c == 0)
        return 0;
    if (a > cap / b || a * b > cap / c)
        RaiseDecoderError(ErrNoMemory, "Out of memory allocating TIFF buffer.");
    return a * b * c;
}

[[noreturn]] void RaiseReadError(const char* lastError, const char* fallback)
{
    RaiseDecoderError(ErrWrongSignature, lastError[0] ? lastError : fallback);
}

inline uint8_t Clamp8(uint32_t v)
{
    return static_cast<uint8_t>(std::min<uint32_t>(v, 255));
}

} // namespace

struct CTIFFSampleReader::LabConverter {
    TIFFCIELabToRGB Table;
    bool Icc = false; // a and b stored offset by half the range instead of signed
};

CTIFFSampleReader::CTIFFSampleReader() = default;
CTIFFSampleReader::~CTIFFSampleReader() = default;

bool CTIFFSampleReader::Setup(tiff* tif)
{
    m_Tif = tif;
    uint16_t bits = 1;
    uint16_t samples = 1;
    uint16_t planar = PLANARCONFIG_CONTIG;
    uint16_t format = SAMPLEFORMAT_UINT;
    uint16_t photometric = 0;
    uint16_t extraCount = 0;
    uint16_t* extra = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric))
        return false;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &m_Width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &m_Height);

    m_Photometric = photometric;
    switch (photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK: m_Colours = 1; break;
    case PHOTOMETRIC_RGB:
    case PHOTOMETRIC_CIELAB:
    case PHOTOMETRIC_ICCLAB: m_Colours = 3; break;
    default: return false;
    }
    const bool lab = photometric == PHOTOMETRIC_CIELAB || photometric == PHOTOMETRIC_ICCLAB;
    m_Float = format == SAMPLEFORMAT_IEEEFP;
    if (m_Float) {
        if (bits != 32 || lab)
            return false;
    } else if (format != SAMPLEFORMAT_UINT && !(lab && format == SAMPLEFORMAT_INT)) {
        return false;
    } else if (bits < 1 || bits > 16 || (lab && bits != 8 && bits != 16)) {
        return false;
    }
    if (samples < m_Colours || samples > 16 || m_Width == 0 || m_Height == 0)
        return false;

    m_Bits = bits;
    m_Samples = samples;
    m_Separate = planar == PLANARCONFIG_SEPARATE && samples > 1;
    m_Inverted = photometric == PHOTOMETRIC_MINISWHITE;
    m_Max = m_Float ? 1 : (1u << bits) - 1;
    m_AlphaSample = -1;
    m_Associated = false;
    // The first extra sample is alpha when it says so; like libtiff, an
    // unspecified fourth sample of a colour image counts as premultiplied alpha.
    if (samples > m_Colours) {
        const uint16_t kind = extraCount > 0 && extra ? extra[0] : EXTRASAMPLE_UNSPECIFIED;
        if (kind == EXTRASAMPLE_ASSOCALPHA || kind == EXTRASAMPLE_UNASSALPHA) {
            m_AlphaSample = m_Colours;
            m_Associated = kind == EXTRASAMPLE_ASSOCALPHA;
        } else if (kind == EXTRASAMPLE_UNSPECIFIED && samples > 3) {
            m_AlphaSample = m_Colours;
            m_Associated = true;
        }
    }

    m_Lab.reset();
    if (lab) {
        float* white = nullptr;
        if (!TIFFGetFieldDefaulted(tif, TIFFTAG_WHITEPOINT, &white) || !white || !(white[1] > 0.0F))
            return false;
        float reference[3];
        reference[1] = 100.0F;
        reference[0] = white[0] / white[1] * reference[1];
        reference[2] = (1.0F - white[0] - white[1]) / white[1] * reference[1];
        m_Lab.reset(new (std::nothrow) LabConverter);
        if (!m_Lab)
            RaiseDecoderError(ErrNoMemory, "Out of memory.");
        if (TIFFCIELabToRGBInit(&m_Lab->Table, &kDisplaySRGB, reference) < 0)
            return false;
        m_Lab->Icc = photometric == PHOTOMETRIC_ICCLAB;
    }
    return true;
}

bool CTIFFSampleReader::IsPlain() const
{
    return m_Bits == 8 && !m_Float && !m_Separate && m_Samples == m_Colours &&
           (m_Photometric == PHOTOMETRIC_MINISBLACK || m_Photometric == PHOTOMETRIC_MINISWHITE ||
            m_Photometric == PHOTOMETRIC_RGB);
}

uint32_t CTIFFSampleReader::Sample(const uint8_t* const* rows, uint32_t x, int s) const
{
    const uint8_t* row = m_Separate ? rows[s] : rows[0];
    const size_t index = m_Separate ? size_t(x) : size_t(x) * size_t(m_Samples) + size_t(s);
    switch (m_Bits) {
    case 8: return row[index];
    case 16: {
        uint16_t v;
        std::memcpy(&v, row + index * 2, 2);
        return v;
    }
    case 32: {
        uint32_t v;
        std::memcpy(&v, row + index * 4, 4);
        return v;
    }
    default: {
        // Narrower samples are packed most significant bit first.
        const size_t bit = index * size_t(m_Bits);
        const uint8_t* p = row + (bit >> 3);
        const uint32_t window = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
        return (window >> (24 - m_Bits - (bit & 7))) & m_Max;
    }
    }
}

namespace {

// Grey or RGB of 8 or 16-bit samples, the common case, without the per-sample
// dispatch; Sample is the sample type.
template <class Sample>
void ConvertWhole(const uint8_t* const* planes, bool separate, int samples, int colours, int alphaIndex,
                  bool associated, bool inverted, uint32_t width, uint32_t* out)
{
    constexpr uint32_t max = (1u << (8 * sizeof(Sample))) - 1;
    constexpr uint32_t half = max / 2;
    const uint8_t* at[4] = {};
    const int used = colours + (alphaIndex >= 0 ? 1 : 0);
    for (int s = 0; s < used; ++s)
        at[s] = separate ? planes[s] : planes[0] + size_t(s) * sizeof(Sample);
    const size_t step = (separate ? 1 : size_t(samples)) * sizeof(Sample);
    auto load = [](const uint8_t* p) {
        Sample v;
        std::memcpy(&v, p, sizeof(v));
        return uint32_t(v);
    };
    auto to8 = [](uint32_t v) { return static_cast<uint8_t>((v * 255 + half) / max); };
    for (uint32_t x = 0; x < width; ++x) {
        const size_t i = size_t(x) * step;
        uint32_t c0 = load(at[0] + i);
        uint32_t c1 = c0;
        uint32_t c2 = c0;
        if (colours == 3) {
            c1 = load(at[1] + i);
            c2 = load(at[2] + i);
        } else if (inverted) {
            c0 = c1 = c2 = max - c0;
        }
        const uint32_t a = alphaIndex >= 0 ? load(at[colours] + i) : max;
        if (associated && a != max) {
            // Premultiplied samples are divided out at full precision.
            c0 = a ? std::min(max, (c0 * max + a / 2) / a) : 0;
            c1 = a ? std::min(max, (c1 * max + a / 2) / a) : 0;
            c2 = a ? std::min(max, (c2 * max + a / 2) / a) : 0;
        }
        out[x] = PackPixel(to8(c0), to8(c1), to8(c2), to8(a));
    }
}

} // namespace

void CTIFFSampleReader::ConvertRow(const uint8_t* const* rows, uint32_t* out) const
{
    if (!m_Lab && !m_Float && (m_Bits == 8 || m_Bits == 16)) {
        if (m_Bits == 8)
            ConvertWhole<uint8_t>(rows, m_Separate, m_Samples, m_Colours, m_AlphaSample, m_Associated, m_Inverted,
                                  m_Width, out);
        else
            ConvertWhole<uint16_t>(rows, m_Separate, m_Samples, m_Colours, m_AlphaSample, m_Associated, m_Inverted,
                                   m_Width, out);
        return;
    }
    const uint32_t max = m_Max;
    const uint32_t half = max / 2;
    const bool alpha = m_AlphaSample >= 0;
    for (uint32_t x = 0; x < m_Width; ++x) {
        if (m_Float) {
            // Floating-point samples run from 0 to 1.
            auto to8 = [&](int s, bool invert) {
                const uint32_t raw = Sample(rows, x, s);
                float f;
                std::memcpy(&f, &raw, 4);
                f = f > 0.0F ? std::min(f, 1.0F) : 0.0F; // NaN too
                return static_cast<uint8_t>((invert ? 1.0F - f : f) * 255.0F + 0.5F);
            };
            const uint8_t r = to8(0, m_Inverted);
            const uint8_t g = m_Colours == 3 ? to8(1, false) : r;
            const uint8_t b = m_Colours == 3 ? to8(2, false) : r;
            out[x] = PackPixel(r, g, b, alpha ? to8(m_AlphaSample, false) : uint8_t(255));
            continue;
        }
        uint32_t c[3] = {0, 0, 0};
        for (int s = 0; s < m_Colours; ++s)
            c[s] = Sample(rows, x, s);
        uint32_t a = alpha ? Sample(rows, x, m_AlphaSample) : max;
        if (m_Lab) {
            float l;
            float la;
            float lb;
            if (m_Bits == 8) {
                l = float(c[0]) * 100.0F / 255.0F;
                la = m_Lab->Icc ? float(int(c[1]) - 128) : float(int8_t(c[1]));
                lb = m_Lab->Icc ? float(int(c[2]) - 128) : float(int8_t(c[2]));
            } else {
                l = float(c[0]) * 100.0F / 65535.0F;
                la = (m_Lab->Icc ? float(int(c[1]) - 32768) : float(int16_t(c[1]))) / 256.0F;
                lb = (m_Lab->Icc ? float(int(c[2]) - 32768) : float(int16_t(c[2]))) / 256.0F;
            }
            // As libtiff's Lab to XYZ conversion, with L already in 0..100.
            const TIFFCIELabToRGB& t = m_Lab->Table;
            float X;
            float Y;
            float Z;
            float cby;
            if (l < 8.856F) {
                Y = (l * t.Y0) / 903.292F;
                cby = 7.787F * (Y / t.Y0) + 16.0F / 116.0F;
            } else {
                cby = (l + 16.0F) / 116.0F;
                Y = t.Y0 * cby * cby * cby;
            }
            float tmp = la / 500.0F + cby;
            X = tmp < 0.2069F ? t.X0 * (tmp - 0.13793F) / 7.787F : t.X0 * tmp * tmp * tmp;
            tmp = cby - lb / 200.0F;
            Z = tmp < 0.2069F ? t.Z0 * (tmp - 0.13793F) / 7.787F : t.Z0 * tmp * tmp * tmp;
            uint32_t r;
            uint32_t g;
            uint32_t b;
            TIFFXYZToRGB(&m_Lab->Table, X, Y, Z, &r, &g, &b);
            const auto a8 = static_cast<uint8_t>((a * 255 + half) / max);
            out[x] = PackPixel(Clamp8(r), Clamp8(g), Clamp8(b), a8);
            continue;
        }
        if (m_Colours == 1) {
            if (m_Inverted)
                c[0] = max - c[0];
            c[1] = c[2] = c[0];
        }
        if (alpha && m_Associated && a != max) {
            // Premultiplied samples are divided out at full precision.
            for (int s = 0; s < 3; ++s)
                c[s] = a ? std::min(max, (c[s] * max + a / 2) / a) : 0;
        }
        out[x] = PackPixel(static_cast<uint8_t>((c[0] * 255 + half) / max), static_cast<uint8_t>((c[1] * 255 + half) / max),
                           static_cast<uint8_t>((c[2] * 255 + half) / max), static_cast<uint8_t>((a * 255 + half) / max));
    }
}

void CTIFFSampleReader::Read(const std::atomic<bool>* abort, const char* lastError, const RowSink& sink)
{
    if (TIFFIsTiled(m_Tif))
        ReadTiles(abort, lastError, sink);
    else
        ReadStrips(abort, lastError, sink);
}

void CTIFFSampleReader::ReadStrips(const std::atomic<bool>* abort, const char* lastError, const RowSink& sink)
{
    uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(m_Tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    if (rowsPerStrip == 0 || rowsPerStrip > m_Height)
        rowsPerStrip = m_Height;
    const uint64_t rowBytes = TIFFScanlineSize64(m_Tif);
    const uint64_t samplesInRow = uint64_t(m_Width) * (m_Separate ? 1 : m_Samples);
    if (rowBytes == 0 || rowBytes < (samplesInRow * m_Bits + 7) / 8)
        RaiseReadError(lastError, "TIFF scanline size is wrong.");

    // Only the planes that are shown are read.
    const int planes = m_Separate ? m_Colours + (m_AlphaSample >= 0 ? 1 : 0) : 1;
    std::vector<std::vector<uint8_t>> strips(static_cast<size_t>(planes));
    for (auto& strip : strips)
        strip = AllocateBuffer(BufferBytes(rowBytes, rowsPerStrip));
    std::vector<uint32_t> pixels(m_Width);
    const uint8_t* rows[16] = {};

    for (uint32_t first = 0; first < m_Height; first += rowsPerStrip) {
        CheckAbandoned(abort);
        const uint32_t n = std::min(rowsPerStrip, m_Height - first);
        for (int p = 0; p < planes; ++p) {
            const uint32_t strip = TIFFComputeStrip(m_Tif, first, static_cast<uint16_t>(p));
            if (TIFFReadEncodedStrip(m_Tif, strip, strips[size_t(p)].data(), static_cast<tmsize_t>(rowBytes * n)) < 0)
                RaiseReadError(lastError, "Reading TIFF strip failed.");
        }
        for (uint32_t r = 0; r < n; ++r) {
            CheckAbandoned(abort);
            for (int p = 0; p < planes; ++p)
                rows[p] = strips[size_t(p)].data() + rowBytes * r;
            ConvertRow(rows, pixels.data());
            sink(first + r, pixels.data());
        }
    }
}

void CTIFFSampleReader::ReadTiles(const std::atomic<bool>* abort, const char* lastError, const RowSink& sink)
{
    uint32_t tileWidth = 0;
    uint32_t tileLength = 0;
    TIFFGetField(m_Tif, TIFFTAG_TILEWIDTH, &tileWidth);
    TIFFGetField(m_Tif, TIFFTAG_TILELENGTH, &tileLength);
    const uint64_t tileBytes = TIFFTileSize64(m_Tif);
    const uint64_t tileRowBytes = TIFFTileRowSize64(m_Tif);
    const uint64_t samplesInTileRow = uint64_t(tileWidth) * (m_Separate ? 1 : m_Samples);
    if (tileWidth == 0 || tileLength == 0 || tileRowBytes == 0 || (samplesInTileRow * m_Bits) % 8 != 0 ||
        tileRowBytes != samplesInTileRow * m_Bits / 8 || tileBytes < tileRowBytes * tileLength)
        RaiseReadError(lastError, "TIFF tile size is wrong.");
    const uint32_t across = (m_Width - 1) / tileWidth + 1;
    const uint32_t down = std::min(tileLength, m_Height);

    const int planes = m_Separate ? m_Colours + (m_AlphaSample >= 0 ? 1 : 0) : 1;
    std::vector<uint8_t> tile = AllocateBuffer(tileBytes);
    // One band of tiles, as rows of the whole image width, per plane.
    const uint64_t bandBytes = BufferBytes(tileRowBytes, across, down);
    const uint64_t bandRowBytes = tileRowBytes * across;
    std::vector<std::vector<uint8_t>> bands(static_cast<size_t>(planes));
    for (auto& band : bands)
        band = AllocateBuffer(bandBytes);
    std::vector<uint32_t> pixels(m_Width);
    const uint8_t* rows[16] = {};

    for (uint32_t first = 0; first < m_Height; first += tileLength) {
        const uint32_t n = std::min(tileLength, m_Height - first);
        for (int p = 0; p < planes; ++p) {
            for (uint32_t i = 0; i < across; ++i) {
                CheckAbandoned(abort);
                const uint32_t index = TIFFComputeTile(m_Tif, i * tileWidth, first, 0, static_cast<uint16_t>(p));
                if (TIFFReadEncodedTile(m_Tif, index, tile.data(), static_cast<tmsize_t>(tileBytes)) < 0)
                    RaiseReadError(lastError, "Reading TIFF tile failed.");
                for (uint32_t r = 0; r < n; ++r)
                    std::memcpy(bands[size_t(p)].data() + bandRowBytes * r + tileRowBytes * i,
                                tile.data() + tileRowBytes * r, static_cast<size_t>(tileRowBytes));
            }
        }
        for (uint32_t r = 0; r < n; ++r) {
            CheckAbandoned(abort);
            for (int p = 0; p < planes; ++p)
                rows[p] = bands[size_t(p)].data() + bandRowBytes * r;
            ConvertRow(rows, pixels.data());
            sink(first + r, pixels.data());
        }
    }
}
