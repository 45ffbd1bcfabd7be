// Small 32-bit images for the geometry tests: every pixel distinct in all four
// bytes, so a pixel moved to the wrong place or without its alpha shows.
#pragma once

#include "image/WinBmp.h"
#include "ops/EditBmp.h"

#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace ops_test {

inline uint32_t Marked(int x, int y)
{
    return PackPixel(uint8_t(10 + x), uint8_t(20 + y), uint8_t(x * 7 + y * 3), uint8_t(100 + x + 16 * y));
}

inline void MakeMarked(CBmp& bmp, int width, int height, bool alpha = true)
{
    bmp.Create(width, height, 32, alpha);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bmp.Row32(y)[x] = Marked(x, y);
}

inline void MakeRandom(CBmp& bmp, int width, int height, unsigned seed, bool alpha = true)
{
    std::mt19937 random(seed);
    bmp.Create(width, height, 32, alpha);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bmp.Row32(y)[x] = random();
}

inline void MakeUniform(CBmp& bmp, int width, int height, uint32_t pixel, bool alpha = true)
{
    bmp.Create(width, height, 32, alpha);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bmp.Row32(y)[x] = pixel;
}

// A document whose image is a copy of bmp, as loaded.
inline void Load(CEditBmp& doc, const CBmp& bmp)
{
    auto image = std::make_unique<CWinBmp>();
    image->CopyFrom(bmp);
    image->SourceBitsPerPixel = 24;
    doc.reset(std::move(image), "test.png", false);
}

// Size, alpha flag and every pixel as one comparable value.
struct Snapshot {
    int Width = 0, Height = 0;
    bool HasAlpha = false;
    std::vector<uint32_t> Pixels;
    bool operator==(const Snapshot&) const = default;
};

inline Snapshot Snap(const CBmp& bmp)
{
    Snapshot s{bmp.Width, bmp.Height, bmp.HasAlpha, {}};
    for (int y = 0; y < bmp.Height; ++y)
        s.Pixels.insert(s.Pixels.end(), bmp.Row32(y), bmp.Row32(y) + bmp.Width);
    return s;
}

// Sets an environment variable for one scope and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_Name(name)
    {
        if (const char* old = std::getenv(name))
            m_Old = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (m_Old)
            setenv(m_Name, m_Old->c_str(), 1);
        else
            unsetenv(m_Name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_Name;
    std::optional<std::string> m_Old;
};

} // namespace ops_test
