#include "formats/PSDDecoder.h"

#include "base/LittleEndian.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr size_t kColorTableBytes = 768;
constexpr uint32_t kLengthUnset = 0x80000000u; // a section length with this bit means "no section"

enum ColorMode {
    ModeBitmap = 0,
    ModeGreyscale = 1,
    ModeIndexed = 2,
    ModeRgb = 3,
    ModeCmyk = 4,
    ModeMultichannel = 7,
    ModeDuotone = 8
};
enum Compression { CompressionNone = 0, CompressionPackBits = 1, CompressionZip = 2, CompressionZipPrediction = 3 };

bool ProductFits(uint64_t a, uint64_t b, uint64_t limit)
{
    return b == 0 || a <= limit / b;
}

// Unpacks one PackBits row. Runs are cut at the row's end and at the end of
// its packed bytes; whatever the data does not reach is 0.
void UnpackBits(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize)
{
    size_t i = 0, o = 0;
    while (i < inSize && o < outSize) {
        const unsigned flag = in[i++];
        if (flag < 128) {
            const size_t literal = std::min<size_t>(flag + 1, inSize - i);
            const size_t kept = std::min(literal, outSize - o);
            std::memcpy(out + o, in + i, kept);
            i += literal;
            o += kept;
        } else if (flag > 128) {
            if (i == inSize)
                break;
            const size_t run = std::min<size_t>(257 - flag, outSize - o);
            std::memset(out + o, in[i++], run);
            o += run;
        }
    }
    if (o < outSize)
        std::memset(out + o, 0, outSize - o);
}

} // namespace

void CPSDDecoder::ReadHeader(CByteSource& source)
{
    const uint8_t* signature = source.ReadBytes(4);
    if (std::memcmp(signature, "8BPS", 4) != 0)
        RaiseDecoderError(ErrUnsupported, "PSD decoder: This isn't a photoshop file.");
    const uint8_t* p = source.ReadBytes(22);
    m_Header.Version = GetBE16(p);
    m_Header.Channels = GetBE16(p + 8);
    m_Header.Rows = GetBE32(p + 10);
    m_Header.Columns = GetBE32(p + 14);
    m_Header.Depth = GetBE16(p + 18);
    m_Header.Mode = GetBE16(p + 20);
    // Large documents widen the section lengths and the row counts; read as
    // an ordinary document they would land in the wrong places.
    if (m_Header.Version == 2)
        RaiseDecoderError(ErrUnsupported, "PSD decoder: Large document format (PSB) not supported.");
}

void CPSDDecoder::ReadColorModeData(CByteSource& source)
{
    const uint32_t length = source.ReadBE32();
    if (length == 0)
        return;
    const uint8_t* data = source.ReadBytes(length);
    if (length < kColorTableBytes)
        return;
    for (int i = 0; i < 256; ++i)
        m_Colors[i] = PackPixel(data[i], data[256 + i], data[512 + i]);
    m_HasColorTable = true;
}

void CPSDDecoder::ReadResources(CByteSource& source)
{
    const uint32_t length = source.ReadBE32();
    if (length == 0 || (length & kLengthUnset))
        return;
    CByteSource section;
    section.Open(source.GetName(), source.ReadBytes(length), length);
    while (section.Remaining() > 0) {
        if (std::memcmp(section.ReadBytes(4), "8BIM", 4) != 0)
            RaiseDecoderError(ErrFormat, "PSD decoder: Wrong signature in resource data block.");
        section.ReadBE16(); // resource ID
        const uint8_t nameLength = section.ReadByte();
        const uint8_t* name = section.ReadBytes(nameLength);
        DecoderTrace(2, "Reading resource:" + std::string(reinterpret_cast<const char*>(name), nameLength) + "\n");
        if (nameLength % 2 == 0)
            section.SkipBytes(1);
        const uint32_t dataSize = section.ReadBE32();
        section.SkipBytes(dataSize);
        if (dataSize & 1)
            section.SkipBytes(1);
    }
}

uint32_t CPSDDecoder::ReadLayers(CByteSource& source)
{
    const uint32_t length = source.ReadBE32();
    if (length == 0 || (length & kLengthUnset))
        return 0;
    // The section itself is skipped later, with the merged image; a length
    // past the end of the file shows there.
    CByteSource section;
    section.Open(source.GetName(), source.GetPosition(), std::min<size_t>(length, source.Remaining()));
    const int32_t infoLength = static_cast<int32_t>(section.ReadBE32());
    if (infoLength <= 0)
        return length;
    // A negative count says the first alpha channel holds the merged
    // transparency. That is the only sign of it: a fourth RGB channel (or a
    // fifth CMYK, a second grey one) is otherwise a saved selection or a spot
    // colour, and the resources that name alpha channels do not tell them
    // apart. Other readers decide the same way.
    const int16_t signedCount = static_cast<int16_t>(section.ReadBE16());
    m_MergedAlpha = signedCount < 0;
    const int count = std::abs(int(signedCount));
    DecoderTrace(2, "Number of layers: " + std::to_string(count) + "\n");
    m_Layers.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        Layer layer;
        const uint8_t* r = section.ReadBytes(18);
        layer.Top = static_cast<int32_t>(GetBE32(r));
        layer.Left = static_cast<int32_t>(GetBE32(r + 4));
        layer.Bottom = static_cast<int32_t>(GetBE32(r + 8));
        layer.Right = static_cast<int32_t>(GetBE32(r + 12));
        const uint16_t channels = GetBE16(r + 16);
        const uint8_t* c = section.ReadBytes(size_t(6) * channels);
        layer.Channels.resize(channels);
        for (uint16_t k = 0; k < channels; ++k, c += 6)
            layer.Channels[k] = LayerChannel{static_cast<int16_t>(GetBE16(c)), GetBE32(c + 2)};
        const uint8_t* b = section.ReadBytes(16);
        std::memcpy(layer.BlendSignature, b, 4);
        std::memcpy(layer.BlendKey, b + 4, 4);
        layer.Opacity = b[8];
        layer.Clipping = b[9];
        layer.Flags = b[10];
        layer.ExtraLength = GetBE32(b + 12);
        section.SkipBytes(layer.ExtraLength);
        m_Layers.push_back(std::move(layer));
    }
    return length;
}

CPSDDecoder::Composite CPSDDecoder::LocateComposite(CByteSource& source, uint32_t layerSectionLength,
                                                    int usedPlanes) const
{
    if (layerSectionLength != 0)
        source.SkipBytes(layerSectionLength);
    Composite c;
    c.Compression = source.ReadBE16();
    switch (c.Compression) {
    case CompressionNone:
        DecoderTrace(2, "No compression\n");
        break;
    case CompressionPackBits:
        DecoderTrace(2, "RLE compression\n");
        break;
    case CompressionZip:
        DecoderTrace(2, "ZIP compression, no prediction\n");
        break;
    case CompressionZipPrediction:
        DecoderTrace(2, "ZIP compression, prediction\n");
        break;
    default:
        RaiseDecoderError(ErrFormat, "PSD decoder: Compression unknown.");
    }
    if (c.Compression == CompressionZip || c.Compression == CompressionZipPrediction)
        RaiseDecoderError(ErrFormat, "PSD decoder: Compression type not supported.");

    c.Used = usedPlanes;
    const uint64_t rows = m_Header.Rows;
    const uint64_t rowBytes = (uint64_t(m_Header.Columns) * m_Header.Depth + 7) / 8;
    c.RowBytes = static_cast<size_t>(rowBytes);
    if (c.Compression == CompressionNone) {
        // Planes past the used ones may be missing from the file: nothing reads them.
        if (!ProductFits(rowBytes, rows, source.Remaining() / usedPlanes))
            RaiseDecoderError(ErrInternal, "Unexpected end of file.");
        const size_t planeBytes = static_cast<size_t>(rowBytes * rows);
        for (int p = 0; p < usedPlanes; ++p)
            c.Planes[p] = source.GetPosition() + p * planeBytes;
        return c;
    }

    // One 16-bit count per row of every channel, then the packed rows in the same order.
    c.Counts = source.ReadBytes(size_t(2) * m_Header.Channels * rows);
    const uint8_t* data = source.GetPosition();
    uint64_t offset = 0;
    for (int p = 0; p < usedPlanes; ++p) {
        c.Planes[p] = data + offset;
        const uint8_t* count = c.Counts + 2 * p * rows;
        for (uint64_t y = 0; y < rows; ++y, count += 2)
            offset += GetBE16(count);
    }
    source.ReadBytes(static_cast<size_t>(offset));
    return c;
}

void CPSDDecoder::DecodeComposite(CBmp& bitmap, const Composite& c, PsdRowPutter put) const
{
    const int width = bitmap.Width;
    const uint8_t* planes[5] = {};

    if (c.Compression == CompressionNone) {
        for (int y = 0; y < bitmap.Height; ++y) {
            CheckAbort();
            for (int p = 0; p < c.Used; ++p)
                planes[p] = c.Planes[p] + size_t(y) * c.RowBytes;
            put(bitmap.Row32(y), planes, m_Colors.data(), width);
        }
        return;
    }

    std::vector<uint8_t> scratch(c.RowBytes * c.Used);
    const uint8_t* packed[5];
    for (int p = 0; p < c.Used; ++p) {
        packed[p] = c.Planes[p];
        planes[p] = scratch.data() + p * c.RowBytes;
    }
    const size_t rows = m_Header.Rows;
    for (int y = 0; y < bitmap.Height; ++y) {
        CheckAbort();
        for (int p = 0; p < c.Used; ++p) {
            const size_t n = GetBE16(c.Counts + 2 * (p * rows + size_t(y)));
            UnpackBits(packed[p], n, scratch.data() + p * c.RowBytes, c.RowBytes);
            packed[p] += n;
        }
        put(bitmap.Row32(y), planes, m_Colors.data(), width);
    }
}

void CPSDDecoder::ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>&, int, CByteSource& source)
{
    // The layer list lives for one decode, however it ends.
    struct LayerListOwner {
        std::vector<Layer>& List;
        ~LayerListOwner() { std::vector<Layer>().swap(List); }
    } owner{m_Layers};
    m_Layers.clear();
    m_HasColorTable = false;

    DecoderTrace(2, "Decoding PSD.\n");
    ReadHeader(source);
    ReadColorModeData(source);
    ReadResources(source);

    // The row kind without alpha, and the one with it where the file gives
    // the merged image transparency.
    PsdRowKind kind = PsdRowKind::Table;
    PsdRowKind withAlpha = PsdRowKind::Table;
    int minChannels = 1;
    switch (m_Header.Mode) {
    case ModeBitmap:
    case ModeGreyscale:
    case ModeDuotone:
    case ModeMultichannel:
        // Duotone planes are the grey the inks are printed from; multichannel
        // documents show their first channel; one-bit bitmaps are black on white.
        for (int i = 0; i < 256; ++i)
            m_Colors[i] = PackPixel(uint8_t(i), uint8_t(i), uint8_t(i));
        if (m_Header.Mode == ModeBitmap && m_Header.Depth == 1)
            kind = withAlpha = PsdRowKind::Bits;
        else if (m_Header.Mode != ModeMultichannel)
            withAlpha = PsdRowKind::TableAlpha;
        break;
    case ModeIndexed:
        if (!m_HasColorTable)
            RaiseDecoderError(ErrFormat, "PSD decoder: Indexed image without color table.");
        break;
    case ModeRgb:
        minChannels = 3;
        kind = PsdRowKind::Rgb;
        withAlpha = PsdRowKind::Rgba;
        break;
    case ModeCmyk:
        minChannels = 4;
        kind = PsdRowKind::Cmyk;
        withAlpha = PsdRowKind::Cmyka;
        break;
    default:
        RaiseDecoderError(ErrUnsupported, "This PSD color mode is not supported.");
    }
    // 16-bit samples are shown by their high byte; indices are always 8
    // bits; single bits only in bitmap documents, which have nothing else.
    const bool depthFits = m_Header.Depth == 8 ||
                           (m_Header.Depth == 16 && m_Header.Mode != ModeIndexed && m_Header.Mode != ModeBitmap) ||
                           (m_Header.Depth == 1 && m_Header.Mode == ModeBitmap);
    if (!depthFits)
        RaiseDecoderError(ErrUnsupported,
                          "PSD decoder: " + std::to_string(m_Header.Depth) + " bits per channel not supported.");
    if (m_Header.Channels < minChannels)
        RaiseDecoderError(ErrFormat, "PSD decoder: Too few channels for the color mode.");

    m_MergedAlpha = false;
    const uint32_t layerSectionLength = ReadLayers(source);
    if (m_MergedAlpha && m_Header.Channels >= PsdRowPlanes(withAlpha))
        kind = withAlpha;
    const bool hasAlpha = kind == PsdRowKind::TableAlpha || kind == PsdRowKind::Rgba || kind == PsdRowKind::Cmyka;
    const int usedPlanes = PsdRowPlanes(kind);
    int sourceBits = m_Header.Depth * (hasAlpha ? 2 : 1);
    if (kind == PsdRowKind::Rgb || kind == PsdRowKind::Rgba)
        sourceBits = m_Header.Depth * m_Header.Channels;
    else if (kind == PsdRowKind::Cmyk || kind == PsdRowKind::Cmyka)
        sourceBits = m_Header.Depth * usedPlanes;

    // Every failure inside the merged image reads the same to the caller;
    // an abandoned decode stays one.
    const auto inComposite = [this](auto work) {
        try {
            work();
        } catch (const CDecodeAbandoned&) {
            std::vector<Layer>().swap(m_Layers);
            throw;
        } catch (const CTextException&) {
            std::vector<Layer>().swap(m_Layers);
            RaiseDecoderError(ErrFormat, "Unknown format");
        } catch (const std::bad_alloc&) {
            std::vector<Layer>().swap(m_Layers);
            RaiseDecoderError(ErrFormat, "Unknown format");
        }
    };
    Composite composite;
    inComposite([&] { composite = LocateComposite(source, layerSectionLength, usedPlanes); });
    // Memory is taken only once the file is known to hold the merged image.
    CreateBitmap(bitmap, m_Header.Columns, m_Header.Rows, 32, hasAlpha);
    bitmap.SourceBitsPerPixel = sourceBits;
    const PsdRowPutter put = ChoosePsdRowPutter(kind, m_Header.Depth);
    inComposite([&] { DecodeComposite(bitmap, composite, put); });
}
