#include "jobs/CompareJob.h"

#include "base/FileName.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <random>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

constexpr int64_t kNoon = 1104580800;  // 2005-01-01 12:00 UTC

// Every source against every destination, in list order, as the dialog did it.
CompareResult NestedLoop(const std::vector<CompareRow>& source, const std::vector<CompareRow>& destination,
                         const CompareCriteria& c)
{
    CompareResult result;
    if (!c.ByName && !c.ByExtension && !c.BySize && !c.ByDate)
        return {source, destination};
    for (const CompareRow& s : source) {
        bool first = true;
        for (const CompareRow& d : destination) {
            if (c.ByName && !(c.CaseSensitive ? s.Stem == d.Stem : EqualsNoCase(s.Stem, d.Stem)))
                continue;
            if (c.BySize && s.Size != 0 && s.Size != d.Size)
                continue;
            if (c.ByDate && s.Modified != d.Modified)
                continue;
            if (first)
                result.Source.push_back(s);
            first = false;
            bool shown = false;
            for (const CompareRow& row : result.Destination)
                shown = shown || (EqualsNoCase(row.Stem, d.Stem) && EqualsNoCase(row.Extension, d.Extension) &&
                                  row.Size == d.Size && CompareDate(row.Modified) == CompareDate(d.Modified));
            if (!shown)
                result.Destination.push_back(d);
        }
    }
    return result;
}

std::vector<std::string> Names(const std::vector<CompareRow>& rows)
{
    std::vector<std::string> names;
    for (const CompareRow& row : rows)
        names.push_back(row.Name() + "/" + std::to_string(row.Size) + "/" + std::to_string(row.Modified));
    return names;
}

// A listing of n files with few distinct stems, sizes and times, so that
// names, sizes and dates meet often and in every mix.
std::vector<CompareRow> RandomListing(std::mt19937& random, int n)
{
    static const char* stems[] = {"a", "A", "b", "B", "ab", "aB", "Ab", "c"};
    static const char* extensions[] = {"bmp", "BMP", "jpg"};
    static const uint64_t sizes[] = {0, 10, 10, 20};
    static const int64_t times[] = {kNoon, kNoon + 1, kNoon + 3600, kNoon + 3 * 86400};
    std::vector<CompareRow> rows;
    for (int i = 0; i < n; ++i) {
        CompareRow row;
        row.Stem = stems[random() % 8];
        row.Extension = extensions[random() % 3];
        row.Size = sizes[random() % 4];
        row.Modified = times[random() % 4];
        rows.push_back(row);
    }
    std::stable_sort(rows.begin(), rows.end(), [](const CompareRow& x, const CompareRow& y) {
        const int order = CompareNoCase(x.Name(), y.Name());
        return order != 0 ? order < 0 : x.Name() < y.Name();
    });
    return rows;
}

TEST(CompareJobTest, EveryCriteriaMixGivesTheNestedLoopsRows)
{
    std::mt19937 random(7);
    for (int round = 0; round < 4; ++round) {
        const auto source = RandomListing(random, 150 + round * 50);
        const auto destination = RandomListing(random, 300 - round * 50);
        for (int mix = 0; mix < 32; ++mix) {
            CompareCriteria c;
            c.ByName = mix & 1;
            c.ByExtension = mix & 2;
            c.BySize = mix & 4;
            c.ByDate = mix & 8;
            c.CaseSensitive = mix & 16;
            const CompareResult expected = NestedLoop(source, destination, c);
            const CompareResult got = CompareListings(source, destination, c);
            EXPECT_EQ(Names(got.Source), Names(expected.Source)) << "round " << round << " mix " << mix;
            EXPECT_EQ(Names(got.Destination), Names(expected.Destination)) << "round " << round << " mix " << mix;
        }
    }
}

CompareRow Row(const char* stem, const char* extension, uint64_t size, int64_t modified)
{
    return {stem, extension, size, modified};
}

TEST(CompareJobTest, EdgeCases)
{
    struct Case {
        const char* what;
        std::vector<CompareRow> source, destination;
        CompareCriteria criteria;
        std::vector<std::string> sourceNames, destinationNames;
    };
    const auto by = [](bool name, bool size, bool date, bool caseSensitive) {
        CompareCriteria c;
        c.ByName = name;
        c.ByExtension = false;
        c.BySize = size;
        c.ByDate = date;
        c.CaseSensitive = caseSensitive;
        return c;
    };
    const Case cases[] = {
        {"stems only, ignoring case", {Row("A", "bmp", 1, kNoon)}, {Row("a", "jpg", 2, kNoon + 9)},
         by(true, false, false, false), {"A.bmp"}, {"a.jpg"}},
        {"stems with case", {Row("A", "bmp", 1, kNoon)}, {Row("a", "jpg", 2, kNoon + 9)},
         by(true, false, false, true), {}, {}},
        {"zero-byte source passes size", {Row("a", "bmp", 0, kNoon)}, {Row("a", "bmp", 7, kNoon)},
         by(true, true, true, true), {"a.bmp"}, {"a.bmp"}},
        {"zero-byte destination does not", {Row("a", "bmp", 7, kNoon)}, {Row("a", "bmp", 0, kNoon)},
         by(true, true, true, true), {}, {}},
        {"same day, another second", {Row("a", "bmp", 7, kNoon)}, {Row("a", "bmp", 7, kNoon + 1)},
         by(true, true, true, true), {}, {}},
        {"one destination, several sources",
         {Row("a", "bmp", 7, kNoon), Row("b", "bmp", 7, kNoon), Row("c", "bmp", 8, kNoon)},
         {Row("x", "bmp", 7, kNoon), Row("y", "bmp", 8, kNoon)}, by(false, true, false, true),
         {"a.bmp", "b.bmp", "c.bmp"}, {"x.bmp", "y.bmp"}},
        {"destinations equal but for case and time shown once", {Row("a", "bmp", 7, kNoon)},
         {Row("A", "BMP", 7, kNoon), Row("a", "bmp", 7, kNoon + 60)}, by(false, true, false, true), {"a.bmp"},
         {"A.BMP"}},
        {"nothing in common", {Row("a", "bmp", 7, kNoon)}, {Row("b", "bmp", 8, kNoon)}, by(true, true, false, true),
         {}, {}},
    };
    for (const Case& c : cases) {
        const CompareResult result = CompareListings(c.source, c.destination, c.criteria);
        std::vector<std::string> source, destination;
        for (const CompareRow& row : result.Source)
            source.push_back(row.Name());
        for (const CompareRow& row : result.Destination)
            destination.push_back(row.Name());
        EXPECT_EQ(source, c.sourceNames) << c.what;
        EXPECT_EQ(destination, c.destinationNames) << c.what;
    }
}

// Only the extension: every source against every destination, without n × m work.
TEST(CompareJobTest, ExtensionAloneListsBothFolders)
{
    std::vector<CompareRow> source, destination;
    for (int i = 0; i < 20000; ++i) {
        source.push_back(Row("s", "jpg", uint64_t(i), kNoon + i));
        destination.push_back(Row("d", "jpg", uint64_t(i), kNoon + i));
    }
    CompareCriteria c;
    c.ByName = c.BySize = c.ByDate = false;
    const auto started = std::chrono::steady_clock::now();
    const CompareResult result = CompareListings(source, destination, c);
    // About 0.15 s here; the bound is loose for sanitizer builds on a busy machine.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(result.Source.size(), source.size());
    EXPECT_EQ(result.Destination.size(), destination.size());
}

void MakeFile(const std::string& path, size_t bytes, int64_t modified)
{
    std::ofstream(path) << std::string(bytes, 'x');
    const timespec times[2] = {{modified, 0}, {modified, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

TEST(CompareJobTest, FolderListingsTakeImageFilesSorted)
{
    TempFolder tmp;
    for (const char* name : {"b.bmp", "a.BMP", "A.bmp", "_x.bmp", "c.jpg", "d.tiff", "e.Png", ".hidden.bmp", "noext"})
        MakeFile(tmp.File(name), 3, kNoon);
    fs::create_directory(tmp.File("folder.bmp"));
    fs::create_symlink(tmp.File("b.bmp"), tmp.File("link.bmp"));
    struct Case {
        bool byExtension;
        const char* extension;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {true, "bmp", {"_x.bmp", "A.bmp", "a.BMP", "b.bmp"}},
        {true, "JPG", {"c.jpg"}},
        {false, "", {"_x.bmp", "A.bmp", "a.BMP", "b.bmp", "c.jpg", "e.Png"}},
    };
    for (const Case& c : cases) {
        CompareCriteria criteria;
        criteria.ByExtension = c.byExtension;
        criteria.Extension = c.extension;
        std::vector<CompareRow> rows;
        ASSERT_EQ(ListCompareFolder(tmp.Path(), criteria, rows), 0);
        std::vector<std::string> names;
        for (const CompareRow& row : rows)
            names.push_back(row.Name());
        EXPECT_EQ(names, c.names) << c.extension;
        for (const CompareRow& row : rows)
            EXPECT_TRUE(row.Size == 3 && row.Modified == kNoon) << row.Name();
    }
}

struct CompareRun final : IJobOwner {
    std::promise<bool> Finished;
    void OnProgress(int) override {}
    void OnCurrentItem(const std::string&) override {}
    void OnError(const JobError&) override {}
    void OnFinished(bool stopped) override { Finished.set_value(stopped); }
};

TEST(CompareJobTest, JobOutcomes)
{
    TempFolder tmp;
    fs::create_directories(tmp.File("src"));
    fs::create_directories(tmp.File("dst"));
    fs::create_directories(tmp.File("none"));
    MakeFile(tmp.File("src/a.bmp"), 5, kNoon);
    MakeFile(tmp.File("src/b.bmp"), 5, kNoon);
    MakeFile(tmp.File("dst/A.bmp"), 5, kNoon);
    MakeFile(tmp.File("dst/b.bmp"), 5, kNoon + 1);
    MakeFile(tmp.File("none/a.txt"), 5, kNoon);
    struct Case {
        const char* source;
        const char* destination;
        bool caseSensitive;
        CompareOutcome outcome;
        std::string missing;
        size_t sources, destinations;
    };
    const Case cases[] = {
        {"src", "dst", false, CompareOutcome::Compared, "", 1, 1},
        {"src", "dst", true, CompareOutcome::Compared, "", 0, 0},
        {"src", "gone", false, CompareOutcome::Missing, tmp.File("gone"), 0, 0},
        {"gone", "dst", false, CompareOutcome::Missing, tmp.File("gone"), 0, 0},
        {"src", "none", false, CompareOutcome::NoFiles, "", 0, 0},
    };
    for (const Case& c : cases) {
        CCompareJob job;
        CompareRun run;
        CompareRequest request;
        request.Source = tmp.File(c.source);
        request.Destination = tmp.File(c.destination);
        request.Criteria.CaseSensitive = c.caseSensitive;
        job.SetOwner(&run);
        job.SetRequest(request);
        job.Start();
        job.PostJob();
        EXPECT_FALSE(run.Finished.get_future().get());
        EXPECT_EQ(job.Outcome(), c.outcome) << c.source << " " << c.destination;
        EXPECT_EQ(job.MissingFolder(), c.missing);
        EXPECT_EQ(job.Result().Source.size(), c.sources);
        EXPECT_EQ(job.Result().Destination.size(), c.destinations);
    }
}

// The job reads the status of only the files that meet when names alone
// decide; its rows must still be those of comparing the full listings.
TEST(CompareJobTest, JobGivesTheRowsOfTheFullListings)
{
    TempFolder tmp;
    fs::create_directories(tmp.File("src"));
    fs::create_directories(tmp.File("dst"));
    std::mt19937 random(11);
    static const char* stems[] = {"a", "A", "b", "B", "ab", "aB", "c", "d"};
    for (const char* side : {"src", "dst"})
        for (const char* stem : stems)
            for (const char* extension : {"bmp", "BMP", "jpg"})
                if (random() % 3 != 0)
                    MakeFile(tmp.File(std::string(side) + "/" + stem + "." + extension), random() % 3,
                             kNoon + int64_t(random() % 3) * 30);
    for (int mix = 0; mix < 32; ++mix) {
        CompareRequest request;
        request.Source = tmp.File("src");
        request.Destination = tmp.File("dst");
        CompareCriteria& c = request.Criteria;
        c.ByName = mix & 1;
        c.ByExtension = mix & 2;
        c.BySize = mix & 4;
        c.ByDate = mix & 8;
        c.CaseSensitive = mix & 16;
        std::vector<CompareRow> source, destination;
        ASSERT_EQ(ListCompareFolder(request.Source, c, source), 0);
        ASSERT_EQ(ListCompareFolder(request.Destination, c, destination), 0);
        const CompareResult expected = NestedLoop(source, destination, c);
        CCompareJob job;
        CompareRun run;
        job.SetOwner(&run);
        job.SetRequest(request);
        job.Start();
        job.PostJob();
        EXPECT_FALSE(run.Finished.get_future().get());
        EXPECT_EQ(Names(job.Result().Source), Names(expected.Source)) << "mix " << mix;
        EXPECT_EQ(Names(job.Result().Destination), Names(expected.Destination)) << "mix " << mix;
    }
}

} // namespace
