#include "image/ColorHistogram.h"

#include "base/ParallelRows.h"
#include "base/TextException.h"
#include "image/Bmp.h"
#include "image/ColorHash.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

namespace {

constexpr int kBuckets = 20023;
constexpr size_t kTableEntries = size_t(1) << 24;
// A band's counters are 32-bit: no band has more pixels than this.
constexpr int64_t kMaxBandPixels = int64_t(1) << 31;

// The bits of a byte spread to every third bit: blue, green and red
// interleaved give an index where colours that differ little lie close.
constexpr uint32_t SpreadBits(uint32_t v)
{
    uint32_t out = 0;
    for (int bit = 0; bit < 8; ++bit)
        out |= ((v >> bit) & 1u) << (3 * bit);
    return out;
}

constexpr std::array<uint32_t, 256> kSpread = [] {
    std::array<uint32_t, 256> spread{};
    for (uint32_t v = 0; v < 256; ++v)
        spread[v] = SpreadBits(v);
    return spread;
}();

uint32_t TableIndex(uint32_t key)
{
    return kSpread[key & 0xFF] | (kSpread[(key >> 8) & 0xFF] << 1) | (kSpread[(key >> 16) & 0xFF] << 2);
}

// Address space that the system hands out zeroed page by page as it is
// touched, so a table for a few colours costs a few pages.
struct FreeTable {
    void operator()(uint32_t* table) const { std::free(table); }
};
using TablePtr = std::unique_ptr<uint32_t, FreeTable>;

TablePtr NewTable()
{
    return TablePtr(static_cast<uint32_t*>(std::calloc(kTableEntries, sizeof(uint32_t))));
}

// One band of rows counted on its own: per colour a pixel count in the
// table, and the colours in the order met.
struct Band {
    TablePtr Table;
    std::vector<uint32_t> Keys;
    bool TooMany = false;
    bool NoMemory = false;
};

[[noreturn]] void OutOfMemory(const char* what)
{
    throw CTextException(ErrNoMemory, what);
}

} // namespace

int64_t ColorLimit(const CBmp& image)
{
    return std::min(int64_t(image.Width) * image.Height, kColorListLimit);
}

CColorTable::CColorTable() = default;

CColorTable::~CColorTable()
{
    Release();
}

void CColorTable::Release()
{
    std::free(m_Table);
    m_Table = nullptr;
    m_Colors.clear();
}

bool CColorTable::Build(const CBmp& image, int64_t maxColors, const uint8_t* levels)
{
    Release();
    uint8_t level[256];
    for (int v = 0; v < 256; ++v) {
        level[v] = levels ? levels[v] : uint8_t(v);
        m_Spread.Blue[v] = kSpread[level[v]];
        m_Spread.Green[v] = kSpread[level[v]] << 1;
        m_Spread.Red[v] = kSpread[level[v]] << 2;
    }
    const int width = image.Width, height = image.Height;
    const int64_t pixels = int64_t(width) * height;
    // One band per thread (a small image is one band), and enough bands that
    // none overflows its counters.
    int64_t bandCount = pixels < (int64_t(1) << 18) ? 1 : ParallelThreads();
    bandCount = std::max(bandCount, (pixels + kMaxBandPixels - 1) / kMaxBandPixels);
    bandCount = std::clamp<int64_t>(bandCount, 1, std::max(height, 1));
    std::vector<Band> bands;
    try {
        bands.resize(size_t(bandCount));
    } catch (const std::bad_alloc&) {
        OutOfMemory("Out of memory allocating hash table.");
    }
    std::atomic<bool> stop{false};
    const Spread& spread = m_Spread;
    ParallelRows(bandCount, pixels / bandCount, [&](int64_t first, int64_t end) {
        for (int64_t b = first; b < end; ++b) {
            Band& band = bands[size_t(b)];
            band.Table = NewTable();
            if (!band.Table) {
                band.NoMemory = true;
                stop = true;
                return;
            }
            uint32_t* table = band.Table.get();
            const int y0 = int(height * b / bandCount), y1 = int(height * (b + 1) / bandCount);
            try {
                for (int y = y0; y < y1 && !stop.load(std::memory_order_relaxed); ++y) {
                    const uint32_t* row = image.Row32(y);
                    for (int x = 0; x < width; ++x) {
                        const uint32_t p = row[x];
                        const uint32_t index =
                            spread.Blue[p & 0xFF] | spread.Green[(p >> 8) & 0xFF] | spread.Red[(p >> 16) & 0xFF];
                        if (table[index]++ != 0)
                            continue;
                        if (int64_t(band.Keys.size()) >= maxColors) {
                            band.TooMany = true;
                            stop = true;
                            return;
                        }
                        band.Keys.push_back(ColorKey(level[p & 0xFF], level[(p >> 8) & 0xFF], level[(p >> 16) & 0xFF]));
                    }
                }
            } catch (const std::bad_alloc&) {
                band.NoMemory = true;
                stop = true;
            }
        }
    });
    for (const Band& band : bands)
        if (band.NoMemory)
            OutOfMemory("Out of memory computing hash table.");
    for (const Band& band : bands)
        if (band.TooMany)
            return false;

    // Band by band, the colours not met in an earlier band follow in their
    // band's order: the first-appearance order of the whole image. The first
    // band's table becomes the table of positions (plus one; 0 is absent).
    m_Table = bands[0].Table.release();
    try {
        m_Colors.reserve(bands[0].Keys.size());
        for (size_t b = 0; b < bands.size(); ++b) {
            const uint32_t* counts = b == 0 ? m_Table : bands[b].Table.get();
            for (const uint32_t key : bands[b].Keys) {
                const uint32_t index = TableIndex(key);
                const int64_t count = counts[index];
                if (b > 0 && m_Table[index] != 0) {
                    m_Colors[m_Table[index] - 1].Count += count;
                    continue;
                }
                if (int64_t(m_Colors.size()) >= maxColors) {
                    Release();
                    return false;
                }
                m_Colors.push_back(ColorHistItem{uint8_t(key), uint8_t(key >> 8), uint8_t(key >> 16), 0, count});
                m_Table[index] = uint32_t(m_Colors.size());
            }
            bands[b] = Band();
        }
    } catch (const std::bad_alloc&) {
        Release();
        OutOfMemory("Out of memory computing hash table.");
    }
    return true;
}

ColorHistogram CColorTable::ListOrder() const
{
    try {
        // A counting sort by bucket; walking the colours from the last one
        // met puts the later first appearance first within a bucket.
        std::vector<uint32_t> start(kBuckets + 1, 0);
        for (const ColorHistItem& c : m_Colors)
            ++start[size_t(ColorBucket(c.Blue, c.Green, c.Red)) + 1];
        for (int b = 0; b < kBuckets; ++b)
            start[size_t(b) + 1] += start[size_t(b)];
        ColorHistogram list(m_Colors.size());
        for (size_t i = m_Colors.size(); i-- > 0;) {
            const ColorHistItem& c = m_Colors[i];
            list[start[size_t(ColorBucket(c.Blue, c.Green, c.Red))]++] = c;
        }
        return list;
    } catch (const std::bad_alloc&) {
        OutOfMemory("Out of memory generating histogram.");
    }
}

void CColorTable::AssignValues(const std::vector<uint32_t>& values)
{
    for (size_t i = 0; i < m_Colors.size() && i < values.size(); ++i) {
        const ColorHistItem& c = m_Colors[i];
        m_Table[TableIndex(ColorKey(c.Blue, c.Green, c.Red))] = values[i];
    }
}

bool ComputeColorHistogram(const CBmp& image, int64_t maxColors, ColorHistogram& histogram)
{
    histogram.clear();
    CColorTable table;
    if (!table.Build(image, maxColors))
        return false;
    histogram = table.ListOrder();
    return true;
}
