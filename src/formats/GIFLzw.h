// Variable-width LZW reader for the image data of GIF files: pulls the data
// sub-blocks from the byte source and hands out pixel indices.
#pragma once

#include "formats/ByteSource.h"

#include <cstddef>
#include <cstdint>

class CGIFLzwReader {
public:
    // Why the reader stopped handing out pixels.
    enum Status {
        Running = 0,
        RanOff = -1,   // the data sub-blocks ended before an end code
        Ended = -2,    // end code
        Circular = -3, // a table entry whose prefix chain never ends
        BadCode = -4,  // a code after a clear that is not a pixel
    };

    static constexpr int kMaxBits = 12;
    static constexpr int kTableSize = 1 << kMaxBits;

    // Starts the data of one image; minCodeSize is the byte before the data (1…8).
    void Start(CByteSource& source, int minCodeSize);

    // Writes up to count indices (each below 2^minCodeSize) and returns how
    // many; fewer means the data stopped, and GetStatus() tells why.
    size_t Read(uint8_t* out, size_t count);

    // One more value after the image is full: true when the data still holds a pixel.
    bool HasSurplusPixel();

    Status GetStatus() const { return m_Status; }

    // Moves the source behind the image's data (its zero-length sub-block)
    // when decoding stopped inside it.
    void SkipRest();

private:
    int NextValue();
    int GetCode();
    int FirstLiteral();
    bool ReadSubBlock();
    void ResetTable();

    CByteSource* m_Source = nullptr;
    int m_MinCodeSize = 0;
    int m_ClearCode = 0;
    int m_EndCode = 0;
    int m_CodeSize = 0;
    int m_NextFree = 0;
    int m_Limit = 0;
    int m_FirstCode = 0;
    int m_PreviousCode = 0;
    bool m_Fresh = true;
    Status m_Status = Running;

    // Two bytes carried over from the previous sub-block, one sub-block and
    // zeroed slack so a code can be read with one three-byte load.
    uint8_t m_Buffer[2 + 255 + 4] = {};
    int m_CurrentBit = 0;
    int m_LastBit = 0;
    int m_LastByte = 2;
    bool m_Done = false;
    bool m_ZeroBlockSeen = false;

    uint16_t m_Prefix[kTableSize] = {};
    uint8_t m_Suffix[kTableSize] = {};
    // A valid chain is shorter than the table; twice that marks a loop.
    static constexpr int kStackSize = 2 * kTableSize;
    uint8_t m_Stack[kStackSize] = {};
    int m_StackTop = 0;
};
