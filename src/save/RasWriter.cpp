#include "save/RasWriter.h"

#include "base/TextException.h"
#include "image/Bmp.h"
#include "save/PaletteImage.h"
#include "save/RowPack.h"
#include "save/WriterFile.h"

#include <limits>

namespace {

constexpr int kHeaderSize = 32;
constexpr size_t kMaxRun = 256;
constexpr uint8_t kEscape = 0x80;
constexpr size_t kMapEntries = 256;
constexpr const char* kWriteError = "Error writing rasterfile.";

void PutBE32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

// Rows of the data block, each padded to an even length: blue, green, red
// per pixel, or one palette index.
class CRows24 {
public:
    explicit CRows24(const CBmp& bitmap) :
        m_Bitmap(bitmap), m_Row((size_t(3) * static_cast<size_t>(bitmap.Width) + 1) & ~size_t(1), 0)
    {
    }
    const std::vector<uint8_t>& Row(int y)
    {
        PackBgr(m_Bitmap.Lines[y], m_Row.data(), m_Bitmap.Width);
        return m_Row;
    }
    size_t RowBytes() const { return m_Row.size(); }

private:
    const CBmp& m_Bitmap;
    std::vector<uint8_t> m_Row;
};

class CRows8 {
public:
    explicit CRows8(const CPaletteImage& image, int width) :
        m_Image(image), m_Row((static_cast<size_t>(width) + 1) & ~size_t(1), 0)
    {
    }
    const std::vector<uint8_t>& Row(int y)
    {
        m_Image.IndexRow(y, m_Row.data());
        return m_Row;
    }
    size_t RowBytes() const { return m_Row.size(); }

private:
    const CPaletteImage& m_Image;
    std::vector<uint8_t> m_Row;
};

// Encoded length of the whole block; the header carries it ahead of the data.
template <class Rows>
uint64_t EncodedLength(int height, Rows& rows)
{
    CRasEncoder encoder;
    uint64_t length = 0;
    for (int y = 0; y < height; ++y) {
        const std::vector<uint8_t>& row = rows.Row(y);
        encoder.Feed(row.data(), row.size());
        length += encoder.Output.size();
        encoder.Output.clear();
    }
    encoder.Finish();
    return length + encoder.Output.size();
}

// Header, colour map (empty at 24 bits) and data.
template <class Rows>
void WriteRasFile(const std::string& path, const CBmp& bitmap, int depth, bool rle, Rows& rows,
                  const std::vector<uint8_t>& map)
{
    const uint64_t length =
        rle ? EncodedLength(bitmap.Height, rows) : uint64_t(rows.RowBytes()) * uint64_t(bitmap.Height);
    if (length > std::numeric_limits<uint32_t>::max())
        throw CTextException(ErrUnsupported, "Image is too large for this file format.");

    uint8_t header[kHeaderSize];
    FillRasHeader(header, bitmap.Width, bitmap.Height, depth, static_cast<uint32_t>(length), rle,
                  map.empty() ? 0 : 1, static_cast<uint32_t>(map.size()));
    CWriterFile file(path, kWriteError);
    file.Write(header, sizeof header);
    if (!map.empty())
        file.Write(map.data(), map.size());
    CRasEncoder encoder;
    for (int y = 0; y < bitmap.Height; ++y) {
        const std::vector<uint8_t>& row = rows.Row(y);
        if (!rle) {
            file.Write(row.data(), row.size());
            continue;
        }
        encoder.Feed(row.data(), row.size());
        file.Write(encoder.Output.data(), encoder.Output.size());
        encoder.Output.clear();
    }
    if (rle) {
        encoder.Finish();
        file.Write(encoder.Output.data(), encoder.Output.size());
    }
    file.Commit();
}

void CheckRasSize(const CBmp& bitmap)
{
    CheckImageSize(bitmap, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max());
}

void WriteRas24(const std::string& path, const CBmp& bitmap, bool rle)
{
    CheckRasSize(bitmap);
    CRows24 rows(bitmap);
    WriteRasFile(path, bitmap, 24, rle, rows, {});
}

// Always a full map of 256 reds, greens and blues, zeros past the image's colours.
void WriteRas8(const std::string& path, const CBmp& bitmap, bool rle)
{
    CheckRasSize(bitmap);
    // The palette before the file: a reduction that fails leaves nothing behind.
    const CPaletteImage image(bitmap);
    std::vector<uint8_t> map(3 * kMapEntries, 0);
    for (size_t i = 0; i < image.Palette().size(); ++i) {
        const ColorHistItem& c = image.Palette()[i];
        map[i] = c.Red;
        map[kMapEntries + i] = c.Green;
        map[2 * kMapEntries + i] = c.Blue;
    }
    CRows8 rows(image, bitmap.Width);
    WriteRasFile(path, bitmap, 8, rle, rows, map);
}

} // namespace

void CRasEncoder::Feed(const uint8_t* data, size_t size)
{
    for (size_t i = 0; i < size; ++i) {
        if (m_Run > 0 && (data[i] != m_Value || m_Run == kMaxRun))
            Emit();
        m_Value = data[i];
        ++m_Run;
    }
}

void CRasEncoder::Finish()
{
    if (m_Run > 0)
        Emit();
}

void CRasEncoder::Emit()
{
    if (m_Run == 1 && m_Value != kEscape) {
        Output.push_back(m_Value);
    } else if (m_Run == 1) {
        Output.push_back(kEscape);
        Output.push_back(0);
    } else if (m_Run == 2 && m_Value != kEscape) {
        Output.push_back(m_Value);
        Output.push_back(m_Value);
    } else {
        Output.push_back(kEscape);
        Output.push_back(static_cast<uint8_t>(m_Run - 1));
        Output.push_back(m_Value);
    }
    m_Run = 0;
}

void FillRasHeader(uint8_t* header, int width, int height, int depth, uint32_t length, bool rle, uint32_t mapType,
                   uint32_t mapLength)
{
    PutBE32(header, 0x59A66A95u);
    PutBE32(header + 4, static_cast<uint32_t>(width));
    PutBE32(header + 8, static_cast<uint32_t>(height));
    PutBE32(header + 12, static_cast<uint32_t>(depth));
    PutBE32(header + 16, length);
    PutBE32(header + 20, rle ? 2 : 1);
    PutBE32(header + 24, mapType);
    PutBE32(header + 28, mapLength);
}

void WriteRAS(const std::string& path, const CBmp& bitmap, int depth, bool rle)
{
    switch (depth) {
    case 24:
        WriteRas24(path, bitmap, rle);
        return;
    case 8:
        WriteRas8(path, bitmap, rle);
        return;
    default:
        throw CTextException(ErrInternal, "Internal error.");
    }
}
