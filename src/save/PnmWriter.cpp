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

// Each channel's share of the luma, in extended precision; the sum for a
// pixel is taken in the same order as the formula, so every grey is the
// formula's own rounding.
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

} // namespace

void WritePGM(const std::string& path, const CBmp& bitmap)
{
    CheckImageSize(bitmap, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max());
    static const LumaTables luma;
    CWriterFile file(path, kWriteError);
    WriteHeader(file, '5', bitmap);
    std::vector<uint8_t> row(static_cast<size_t>(bitmap.Width));
    for (int y = 0; y < bitmap.Height; ++y) {
        const uint8_t* p = bitmap.Lines[y];
        for (int x = 0; x < bitmap.Width; ++x, p += 4)
            row[x] = static_cast<uint8_t>(std::floor(luma.Red[p[2]] + luma.Green[p[1]] + luma.Blue[p[0]] + 0.5L));
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
