// CColorHash: colour -> value (a palette index or a position in a colour
// list), as one flat open-addressed array, so that a look-up is a probe or two
// of one cache line instead of a walk along a chained bucket.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct ColorHistItem;

// The key of a colour: blue, green and red as the low three bytes of a pixel
// word; the alpha byte never takes part.
inline uint32_t ColorKey(uint32_t pixel)
{
    return pixel & 0x00FFFFFF;
}
inline uint32_t ColorKey(uint8_t blue, uint8_t green, uint8_t red)
{
    return uint32_t(blue) | (uint32_t(green) << 8) | (uint32_t(red) << 16);
}

class CColorHash {
public:
    // Room for about expected colours before the first growth.
    explicit CColorHash(size_t expected = 0);

    // The value of the colour, or -1 when it is not in the hash.
    int32_t Lookup(uint32_t key) const
    {
        for (uint32_t slot = Slot(key);; slot = (slot + 1) & m_Mask) {
            const Entry& e = m_Entries[slot];
            if (e.Key == key)
                return e.Value;
            if (e.Key == kEmpty)
                return -1;
        }
    }
    // Gives the colour this value, replacing the one it had. Growth may throw
    // std::bad_alloc; the hash is unchanged then.
    void Add(uint32_t key, int32_t value);
    // The colour's value when present; otherwise adds it with value and
    // returns -1.
    int32_t Insert(uint32_t key, int32_t value)
    {
        uint32_t slot = Slot(key);
        for (;; slot = (slot + 1) & m_Mask) {
            Entry& e = m_Entries[slot];
            if (e.Key == key)
                return e.Value;
            if (e.Key == kEmpty)
                break;
        }
        if ((m_Size + 1) * 2 > m_Entries.size()) {
            Grow();
            return Insert(key, value);
        }
        m_Entries[slot] = Entry{key, value};
        ++m_Size;
        return -1;
    }
    size_t Size() const { return m_Size; }

private:
    struct Entry {
        uint32_t Key;
        int32_t Value;
    };
    // No colour key has bits above the low 24.
    static constexpr uint32_t kEmpty = 0xFFFFFFFF;

    uint32_t Slot(uint32_t key) const { return (key * 0x9E3779B1u) >> m_Shift; }
    void Grow();

    std::vector<Entry> m_Entries;
    uint32_t m_Mask = 0;
    int m_Shift = 32;
    size_t m_Size = 0;
};

// A hash whose value for each colour of the list is its position there.
// Throws CTextException: code 7 "Same color found twice" when a colour is
// listed twice, code 10 "Out of memory allocating hash table." when the hash
// cannot be had.
CColorHash ColorHistToHash(const std::vector<ColorHistItem>& histogram);
