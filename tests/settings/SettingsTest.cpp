#include "settings/Settings.h"
#include "settings/SettingsLayout.h"
#include "settings/SettingsRanges.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

// A fresh settings file: 128 four-byte values, two doubles, "bmp" and an empty home folder.
constexpr size_t kFreshFileSize = 128 * 4 + 2 * 8 + (4 + 3) + 4;
// Where the values after the "bmp" string and after the two doubles start.
size_t OffsetOf(int position)
{
    if (position <= 29)
        return 4 * size_t(position - 1);
    if (position <= 63)
        return 119 + 4 * size_t(position - 30);
    if (position == 64)
        return 259;
    return 267 + 4 * size_t(position - 65);
}

Bytes ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void WriteText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

uint32_t U32At(const Bytes& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

int32_t IntAt(const CSettings& s, int position)
{
    int32_t found = INT32_MIN;
    ForEachSettingsValue(s, [&](int p, const auto& v) {
        if constexpr (std::is_same_v<std::decay_t<decltype(v)>, int32_t>)
            if (p == position)
                found = v;
    });
    return found;
}

// A value of the range other than the default, varying with the position.
double RangedValue(const SettingsRange& range, double defaultValue)
{
    const double value = range.Low + std::fmod(range.Position * 7.0, range.High - range.Low);
    return value == defaultValue ? range.High : value;
}

// Every value of the file different from its default and from its neighbours,
// within its range where it has one.
void ChangeEveryValue(CSettings& s)
{
    ForEachSettingsValue(s, [](int p, auto& v) {
        using T = std::decay_t<decltype(v)>;
        const SettingsRange* range = FindSettingsRange(p);
        if constexpr (std::is_same_v<T, std::string>)
            v = p == 29 ? "pict" : "/home/ann/Bilder \xc3\xa4";
        else if (range)
            v = static_cast<T>(RangedValue(*range, double(v)));
        else if constexpr (std::is_same_v<T, int32_t>)
            v = (p % 2 ? -1000 : 1000) * p;
        else
            v = static_cast<T>(-0.125 * p);
    });
}

// The positions of the older text file, in its order.
std::vector<int> LegacyPositions()
{
    std::vector<int> out;
    for (int p = 2; p <= 113; ++p)
        if (p != 6 && p != 21 && p != 22 && p != 23 && p != 29 && p != 63 && p != 64)
            out.push_back(p);
    return out;
}

class SettingsFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::path(testing::TempDir()) / "oculane-settings-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_Dir = pattern;
    }
    void TearDown() override
    {
        chmod(m_Dir.c_str(), 0700);
        std::error_code ec;
        fs::remove_all(m_Dir, ec);
    }
    fs::path SetPath() const { return m_Dir / "oc18.set"; }
    fs::path LegacyPath() const { return m_Dir / "oc.set"; }
    bool OnlyFileIs(const char* name) const
    {
        std::vector<fs::path> files(fs::directory_iterator(m_Dir), {});
        return files.size() == 1 && files[0].filename() == name;
    }

    fs::path m_Dir;
};

TEST(SettingsRecord, FreshRecordHoldsTheDefaults)
{
    CSettings s("/nonexistent");
    EXPECT_EQ(s.EnablePreview, 1);
    EXPECT_EQ(s.PreviewShrink, 1);
    EXPECT_EQ(s.PreviewEnlarge, 0);
    EXPECT_EQ(s.SlideDelay, 3);
    EXPECT_EQ(s.OverwriteExisting, 0);
    EXPECT_EQ(s.DdsFormat, 2);
    EXPECT_EQ(s.JpegQuality, 60);
    EXPECT_EQ(s.PictRle, 1);
    EXPECT_EQ(s.CompareExtension, "bmp");
    EXPECT_EQ(s.IntensityIntensity, 20.0);
    EXPECT_EQ(s.HomeFolder, "");
    EXPECT_EQ(s.PrintSize, 0);
    EXPECT_EQ(s.BorderHorizontalOrientation, 1);
    EXPECT_EQ(s.BorderVerticalOrientation, 1);
    EXPECT_EQ(s.BorderOperation, 1);
    EXPECT_EQ(s.BackgroundColor, 0u);

    ChangeEveryValue(s);
    s.BackgroundColor = 0x00123456;
    s.SetDefaults();
    EXPECT_EQ(s.ToFileBytes(), CSettings().ToFileBytes());
    EXPECT_EQ(s.BackgroundColor, 0u);
    EXPECT_EQ(s.Folder(), "/nonexistent");
}

TEST(SettingsRecord, AssociationLookup)
{
    const struct { const char* ext; int index; } cases[] = {
        {"bmp", 0}, {"emf", 1}, {".JPG", 6}, {"Tif", 15}, {"wmf", 16}, {"dds", 17},
        {"psd", 18}, {"jpeg", -1}, {"", -1}, {".", -1}, {"bmpx", -1},
    };
    CSettings s("/nonexistent");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ext);
        EXPECT_EQ(CSettings::AssociationIndex(c.ext), c.index);
        EXPECT_EQ(s.FindAssociation(c.ext), c.index < 0 ? nullptr : &s.Associate[c.index]);
    }
}

TEST_F(SettingsFileTest, FreshFileLayout)
{
    ASSERT_TRUE(CSettings(m_Dir.string()).Save());
    Bytes b = ReadBytes(SetPath());
    ASSERT_EQ(b.size(), kFreshFileSize);

    const struct { int position; uint32_t value; } ints[] = {
        {1, 180}, {2, 0}, {5, 1}, {23, 1}, {28, 1}, {29, 3}, {30, 1}, {46, 100}, {52, 45},
        {62, 128}, {65, 128}, {71, 60}, {75, 60}, {81, 1}, {84, 1}, {101, 3}, {113, 0},
        {119, 1}, {120, 3}, {124, 0x3E800000}, {125, 0x3F000000}, {128, 2}, {129, 1},
        {130, 0x3F800000}, {131, 128}, {132, 0},
    };
    for (const auto& v : ints)
        EXPECT_EQ(U32At(b, OffsetOf(v.position)), v.value) << "position " << v.position;
    EXPECT_EQ(std::string(b.begin() + 116, b.begin() + 119), "bmp");
    // 20.0 and 1.0 as little-endian doubles.
    EXPECT_EQ(Bytes(b.begin() + 251, b.begin() + 267),
              (Bytes{0, 0, 0, 0, 0, 0, 0x34, 0x40, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
    EXPECT_TRUE(OnlyFileIs("oc18.set"));
}

TEST_F(SettingsFileTest, EveryValueSurvivesSaveAndLoad)
{
    CSettings saved(m_Dir.string());
    ChangeEveryValue(saved);
    saved.IntensityIntensity = 1e-300;
    saved.HomeFolder = "";
    ASSERT_TRUE(saved.Save());

    // An empty home folder ends the file with a count of 0 and no characters.
    Bytes b = ReadBytes(SetPath());
    ASSERT_GE(b.size(), 8u);
    EXPECT_EQ(U32At(b, b.size() - 4), 0u);
    EXPECT_EQ(U32At(b, b.size() - 8), static_cast<uint32_t>(saved.SolarizeThreshold));

    CSettings loaded(m_Dir.string());
    loaded.PrintSize = 2;
    loaded.BackgroundColor = 0x00FF8000;
    ASSERT_TRUE(loaded.Load());
    EXPECT_EQ(loaded.ToFileBytes(), b);
    EXPECT_EQ(loaded.IntensityIntensity, 1e-300);
    EXPECT_EQ(loaded.CompareExtension, "pict");
    EXPECT_EQ(loaded.NormalMapScale, -0.125f * 130);
    EXPECT_EQ(loaded.DdsFormat, saved.DdsFormat);
    // Values outside the file are the session's own.
    EXPECT_EQ(loaded.PrintSize, 2);
    EXPECT_EQ(loaded.BackgroundColor, 0x00FF8000u);
}

TEST_F(SettingsFileTest, CutOrDamagedFileChangesNothing)
{
    CSettings other(m_Dir.string());
    ChangeEveryValue(other);
    const Bytes full = other.ToFileBytes();
    const size_t after113 = OffsetOf(113) + 4 + 1;  // "pict" is one longer than "bmp"

    Bytes hugeCount = full;
    hugeCount[full.size() - 19 - 1] = 0x7F;  // home folder count far beyond the end
    const struct { const char* what; Bytes bytes; } cases[] = {
        {"empty", {}},
        {"inside the version", Bytes(full.begin(), full.begin() + 3)},
        {"after the version", Bytes(full.begin(), full.begin() + 4)},
        {"inside a string count", Bytes(full.begin(), full.begin() + 114)},
        {"inside a string", Bytes(full.begin(), full.begin() + 118)},
        {"inside a double", Bytes(full.begin(), full.begin() + OffsetOf(63) + 5)},
        {"after position 113", Bytes(full.begin(), full.begin() + after113)},
        {"one byte short", Bytes(full.begin(), full.end() - 1)},
        {"string count beyond the end", hugeCount},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(SetPath(), c.bytes);
        CSettings s(m_Dir.string());
        s.SlideDelay = 9;
        const Bytes before = s.ToFileBytes();
        EXPECT_FALSE(s.Load());
        EXPECT_EQ(s.ToFileBytes(), before);
    }

    // A damaged file is not a missing one: the older file is not consulted.
    WriteText(LegacyPath(), "2 1");
    CSettings s(m_Dir.string());
    EXPECT_FALSE(s.Load());
    EXPECT_EQ(s.PreviewPlacement, 0);
}

TEST_F(SettingsFileTest, CountsAndSizesAtTheEdges)
{
    Bytes b = CSettings().ToFileBytes();
    // A negative count reads as an empty string with no characters.
    b.erase(b.begin() + 116, b.begin() + 119);
    b[112] = b[113] = b[114] = b[115] = 0xFF;
    b.push_back(0x42);  // extra bytes after the last value are ignored
    WriteBytes(SetPath(), b);
    CSettings s(m_Dir.string());
    ASSERT_TRUE(s.Load());
    EXPECT_EQ(s.CompareExtension, "");
    EXPECT_EQ(s.ComparePreviewSource, 1);
    EXPECT_EQ(s.SolarizeThreshold, 128);

    b.resize(CSettings::kMaxFileSize + 1);
    WriteBytes(SetPath(), b);
    EXPECT_FALSE(s.Load());
}

TEST_F(SettingsFileTest, MissingFileFallsBackToTheOlderTextFile)
{
    // Single digits by default; some longer and negative numbers where they belong.
    auto value = [](int p) {
        switch (p) {
        case 46: return 128;
        case 52: return 45;
        case 53: return 1;
        case 56: return 1;
        case 59: return -20;
        case 62: return 200;
        default: {
            // In range where the position has one, so it is read back as written.
            const SettingsRange* range = FindSettingsRange(p);
            const int digit = p % 10;
            return range && (digit < range->Low || digit > range->High) ? int(RangedValue(*range, digit)) : digit;
        }
        }
    };
    std::string line;
    for (int p : LegacyPositions())
        line += std::to_string(value(p)) + " ";
    WriteText(LegacyPath(), line + "\r\nsecond line is not read 7 7 7\n");

    CSettings s(m_Dir.string());
    ASSERT_TRUE(s.Load());
    for (int p : LegacyPositions())
        EXPECT_EQ(IntAt(s, p), value(p)) << "position " << p;
    EXPECT_EQ(s.PrintThumbnailWidth, 128);
    EXPECT_EQ(s.ImageSizeUnit, 3);
    EXPECT_EQ(*s.FindAssociation("pcx"), 4);  // position 14
    for (const char* later : {"emf", "wmf", "dds", "psd"})
        EXPECT_EQ(*s.FindAssociation(later), 1) << later;
    EXPECT_EQ(s.CompareExtension, "bmp");
    EXPECT_EQ(s.IntensityExponent, 1.0);
    EXPECT_EQ(s.ViewMode, 3);
    EXPECT_EQ(s.NormalMapScale, 1.0f);

    // The newer file wins when both exist.
    ASSERT_TRUE(CSettings(m_Dir.string()).Save());
    CSettings fresh(m_Dir.string());
    ASSERT_TRUE(fresh.Load());
    EXPECT_EQ(fresh.PrintThumbnailWidth, 100);
}

TEST_F(SettingsFileTest, OlderTextFileStopsWhereItStops)
{
    const std::vector<int> order = LegacyPositions();
    std::string longLine;
    for (size_t i = 0; i < order.size(); ++i)
        longLine += "1234 ";
    const struct { const char* what; std::string text; std::vector<int> expected; } cases[] = {
        // Expected values of the first legacy positions; the rest keep their defaults.
        {"runs out early", "2 1", {2, 1}},
        {"garbage stops it", "2 1 x 1 1", {2, 1}},
        {"a number with a tail", "2 12abc 1", {2}},
        {"out of range", "2 99999999999 1", {2}},
        {"double blank", "2  1", {2}},
        {"empty line", "\n2 1\n", {}},
        {"empty file", "", {}},
        // 51 values of five characters fill the 255 characters that are read.
        {"long line", longLine, std::vector<int>(51, 1234)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteText(LegacyPath(), c.text);
        CSettings s(m_Dir.string());
        ASSERT_TRUE(s.LoadLegacy());
        const CSettings defaults;
        for (size_t i = 0; i < order.size(); ++i) {
            int32_t want = i < c.expected.size() ? c.expected[i] : IntAt(defaults, order[i]);
            // A value outside its range is read as the default.
            if (const SettingsRange* range = FindSettingsRange(order[i]); range && (want < range->Low || want > range->High))
                want = IntAt(defaults, order[i]);
            EXPECT_EQ(IntAt(s, order[i]), want) << "position " << order[i];
        }
    }
}

TEST_F(SettingsFileTest, NoFilesAtAllKeepTheValues)
{
    CSettings s(m_Dir.string());
    s.SlideDelay = 5;
    EXPECT_FALSE(s.LoadLegacy());
    EXPECT_FALSE(s.Load());
    EXPECT_EQ(s.SlideDelay, 5);

    // The first save creates the folder.
    s.SetFolder((m_Dir / "a" / "b").string());
    ASSERT_TRUE(s.Save());
    CSettings loaded((m_Dir / "a" / "b").string());
    ASSERT_TRUE(loaded.Load());
    EXPECT_EQ(loaded.SlideDelay, 5);
}

class SettingsSaveFailureTest : public SettingsFileTest {
protected:
    void SetUp() override
    {
        SettingsFileTest::SetUp();
        CSettings old(m_Dir.string());
        old.JpegQuality = 11;
        ASSERT_TRUE(old.Save());
        m_Old = ReadBytes(SetPath());
        m_Changed = CSettings(m_Dir.string());
        ChangeEveryValue(m_Changed);
    }
    void ExpectOldFileKept()
    {
        EXPECT_EQ(ReadBytes(SetPath()), m_Old);
        EXPECT_TRUE(OnlyFileIs("oc18.set"));
    }

    Bytes m_Old;
    CSettings m_Changed;
};

TEST_F(SettingsSaveFailureTest, ReadOnlyFolder)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    ASSERT_EQ(chmod(m_Dir.c_str(), 0500), 0);
    EXPECT_FALSE(m_Changed.Save());
    chmod(m_Dir.c_str(), 0700);
    ExpectOldFileKept();
}

TEST_F(SettingsSaveFailureTest, FolderUnderARegularFile)
{
    // The old settings file itself blocks the folder, so nobody can create it.
    CSettings s((m_Dir / "oc18.set" / "config").string());
    EXPECT_FALSE(s.Save());
    ExpectOldFileKept();
}

TEST_F(SettingsSaveFailureTest, WriteFallsShort)
{
    // A file size limit stops the write part-way, whoever runs the test.
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool saved = m_Changed.Save();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    ExpectOldFileKept();
}

TEST_F(SettingsSaveFailureTest, OversizedValueIsNotWritten)
{
    m_Changed.HomeFolder.assign(CSettings::kMaxFileSize, 'x');
    EXPECT_FALSE(m_Changed.Save());
    ExpectOldFileKept();
}

} // namespace
