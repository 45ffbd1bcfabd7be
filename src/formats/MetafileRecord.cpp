#include "formats/MetafileRecord.h"

namespace metafile {

namespace {

// 0x80..0x9F of Windows-1252; the rest of the code page is Latin-1.
const char16_t kCp1252High[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                  0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

} // namespace

std::u32string AnsiText(const uint8_t* p, size_t n)
{
    std::u32string out;
    if (!p)
        return out;
    out.reserve(n);
    for (size_t i = 0; i < n; ++i)
        out += (p[i] >= 0x80 && p[i] < 0xA0) ? char32_t(kCp1252High[p[i] - 0x80]) : char32_t(p[i]);
    return out;
}

std::u32string Utf16Text(const uint8_t* p, size_t units)
{
    std::u32string out;
    if (!p)
        return out;
    out.reserve(units);
    for (size_t i = 0; i < units; ++i) {
        const char32_t c = GetLE16(p + 2 * i);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units) {
            const char32_t low = GetLE16(p + 2 * i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                out += 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::string AnsiName(const uint8_t* p, size_t n)
{
    std::string out;
    for (size_t i = 0; p && i < n && p[i]; ++i)
        out += static_cast<char>(p[i] < 0x80 ? p[i] : '?');
    return out;
}

} // namespace metafile
