// Colour registers an IFF image changes from one row to the next: the PCHG
// chunk (small or big changes, plain or Huffman-packed), SHAM and CTBL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CIffLineColours {
public:
    struct Change {
        int Row;           // the change holds from this row on
        uint16_t Register;
        uint8_t Red, Green, Blue;
    };

    // Reads a PCHG chunk. A chunk that cannot be read whole is dropped and
    // the image keeps its colour map; false then.
    bool ReadPchg(const uint8_t* data, size_t size);
    // Reads a SHAM chunk: 16 registers for every row (or every two rows of
    // an interlaced picture with half as many entries) of an image height rows high.
    bool ReadSham(const uint8_t* data, size_t size, int height);
    // Reads a CTBL chunk: the rows of a SHAM chunk without its version word.
    bool ReadCtbl(const uint8_t* data, size_t size, int height);

    bool Empty() const { return m_Changes.empty(); }
    const std::vector<Change>& Changes() const { return m_Changes; }

    // Hands the changes that hold at row y (rows are visited from the top)
    // to apply; true when there were any.
    template <typename Apply>
    bool AdvanceTo(int y, Apply&& apply)
    {
        bool any = false;
        for (; m_Next < m_Changes.size() && m_Changes[m_Next].Row <= y; ++m_Next, any = true)
            apply(m_Changes[m_Next]);
        return any;
    }

private:
    bool ReadRowPalettes(const uint8_t* data, size_t size, int height);

    std::vector<Change> m_Changes; // by row
    size_t m_Next = 0;
};

// Expands the Huffman-packed data of a PCHG chunk. tree holds words read
// from its last; false when the bits or the tree run out before size bytes.
bool UnpackPchgHuffman(const uint8_t* tree, size_t treeBytes, const uint8_t* bits, size_t bitBytes, uint8_t* out,
                       size_t size);
