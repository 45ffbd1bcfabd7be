// The convert run over files on disk with the window's questions answered by
// a script: targets, the overwrite choices, removing originals and failures.
#include "save/ConvertRun.h"
#include "save/WriterImages.h"

#include "settings/Settings.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>

namespace {

struct ScriptedHost : IConvertHost {
    bool OptionsAnswer = true;
    bool YesAnswer = false;
    std::deque<std::string> Names;  // answers of the rename dialog; none left is Cancel
    size_t CancelAt = SIZE_MAX;
    std::vector<std::string> Said;  // messages and questions
    std::vector<std::string> Removed;

    bool ShowOptions(const SaveFormatRow&, CSettings&) override { return OptionsAnswer; }
    void Status(const std::string&) override {}
    void Message(const std::string& text) override { Said.push_back(text); }
    bool AskYesNo(const std::string& text) override
    {
        Said.push_back(text);
        return YesAnswer;
    }
    bool AskName(const std::string& prompt, const std::string& initial, std::string& name) override
    {
        Said.push_back(prompt + " [" + initial + "]");
        if (Names.empty())
            return false;
        name = Names.front();
        Names.pop_front();
        return true;
    }
    bool RemoveFile(const std::string& path, bool) override
    {
        Removed.push_back(std::filesystem::path(path).filename().string());
        return std::filesystem::remove(path);
    }
    bool Progress(size_t done, size_t) override { return done < CancelAt; }
};

constexpr int kPng = 2;  // convert list index
constexpr int kJpeg = 1;

class ConvertRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterWriters();
        auto image = MakeTestImage(6, 4, false);
        SaveAs(ImageFormat::BMP, *image, m_Folder.File("a.bmp"), SaveOptions());
        SaveAs(ImageFormat::JPEG, *image, m_Folder.File("b.jpg"), SaveOptions());
    }

    ConvertResult Run(ConvertRequest request, std::vector<std::string> names = {"a.bmp", "b.jpg"})
    {
        request.Folder = m_Folder.Path();
        request.Names = std::move(names);
        return ConvertFiles(request, m_Settings, m_Host);
    }

    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_Folder.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder m_Folder;
    CSettings m_Settings;
    ScriptedHost m_Host;
};

using Names = std::vector<std::string>;

} // namespace

TEST_F(ConvertRunTest, WritesEachFileBesideItself)
{
    ConvertRequest request;
    request.FormatIndex = kPng;
    const ConvertResult result = Run(request);
    EXPECT_EQ(Files(), (Names{"a.bmp", "a.png", "b.jpg", "b.png"}));
    EXPECT_EQ(result.Converted, 2u);
    EXPECT_EQ(result.LastTarget, "b.png");
    EXPECT_TRUE(m_Host.Said.empty());

    // a.png is there already, ignoring case: replaced, as a.PNG.
    request.UpperCaseExtension = true;
    request.Overwrite = kOverwriteReplace;
    Run(request);
    EXPECT_EQ(Files(), (Names{"a.PNG", "a.bmp", "a.png", "b.PNG", "b.jpg", "b.png"}));
}

TEST_F(ConvertRunTest, ExistingTargets)
{
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    ConvertRequest request;
    request.FormatIndex = kPng;

    m_Folder.Write("a.png", old);
    request.Overwrite = kOverwriteSkip;
    Run(request);
    EXPECT_EQ(TempFolder::Read(m_Folder.File("a.png")), old);
    EXPECT_TRUE(std::filesystem::exists(m_Folder.File("b.png")));

    // Ask, answered No; the question names the target in its final case.
    std::filesystem::remove(m_Folder.File("b.png"));
    m_Folder.Write("A.PNG", old);
    request.Overwrite = kOverwriteAsk;
    request.UpperCaseExtension = true;
    Run(request);
    EXPECT_EQ(m_Host.Said, Names{"File 'a.PNG' already exists. Overwrite it?"});
    EXPECT_EQ(TempFolder::Read(m_Folder.File("A.PNG")), old);
    EXPECT_TRUE(std::filesystem::exists(m_Folder.File("b.PNG")));

    // Rename: a name that is taken is said and asked again; Cancel skips.
    m_Host.Said.clear();
    m_Host.Names = {"B", "c"};
    request.Overwrite = kOverwriteRename;
    request.UpperCaseExtension = false;
    Run(request, {"a.bmp"});
    EXPECT_EQ(m_Host.Said, (Names{"Rename 'a.png' to [a]", "This file already exists.", "Rename 'a.png' to [B]"}));
    EXPECT_TRUE(std::filesystem::exists(m_Folder.File("c.png")));
    EXPECT_EQ(TempFolder::Read(m_Folder.File("a.png")), old);
}

TEST_F(ConvertRunTest, ReplaceOriginalOnlyAfterASave)
{
    ConvertRequest request;
    request.FormatIndex = kJpeg;
    request.ReplaceOriginal = true;
    // The options dialog is shown for the first file only; its Cancel fails that file.
    m_Host.OptionsAnswer = false;
    m_Folder.Write("c.bmp", TempFolder::Read(m_Folder.File("a.bmp")));
    Run(request, {"a.bmp", "c.bmp"});
    EXPECT_EQ(m_Host.Removed, Names{"c.bmp"});
    EXPECT_EQ(Files(), (Names{"a.bmp", "b.jpg", "c.jpg"}));

    // Its own format: the result is the original and stays.
    m_Host.Removed.clear();
    m_Host.OptionsAnswer = true;
    request.Overwrite = kOverwriteReplace;
    const ConvertResult result = Run(request, {"b.jpg"});
    EXPECT_EQ(result.Converted, 1u);
    EXPECT_TRUE(m_Host.Removed.empty());
    EXPECT_TRUE(std::filesystem::exists(m_Folder.File("b.jpg")));
}

TEST_F(ConvertRunTest, UndecodableFileIsSaidAndTheRunGoesOn)
{
    m_Folder.Write("x.png", {1, 2, 3});
    ConvertRequest request;
    request.FormatIndex = kPng;
    request.Overwrite = kOverwriteReplace;
    const ConvertResult result = Run(request, {"x.png", "a.bmp"});
    EXPECT_EQ(m_Host.Said, Names{"Can't load 'x.png'."});
    EXPECT_EQ(result.Converted, 1u);
    EXPECT_TRUE(std::filesystem::exists(m_Folder.File("a.png")));
}

TEST_F(ConvertRunTest, CancelStopsBeforeTheNextFile)
{
    m_Host.CancelAt = 1;
    ConvertRequest request;
    request.FormatIndex = kPng;
    const ConvertResult result = Run(request);
    EXPECT_TRUE(result.Cancelled);
    EXPECT_EQ(Files(), (Names{"a.bmp", "a.png", "b.jpg"}));
}
