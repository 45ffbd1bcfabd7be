// Bounds-checked reading of one metafile record: every read outside the
// record gives 0 (or null), so a record that lies about its contents can
// only draw nonsense, never read past its end.
#pragma once

#include "formats/MetafileGeometry.h"
#include "base/LittleEndian.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace metafile {

class CRecordView {
public:
    CRecordView(const uint8_t* data, size_t size) : m_Data(data), m_Size(size) {}

    size_t Size() const { return m_Size; }
    bool Has(size_t offset, size_t bytes) const { return offset <= m_Size && bytes <= m_Size - offset; }
    // Room for count items of itemSize bytes at offset, without overflow.
    bool HasItems(size_t offset, uint64_t count, size_t itemSize) const
    {
        return offset <= m_Size && count <= (m_Size - offset) / itemSize;
    }
    const uint8_t* Bytes(size_t offset, size_t bytes) const { return Has(offset, bytes) ? m_Data + offset : nullptr; }

    uint8_t U8(size_t offset) const { return Has(offset, 1) ? m_Data[offset] : 0; }
    uint16_t U16(size_t offset) const { return Has(offset, 2) ? GetLE16(m_Data + offset) : 0; }
    int16_t S16(size_t offset) const { return static_cast<int16_t>(U16(offset)); }
    uint32_t U32(size_t offset) const { return Has(offset, 4) ? GetLE32(m_Data + offset) : 0; }
    int32_t S32(size_t offset) const { return static_cast<int32_t>(U32(offset)); }
    float F32(size_t offset) const
    {
        const uint32_t bits = U32(offset);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }

private:
    const uint8_t* m_Data;
    size_t m_Size;
};

// Text of the records: 8-bit Windows-1252 and UTF-16LE (pairs joined).
std::u32string AnsiText(const uint8_t* p, size_t n);
std::u32string Utf16Text(const uint8_t* p, size_t units);
// A face name: up to n bytes or NUL.
std::string AnsiName(const uint8_t* p, size_t n);

} // namespace metafile
