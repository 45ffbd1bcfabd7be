#include "save/GifLzw.h"

#include <algorithm>

CGifLzwEncoder::CGifLzwEncoder(int codeSize)
    : m_InitWidth(codeSize + 1), m_ClearCode(1 << codeSize), m_Width(m_InitWidth),
      m_Limit((1 << m_InitWidth) - 1), m_Next(m_ClearCode + 2)
{
    ClearTable();
    Put(m_ClearCode);
}

void CGifLzwEncoder::ClearTable()
{
    std::fill(std::begin(m_Keys), std::end(m_Keys), -1);
}

void CGifLzwEncoder::Add(const uint8_t* indices, size_t count)
{
    size_t k = 0;
    if (m_Prefix < 0) {
        if (count == 0)
            return;
        m_Prefix = indices[k++];
    }
    int prefix = m_Prefix;
    for (; k < count; ++k) {
        const int c = indices[k];
        const int32_t key = (c << 12) | prefix;
        int i = (c << 4) ^ prefix;  // below 4096 < kHashSize
        if (m_Keys[i] == key) {
            prefix = m_Codes[i];
            continue;
        }
        if (m_Keys[i] >= 0) {
            // Secondary probe by a step that depends on the first slot.
            const int step = i == 0 ? 1 : kHashSize - i;
            bool found = false;
            do {
                i -= step;
                if (i < 0)
                    i += kHashSize;
                if (m_Keys[i] == key) {
                    found = true;
                    break;
                }
            } while (m_Keys[i] >= 0);
            if (found) {
                prefix = m_Codes[i];
                continue;
            }
        }
        Put(prefix);
        prefix = c;
        if (m_Next < kMaxCodes) {
            m_Codes[i] = uint16_t(m_Next++);
            m_Keys[i] = key;
        } else {
            ClearTable();
            m_Next = m_ClearCode + 2;
            m_Clear = true;
            Put(m_ClearCode);
        }
    }
    m_Prefix = prefix;
}

void CGifLzwEncoder::Put(int code)
{
    m_Accum |= uint64_t(code) << m_Bits;
    m_Bits += m_Width;
    while (m_Bits >= 8) {
        Byte(uint8_t(m_Accum));
        m_Accum >>= 8;
        m_Bits -= 8;
    }
    // The decoder widens its codes one entry later than the table grows
    // here, so the width follows the next free code after each output.
    if (m_Clear) {
        m_Width = m_InitWidth;
        m_Limit = (1 << m_Width) - 1;
        m_Clear = false;
    } else if (m_Next > m_Limit) {
        ++m_Width;
        m_Limit = m_Width == 12 ? kMaxCodes : (1 << m_Width) - 1;
    }
}

void CGifLzwEncoder::Finish()
{
    if (m_Prefix >= 0)
        Put(m_Prefix);
    Put(m_ClearCode + 1);
    while (m_Bits > 0) {
        Byte(uint8_t(m_Accum));
        m_Accum >>= 8;
        m_Bits -= 8;
    }
    m_Bits = 0;
    FlushBlock();
}

void CGifLzwEncoder::FlushBlock()
{
    if (m_BlockUsed == 0)
        return;
    m_Block[0] = uint8_t(m_BlockUsed);
    Output.insert(Output.end(), m_Block, m_Block + m_BlockUsed + 1);
    m_BlockUsed = 0;
}
