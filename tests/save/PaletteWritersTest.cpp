// GIF, IFF, PICT and DDS files reopen through our decoders with the pixels
// they were given; a failed save leaves the old file and no temporary one;
// sizes the headers cannot hold are refused before a file exists.
#include "save/WriterImages.h"

#include "base/TextException.h"
#include "image/MedianCut.h"
#include "support/DecodeHelpers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Pixels drawn at random from `colors` distinct colours, with alpha bytes
// that vary although the image has none.
std::unique_ptr<CWinBmp> ColorsImage(int width, int height, int colors)
{
    auto bmp = std::make_unique<CWinBmp>();
    bmp->Create(width, height, 32, false);
    uint32_t seed = 99;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int i = int((seed >> 16) % uint32_t(colors));
            bmp->Row32(y)[x] = PackPixel(uint8_t(i), uint8_t(i * 7), uint8_t(i * 13), uint8_t(seed >> 8));
        }
    return bmp;
}

SaveOptions Options(bool interlaced, bool rle)
{
    SaveOptions o;
    o.Interlaced = interlaced;
    o.Rle = rle;
    return o;
}

struct PaletteCase {
    const char* Name;
    ImageFormat Format;
    const char* File;
    SaveOptions Options;
};

const PaletteCase kPaletteCases[] = {
    {"gif", ImageFormat::GIF, "a.gif", Options(false, false)},
    {"gif interlaced", ImageFormat::GIF, "b.gif", Options(true, false)},
    {"iff", ImageFormat::IFF, "a.iff", Options(false, false)},
    {"iff byterun1", ImageFormat::IFF, "b.iff", Options(false, true)},
    {"pict", ImageFormat::PICT, "a.pct", Options(false, false)},
    {"pict packbits", ImageFormat::PICT, "b.pct", Options(false, true)},
};

std::vector<uint32_t> OpaquePixels(const CBmp& bmp)
{
    std::vector<uint32_t> pixels = Pixels32(bmp);
    for (uint32_t& p : pixels)
        p |= 0xFF000000u;
    return pixels;
}

TEST(PaletteWriters, FewColoursReopenExactly)
{
    struct Size {
        int Width, Height, Colors;
    };
    // 1 and 2 colours: the smallest code size; 256 colours of noise fill
    // the LZW table many times over; widths below 8, at 250/251 and odd.
    const Size sizes[] = {{1, 1, 1}, {7, 3, 2}, {17, 9, 3}, {250, 4, 16}, {251, 5, 200}, {301, 211, 256}};
    TempFolder folder;
    for (const PaletteCase& c : kPaletteCases)
        for (const Size& s : sizes) {
            SCOPED_TRACE(std::string(c.Name) + " " + std::to_string(s.Width) + "x" + std::to_string(s.Height));
            const auto image = ColorsImage(s.Width, s.Height, s.Colors);
            const std::string path = folder.File(c.File);
            ASSERT_NO_THROW(SaveAs(c.Format, *image, path, c.Options));
            const DecodeResult back = DecodePath(path);
            ASSERT_TRUE(back.Ok()) << back.Text;
            ASSERT_EQ(back.Bitmap.Width, s.Width);
            ASSERT_EQ(back.Bitmap.Height, s.Height);
            EXPECT_EQ(OpaquePixels(back.Bitmap), OpaquePixels(*image));
        }
}

// More than 256 colours: the file holds the median-cut reduction.
TEST(PaletteWriters, ManyColoursAreReduced)
{
    const auto image = MakeTestImage(97, 61, false);
    CWinBmp reduced;
    reduced.Create(image->Width, image->Height, 32, false);
    QuantizeImage(*image, reduced);
    TempFolder folder;
    for (const PaletteCase& c : kPaletteCases) {
        SCOPED_TRACE(c.Name);
        ASSERT_NO_THROW(SaveAs(c.Format, *image, folder.File(c.File), c.Options));
        const DecodeResult back = DecodePath(folder.File(c.File));
        ASSERT_TRUE(back.Ok()) << back.Text;
        EXPECT_EQ(OpaquePixels(back.Bitmap), OpaquePixels(reduced));
    }
}

// Runs body in a child process and returns the code of the CTextException it
// raised (0 for none, 255 for anything else). As root the child becomes an
// ordinary user so permissions bind; fileLimit caps the files it writes.
int CodeInChild(const std::function<void()>& body, rlim_t fileLimit = RLIM_INFINITY)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        int code = 0;
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(254);
        if (fileLimit != RLIM_INFINITY) {
            std::signal(SIGXFSZ, SIG_IGN);  // write() then fails with EFBIG
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

size_t FilesIn(const std::string& folder)
{
    return size_t(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()));
}

TEST(PaletteWriters, FailureKeepsTheOldFile)
{
    SaveOptions dds;
    dds.DdsFormat = 6;
    dds.DdsMipMaps = true;
    const PaletteCase cases[] = {
        kPaletteCases[1], kPaletteCases[3], kPaletteCases[5], {"dds", ImageFormat::DDS, "a.dds", dds}};
    // Many colours: the reduction runs before anything is written.
    const auto image = MakeTestImage(120, 80, true);
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    for (const PaletteCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TempFolder folder;
        const std::string path = folder.Write(c.File, old);
        // The child may replace the file; only the disk or the folder stop it.
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(folder.Path().c_str(), 65534, 65534), 0);
            ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
        }
        // A disk that fills up part way.
        EXPECT_EQ(CodeInChild([&] { SaveAs(c.Format, *image, path, c.Options); }, 2000), ErrWriteFailure);
        EXPECT_EQ(TempFolder::Read(path), old);
        EXPECT_EQ(FilesIn(folder.Path()), 1u);
        // A folder where nothing may be made.
        ASSERT_EQ(::chmod(folder.Path().c_str(), 0555), 0);
        EXPECT_EQ(CodeInChild([&] { SaveAs(c.Format, *image, path, c.Options); }), ErrAccessDenied);
        EXPECT_EQ(TempFolder::Read(path), old);
        EXPECT_EQ(FilesIn(folder.Path()), 1u);
        ASSERT_EQ(::chmod(folder.Path().c_str(), 0755), 0);
    }
}

TEST(PaletteWriters, SizesTheHeaderCannotHoldAreRefused)
{
    struct Case {
        const char* Name;
        ImageFormat Format;
        int Width, Height;
    };
    const Case cases[] = {
        {"gif wide", ImageFormat::GIF, 65536, 1},   {"gif high", ImageFormat::GIF, 1, 65536},
        {"iff wide", ImageFormat::IFF, 65536, 1},   {"iff high", ImageFormat::IFF, 1, 65536},
        {"pict wide", ImageFormat::PICT, 16384, 1}, {"pict high", ImageFormat::PICT, 1, 32768},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        CWinBmp bmp;
        bmp.Create(c.Width, c.Height, 32, false);
        try {
            SaveAs(c.Format, bmp, folder.File("x"), SaveOptions());
            ADD_FAILURE() << "written";
        } catch (const CTextException& e) {
            EXPECT_EQ(e.GetCode(), ErrUnsupported);
            EXPECT_EQ(e.GetText(), "Image is too large for this file format.");
        }
        EXPECT_EQ(FilesIn(folder.Path()), 0u);
    }
    // The largest sides they can hold are written.
    const Case largest[] = {{"gif", ImageFormat::GIF, 65535, 1}, {"pict", ImageFormat::PICT, 16383, 2}};
    for (const Case& c : largest) {
        SCOPED_TRACE(c.Name);
        CWinBmp bmp;
        bmp.Create(c.Width, c.Height, 32, false);
        std::fill(bmp.Row32(0), bmp.Row32(0) + c.Width, 0xFF102030u);
        std::fill(bmp.Row32(c.Height - 1), bmp.Row32(c.Height - 1) + c.Width, 0xFF102030u);
        ASSERT_NO_THROW(SaveAs(c.Format, bmp, folder.File("ok"), SaveOptions()));
        const DecodeResult back = DecodePath(folder.File("ok"));
        ASSERT_TRUE(back.Ok()) << back.Text;
        EXPECT_EQ(back.Bitmap.Width, c.Width);
    }
}

} // namespace
