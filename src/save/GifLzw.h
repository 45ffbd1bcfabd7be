// The variable-width LZW coder of GIF image data: codes of 3 to 12 bits,
// a clear code when the table is full, the output packed into data
// sub-blocks of up to 254 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CGifLzwEncoder {
public:
    // codeSize: the minimum code size byte of the image (2 to 8); pixels are
    // below 2^codeSize. Starts the data with a clear code.
    explicit CGifLzwEncoder(int codeSize);

    void Add(const uint8_t* indices, size_t count);
    // The last prefix, the end code, the bits left over and the last short
    // sub-block. Not the terminating zero-length sub-block.
    void Finish();

    // Sub-blocks (length byte and data) complete so far; the caller may
    // write and clear it at any time.
    std::vector<uint8_t> Output;

private:
    static constexpr int kHashSize = 5003;
    static constexpr int kMaxCodes = 4096;
    static constexpr int kBlockBytes = 254;

    void Put(int code);
    void Byte(uint8_t value)
    {
        m_Block[++m_BlockUsed] = value;
        if (m_BlockUsed == kBlockBytes)
            FlushBlock();
    }
    void FlushBlock();
    void ClearTable();

    int m_InitWidth;
    int m_ClearCode;
    int m_Width;
    int m_Limit;
    int m_Next;
    bool m_Clear = false;
    int m_Prefix = -1;  // no pixel yet
    uint64_t m_Accum = 0;
    int m_Bits = 0;
    uint8_t m_Block[kBlockBytes + 1];
    int m_BlockUsed = 0;
    // Key (pixel << 12 | prefix) and code of each string in the table; -1 empty.
    int32_t m_Keys[kHashSize];
    uint16_t m_Codes[kHashSize];
};
