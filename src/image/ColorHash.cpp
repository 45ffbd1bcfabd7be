#include "image/ColorHash.h"

#include "base/TextException.h"
#include "image/ColorHistogram.h"

#include <algorithm>
#include <bit>
#include <new>

namespace {

constexpr size_t kMinSlots = 1024;

} // namespace

CColorHash::CColorHash(size_t expected)
{
    // At most half full, so probes stay short.
    const size_t slots = std::bit_ceil(std::max(kMinSlots, expected * 2));
    m_Entries.assign(slots, Entry{kEmpty, -1});
    m_Mask = uint32_t(slots - 1);
    m_Shift = 32 - std::countr_zero(slots);
}

void CColorHash::Add(uint32_t key, int32_t value)
{
    uint32_t slot = Slot(key);
    for (;; slot = (slot + 1) & m_Mask) {
        Entry& e = m_Entries[slot];
        if (e.Key == key) {
            e.Value = value;
            return;
        }
        if (e.Key == kEmpty)
            break;
    }
    Insert(key, value);
}

void CColorHash::Grow()
{
    std::vector<Entry> old(m_Entries.size() * 2, Entry{kEmpty, -1});
    old.swap(m_Entries);
    m_Mask = uint32_t(m_Entries.size() - 1);
    m_Shift = 32 - std::countr_zero(m_Entries.size());
    for (const Entry& e : old) {
        if (e.Key == kEmpty)
            continue;
        uint32_t slot = Slot(e.Key);
        while (m_Entries[slot].Key != kEmpty)
            slot = (slot + 1) & m_Mask;
        m_Entries[slot] = e;
    }
}

CColorHash ColorHistToHash(const std::vector<ColorHistItem>& histogram)
{
    try {
        CColorHash hash(histogram.size());
        for (size_t i = 0; i < histogram.size(); ++i) {
            const ColorHistItem& item = histogram[i];
            if (hash.Insert(ColorKey(item.Blue, item.Green, item.Red), int32_t(i)) >= 0)
                throw CTextException(ErrInternal, "Same color found twice");
        }
        return hash;
    } catch (const std::bad_alloc&) {
        throw CTextException(ErrNoMemory, "Out of memory allocating hash table.");
    }
}
