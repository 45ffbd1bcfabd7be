// The save dispatch: formats by extension, the depth rules, the options it
// passes, and failures that are said and never reported as saved.
#include "save/SaveDepth.h"
#include "save/SaveImage.h"
#include "save/WriterImages.h"

#include "base/TextException.h"
#include "settings/Settings.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct RecordingFeedback : ISaveFeedback {
    bool Answer = true;
    int Dialogs = 0;
    std::vector<std::string> Texts;  // status texts and messages in order
    std::vector<std::string> Messages;
    bool ShowOptions(const SaveFormatRow&, CSettings& settings) override
    {
        ++Dialogs;
        if (Answer)
            settings.JpegQuality = 90;
        return Answer;
    }
    void Status(const std::string& text) override { Texts.push_back(text); }
    void Message(const std::string& text) override
    {
        Texts.push_back(text);
        Messages.push_back(text);
    }
};

// Puts a writer into a format's slot for one test and the old one back after.
class WriterSlot {
public:
    WriterSlot(ImageFormat format, FormatWriteFunction write) : m_Format(format)
    {
        RegisterWriters();
        m_Old = FindFormat(format)->Write;
        SetFormatWriter(format, write);
    }
    ~WriterSlot() { SetFormatWriter(m_Format, m_Old); }

private:
    ImageFormat m_Format;
    FormatWriteFunction m_Old;
};

SaveOptions g_Seen;
int g_Writes = 0;
void Record(const CBmp&, const std::string&, const SaveOptions& options)
{
    g_Seen = options;
    ++g_Writes;
}

} // namespace

TEST(SaveImage, DepthRules)
{
    const struct { int code; bool fromImage; int bpp; int index; int depth; } cases[] = {
        {kSaveBmp, true, 32, 0, 24}, {kSaveBmp, true, 8, 1, 8},   {kSaveBmp, false, 32, 0, 8},
        {kSaveBmp, false, 8, 1, 24}, {kSavePcx, true, 32, 0, 24}, {kSavePcx, false, 32, 0, 8},
        {kSaveRas, false, 32, 2, 24},  // the 32 bpp choice writes 24
        {kSaveRas, true, 8, 2, 8},   {kSaveTga, true, 32, 0, 32}, {kSaveTga, true, 24, 0, 24},
        {kSaveTga, true, 8, 2, 8},   {kSaveTga, false, 32, 0, 8}, {kSaveTga, false, 8, 1, 24},
        {kSaveTga, false, 8, 2, 32}, {kSavePng, true, 32, 0, 24}, {kSaveJpeg, false, 8, 1, 24},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseSaveDepth(c.code, c.fromImage, c.bpp, c.index), c.depth)
            << c.code << " " << c.fromImage << " " << c.bpp << " " << c.index;
}

TEST(SaveImage, FormatsByExtensionWithoutRegardToCase)
{
    const struct { const char* extension; int code; } cases[] = {
        {"jpg", kSaveJpeg}, {"JPG", kSaveJpeg}, {".Jpeg", kSaveJpeg}, {"tiff", kSaveTiff}, {"PGM", kSavePgm},
        {"dds", kSaveDds},  {"pct", kSavePict}, {"xyz", -1},          {"", -1},            {"pam", -1},
    };
    for (const auto& c : cases) {
        const SaveFormatRow* row = SaveFormatOfExtension(c.extension);
        EXPECT_EQ(row ? row->Code : -1, c.code) << c.extension;
    }
    EXPECT_EQ(WithExtensionCase("/a.b/photo.png", true), "/a.b/photo.PNG");
    EXPECT_EQ(WithExtensionCase("/a/photo.TiF", false), "/a/photo.tif");
    EXPECT_EQ(WithExtensionCase("/a.b/photo", true), "/a.b/photo");
}

TEST(SaveImage, FilterAndConvertListTexts)
{
    std::string filter;
    std::vector<std::string> list;
    for (const SaveFormatRow& row : SaveFormats())
        if (row.Listed) {
            filter += SaveFilterText(row) + "|*." + row.Extension + "|";
            list.push_back(ConvertListText(row));
        }
    EXPECT_EQ(filter,
              "Windows Bitmap (*.bmp)|*.bmp|JPEG (*.jpg)|*.jpg|Portable Network Graphics (*.png)|*.png|Portable "
              "Pixmap (*.ppm)|*.ppm|Portable Graymap (*.pgm)|*.pgm|TrueVision Targa (*.tga)|*.tga|ZSoft Paintbrush "
              "(*.pcx)|*.pcx|Graphics Interchange Format (*.gif)|*.gif|Interchange File Format (*.iff)|*.iff|"
              "Macintosh PICT (*.pct)|*.pct|Sun Rasterfile (*.ras)|*.ras|Tag Image File Format (*.tif)|*.tif|");
    ASSERT_EQ(list.size(), 12u);
    EXPECT_EQ(list[0], "Windows Bitmap (BMP)");
    EXPECT_EQ(list[9], "Macintosh PICT (PCT)");
    EXPECT_EQ(list[11], "Tag Image File Format (TIF)");
}

TEST(SaveImage, FreshSettingsGiveTheRememberedJpegOptions)
{
    WriterSlot slot(ImageFormat::JPEG, Record);
    TempFolder folder;
    auto image = MakeTestImage(4, 3, false);
    CSettings settings;
    RecordingFeedback feedback;
    g_Writes = 0;
    ASSERT_TRUE(SaveImage(folder.File("a.jpg"), kSaveJpeg, false, true, *image, settings, feedback));
    EXPECT_EQ(g_Writes, 1);
    EXPECT_EQ(g_Seen.JpegQuality, 60);
    EXPECT_EQ(g_Seen.JpegSmoothing, 0);
    EXPECT_FALSE(g_Seen.JpegOptimizeHuffman);
    EXPECT_FALSE(g_Seen.JpegProgressive);
    EXPECT_EQ(feedback.Dialogs, 0);
    EXPECT_EQ(feedback.Texts, (std::vector<std::string>{"  Saving image...", "  Done"}));

    // With the dialog: its values are stored and used.
    ASSERT_TRUE(SaveImage(folder.File("a.jpg"), kSaveJpeg, true, true, *image, settings, feedback));
    EXPECT_EQ(feedback.Dialogs, 1);
    EXPECT_EQ(g_Seen.JpegQuality, 90);
    EXPECT_EQ(settings.JpegQuality, 90);

    // Cancel: nothing written, nothing said.
    feedback.Answer = false;
    feedback.Texts.clear();
    EXPECT_FALSE(SaveImage(folder.File("b.jpg"), kSaveJpeg, true, true, *image, settings, feedback));
    EXPECT_EQ(g_Writes, 2);
    EXPECT_EQ(feedback.Texts, std::vector<std::string>{"  Saving image..."});
}

TEST(SaveImage, NoWriterIsAFailureWithAMessage)
{
    WriterSlot slot(ImageFormat::IFF, nullptr);
    TempFolder folder;
    auto image = MakeTestImage(4, 3, false);
    CSettings settings;
    for (int code : {int(kSaveIff), 99}) {
        RecordingFeedback feedback;
        EXPECT_FALSE(SaveImage(folder.File("a.iff"), code, true, true, *image, settings, feedback)) << code;
        ASSERT_EQ(feedback.Messages.size(), 1u) << code;
        EXPECT_EQ(feedback.Dialogs, 0);
        EXPECT_NE(feedback.Texts.back(), "  Done");
    }
    EXPECT_FALSE(std::filesystem::exists(folder.File("a.iff")));
}

TEST(SaveImage, ReadOnlyTargetIsRefusedAndKept)
{
    TempFolder folder;
    const std::string path = folder.Write("a.png", {1, 2, 3, 4});
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    // As root permissions do not bind: the save runs as an ordinary user.
    const uid_t nobody = 65534;
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(folder.Path().c_str(), nobody, nobody), 0);
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(nobody) != 0 || ::setuid(nobody) != 0))
            ::_exit(3);
        auto image = MakeTestImage(4, 3, false);
        CSettings settings;
        RecordingFeedback feedback;
        RegisterWriters();
        const bool saved = SaveImage(path, kSavePng, false, true, *image, settings, feedback);
        ::_exit(!saved && feedback.Messages == std::vector<std::string>{"Can't save file."} ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(TempFolder::Read(path), (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}
