#include "settings/SettingsRanges.h"

#include "settings/Settings.h"
#include "settings/SettingsLayout.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <type_traits>

namespace {

// Choices by the number of their items; numbers as their dialogs allow them.
// Flags are not listed: any value other than 0 means on.
constexpr SettingsRange kRanges[] = {
    {2, 0, 2},        // Preview placement
    {32, 0, 2},       // Print Setup: vertical position
    {33, 0, 2},       // horizontal position
    {38, 0, 2},       // caption alignment
    {39, 0, 1},       // caption position
    {40, 0, 100000},  // margins, in 0.01 inch (up to 1000 inches)
    {41, 0, 100000},
    {42, 0, 100000},
    {43, 0, 100000},
    {44, 0, 100000},  // custom size; 0 means the image's own
    {45, 0, 100000},
    {46, 1, 100000},  // thumbnail size
    {47, 1, 100000},
    {48, 0, 1},       // thumbnail source
    {51, 0, 2},       // Rotate: image quality
    {52, 1, 359},     // Rotate: angle
    {53, 0, 1},       // Rotate: direction
    {55, 1, 89},      // Shear: angle
    {56, 0, 1},       // Shear: corner
    {57, 0, 8},       // Canvas Size: anchor
    {59, -100, 100},  // Color Balance: red
    {60, -100, 100},  // green
    {61, -100, 100},  // blue
    {62, 0, 255},     // Threshold: level
    {63, 0, 1000},    // Intensity: intensity
    {64, 0.01, 100},  // Intensity: exponent
    {65, 0, 255},     // Intensity: offset
    {66, 0, 11},      // Convert: format list index
    {68, 0, 3},       // Convert: overwrite existing
    {73, 0, 2},       // TIFF Options: compression
    {74, 0, 1},       // BMP Options: pixel depth
    {78, 0, 2},       // TGA Options: pixel depth
    {79, 0, 1},       // PCX Options: pixel depth
    {83, 0, 2},       // RAS Options: pixel depth (32 bpp writes 24)
    {99, 0, 3},       // Filing: overwrite existing
    {101, 0, 10},     // Slide Show: delay in seconds
    {102, 0, 1},      // position
    {103, 0, 2},      // image size
    {104, 0, 2},      // sequence
    {112, 0, 2},      // File size unit
    {113, 0, 3},      // Image size unit
    {128, 2, 6},      // DDS Options: block format code
    {129, 0, 8},      // NormalMap Filter: generation method
    {131, 0, 255},    // Solarize: threshold
};

} // namespace

std::span<const SettingsRange> SettingsRanges()
{
    return kRanges;
}

const SettingsRange* FindSettingsRange(int position)
{
    for (const SettingsRange& range : kRanges)
        if (range.Position == position)
            return &range;
    return nullptr;
}

void CSettings::ReplaceInvalidValues()
{
    // Every number of the record fits a double exactly.
    std::map<int, double> defaults;
    const CSettings fresh;
    ForEachSettingsValue(fresh, [&](int position, const auto& v) {
        if constexpr (std::is_arithmetic_v<std::decay_t<decltype(v)>>)
            defaults[position] = double(v);
    });
    ForEachSettingsValue(*this, [&](int position, auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_arithmetic_v<T>) {
            const double value = double(v);
            const SettingsRange* range = FindSettingsRange(position);
            if (!std::isfinite(value) || (range && (value < range->Low || value > range->High)))
                v = static_cast<T>(defaults[position]);
        }
    });
}
