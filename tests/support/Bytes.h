// Building and reading little-endian byte fixtures in tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

inline uint32_t GetLE32ForTest(const uint8_t* p, size_t offset)
{
    p += offset;
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline uint32_t GetLE32ForTest(const std::vector<uint8_t>& v, size_t offset)
{
    return GetLE32ForTest(v.data(), offset);
}

class ByteWriter {
public:
    ByteWriter& U8(uint8_t v)
    {
        m_Bytes.push_back(v);
        return *this;
    }
    ByteWriter& U8s(std::initializer_list<uint8_t> values)
    {
        m_Bytes.insert(m_Bytes.end(), values);
        return *this;
    }
    ByteWriter& Repeat(uint8_t v, size_t n)
    {
        m_Bytes.insert(m_Bytes.end(), n, v);
        return *this;
    }
    ByteWriter& LE16(uint16_t v) { return U8(uint8_t(v)).U8(uint8_t(v >> 8)); }
    ByteWriter& LE32(uint32_t v) { return LE16(uint16_t(v)).LE16(uint16_t(v >> 16)); }
    ByteWriter& Text(const std::string& s)
    {
        m_Bytes.insert(m_Bytes.end(), s.begin(), s.end());
        return *this;
    }
    ByteWriter& Append(const std::vector<uint8_t>& v)
    {
        m_Bytes.insert(m_Bytes.end(), v.begin(), v.end());
        return *this;
    }
    ByteWriter& PadTo(size_t size, uint8_t v = 0)
    {
        if (m_Bytes.size() < size)
            m_Bytes.resize(size, v);
        return *this;
    }
    void PatchLE32(size_t offset, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            m_Bytes[offset + i] = uint8_t(v >> (8 * i));
    }
    size_t Size() const { return m_Bytes.size(); }
    const std::vector<uint8_t>& Bytes() const { return m_Bytes; }

private:
    std::vector<uint8_t> m_Bytes;
};
