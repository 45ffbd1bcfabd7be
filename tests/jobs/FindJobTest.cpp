#include "jobs/FindJob.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The system's calls, counting the status reads; one folder can be made unreadable.
class CountingOps final : public IFileOps {
public:
    std::atomic<int> Statuses{0};
    std::string Unreadable;
    int Open(const std::string& p, OpenFor f, uint32_t m, int& fd) override { return Real().Open(p, f, m, fd); }
    int Close(int fd) override { return Real().Close(fd); }
    int Read(int fd, void* d, size_t s, size_t& n) override { return Real().Read(fd, d, s, n); }
    int Write(int fd, const void* d, size_t s, size_t& n) override { return Real().Write(fd, d, s, n); }
    int CopyRange(int a, int b, size_t s, size_t& n) override { return Real().CopyRange(a, b, s, n); }
    int Link(const std::string& a, const std::string& b) override { return Real().Link(a, b); }
    int RenameNoReplace(const std::string& a, const std::string& b) override { return Real().RenameNoReplace(a, b); }
    int Unlink(const std::string& p) override { return Real().Unlink(p); }
    int MakeFolder(const std::string& p, uint32_t m) override { return Real().MakeFolder(p, m); }
    int RemoveFolder(const std::string& p) override { return Real().RemoveFolder(p); }
    int LinkStatus(const std::string& p, FileStatus& s) override
    {
        ++Statuses;
        return Real().LinkStatus(p, s);
    }
    int Space(const std::string& p, VolumeSpace& s) override { return Real().Space(p, s); }
    int ReadFolder(const std::string& p, std::vector<FolderEntry>& e) override
    {
        return p == Unreadable ? EACCES : Real().ReadFolder(p, e);
    }
    int FileStatusOf(int fd, FileStatus& s) override { return Real().FileStatusOf(fd, s); }
    int SetModeAndTime(int fd, uint32_t m, int64_t t, int64_t ns) override { return Real().SetModeAndTime(fd, m, t, ns); }
    int SyncFilesystem(int fd) override { return Real().SyncFilesystem(fd); }
    int ReadLink(const std::string& p, std::string& t) override { return Real().ReadLink(p, t); }
    int MakeLink(const std::string& t, const std::string& p) override { return Real().MakeLink(t, p); }

private:
    static IFileOps& Real() { return SystemFileOps(); }
};

// One run of the find job: the batches as they came, and whether it stopped.
struct FindRun final : IJobOwner {
    std::vector<std::string> Found;
    int Batches = 0;
    bool CancelOnFirstBatch = false;
    CThread* Job = nullptr;
    std::promise<bool> Finished;

    void OnProgress(int) override {}
    void OnCurrentItem(const std::string&) override {}
    void OnError(const JobError&) override {}
    void OnFound(const std::vector<std::string>& batch) override
    {
        ++Batches;
        Found.insert(Found.end(), batch.begin(), batch.end());
        if (CancelOnFirstBatch)
            Job->Cancel();
    }
    void OnFinished(bool stopped) override { Finished.set_value(stopped); }

    bool Run(const FindCriteria& criteria, IFileOps& ops = SystemFileOps())
    {
        CFindJob job(ops);
        Job = &job;
        job.SetOwner(this);
        job.SetCriteria(criteria);
        job.Start();
        job.PostJob();
        const bool stopped = Finished.get_future().get();
        EXPECT_EQ(Found, job.Results());  // every result delivered once, in order, before the end
        return stopped;
    }
};

void Touch(const std::string& path, size_t bytes = 0)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << std::string(bytes, 'x');
}

// The order the walk must give: a folder's entries as the system lists them,
// each subfolder's files in place of the subfolder.
void ReferenceWalk(const std::string& folder, std::vector<std::string>& paths)
{
    std::vector<FolderEntry> entries;
    SystemFileOps().ReadFolder(folder, entries);
    for (const FolderEntry& entry : entries) {
        if (entry.Type == FolderEntry::Folder)
            ReferenceWalk(folder + "/" + entry.Name, paths);
        else
            paths.push_back(folder + "/" + entry.Name);
    }
}

int64_t LocalSeconds(int year, int month, int day, int hour, int minute)
{
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&local));
}

TEST(FindJobTest, WalkGivesSubfolderFilesBeforeTheParentsRemainingEntries)
{
    TempFolder tmp;
    for (const char* name : {"a1", "a/b1", "a/b/c1", "a/b/c2", "a/b2", "d1", "e/f/g/h1", "e/e1", "z1", "z/z2"})
        Touch(tmp.File(name));
    fs::create_directories(tmp.File("empty/inner"));
    std::vector<std::string> expected;
    ReferenceWalk(tmp.Path(), expected);
    ASSERT_EQ(expected.size(), 10u);
    FindRun run;
    FindCriteria criteria;
    criteria.Root = tmp.Path() + "//";  // trailing separators are dropped
    CountingOps ops;
    EXPECT_FALSE(run.Run(criteria, ops));
    EXPECT_EQ(run.Found, expected);
    EXPECT_EQ(ops.Statuses, 0);  // no size or date criterion: no status is read
}

TEST(FindJobTest, NameAndExtensionIgnoreCase)
{
    struct Case {
        const char* name;
        const char* pattern;
        const char* file;
        bool matches;
    };
    const Case cases[] = {
        {"", "*.JPG", "photo.jpg", true},
        {"", "*.JPG", "PHOTO.Jpg", true},
        {"", "*.jpg", "photo.jpeg", false},
        {"", "*.jpg", "photo.jpg.bak", false},
        {"", "*.jpg", "jpg", false},
        {"", "*.", "README", true},
        {"", "*.", "a.b", false},
        {"", "*.*", "README", true},
        {"Photo.JPG", "*.*", "photo.jpg", true},
        {"photo", "*.*", "photo.jpg", false},  // the whole name
        {"photo.jpg", "*.png", "photo.jpg", false},
    };
    for (const Case& c : cases) {
        FindCriteria criteria;
        criteria.Name = c.name;
        criteria.ExtensionPattern = c.pattern;
        EXPECT_EQ(FindMatches(criteria, c.file, FileStatus{}), c.matches) << c.name << " " << c.pattern << " " << c.file;
    }
}

TEST(FindJobTest, SizeAndDateBounds)
{
    int64_t from = 0, to = 0;
    ASSERT_TRUE(FindDateBound(1, 1, 2005, from));
    ASSERT_TRUE(FindDateBound(1, 2, 2005, to));
    struct Case {
        SizeRelation relation;
        int64_t size;
        bool dateOn;
        uint64_t fileSize;
        int64_t modified;
        bool matches;
    };
    const int64_t kGiB = int64_t(1) << 30;
    const Case cases[] = {
        {SizeRelation::Less, FindSizeBytes(1, 1), false, 1023, 0, true},
        {SizeRelation::Less, FindSizeBytes(1, 1), false, 1024, 0, false},
        {SizeRelation::Equal, FindSizeBytes(1, 1), false, 1024, 0, true},
        {SizeRelation::Greater, FindSizeBytes(2, 3), false, uint64_t(3 * kGiB), 0, true},
        {SizeRelation::Greater, FindSizeBytes(2, 3), false, uint64_t(2 * kGiB), 0, false},
        {SizeRelation::Equal, 0, true, 0, LocalSeconds(2005, 1, 1, 0, 30), false},
        {SizeRelation::Equal, 0, true, 0, LocalSeconds(2005, 2, 1, 1, 0), true},
        {SizeRelation::Equal, 0, true, 0, LocalSeconds(2005, 1, 15, 12, 0), true},
        {SizeRelation::Equal, 0, true, 0, from, false},
        {SizeRelation::Equal, 0, true, 0, to, false},
        {SizeRelation::Equal, 0, true, 0, LocalSeconds(2005, 2, 2, 0, 0), false},
    };
    for (const Case& c : cases) {
        FindCriteria criteria;
        criteria.Relation = c.relation;
        criteria.Size = c.size;
        criteria.DateOn = c.dateOn;
        criteria.From = from;
        criteria.To = to;
        FileStatus status;
        status.Size = c.fileSize;
        status.Modified = c.modified;
        EXPECT_EQ(FindMatches(criteria, "f", status), c.matches) << c.fileSize << " " << c.modified;
    }
}

TEST(FindJobTest, DateBoundsCheckTheirFields)
{
    struct Case {
        int day, month, year;
        bool valid;
    };
    const Case cases[] = {
        {1, 1, 1970, true},  {31, 12, 9999, true}, {1, 1, 2039, true},   {29, 2, 2004, true},
        {29, 2, 2005, false}, {31, 4, 2005, false}, {0, 1, 2005, false},  {1, 13, 2005, false},
        {1, 0, 2005, false},  {1, 1, 1969, false},  {1, 1, 10000, false},
    };
    for (const Case& c : cases) {
        int64_t seconds = 0;
        EXPECT_EQ(FindDateBound(c.day, c.month, c.year, seconds), c.valid) << c.day << "." << c.month << "." << c.year;
    }
    int64_t y9999 = 0, y2039 = 0;
    ASSERT_TRUE(FindDateBound(1, 1, 9999, y9999));
    ASSERT_TRUE(FindDateBound(1, 1, 2039, y2039));
    EXPECT_GT(y9999, y2039);
    EXPECT_GT(y2039, int64_t(INT32_MAX));
}

// 01:01:01 standard time also in summer: an hour before 01:01:01 daylight time.
TEST(FindJobTest, DateBoundIsStandardTime)
{
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    int64_t winter = 0, summer = 0;
    EXPECT_TRUE(FindDateBound(1, 1, 2005, winter));
    EXPECT_TRUE(FindDateBound(1, 7, 2005, summer));
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    EXPECT_EQ(winter, 1104537600 + 61);  // 2005-01-01 00:01:01 UTC
    EXPECT_EQ(summer, 1120176000 + 61);  // 2005-07-01 00:01:01 UTC
}

TEST(FindJobTest, SizeUnitsGuardOverflow)
{
    EXPECT_EQ(FindSizeBytes(5, 0), 5);
    EXPECT_EQ(FindSizeBytes(1, 1), 1024);
    EXPECT_EQ(FindSizeBytes(1, 2), 1048576);
    EXPECT_EQ(FindSizeBytes(3, 3), int64_t(3) << 30);
    EXPECT_EQ(FindSizeBytes(INT64_MAX / 1024 + 1, 1), -1);
    EXPECT_EQ(FindSizeBytes(-1, 0), -1);
    EXPECT_EQ(FindSizeBytes(1, 4), -1);
}

TEST(FindJobTest, SparseFileOfThreeGiBMatchesMoreThanTwoGB)
{
    TempFolder tmp;
    Touch(tmp.File("small.bin"), 10);
    const std::string big = tmp.File("sub/big.bin");
    Touch(big);
    const int fd = ::open(big.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const bool sized = ::ftruncate(fd, off_t(3) << 30) == 0;
    ::close(fd);
    if (!sized)
        GTEST_SKIP() << "no 3 GiB sparse file here";
    FindRun run;
    FindCriteria criteria;
    criteria.Root = tmp.Path();
    criteria.Relation = SizeRelation::Greater;
    criteria.Size = FindSizeBytes(2, 3);
    EXPECT_FALSE(run.Run(criteria));
    EXPECT_EQ(run.Found, std::vector<std::string>{big});
}

TEST(FindJobTest, LinksAreEntriesNeverFollowed)
{
    TempFolder tmp;
    Touch(tmp.File("tree/sub/a.jpg"));
    Touch(tmp.File("outside/b.jpg"));
    fs::create_directory_symlink(tmp.File("tree"), tmp.File("tree/sub/loop.jpg"));
    fs::create_directory_symlink(tmp.File("outside"), tmp.File("tree/out"));
    fs::create_symlink(tmp.File("outside/b.jpg"), tmp.File("tree/link.JPG"));
    FindRun run;
    FindCriteria criteria;
    criteria.Root = tmp.File("tree");
    criteria.ExtensionPattern = "*.jpg";
    EXPECT_FALSE(run.Run(criteria));
    std::vector<std::string> found = run.Found;
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{tmp.File("tree/link.JPG"), tmp.File("tree/sub/a.jpg"),
                                               tmp.File("tree/sub/loop.jpg")}));
}

TEST(FindJobTest, UnreadableFolderYieldsNothing)
{
    TempFolder tmp;
    Touch(tmp.File("open/a"));
    Touch(tmp.File("shut/b"));
    CountingOps ops;
    ops.Unreadable = tmp.File("shut");
    FindRun run;
    FindCriteria criteria;
    criteria.Root = tmp.Path();
    EXPECT_FALSE(run.Run(criteria, ops));
    EXPECT_EQ(run.Found, std::vector<std::string>{tmp.File("open/a")});
}

TEST(FindJobTest, CancelStopsTheWalk)
{
    TempFolder tmp;
    for (int i = 0; i < 1200; ++i) {
        std::string name(1, char('a' + i % 3));
        name += '/';
        name += std::to_string(i);
        Touch(tmp.File(name));
    }
    FindRun run;
    run.CancelOnFirstBatch = true;
    FindCriteria criteria;
    criteria.Root = tmp.Path();
    EXPECT_TRUE(run.Run(criteria));
    EXPECT_GE(run.Found.size(), 1u);
    EXPECT_LT(run.Found.size(), 1200u);
}

} // namespace
