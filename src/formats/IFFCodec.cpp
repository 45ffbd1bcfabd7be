#include "formats/IFFCodec.h"

#include "formats/IFFChunky.h"
#include "formats/IFFLineColours.h"
#include "base/LittleEndian.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kChunkHeader = 8;
constexpr size_t kBmhdSize = 20;
constexpr int kMaxColours = 1024;      // the largest colour map any plane count can address
constexpr int kMaxIndexedPlanes = 10;  // 2^10 = kMaxColours
constexpr int kMaxHamPlanes = 12;      // 10 value bits and 2 control bits
constexpr int kTrueColourPlanes = 24;
constexpr uint32_t kCamgHam = 0x800;
constexpr uint32_t kCamgHalfBrite = 0x80;

struct Bmhd {
    int Width = 0;
    int Height = 0;
    int Planes = 0;
    int Masking = 0;
    int Compression = 0;
};

struct ColourMap {
    std::array<uint8_t, kMaxColours> Red{}, Green{}, Blue{};
    int Count = 0;
};

// Bits 7…0 of a plane byte become bytes 0…7 (pixels left to right) of a word,
// so one OR places eight pixels' bits of one plane.
struct SpreadTable {
    uint64_t Words[256];
    SpreadTable()
    {
        for (int b = 0; b < 256; ++b) {
            uint8_t bytes[8];
            for (int j = 0; j < 8; ++j)
                bytes[j] = static_cast<uint8_t>((b >> (7 - j)) & 1);
            std::memcpy(&Words[b], bytes, 8);
        }
    }
};
const SpreadTable kSpread;

// Ors bit `bit` of every pixel of one plane row into an index row of 8 * bytes entries.
void AddPlane(uint8_t* indices, const uint8_t* plane, size_t bytes, int bit)
{
    for (size_t i = 0; i < bytes; ++i) {
        uint64_t word;
        std::memcpy(&word, indices + 8 * i, 8);
        word |= kSpread.Words[plane[i]] << bit;
        std::memcpy(indices + 8 * i, &word, 8);
    }
}

void AddPlane(uint16_t* indices, const uint8_t* plane, size_t bytes, int bit)
{
    for (size_t i = 0; i < bytes; ++i) {
        const unsigned b = plane[i];
        for (int j = 0; j < 8; ++j)
            indices[8 * i + j] = static_cast<uint16_t>(indices[8 * i + j] | (((b >> (7 - j)) & 1u) << bit));
    }
}

// Maps 0…range onto 0…255.
uint8_t Scale(int value, int range)
{
    return range == 0 ? 0 : static_cast<uint8_t>((value * 255 + range / 2) / range);
}

// Hands out the plane rows of the body one after the other; every decoding
// path takes its rows from here, so this is where an abandoned decode stops.
class PlaneReader {
public:
    PlaneReader(CByteSource& body, size_t bytes, bool compressed, const std::atomic<bool>* abort) :
        m_Body(body), m_Bytes(bytes), m_Compressed(compressed), m_Buffer(compressed ? bytes : 0), m_Abort(abort)
    {
    }
    const uint8_t* Next()
    {
        CheckAbandoned(m_Abort);
        if (!m_Compressed)
            return m_Body.ReadBytes(m_Bytes);
        UnpackByteRun1(m_Body, m_Buffer.data(), m_Bytes);
        return m_Buffer.data();
    }

private:
    CByteSource& m_Body;
    size_t m_Bytes;
    bool m_Compressed;
    std::vector<uint8_t> m_Buffer;
    const std::atomic<bool>* m_Abort;
};

// Index rows of every plane count but 24, one row at a time.
template <typename Index>
class IndexRows {
public:
    IndexRows(PlaneReader& planes, size_t bytesPerPlane, int planeCount, int planeRows) :
        m_Planes(planes), m_Bytes(bytesPerPlane), m_PlaneCount(planeCount), m_PlaneRows(planeRows),
        m_Row(8 * bytesPerPlane)
    {
    }
    const Index* Next()
    {
        std::fill(m_Row.begin(), m_Row.end(), Index(0));
        for (int p = 0; p < m_PlaneRows; ++p) {
            const uint8_t* plane = m_Planes.Next();
            if (p < m_PlaneCount) // the mask plane is read over
                AddPlane(m_Row.data(), plane, m_Bytes, p);
        }
        return m_Row.data();
    }

private:
    PlaneReader& m_Planes;
    size_t m_Bytes;
    int m_PlaneCount;
    int m_PlaneRows;
    std::vector<Index> m_Row;
};

// Colour-map entries changed from a row on (PCHG, SHAM) land in the map,
// and the lookup is rebuilt from it.
void ApplyChange(ColourMap& colours, const CIffLineColours::Change& c)
{
    if (c.Register >= kMaxColours)
        return;
    colours.Red[c.Register] = c.Red;
    colours.Green[c.Register] = c.Green;
    colours.Blue[c.Register] = c.Blue;
    colours.Count = std::max(colours.Count, int(c.Register) + 1);
}

template <typename Rows, typename Build>
void DecodeLookup(CBmp& bitmap, Rows& rows, ColourMap& colours, CIffLineColours& lines, Build&& build)
{
    std::vector<uint32_t> lut = build(colours);
    for (int y = 0; y < bitmap.Height; ++y) {
        if (lines.AdvanceTo(y, [&](const CIffLineColours::Change& c) { ApplyChange(colours, c); }))
            lut = build(colours);
        const auto* index = rows.Next();
        uint32_t* dst = bitmap.Row32(y);
        for (int x = 0; x < bitmap.Width; ++x)
            dst[x] = lut[index[x]];
    }
}

// What a hold-and-modify index does to the previous pixel: keep these bits, set those.
struct HamStep {
    uint32_t Keep;
    uint32_t Set;
};

template <typename Index, typename Build>
void DecodeHam(CBmp& bitmap, IndexRows<Index>& rows, ColourMap& colours, CIffLineColours& lines, Build&& build)
{
    std::vector<HamStep> steps = build(colours);
    for (int y = 0; y < bitmap.Height; ++y) {
        if (lines.AdvanceTo(y, [&](const CIffLineColours::Change& c) { ApplyChange(colours, c); }))
            steps = build(colours);
        const Index* index = rows.Next();
        uint32_t* dst = bitmap.Row32(y);
        uint32_t previous = PackPixel(0, 0, 0);
        for (int x = 0; x < bitmap.Width; ++x) {
            const HamStep& step = steps[index[x]];
            previous = (previous & step.Keep) | step.Set;
            dst[x] = previous;
        }
    }
}

void DecodeTrueColour(CBmp& bitmap, PlaneReader& planes, size_t bytesPerPlane, int planeRows)
{
    std::vector<uint8_t> channels[3];
    for (auto& c : channels)
        c.resize(8 * bytesPerPlane);
    for (int y = 0; y < bitmap.Height; ++y) {
        for (auto& c : channels)
            std::fill(c.begin(), c.end(), uint8_t(0));
        for (int p = 0; p < planeRows; ++p) {
            const uint8_t* plane = planes.Next();
            if (p < kTrueColourPlanes)
                AddPlane(channels[p / 8].data(), plane, bytesPerPlane, p % 8);
        }
        uint32_t* dst = bitmap.Row32(y);
        for (int x = 0; x < bitmap.Width; ++x)
            dst[x] = PackPixel(channels[0][x], channels[1][x], channels[2][x]);
    }
}

} // namespace

namespace {

enum class FormKind { Planar, Chunky, Rgb8, Rgbn };

bool ReadFormKind(const uint8_t* id, FormKind& kind)
{
    static const struct {
        const char* Id;
        FormKind Kind;
    } kForms[] = {{"ILBM", FormKind::Planar}, {"PBM ", FormKind::Chunky}, {"RGB8", FormKind::Rgb8},
                  {"RGBN", FormKind::Rgbn}};
    for (const auto& f : kForms)
        if (std::memcmp(id, f.Id, 4) == 0) {
            kind = f.Kind;
            return true;
        }
    return false;
}

// The colours of a colour-mapped image: half-bright copies of the map
// after it, or a grey ramp without a map.
std::vector<uint32_t> BuildLookup(const ColourMap& map, int entries, bool halfBrite)
{
    ColourMap colours = map;
    if (halfBrite && colours.Count > 0) {
        const int n = colours.Count;
        for (int i = 0; i < n && n + i < kMaxColours; ++i) {
            colours.Red[n + i] = colours.Red[i] >> 1;
            colours.Green[n + i] = colours.Green[i] >> 1;
            colours.Blue[n + i] = colours.Blue[i] >> 1;
        }
        colours.Count = std::min(2 * n, kMaxColours);
    }
    const int range = entries - 1;
    std::vector<uint32_t> lut(static_cast<size_t>(entries));
    for (int i = 0; i < entries; ++i)
        lut[i] = colours.Count > 0 ? PackPixel(colours.Red[i], colours.Green[i], colours.Blue[i])
                                   : PackPixel(Scale(i, range), Scale(i, range), Scale(i, range));
    return lut;
}

// Hold-and-modify steps for valueBits value bits. Values and the colour map
// are cut to the value bits, then spread over 0…255 so that 4-bit guns still
// reach full intensity.
std::vector<HamStep> BuildHamSteps(const ColourMap& colours, int valueBits)
{
    const int mask = (1 << valueBits) - 1;
    std::vector<uint8_t> scale(size_t(mask) + 1);
    for (int v = 0; v <= mask; ++v)
        scale[v] = Scale(v, mask);
    // More than eight value bits: the entry's top bits repeat below it, so 255 stays full.
    auto cut = [&](uint8_t c) {
        return valueBits <= 8 ? c >> (8 - valueBits) : (c << (valueBits - 8)) | (c >> (16 - valueBits));
    };
    // The two top index bits pick the step: 0 a base colour, 1 blue, 2 red, 3 green.
    std::vector<HamStep> steps(size_t(4) << valueBits);
    for (int v = 0; v <= mask; ++v) {
        const uint32_t level = scale[v];
        steps[v] = {0, colours.Count < mask ? PackPixel(scale[v], scale[v], scale[v])
                                            : PackPixel(scale[cut(colours.Red[v])], scale[cut(colours.Green[v])],
                                                        scale[cut(colours.Blue[v])])};
        steps[(1 << valueBits) + v] = {0xFFFFFF00u, level};
        steps[(2 << valueBits) + v] = {0xFF00FFFFu, level << 16};
        steps[(3 << valueBits) + v] = {0xFFFF00FFu, level << 8};
    }
    return steps;
}

} // namespace

void CIFFDecoder::ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>&, int, CByteSource& source)
{
    const uint8_t* form = source.ReadBytes(12);
    FormKind kind = FormKind::Planar;
    if (std::memcmp(form, "FORM", 4) != 0 || !ReadFormKind(form + 8, kind))
        RaiseDecoderError(ErrWrongSignature, "IFF decoder: This isn't an ILBM file.");
    const uint64_t formSize = GetBE32(form + 4);

    // Every chunk is cut to the bytes the file really holds; a header that
    // does not fit ends the walk.
    Bmhd header;
    ColourMap colours;
    uint32_t camg = 0;
    const uint8_t* bodyData = nullptr;
    size_t bodySize = 0;
    const uint8_t* rowPalettes = nullptr; // SHAM or CTBL
    size_t rowPalettesSize = 0;
    bool shamRows = false;
    CIffLineColours lines;
    uint64_t offset = 12;
    while (offset < formSize && source.Remaining() >= kChunkHeader) {
        const uint8_t* chunk = source.ReadBytes(kChunkHeader);
        uint32_t size = GetBE32(chunk + 4);
        if (size & 0x80000000u)
            size = 0;
        const uint8_t* data = source.GetPosition();
        const size_t available = source.Remaining();
        const size_t present = std::min<size_t>(size, available);

        if (std::memcmp(chunk, "BMHD", 4) == 0) {
            if (available < kBmhdSize)
                source.ReadBytes(available + 1); // raises: the header leaves the file
            header.Width = GetBE16(data);
            header.Height = GetBE16(data + 2);
            header.Planes = data[8];
            header.Masking = data[9];
            header.Compression = data[10];
        } else if (std::memcmp(chunk, "CMAP", 4) == 0) {
            colours = ColourMap{};
            colours.Count = static_cast<int>(std::min<size_t>(present / 3, kMaxColours));
            for (int i = 0; i < colours.Count; ++i) {
                colours.Red[i] = data[3 * i];
                colours.Green[i] = data[3 * i + 1];
                colours.Blue[i] = data[3 * i + 2];
            }
        } else if (std::memcmp(chunk, "CAMG", 4) == 0) {
            if (available < 4)
                source.ReadBytes(available + 1);
            camg = GetBE32(data);
        } else if (std::memcmp(chunk, "PCHG", 4) == 0) {
            lines.ReadPchg(data, present);
        } else if (std::memcmp(chunk, "SHAM", 4) == 0 || std::memcmp(chunk, "CTBL", 4) == 0) {
            rowPalettes = data; // their rows depend on the image height
            rowPalettesSize = present;
            shamRows = chunk[0] == 'S';
        } else if (std::memcmp(chunk, "BODY", 4) == 0) {
            bodyData = data;
            bodySize = present;
            break; // nothing after the body is used
        }
        // Chunks of odd size are followed by a pad byte.
        const size_t skip = present + ((size & 1) && present < available ? 1 : 0);
        source.SkipBytes(skip);
        offset += kChunkHeader + skip;
    }

    if (header.Width == 0)
        RaiseDecoderError(ErrFormat, "No BMHD chunk found.");
    if (!bodyData)
        RaiseDecoderError(ErrFormat, "No BODY chunk found.");
    if (rowPalettes && shamRows)
        lines.ReadSham(rowPalettes, rowPalettesSize, header.Height);
    else if (rowPalettes)
        lines.ReadCtbl(rowPalettes, rowPalettesSize, header.Height);

    CByteSource body;
    body.Open(source.GetName(), bodyData, bodySize);
    if (kind == FormKind::Rgb8 || kind == FormKind::Rgbn) {
        if (header.Compression != 4)
            RaiseDecoderError(ErrUnsupported, "Unknown compression type.");
        const bool nibbles = kind == FormKind::Rgbn;
        if (LeastRgbPacketBody(uint64_t(header.Width) * uint64_t(header.Height), nibbles) > bodySize)
            body.ReadBytes(bodySize + 1);
        CreateBitmap(bitmap, header.Width, header.Height, 32, false);
        bitmap.SourceBitsPerPixel = nibbles ? 12 : 24;
        DecodeIffRgbPackets(bitmap, body, nibbles, GetAbortFlag());
        DecoderTrace(3, "Decoding finished.\n");
        return;
    }

    const int planes = header.Planes;
    if (kind == FormKind::Chunky) {
        // One byte a pixel, whatever the plane count says.
        if (planes > 8)
            RaiseDecoderError(ErrUnsupported, "nPlanes is too large");
        if (header.Compression > 1)
            RaiseDecoderError(ErrUnsupported, "Unknown compression type.");
        if (CIffPbmRows::LeastBody(header.Width, header.Height, header.Compression == 1) > bodySize)
            body.ReadBytes(bodySize + 1);
        CreateBitmap(bitmap, header.Width, header.Height, 32, false);
        bitmap.SourceBitsPerPixel = 8;
        CIffPbmRows rows(body, header.Width, header.Height, header.Compression == 1, GetAbortFlag());
        // Indices past the planes' range still find their colour-map entries.
        const int entries = colours.Count > 0 || planes == 0 ? 256 : 1 << planes;
        DecodeLookup(bitmap, rows, colours, lines, [&](const ColourMap& map) {
            std::vector<uint32_t> lut = BuildLookup(map, entries, false);
            lut.resize(256, lut.empty() ? PackPixel(0, 0, 0) : lut.back());
            return lut;
        });
        DecoderTrace(3, "Decoding finished.\n");
        return;
    }

    bool ham = (camg & kCamgHam) && planes != kTrueColourPlanes;
    if (ham && planes < 2)
        ham = false; // no room for the two control bits
    if (ham ? planes > kMaxHamPlanes : (planes != kTrueColourPlanes && planes > kMaxIndexedPlanes))
        RaiseDecoderError(ErrUnsupported, "nPlanes is too large");
    if (header.Compression > 1)
        RaiseDecoderError(ErrUnsupported, "Unknown compression type.");

    const size_t bytesPerPlane = 2 * ((size_t(header.Width) + 15) / 16);
    const int planeRows = planes + (header.Masking == 1 ? 1 : 0);
    // Even fully compressed, each plane row takes two bytes per 128; a body
    // that cannot hold that much fails before memory is taken for the image.
    const uint64_t perPlaneRow = header.Compression ? 2 * ((bytesPerPlane + 127) / 128) : bytesPerPlane;
    if (perPlaneRow * uint64_t(planeRows) * uint64_t(header.Height) > bodySize)
        body.ReadBytes(bodySize + 1);

    CreateBitmap(bitmap, header.Width, header.Height, 32, false);
    bitmap.SourceBitsPerPixel = planes;

    PlaneReader planeReader(body, bytesPerPlane, header.Compression == 1, GetAbortFlag());
    if (planes == kTrueColourPlanes) {
        DecodeTrueColour(bitmap, planeReader, bytesPerPlane, planeRows);
    } else if (ham) {
        const int valueBits = planes - 2;
        auto build = [valueBits](const ColourMap& map) { return BuildHamSteps(map, valueBits); };
        if (planes <= 8) {
            IndexRows<uint8_t> rows(planeReader, bytesPerPlane, planes, planeRows);
            DecodeHam(bitmap, rows, colours, lines, build);
        } else {
            IndexRows<uint16_t> rows(planeReader, bytesPerPlane, planes, planeRows);
            DecodeHam(bitmap, rows, colours, lines, build);
        }
    } else {
        const bool halfBrite = camg & kCamgHalfBrite;
        const int entries = 1 << planes;
        auto build = [entries, halfBrite](const ColourMap& map) { return BuildLookup(map, entries, halfBrite); };
        if (planes <= 8) {
            IndexRows<uint8_t> rows(planeReader, bytesPerPlane, planes, planeRows);
            DecodeLookup(bitmap, rows, colours, lines, build);
        } else {
            IndexRows<uint16_t> rows(planeReader, bytesPerPlane, planes, planeRows);
            DecodeLookup(bitmap, rows, colours, lines, build);
        }
    }
    DecoderTrace(3, "Decoding finished.\n");
}
