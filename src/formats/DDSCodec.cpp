#include "formats/DDSCodec.h"

#include "formats/ChannelMask.h"
#include "formats/DDSBlocks.h"
#include "base/LittleEndian.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kHeaderBytes = 128;
constexpr uint32_t kMaxDepth = 32; // deeper volumes are read as a single slice

constexpr uint32_t kFlagPitch = 0x8;
constexpr uint32_t kFlagLinearSize = 0x80000;
constexpr uint32_t kFormatAlphaPixels = 0x1;
constexpr uint32_t kFormatFourCC = 0x4;
constexpr uint32_t kFormatLuminance = 0x20000;
constexpr uint32_t kCapsComplex = 0x8;
constexpr uint32_t kCaps2CubeMap = 0x200;
constexpr uint32_t kCaps2Volume = 0x200000;
constexpr uint32_t kCubeFaces[6] = {0x400, 0x800, 0x1000, 0x2000, 0x4000, 0x8000}; // +X −X +Y −Y +Z −Z
constexpr uint32_t kCaps2AllFaces = 0xFC00;

// The extended header: format, resource dimension, flags, array size, alpha mode.
constexpr size_t kExtendedHeaderBytes = 20;
constexpr uint32_t kDimensionTexture3D = 4;
constexpr uint32_t kMiscTextureCube = 0x4;

bool FourCCIs(const uint8_t* code, const char* text)
{
    return std::memcmp(code, text, 4) == 0;
}

uint64_t MulSat(uint64_t a, uint64_t b)
{
    if (b != 0 && a > UINT64_MAX / b)
        return UINT64_MAX;
    return a * b;
}

uint64_t AddSat(uint64_t a, uint64_t b)
{
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

enum class AlphaRule { Opaque, OneBit, Replicate, Plain };

struct MaskLayout {
    ChannelMask Red, Green, Blue, Alpha;
    AlphaRule Rule;
};

template <int Bytes>
inline uint32_t LoadPixel(const uint8_t* p)
{
    if constexpr (Bytes == 1)
        return p[0];
    else if constexpr (Bytes == 2)
        return GetLE16(p);
    else if constexpr (Bytes == 3)
        return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
    else
        return GetLE32(p);
}

template <int Bytes>
void DecodeMaskedRows(const uint8_t* data, int width, int height, const MaskLayout& m, CBmp& bitmap, int left,
                      const std::atomic<bool>* abort)
{
    const size_t stride = size_t(width) * Bytes;
    for (int y = 0; y < height; ++y, data += stride) {
        CheckAbandoned(abort);
        uint32_t* dst = bitmap.Row32(y) + left;
        const uint8_t* src = data;
        for (int x = 0; x < width; ++x, src += Bytes) {
            const uint32_t p = LoadPixel<Bytes>(src);
            uint32_t a = 255;
            switch (m.Rule) {
            case AlphaRule::Opaque:
                break;
            case AlphaRule::OneBit:
                a = m.Alpha.Raw(p) ? 255 : 0;
                break;
            case AlphaRule::Replicate:
            case AlphaRule::Plain:
                a = m.Alpha.Get(p);
                break;
            }
            dst[x] = uint32_t(m.Blue.Get(p)) | (uint32_t(m.Green.Get(p)) << 8) | (uint32_t(m.Red.Get(p)) << 16) |
                     (a << 24);
        }
    }
}

} // namespace

void CDDSDecoder::ReadHeader(CByteSource& source)
{
    const uint8_t* h = source.ReadBytes(kHeaderBytes);
    m_Header.Size = GetLE32(h + 4);
    m_Header.Flags = GetLE32(h + 8);
    m_Header.Height = GetLE32(h + 12);
    m_Header.Width = GetLE32(h + 16);
    m_Header.PitchOrLinearSize = GetLE32(h + 20);
    m_Header.Depth = GetLE32(h + 24);
    if (m_Header.Depth == 0)
        m_Header.Depth = 1;
    m_Header.MipMapCount = GetLE32(h + 28);
    m_Header.FormatSize = GetLE32(h + 76);
    m_Header.FormatFlags = GetLE32(h + 80);
    std::memcpy(m_Header.FourCC, h + 84, 4);
    m_Header.RgbBitCount = GetLE32(h + 88);
    m_Header.RedMask = GetLE32(h + 92);
    m_Header.GreenMask = GetLE32(h + 96);
    m_Header.BlueMask = GetLE32(h + 100);
    m_Header.AlphaMask = GetLE32(h + 104);
    m_Header.Caps = GetLE32(h + 108);
    m_Header.Caps2 = GetLE32(h + 112);
    if (std::memcmp(h, "DDS ", 4) != 0)
        RaiseDecoderError(ErrUnsupported, "DDS decoder: This isn't a DDS file.");
}

void CDDSDecoder::ReadExtendedHeader(CByteSource& source)
{
    const uint8_t* x = source.ReadBytes(kExtendedHeaderBytes);
    const uint32_t format = GetLE32(x);
    const uint32_t dimension = GetLE32(x + 4);
    const uint32_t misc = GetLE32(x + 8);
    // Arrays show their first element: it comes first in the file.
    const auto masks = [this](uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
        m_Header.RgbBitCount = 32;
        m_Header.RedMask = r;
        m_Header.GreenMask = g;
        m_Header.BlueMask = b;
        m_Header.AlphaMask = a;
    };
    switch (format) {
    case 27: // R8G8B8A8: typeless, unorm, sRGB
    case 28:
    case 29:
        masks(0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000u);
        m_Kind = KindRgba;
        break;
    case 87: // B8G8R8A8: unorm, typeless, sRGB
    case 90:
    case 91:
        masks(0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000u);
        m_Kind = KindRgba;
        break;
    case 88: // B8G8R8X8: unorm, typeless, sRGB
    case 92:
    case 93:
        masks(0x00FF0000, 0x0000FF00, 0x000000FF, 0);
        m_Kind = KindRgb;
        break;
    case 70: // BC1: typeless, unorm, sRGB
    case 71:
    case 72:
        m_Kind = KindDxt1;
        break;
    case 73: // BC2
    case 74:
    case 75:
        m_Kind = KindDxt3;
        break;
    case 76: // BC3
    case 77:
    case 78:
        m_Kind = KindDxt5;
        break;
    case 79: // BC4: typeless, unorm, snorm
    case 80:
        m_Kind = KindBc4;
        break;
    case 81:
        m_Kind = KindBc4Signed;
        break;
    case 82: // BC5: typeless, unorm, snorm
    case 83:
        m_Kind = KindBc5;
        break;
    case 84:
        m_Kind = KindBc5Signed;
        break;
    case 94: // BC6H: half floats need a tone mapping we do not make
    case 95:
    case 96:
        RaiseDecoderError(ErrUnsupported, "DDS decoder: BC6H not supported.");
    case 97: // BC7: typeless, unorm, sRGB
    case 98:
    case 99:
        m_Kind = KindBc7;
        break;
    default:
        m_Kind = KindUnsupported;
        break;
    }
    if (dimension == kDimensionTexture3D) {
        m_Header.Caps |= kCapsComplex;
        m_Header.Caps2 |= kCaps2Volume;
    } else if (misc & kMiscTextureCube) {
        m_Header.Caps |= kCapsComplex;
        m_Header.Caps2 |= kCaps2CubeMap;
        // The extended header's cube always has all six faces.
        if (!(m_Header.Caps2 & kCaps2AllFaces))
            m_Header.Caps2 |= kCaps2AllFaces;
    }
}

CDDSDecoder::Kind CDDSDecoder::KindOfFourCC() const
{
    const uint8_t* c = m_Header.FourCC;
    if (c[0] == 'D' && c[1] == 'X' && c[2] == 'T' && c[3] >= '1' && c[3] <= '5')
        return static_cast<Kind>(KindDxt1 + (c[3] - '1'));
    if (FourCCIs(c, "ATI1") || FourCCIs(c, "BC4U"))
        return KindBc4;
    if (FourCCIs(c, "BC4S"))
        return KindBc4Signed;
    if (FourCCIs(c, "ATI2") || FourCCIs(c, "BC5U"))
        return KindBc5;
    if (FourCCIs(c, "BC5S"))
        return KindBc5Signed;
    return KindUnsupported;
}

int CDDSDecoder::SourceBits() const
{
    switch (m_Kind) {
    case KindRgb:
    case KindBc5:
    case KindBc5Signed:
        return 24;
    case KindBc4:
    case KindBc4Signed:
        return 8;
    default:
        return 32;
    }
}

uint64_t CDDSDecoder::SurfaceSize(uint64_t width, uint64_t height, uint64_t depth) const
{
    if (IsBlockKind()) {
        const uint64_t blocks = MulSat(MulSat((width + 3) / 4, (height + 3) / 4), (depth + 3) / 4);
        const bool small = m_Kind == KindDxt1 || m_Kind == KindBc4 || m_Kind == KindBc4Signed;
        return MulSat(blocks, small ? 8 : 16);
    }
    return MulSat(MulSat(MulSat(height, m_Header.RgbBitCount / 8), depth), width);
}

void CDDSDecoder::DecodeUncompressed(CBmp& bitmap, const uint8_t* data, int left) const
{
    MaskLayout m;
    m.Red = ChannelMask(m_Header.RedMask);
    m.Green = ChannelMask(m_Header.GreenMask);
    m.Blue = ChannelMask(m_Header.BlueMask);
    m.Alpha = ChannelMask(m_Header.AlphaMask);
    // A file that says it has alpha but gives it no bits is shown opaque.
    if (m_Kind == KindRgb || m.Alpha.Mask == 0)
        m.Rule = AlphaRule::Opaque;
    else if (m.Alpha.Width == 1)
        m.Rule = AlphaRule::OneBit;
    else if (m.Alpha.Width <= 4)
        m.Rule = AlphaRule::Replicate;
    else
        m.Rule = AlphaRule::Plain;

    const int width = static_cast<int>(m_Width);
    const int height = static_cast<int>(m_Height);
    const int bytes = static_cast<int>(m_Header.RgbBitCount / 8);
    // The common 24- and 32-bit layouts are already in our pixel order.
    const bool bgr =
        m_Header.RedMask == 0x00FF0000 && m_Header.GreenMask == 0x0000FF00 && m_Header.BlueMask == 0x000000FF;
    if (bgr && bytes == 4 && (m.Rule == AlphaRule::Opaque || m_Header.AlphaMask == 0xFF000000u)) {
        const uint32_t fill = m.Rule == AlphaRule::Opaque ? 0xFF000000u : 0;
        for (int y = 0; y < height; ++y, data += size_t(4) * width) {
            CheckAbort();
            uint32_t* dst = bitmap.Row32(y) + left;
            for (int x = 0; x < width; ++x)
                dst[x] = GetLE32(data + 4 * x) | fill;
        }
        return;
    }
    if (bgr && bytes == 3 && m.Rule == AlphaRule::Opaque) {
        for (int y = 0; y < height; ++y, data += size_t(3) * width) {
            CheckAbort();
            uint32_t* dst = bitmap.Row32(y) + left;
            const uint8_t* src = data;
            for (int x = 0; x < width; ++x, src += 3)
                dst[x] = 0xFF000000u | uint32_t(src[0]) | (uint32_t(src[1]) << 8) | (uint32_t(src[2]) << 16);
        }
        return;
    }
    switch (bytes) {
    case 1:
        DecodeMaskedRows<1>(data, width, height, m, bitmap, left, GetAbortFlag());
        break;
    case 2:
        DecodeMaskedRows<2>(data, width, height, m, bitmap, left, GetAbortFlag());
        break;
    case 3:
        DecodeMaskedRows<3>(data, width, height, m, bitmap, left, GetAbortFlag());
        break;
    default:
        DecodeMaskedRows<4>(data, width, height, m, bitmap, left, GetAbortFlag());
        break;
    }
}

void CDDSDecoder::DecodeSurface(CBmp& bitmap, const uint8_t* data, int left) const
{
    const int width = static_cast<int>(m_Width);
    const int height = static_cast<int>(m_Height);
    switch (m_Kind) {
    case KindRgba:
    case KindRgb:
        DecodeUncompressed(bitmap, data, left);
        break;
    case KindDxt1:
        DecodeDxtSurface(data, DxtAlpha::None, width, height, bitmap, left, GetAbortFlag());
        break;
    case KindDxt2:
    case KindDxt3:
        DecodeDxtSurface(data, DxtAlpha::Explicit, width, height, bitmap, left, GetAbortFlag());
        break;
    case KindDxt4:
    case KindDxt5:
        DecodeDxtSurface(data, DxtAlpha::Interpolated, width, height, bitmap, left, GetAbortFlag());
        break;
    case KindBc4:
        DecodeBcSurface(data, BcFormat::Bc4, width, height, bitmap, left, GetAbortFlag());
        break;
    case KindBc4Signed:
        DecodeBcSurface(data, BcFormat::Bc4Signed, width, height, bitmap, left, GetAbortFlag());
        break;
    case KindBc5:
        DecodeBcSurface(data, BcFormat::Bc5, width, height, bitmap, left, GetAbortFlag());
        break;
    case KindBc5Signed:
        DecodeBcSurface(data, BcFormat::Bc5Signed, width, height, bitmap, left, GetAbortFlag());
        break;
    case KindBc7:
        DecodeBcSurface(data, BcFormat::Bc7, width, height, bitmap, left, GetAbortFlag());
        break;
    case KindUnsupported:
        RaiseDecoderError(ErrFormat, "Invalid file header.");
    }
    if (m_Kind == KindDxt2 || m_Kind == KindDxt4)
        Unpremultiply(bitmap, left, width);
}

void CDDSDecoder::ReadCubeMap(CBmp& bitmap, CByteSource& source)
{
    // The mip levels after each face: never more than the chain down to 1 x 1 x 1.
    uint32_t levels = std::max<uint32_t>(m_Header.MipMapCount, 1);
    uint64_t w = m_Width, h = m_Height, d = m_Depth;
    uint64_t tail = 0;
    for (uint32_t level = 1; level < levels && (w > 1 || h > 1 || d > 1); ++level) {
        w = std::max<uint64_t>(w / 2, 1);
        h = std::max<uint64_t>(h / 2, 1);
        d = std::max<uint64_t>(d / 2, 1);
        tail = AddSat(tail, SurfaceSize(w, h, d));
    }
    int faces = 0;
    for (uint32_t bit : kCubeFaces)
        faces += (m_Header.Caps2 & bit) ? 1 : 0;
    if (faces == 0)
        RaiseDecoderError(ErrFormat, "DDS decoder: Cube map without faces.");
    // Every face that is read must be in the file before memory is taken.
    const uint64_t needed = AddSat(MulSat(faces, m_DataSize), MulSat(faces - 1, tail));
    if (needed > source.Remaining())
        RaiseDecoderError(ErrInternal, "Unexpected end of file.");

    CreateBitmap(bitmap, int64_t(m_Width) * 6, m_Height, 32, KindHasAlpha());
    bitmap.SourceBitsPerPixel = SourceBits();
    // Faces the file leaves out show as empty (transparent black) columns.
    const uint32_t empty = KindHasAlpha() ? 0 : 0xFF000000u;
    for (int y = 0; y < bitmap.Height; ++y)
        std::fill(bitmap.Row32(y), bitmap.Row32(y) + bitmap.Width, empty);

    int read = 0;
    for (m_Face = 0; m_Face < 6; ++m_Face) {
        if (!(m_Header.Caps2 & kCubeFaces[m_Face]))
            continue;
        const uint8_t* data = source.ReadBytes(static_cast<size_t>(m_DataSize));
        DecodeSurface(bitmap, data, m_Face * static_cast<int>(m_Width));
        if (++read < faces)
            source.SkipBytes(static_cast<size_t>(tail));
    }
}

void CDDSDecoder::ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>&, int, CByteSource& source)
{
    DecoderTrace(2, "Decoding DDS.\n");
    ReadHeader(source);
    m_Width = m_Header.Width;
    m_Height = m_Header.Height;
    m_Depth = m_Header.Depth > kMaxDepth ? 1 : m_Header.Depth;
    m_Face = 0;

    if ((m_Header.FormatFlags & kFormatFourCC) && FourCCIs(m_Header.FourCC, "DX10")) {
        ReadExtendedHeader(source);
    } else if (m_Header.FormatFlags & kFormatFourCC) {
        m_Kind = KindOfFourCC();
    } else {
        m_Kind = (m_Header.FormatFlags & kFormatAlphaPixels) ? KindRgba : KindRgb;
        // Luminance is one value for all three colours.
        if (m_Header.FormatFlags & kFormatLuminance)
            m_Header.GreenMask = m_Header.BlueMask = m_Header.RedMask;
        // Pixels are whole bytes, one to four of them.
        const uint32_t bits = m_Header.RgbBitCount;
        if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
            m_Kind = KindUnsupported;
    }
    if (m_Kind == KindUnsupported)
        RaiseDecoderError(ErrFormat, "Invalid file header.");
    m_DataSize = SurfaceSize(m_Width, m_Height, m_Depth);
    if (!(m_Header.Flags & (kFlagPitch | kFlagLinearSize))) {
        m_Header.PitchOrLinearSize = static_cast<uint32_t>(std::min<uint64_t>(m_DataSize, UINT32_MAX));
        m_Header.Flags |= kFlagLinearSize;
    }

    if (m_Header.Caps & kCapsComplex) {
        if (m_Header.Caps2 & kCaps2CubeMap) {
            try {
                ReadCubeMap(bitmap, source);
            } catch (const CTextException& e) {
                if (e.GetCode() == ErrNoMemory || e.GetCode() == ErrAbandoned)
                    throw;
                RaiseDecoderError(ErrUnsupported, "DDS decoder: CubeMaps not supported.");
            }
            return;
        }
        if (m_Header.Caps2 & kCaps2Volume)
            RaiseDecoderError(ErrUnsupported, "DDS decoder: Volume textures not supported.");
    }

    // The surface is decoded in place. Its size comes from the pixel layout:
    // a stored linear size or pitch that disagrees with it is not trusted.
    if (m_DataSize > source.Remaining())
        RaiseDecoderError(ErrInternal, "Unexpected end of file.");
    const uint8_t* data = source.ReadBytes(static_cast<size_t>(m_DataSize));
    CreateBitmap(bitmap, m_Width, m_Height, 32, KindHasAlpha());
    bitmap.SourceBitsPerPixel = SourceBits();
    DecodeSurface(bitmap, data, 0);
}
