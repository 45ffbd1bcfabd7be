// The distinct colours of a 32-bit image with their pixel counts: what the
// colour count, the histogram, contrast, the median cut and the palette
// writers are built on.
#pragma once

#include <cstdint>
#include <vector>

class CBmp;

struct ColorHistItem {
    uint8_t Blue;
    uint8_t Green;
    uint8_t Red;
    uint8_t Unused;
    int64_t Count;  // pixels of this colour; 64 bits, an image may hold more than 2^31
};
using ColorHistogram = std::vector<ColorHistItem>;

// The most distinct colours the count, the histogram, contrast and the
// quantizer will list.
constexpr int64_t kColorListLimit = 800000;
// Their limit for this image: min(width × height, 800000), whatever depth the
// file had, so an image never has more colours than its limit only because
// an operation added some.
int64_t ColorLimit(const CBmp& image);

// Bucket of a colour in the list order (the buckets of the chained hash the
// palette order of our files has always come from).
inline int ColorBucket(uint8_t blue, uint8_t green, uint8_t red)
{
    return int((blue * 33023u + green * 30013u + red * 27011u) % 20023u);
}

// CColorTable: the distinct colours in the order they first appear (rows from
// the top, pixels from the left), each with its pixel count. Counting is one
// pass over the pixels with a flat table indexed by the colour's bits
// interleaved, so that similar colours lie close together and a photo stays
// in the cache (the table is 64 MiB of address space, of which only the pages
// of colours met are touched). The image is split into bands counted on
// their own and merged in band order, which gives the same first-appearance
// order for any thread count.
class CColorTable {
public:
    CColorTable();
    ~CColorTable();
    CColorTable(const CColorTable&) = delete;
    CColorTable& operator=(const CColorTable&) = delete;

    // Counts the colours of a 32-bit image, each channel value first passed
    // through levels when given (256 entries). False as soon as more than
    // maxColors are found; the table is then empty. Throws CTextException
    // code 10 "Out of memory computing hash table." when memory runs out.
    bool Build(const CBmp& image, int64_t maxColors, const uint8_t* levels = nullptr);

    // First-appearance order.
    const ColorHistogram& Colors() const { return m_Colors; }

    // The list order: by increasing bucket; in one bucket, the colour that
    // first appeared later comes first. Throws CTextException code 10 "Out of
    // memory generating histogram.".
    ColorHistogram ListOrder() const;

    // Gives the colour at each position of Colors() the value at the same
    // position (values.size() == Colors().size()); Value() then reads it for
    // a pixel, through the levels of the last Build.
    void AssignValues(const std::vector<uint32_t>& values);
    uint32_t Value(uint32_t pixel) const { return m_Table[Index(pixel)]; }

private:
    struct Spread {
        uint32_t Blue[256], Green[256], Red[256];
    };
    uint32_t Index(uint32_t pixel) const
    {
        return m_Spread.Blue[pixel & 0xFF] | m_Spread.Green[(pixel >> 8) & 0xFF] | m_Spread.Red[(pixel >> 16) & 0xFF];
    }
    void Release();

    Spread m_Spread;
    uint32_t* m_Table = nullptr;  // 2^24 entries
    ColorHistogram m_Colors;
};

// The image's distinct colours in list order; false (histogram empty) when it
// has more than maxColors. Throws as CColorTable does.
bool ComputeColorHistogram(const CBmp& image, int64_t maxColors, ColorHistogram& histogram);
