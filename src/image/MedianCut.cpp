#include "image/MedianCut.h"

#include "base/ParallelRows.h"
#include "base/TextException.h"
#include "image/ColorHash.h"

#include <algorithm>
#include <climits>
#include <new>

namespace {

struct Box {
    int64_t First;
    int64_t Colors;
    int64_t Sum;
};

// Channel c of a colour: 0 blue, 1 green, 2 red, as the bytes lie.
inline uint8_t Channel(const ColorHistItem& item, int c)
{
    return c == 0 ? item.Blue : c == 1 ? item.Green : item.Red;
}

// Sorts the items by channel `primary`, equal values by the other two in the
// order blue, green, red: least significant digit first, one counting pass
// per channel that is not constant over the box.
void SortBox(ColorHistItem* items, int64_t n, int primary, const int low[3], const int high[3],
             ColorHistItem* scratch)
{
    int order[3] = {primary, 0, 0};
    for (int c = 0, k = 1; c < 3; ++c)
        if (c != primary)
            order[k++] = c;
    ColorHistItem* from = items;
    ColorHistItem* to = scratch;
    for (int k = 2; k >= 0; --k) {
        const int c = order[k];
        if (low[c] == high[c])
            continue;
        int64_t start[257] = {};
        for (int64_t i = 0; i < n; ++i)
            ++start[Channel(from[i], c) + 1];
        for (int v = 0; v < 256; ++v)
            start[v + 1] += start[v];
        for (int64_t i = 0; i < n; ++i)
            to[start[Channel(from[i], c)]++] = from[i];
        std::swap(from, to);
    }
    if (from != items)
        std::copy(from, from + n, items);
}

// The map as three arrays, for a search the compiler can vectorise.
struct MapChannels {
    int Blue[kMedianCutColors], Green[kMedianCutColors], Red[kMedianCutColors];
    int Count;

    explicit MapChannels(const ColorMap& map) : Count(map.Count)
    {
        for (int i = 0; i < kMedianCutColors; ++i) {
            Blue[i] = map.Entries[size_t(i)].Blue;
            Green[i] = map.Entries[size_t(i)].Green;
            Red[i] = map.Entries[size_t(i)].Red;
        }
    }

    int Nearest(int blue, int green, int red) const
    {
        int distance[kMedianCutColors];
        for (int i = 0; i < Count; ++i) {
            const int db = Blue[i] - blue, dg = Green[i] - green, dr = Red[i] - red;
            distance[i] = db * db + dg * dg + dr * dr;
        }
        int best = INT_MAX;
        for (int i = 0; i < Count; ++i)
            best = std::min(best, distance[i]);
        for (int i = 0; i < Count; ++i)
            if (distance[i] == best)
                return i;  // the lowest index of the closest
        return 0;
    }
};

[[noreturn]] void OutOfMemory()
{
    throw CTextException(ErrNoMemory, "Out of memory.");
}

} // namespace

ColorMap MedianCut(ColorHistogram& colors, int64_t totalPixels, int maxval)
{
    ColorMap map;
    if (colors.empty())
        return map;
    std::vector<Box> boxes;
    std::vector<ColorHistItem> scratch;
    try {
        boxes.reserve(kMedianCutColors);
        scratch.resize(colors.size());
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    }
    boxes.push_back(Box{0, int64_t(colors.size()), totalPixels});
    while (boxes.size() < size_t(kMedianCutColors)) {
        auto box = std::find_if(boxes.begin(), boxes.end(), [](const Box& b) { return b.Colors >= 2; });
        if (box == boxes.end())
            break;
        ColorHistItem* items = colors.data() + box->First;
        const int64_t n = box->Colors;
        int low[3] = {255, 255, 255}, high[3] = {0, 0, 0};
        for (int64_t i = 0; i < n; ++i) {
            for (int c = 0; c < 3; ++c) {
                low[c] = std::min<int>(low[c], Channel(items[i], c));
                high[c] = std::max<int>(high[c], Channel(items[i], c));
            }
        }
        const double blue = (high[0] - low[0]) * 0.114;
        const double green = (high[1] - low[1]) * 0.587;
        const double red = (high[2] - low[2]) * 0.299;
        const int primary = blue >= green && blue >= red ? 0 : green >= red ? 1 : 2;
        SortBox(items, n, primary, low, high, scratch.data());

        int64_t lower = items[0].Count;
        const int64_t half = box->Sum / 2;
        int64_t i = 1;
        while (i < n - 1 && lower < half)
            lower += items[i++].Count;
        const Box split{box->First + i, n - i, box->Sum - lower};
        box->Colors = i;
        box->Sum = lower;
        boxes.push_back(split);
        std::stable_sort(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) { return a.Sum > b.Sum; });
    }

    map.Count = int(boxes.size());
    for (size_t b = 0; b < boxes.size(); ++b) {
        int64_t sum[3] = {0, 0, 0}, count = 0;
        for (int64_t i = boxes[b].First; i < boxes[b].First + boxes[b].Colors; ++i) {
            const ColorHistItem& item = colors[size_t(i)];
            sum[0] += item.Count * item.Blue;
            sum[1] += item.Count * item.Green;
            sum[2] += item.Count * item.Red;
            count += item.Count;
        }
        uint8_t value[3];
        for (int c = 0; c < 3; ++c)
            value[c] = uint8_t(std::min<int64_t>(count ? sum[c] / count : 0, maxval));
        map.Entries[b] = PaletteEntry{value[0], value[1], value[2], 255};
    }
    return map;
}

int NearestColor(const ColorMap& map, uint8_t blue, uint8_t green, uint8_t red)
{
    return MapChannels(map).Nearest(blue, green, red);
}

void QuantizeImage(const CBmp& source, CBmp& target)
{
    const int64_t limit = ColorLimit(source);
    // While there are too many colours every channel loses levels; the table
    // composes the steps, so the pixels are only read until the mapping.
    uint8_t levels[256];
    for (int v = 0; v < 256; ++v)
        levels[v] = uint8_t(v);
    int maxval = 255;
    bool reduced = false;
    CColorTable table;
    while (!table.Build(source, limit, reduced ? levels : nullptr)) {
        // Eight colours at one level per channel always fit: never below 1.
        if (maxval <= 1)
            throw CTextException(ErrInternal, "Internal error.");
        const int newmax = maxval / 2;
        for (int v = 0; v < 256; ++v)
            levels[v] = uint8_t((maxval / 2 + levels[v] * newmax) / maxval);
        maxval = newmax;
        reduced = true;
    }

    const ColorHistogram& distinct = table.Colors();
    std::vector<uint32_t> output;
    ColorMap map;
    try {
        ColorHistogram colors(distinct);
        map = MedianCut(colors, int64_t(source.Width) * source.Height, maxval);
        output.resize(distinct.size());
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    }

    // Back to 0…255, rounded: the top level is white again.
    uint8_t scale[256] = {};
    for (int v = 0; v <= maxval; ++v)
        scale[v] = uint8_t((v * 255 + maxval / 2) / maxval);
    const MapChannels channels(map);
    // The nearest map entry once per distinct colour, not per pixel.
    ParallelRows(int64_t(distinct.size()), kMedianCutColors, [&](int64_t first, int64_t end) {
        for (int64_t i = first; i < end; ++i) {
            const ColorHistItem& c = distinct[size_t(i)];
            const PaletteEntry& e = map.Entries[size_t(channels.Nearest(c.Blue, c.Green, c.Red))];
            output[size_t(i)] = ColorKey(scale[e.Blue], scale[e.Green], scale[e.Red]);
        }
    });

    table.AssignValues(output);
    const int width = source.Width;
    ParallelRows(source.Height, width, [&](int64_t y0, int64_t y1) {
        for (int64_t y = y0; y < y1; ++y) {
            const uint32_t* in = source.Row32(int(y));
            uint32_t* out = target.Row32(int(y));
            for (int x = 0; x < width; ++x)
                out[x] = (in[x] & 0xFF000000) | table.Value(in[x]);
        }
    });
}
