// A failed save never damages the old file nor leaves a temporary one, and
// each failure has its code.
#include "save/TgaWriter.h"
#include "save/WriterImages.h"

#include "base/TextException.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

// Runs body in a child process and returns the code of the CTextException it
// raised (0 when it raised none, 255 for anything else). As root the child
// becomes an ordinary user, so permissions bind; fileLimit caps the size of
// the files it may write.
int CodeInChild(const std::function<void()>& body, rlim_t fileLimit = RLIM_INFINITY)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        int code = 0;
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(254);
        if (fileLimit != RLIM_INFINITY) {
            // Past the limit write() fails with EFBIG instead of killing us.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{fileLimit, fileLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        try {
            body();
        } catch (const CTextException& e) {
            code = e.GetCode();
        } catch (...) {
            code = 255;
        }
        ::_exit(code);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A folder the child's user owns.
void GiveToChild(const std::string& path)
{
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
    }
}

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct Target {
    ImageFormat Format;
    const char* Name;
    SaveOptions Options;
};

SaveOptions Rle(int depth)
{
    SaveOptions o;
    o.Rle = true;
    o.Depth = depth;
    return o;
}

SaveOptions Tiff(int compression)
{
    SaveOptions o;
    o.TiffCompression = compression;
    return o;
}

const Target kTargets[] = {
    {ImageFormat::PNG, "old.png", {}},         {ImageFormat::BMP, "old.bmp", {}},
    {ImageFormat::TGA, "old.tga", Rle(32)},    {ImageFormat::JPEG, "old.jpg", {}},
    {ImageFormat::TIFF, "old.tif", Tiff(2)},   {ImageFormat::PNM, "old.pgm", {}},
    {ImageFormat::PNM, "old.ppm", {}},         {ImageFormat::RAS, "old.ras", Rle(24)},
    {ImageFormat::PCX, "old.pcx", {}},
};

const std::vector<uint8_t> kOldBytes = {'o', 'l', 'd'};

// A disk that fills up part way: the old file stays, no temporary is left.
TEST(WriterFailures, ShortWriteKeepsTheOldFile)
{
    const auto image = MakeTestImage(400, 300, true);
    for (const Target& t : kTargets) {
        SCOPED_TRACE(t.Name);
        TempFolder folder;
        GiveToChild(folder.Path());
        const std::string path = folder.Write(t.Name, kOldBytes);
        EXPECT_EQ(CodeInChild([&] { SaveAs(t.Format, *image, path, t.Options); }, 20000), ErrWriteFailure);
        EXPECT_EQ(TempFolder::Read(path), kOldBytes);
        EXPECT_EQ(Names(folder.Path()), std::vector<std::string>{t.Name});
    }
}

// The same writers succeed without the limit, so the failures above are the disk's.
TEST(WriterFailures, ReadOnlyTargetAndFolder)
{
    const auto image = MakeTestImage(8, 8, false);
    for (const Target& t : kTargets) {
        SCOPED_TRACE(t.Name);
        TempFolder folder;
        GiveToChild(folder.Path());
        const std::string path = folder.Write(t.Name, kOldBytes);
        GiveToChild(path);
        ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
        // JPEG and TIFF report every failure as "Error writing image.", also code 12.
        EXPECT_EQ(CodeInChild([&] { SaveAs(t.Format, *image, path, t.Options); }), ErrWriteFailure);
        EXPECT_EQ(TempFolder::Read(path), kOldBytes);

        ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
        ASSERT_EQ(::chmod(folder.Path().c_str(), 0555), 0);
        const bool jlib = t.Format == ImageFormat::JPEG || t.Format == ImageFormat::TIFF;
        EXPECT_EQ(CodeInChild([&] { SaveAs(t.Format, *image, folder.File("new.x"), t.Options); }),
                  jlib ? ErrWriteFailure : ErrAccessDenied);
        ASSERT_EQ(::chmod(folder.Path().c_str(), 0755), 0);
        EXPECT_EQ(CodeInChild([&] { SaveAs(t.Format, *image, path, t.Options); }), 0);
        EXPECT_NE(TempFolder::Read(path), kOldBytes);
        EXPECT_EQ(Names(folder.Path()), std::vector<std::string>{t.Name});
    }
}

// Refused before any file is made: sizes the header cannot hold, depths the format lacks.
TEST(WriterFailures, RefusedBeforeAFileExists)
{
    struct Case {
        const char* Name;
        ImageFormat Format;
        int Width, Height, Depth;
        int Code;
        const char* Text;
    };
    const Case cases[] = {
        {"tga too wide", ImageFormat::TGA, 65536, 1, 24, ErrUnsupported, "Image is too large for this file format."},
        {"tga too high", ImageFormat::TGA, 1, 65536, 32, ErrUnsupported, "Image is too large for this file format."},
        {"pcx too wide", ImageFormat::PCX, 65536, 1, 24, ErrUnsupported, "Image is too large for this file format."},
        {"tga depth 16", ImageFormat::TGA, 2, 2, 16, ErrInternal, "Bad Pixel Depth."},
        {"bmp depth 32", ImageFormat::BMP, 2, 2, 32, ErrInternal, "Internal error."},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        CWinBmp bmp;
        bmp.Create(c.Width, c.Height, 32, false);
        SaveOptions options;
        options.Depth = c.Depth;
        try {
            SaveAs(c.Format, bmp, folder.File("x"), options);
            ADD_FAILURE() << "no failure";
        } catch (const CTextException& e) {
            EXPECT_EQ(e.GetCode(), c.Code);
            EXPECT_EQ(e.GetText(), c.Text);
        }
        EXPECT_TRUE(Names(folder.Path()).empty());
    }
}

} // namespace
