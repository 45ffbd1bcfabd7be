#include "formats/ExifOrientation.h"

#include <cstring>
#include <fstream>
#include <vector>

namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;
constexpr size_t kEntryBytes = 12;
constexpr uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};

// The TIFF structure inside the APP1 payload; every read is checked against
// its size, and offsets from the file are compared before they are added.
class CTiffBlock {
public:
    CTiffBlock(const uint8_t* data, size_t size) : m_Data(data), m_Size(size) {}

    bool ReadHeader()
    {
        if (m_Size < 8)
            return false;
        if (m_Data[0] == 'I' && m_Data[1] == 'I')
            m_BigEndian = false;
        else if (m_Data[0] == 'M' && m_Data[1] == 'M')
            m_BigEndian = true;
        else
            return false;
        uint16_t magic = 0;
        return Read16(2, magic) && magic == 42;
    }

    bool Read16(size_t offset, uint16_t& value) const
    {
        if (offset > m_Size || m_Size - offset < 2)
            return false;
        const uint8_t* p = m_Data + offset;
        value = m_BigEndian ? uint16_t(p[0] << 8 | p[1]) : uint16_t(p[1] << 8 | p[0]);
        return true;
    }

    bool Read32(size_t offset, uint32_t& value) const
    {
        if (offset > m_Size || m_Size - offset < 4)
            return false;
        const uint8_t* p = m_Data + offset;
        value = m_BigEndian ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]
                            : uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        return true;
    }

    size_t Size() const { return m_Size; }

private:
    const uint8_t* m_Data;
    size_t m_Size;
    bool m_BigEndian = false;
};

int OrientationInTiff(const uint8_t* data, size_t size)
{
    CTiffBlock tiff(data, size);
    uint32_t ifd = 0;
    uint16_t count = 0;
    if (!tiff.ReadHeader() || !tiff.Read32(4, ifd) || !tiff.Read16(ifd, count))
        return kOrientNormal;
    const size_t entries = size_t(ifd) + 2;
    if (entries > tiff.Size() || (tiff.Size() - entries) / kEntryBytes < count)
        return kOrientNormal;  // the directory runs past the block
    for (size_t i = 0; i < count; ++i) {
        const size_t entry = entries + i * kEntryBytes;
        uint16_t tag = 0, type = 0, value = 0;
        uint32_t values = 0;
        if (!tiff.Read16(entry, tag) || !tiff.Read16(entry + 2, type) || !tiff.Read32(entry + 4, values))
            return kOrientNormal;
        if (tag != kOrientationTag)
            continue;
        // One short, kept in the first two bytes of the value field.
        if (type != kTypeShort || values != 1 || !tiff.Read16(entry + 8, value))
            return kOrientNormal;
        return value >= kOrientNormal && value <= kOrientTurnLeft ? int(value) : int(kOrientNormal);
    }
    return kOrientNormal;
}

bool HasNoLength(uint8_t marker)
{
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8);
}

} // namespace

int ReadExifOrientation(const uint8_t* data, size_t size)
{
    if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return kOrientNormal;
    size_t pos = 2;
    for (;;) {
        // A marker, after any number of fill bytes.
        if (pos >= size || data[pos] != 0xFF)
            return kOrientNormal;
        while (pos < size && data[pos] == 0xFF)
            ++pos;
        if (pos >= size)
            return kOrientNormal;
        const uint8_t marker = data[pos++];
        if (HasNoLength(marker))
            continue;
        // The EXIF block comes before the image data; so does the end of it.
        if (marker == 0xDA || marker == 0xD9 || size - pos < 2)
            return kOrientNormal;
        const size_t length = size_t(data[pos]) << 8 | data[pos + 1];
        if (length < 2 || length > size - pos)
            return kOrientNormal;
        const uint8_t* payload = data + pos + 2;
        const size_t payloadSize = length - 2;
        if (marker == 0xE1 && payloadSize >= sizeof kExifHeader &&
            std::memcmp(payload, kExifHeader, sizeof kExifHeader) == 0)
            return OrientationInTiff(payload + sizeof kExifHeader, payloadSize - sizeof kExifHeader);
        pos += length;
    }
}

int ReadExifOrientationOfFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return kOrientNormal;
    uint8_t start[2] = {};
    if (!file.read(reinterpret_cast<char*>(start), 2) || start[0] != 0xFF || start[1] != 0xD8)
        return kOrientNormal;  // no JPEG: nothing more is read
    std::vector<uint8_t> head(kExifScanBytes);
    head[0] = start[0];
    head[1] = start[1];
    file.read(reinterpret_cast<char*>(head.data() + 2), std::streamsize(head.size() - 2));
    return ReadExifOrientation(head.data(), 2 + size_t(file.gcount()));
}
