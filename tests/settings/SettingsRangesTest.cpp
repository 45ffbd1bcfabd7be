#include "settings/Settings.h"
#include "settings/SettingsLayout.h"
#include "settings/SettingsRanges.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <type_traits>
#include <unistd.h>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void SetAt(CSettings& s, int position, double value)
{
    ForEachSettingsValue(s, [&](int p, auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_arithmetic_v<T>)
            if (p == position)
                v = static_cast<T>(value);
    });
}

double At(const CSettings& s, int position)
{
    double found = kNaN;
    ForEachSettingsValue(s, [&](int p, const auto& v) {
        if constexpr (std::is_arithmetic_v<std::decay_t<decltype(v)>>)
            if (p == position)
                found = double(v);
    });
    return found;
}

} // namespace

TEST(SettingsRanges, ValuesReadOutsideTheirRangeGoBackToTheDefault)
{
    const struct { int position; double written; double read; } cases[] = {
        {51, 3, 2}, {51, -1, 2}, {51, 0, 0},          // rotate quality
        {52, 0, 45}, {52, 360, 45}, {52, 1, 1}, {52, 359, 359},
        {53, 2, 0}, {53, 1, 1},                      // rotate direction
        {54, 7, 7},                                  // a flag: anything but 0 is on
        {55, 90, 45}, {55, 0, 45}, {55, 89, 89},     // shear angle
        {56, -1, 0}, {56, 1, 1},                     // shear corner
        {57, 9, 0}, {57, 8, 8},                      // canvas anchor
        {59, -101, 0}, {61, 100, 100},               // colour balance
        {62, 256, 128}, {65, -1, 128},               // threshold, intensity offset
        {63, kNaN, 20}, {63, kInf, 20}, {63, 1000.5, 20}, {63, 1000, 1000},
        {64, 0, 1}, {64, 0.01, 0.01}, {64, -kInf, 1},  // intensity exponent
        {113, 4, 0}, {113, 3, 3},                    // image size unit
        {101, 11, 3}, {101, -1, 3}, {101, 10, 10},   // slide show delay
        {40, -1, 0}, {46, 0, 100}, {44, 0, 0},       // print margin, thumbnail, custom size
        {124, kNaN, 0.25}, {130, kInf, 1}, {130, -3.5, -3.5},  // floats: only finiteness
        {131, 300, 128},                             // solarize
        {71, 500, 500},                              // not ranged here
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "position " << c.position << " written " << c.written);
        CSettings written("/nonexistent");
        SetAt(written, c.position, c.written);
        const std::vector<uint8_t> bytes = written.ToFileBytes();
        CSettings read("/nonexistent");
        ASSERT_TRUE(read.FromFileBytes(bytes.data(), bytes.size()));
        EXPECT_EQ(At(read, c.position), c.read);
    }
}

TEST(SettingsRanges, EveryRangeHoldsItsDefault)
{
    const CSettings defaults;
    for (const SettingsRange& range : SettingsRanges()) {
        SCOPED_TRACE(range.Position);
        const double value = At(defaults, range.Position);
        EXPECT_GE(value, range.Low);
        EXPECT_LE(value, range.High);
    }
}

TEST(SettingsRanges, OlderTextFileIsCheckedToo)
{
    const std::string folder = testing::TempDir() + "oculane-ranges-" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    // Positions 2 to 53 of the older layout: rotate quality 7, angle 400, direction 1.
    std::string line;
    for (int p = 2; p <= 50; ++p)
        if (p != 6 && p != 21 && p != 22 && p != 23 && p != 29)
            line += "0 ";
    line += "7 400 1";
    std::ofstream(folder + "/oc.set") << line;
    CSettings s(folder);
    ASSERT_TRUE(s.LoadLegacy());
    EXPECT_EQ(s.RotateQuality, 2);
    EXPECT_EQ(s.RotateAngle, 45);
    EXPECT_EQ(s.RotateDirection, 1);
    std::filesystem::remove_all(folder);
}
