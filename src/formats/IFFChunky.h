// Bodies of IFF images stored other than as bit planes: FORM PBM (one index
// byte a pixel) and FORM RGB8 / RGBN (run-length packets of whole colours),
// and the ByteRun1 rows all compressed IFF bodies share.
#pragma once

#include "formats/ByteSource.h"
#include "image/Bmp.h"

#include <atomic>
#include <cstdint>
#include <vector>

// Unpacks one ByteRun1 row of size bytes; code 6 when a run overruns it.
void UnpackByteRun1(CByteSource& body, uint8_t* dst, size_t size);

// The index rows of a PBM body, one after the other. Rows are padded to an
// even length, except in an unpacked body exactly width × height bytes long.
class CIffPbmRows {
public:
    CIffPbmRows(CByteSource& body, int width, int height, bool compressed, const std::atomic<bool>* abort);
    const uint8_t* Next();
    // The least body the rows need.
    static uint64_t LeastBody(int width, int height, bool compressed);

private:
    CByteSource& m_Body;
    size_t m_RowBytes;
    bool m_Compressed;
    std::vector<uint8_t> m_Row;
    const std::atomic<bool>* m_Abort;
};

// Decodes RGB8 (8-bit guns, 4-byte packets) or, with nibbles, RGBN (4-bit
// guns, 2-byte packets) into a 32-bit bitmap. Runs go on across rows.
void DecodeIffRgbPackets(CBmp& bitmap, CByteSource& body, bool nibbles, const std::atomic<bool>* abort);
// The least body that can fill pixels pixels with packets.
uint64_t LeastRgbPacketBody(uint64_t pixels, bool nibbles);
