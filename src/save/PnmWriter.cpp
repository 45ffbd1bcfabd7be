#include "save/PnmWriter.h"

#include "base/TextException.h"
#include "image/Bmp.h"
#include "save/RowPack.h"
#include "save/WriterFile.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace {

constexpr const char* kWriteError = "Error writing image.";

void WriteHeader(CWriterFile& file, char kind, const CBmp& bitmap)
{
    char header[64];
    const int n = std::snprintf(header, sizeof header, "P%c\n%d %d\n%d\n", kind, bitmap.Width, bitmap.Height, 255);
    file.Write(header, static_cast<size_t>(n));
}

// Each channel's share of the luma in extended precision.
struct LumaTables {
    std::array<long double, 256> Red, Green, Blue;
    LumaTables()
    {
        for (int v = 0; v < 256; ++v) {
            Red[v] = 0.299L * v;
            Green[v] = 0.587L * v;
            Blue[v] = 0.114L * v;
        }
    }
};

const LumaTables& Luma()
{
    static const LumaTables tables;
    return tables;
}

// Grey of blue, green, red: the luma rounded, in extended precision. The
// exact value (299 r + 587 g + 114 b + 500) / 1000 has the same floor unless
// it is a whole number, where the floating sum may fall just short of it;
// only those pixels take the floating path (checked for all 2^24 colours).
inline uint8_t Grey(uint8_t b, uint8_t g, uint8_t r)
{
    const unsigned n = 299u * r + 587u * g + 114u * b + 500u;
    if (n % 1000u != 0)
        return static_cast<uint8_t>(n / 1000u);
    const LumaTables& luma = Luma();
    return static_cast<uint8_t>(std::floor(luma.Red[r] + luma.Green[g] + luma.Blue[b] + 0.5L));
}

} // namespace

void WritePGM(const std::string& path, const CBmp& bitmap)
{
    CheckImageSize(bitmap, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max());
    CWriterFile file(path, kWriteError);
    WriteHeader(file, '5', bitmap);
    std::vector<uint8_t> row(static_cast<size_t>(bitmap.Width));
    for (int y = 0; y < bitmap.Height; ++y) {
        const uint8_t* p = bitmap.Lines[y];
        for (int x = 0; x < bitmap.Width; ++x, p += 4)
            row[x] = Grey(p[0], p[1], p[2]);
        file.Write(row.data(), row.size());
    }
    file.Commit();
}

void WritePPM(const std::string& path, const CBmp& bitmap)
{
    CheckImageSize(bitmap, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max());
    CWriterFile file(path, kWriteError);
    WriteHeader(file, '6', bitmap);
    std::vector<uint8_t> row(size_t(3) * static_cast<size_t>(bitmap.Width));
    for (int y = 0; y < bitmap.Height; ++y) {
        PackRgb(bitmap.Lines[y], row.data(), bitmap.Width);
        file.Write(row.data(), row.size());
    }
    file.Commit();
}
