#include "formats/GIFLzw.h"

#include <algorithm>
#include <cstring>

void CGIFLzwReader::Start(CByteSource& source, int minCodeSize)
{
    m_Source = &source;
    m_MinCodeSize = minCodeSize;
    m_ClearCode = 1 << minCodeSize;
    m_EndCode = m_ClearCode + 1;
    ResetTable();
    m_Fresh = true;
    m_Status = Running;

    m_Buffer[0] = m_Buffer[1] = 0;
    m_CurrentBit = 0;
    m_LastBit = 0;
    m_LastByte = 2;
    m_Done = false;
    m_ZeroBlockSeen = false;
}

void CGIFLzwReader::ResetTable()
{
    for (int i = 0; i < m_ClearCode; ++i) {
        m_Prefix[i] = 0;
        m_Suffix[i] = static_cast<uint8_t>(i);
    }
    std::fill(m_Prefix + m_ClearCode, m_Prefix + kTableSize, uint16_t(0));
    std::fill(m_Suffix + m_ClearCode, m_Suffix + kTableSize, uint8_t(0));
    m_CodeSize = m_MinCodeSize + 1;
    m_Limit = 2 * m_ClearCode;
    m_NextFree = m_ClearCode + 2;
    m_StackTop = 0;
}

// Appends the next data sub-block behind the two carried bytes; false when
// it was the zero-length block that ends the data.
bool CGIFLzwReader::ReadSubBlock()
{
    const size_t n = m_Source->ReadByte();
    const uint8_t* data = m_Source->ReadBytes(n);
    std::memcpy(m_Buffer + 2, data, n);
    std::memset(m_Buffer + 2 + n, 0, 4);
    m_LastByte = 2 + static_cast<int>(n);
    m_CurrentBit = m_CurrentBit - m_LastBit + 16;
    m_LastBit = m_LastByte * 8;
    return n != 0;
}

int CGIFLzwReader::GetCode()
{
    const int width = m_CodeSize;
    // Short sub-blocks may hold less than one code, so refill until it fits.
    while (m_CurrentBit + width > m_LastBit) {
        if (m_Done)
            return RanOff;
        m_Buffer[0] = m_Buffer[m_LastByte - 2];
        m_Buffer[1] = m_Buffer[m_LastByte - 1];
        if (!ReadSubBlock())
            m_Done = m_ZeroBlockSeen = true;
    }
    const uint8_t* p = m_Buffer + (m_CurrentBit >> 3);
    const uint32_t bits = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
    const int code = static_cast<int>((bits >> (m_CurrentBit & 7)) & ((1u << width) - 1));
    m_CurrentBit += width;
    return code;
}

// The first code of the data or after a clear code must be a pixel.
int CGIFLzwReader::FirstLiteral()
{
    int code;
    do
        code = GetCode();
    while (code == m_ClearCode);
    if (code < 0)
        return code;
    if (code == m_EndCode) {
        SkipRest();
        return Ended;
    }
    if (code > m_EndCode)
        return BadCode;
    m_FirstCode = m_PreviousCode = code;
    return code;
}

int CGIFLzwReader::NextValue()
{
    if (m_Fresh) {
        m_Fresh = false;
        return FirstLiteral();
    }
    if (m_StackTop > 0)
        return m_Stack[--m_StackTop];

    int code = GetCode();
    if (code < 0)
        return code;
    if (code == m_ClearCode) {
        ResetTable();
        return FirstLiteral();
    }
    if (code == m_EndCode) {
        SkipRest();
        return Ended;
    }

    const int incoming = code;
    if (code >= m_NextFree) {
        m_Stack[m_StackTop++] = static_cast<uint8_t>(m_FirstCode);
        code = m_PreviousCode;
    }
    while (code >= m_ClearCode) {
        if (m_StackTop >= kStackSize - 1)
            return Circular;
        m_Stack[m_StackTop++] = m_Suffix[code];
        code = m_Prefix[code];
    }
    m_FirstCode = m_Suffix[code];
    m_Stack[m_StackTop++] = static_cast<uint8_t>(m_FirstCode);

    if (m_NextFree < kTableSize) {
        m_Prefix[m_NextFree] = static_cast<uint16_t>(m_PreviousCode);
        m_Suffix[m_NextFree] = static_cast<uint8_t>(m_FirstCode);
        ++m_NextFree;
        if (m_NextFree >= m_Limit && m_Limit < kTableSize) {
            m_Limit *= 2;
            ++m_CodeSize;
        }
    }
    m_PreviousCode = incoming;
    return m_Stack[--m_StackTop];
}

size_t CGIFLzwReader::Read(uint8_t* out, size_t count)
{
    size_t n = 0;
    if (m_Status != Running)
        return 0;
    while (n < count) {
        if (m_StackTop > 0) {
            const size_t k = std::min(static_cast<size_t>(m_StackTop), count - n);
            for (size_t i = 0; i < k; ++i)
                out[n++] = m_Stack[--m_StackTop];
            continue;
        }
        const int value = NextValue();
        if (value < 0) {
            m_Status = static_cast<Status>(value);
            break;
        }
        out[n++] = static_cast<uint8_t>(value);
    }
    return n;
}

bool CGIFLzwReader::HasSurplusPixel()
{
    if (m_Status != Running)
        return false;
    const int value = NextValue();
    if (value >= 0)
        return true;
    m_Status = static_cast<Status>(value);
    return false;
}

void CGIFLzwReader::SkipRest()
{
    if (m_ZeroBlockSeen)
        return;
    for (;;) {
        const size_t n = m_Source->ReadByte();
        if (n == 0)
            break;
        m_Source->SkipBytes(n);
    }
    m_Done = m_ZeroBlockSeen = true;
}
