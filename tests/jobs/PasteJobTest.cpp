#include "jobs/PasteJob.h"

#include "jobs/FaultOps.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <future>
#include <map>
#include <thread>
#include <fcntl.h>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

struct PasteRun final : IJobOwner {
    std::vector<JobError> Errors;
    std::vector<std::string> Items;
    std::vector<ReplaceQuestion> Questions;
    std::deque<std::pair<ReplaceAnswer, std::string>> Answers;  // given in turn; none left: no answer
    std::vector<int> Percents;
    std::string CancelAt;  // the item whose turn cancels the job
    CPasteJob* Job = nullptr;
    std::promise<bool> Finished;

    void OnProgress(int percent) override { Percents.push_back(percent); }
    void OnCurrentItem(const std::string& path) override
    {
        Items.push_back(path);
        if (path == CancelAt)
            Job->Cancel();
    }
    void OnError(const JobError& error) override { Errors.push_back(error); }
    void OnFinished(bool stopped) override { Finished.set_value(stopped); }
    void OnAskReplace(const ReplaceQuestion& question) override
    {
        Questions.push_back(question);
        if (Answers.empty())
            return;
        Job->AnswerReplace(Answers.front().first, Answers.front().second);
        Answers.pop_front();
    }

    // Runs one paste; true when it was stopped.
    bool Run(PasteRequest request, IFileOps& ops = SystemFileOps())
    {
        CPasteJob job(ops);
        Job = &job;
        job.SetOwner(this);
        job.SetRequest(std::move(request));
        job.Start();
        job.PostJob();
        return Finished.get_future().get();
    }
};

std::string Put(const std::string& path, const std::string& text, int64_t mtime = 0)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
    if (mtime) {
        const timespec times[2] = {{mtime, 0}, {mtime, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
    }
    return path;
}

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path)
{
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found;
}

// Short contents as they are, long ones as their size and hash.
std::string Summary(const std::string& text)
{
    return text.size() <= 64 ? text : std::to_string(text.size()) + " bytes #" + std::to_string(std::hash<std::string>{}(text));
}

// Every name under a folder with its contents ("->target" for a link, "/" for a folder).
std::map<std::string, std::string> Tree(const std::string& folder)
{
    std::map<std::string, std::string> tree;
    if (!Exists(folder))
        return tree;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().lexically_relative(folder).string();
        if (entry.is_symlink())
            tree[name] = "->" + fs::read_symlink(entry.path()).string();
        else if (entry.is_directory())
            tree[name] = "/";
        else
            tree[name] = Summary(Read(entry.path().string()));
    }
    return tree;
}

std::string Big(size_t size, char seed)
{
    std::string text(size, 0);
    for (size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>(seed + i * 7 + (i >> 12));
    return text;
}

TEST(PasteJobTest, RenameCounterGoesOnAcrossFiles)
{
    TempFolder tmp;
    const std::string dest = tmp.File("dest");
    Put(dest + "/photo.jpg", "old");
    Put(dest + "/x.jpg", "old x");
    Put(dest + "/noext", "old n");
    PasteRun run;
    run.Run({{Put(tmp.File("a/photo.jpg"), "a"), Put(tmp.File("b/photo.jpg"), "b"), Put(tmp.File("c/x.jpg"), "c"),
              Put(tmp.File("c/noext"), "n")},
             dest, false, OverwriteMode::Rename});
    EXPECT_TRUE(run.Errors.empty());
    const std::map<std::string, std::string> expected{{"photo.jpg", "old"}, {"photo_2.jpg", "a"},
                                                      {"photo_3.jpg", "b"}, {"x.jpg", "old x"},
                                                      {"x_3.jpg", "c"},     {"noext", "old n"},
                                                      {"noext_3", "n"}};
    EXPECT_EQ(Tree(dest), expected);
}

// Replace All Older, given once or as the mode: an older target is replaced, a newer one kept.
TEST(PasteJobTest, ReplaceAllOlderGoesByTimes)
{
    for (const bool asked : {true, false}) {
        TempFolder tmp;
        const std::string dest = tmp.File("dest");
        Put(dest + "/old", "target", 1000000000);
        Put(dest + "/new", "target", 1600000000);
        PasteRun run;
        run.Answers = {{AnswerReplaceAllOlder, ""}};
        run.Run({{Put(tmp.File("s/old"), "source", 1500000000), Put(tmp.File("s/new"), "source", 1500000000)}, dest,
                 false, asked ? OverwriteMode::Ask : OverwriteMode::ReplaceOlder});
        EXPECT_EQ(Read(dest + "/old"), "source") << asked;
        EXPECT_EQ(Read(dest + "/new"), "target") << asked;
        EXPECT_EQ(run.Questions.size(), asked ? 1u : 0u);
        EXPECT_TRUE(run.Errors.empty());
    }
}

TEST(PasteJobTest, AnswersOfConfirmReplace)
{
    struct Case {
        const char* name;
        std::deque<std::pair<ReplaceAnswer, std::string>> answers;
        std::map<std::string, std::string> expected;
        size_t questions, errors;
    };
    const Case cases[] = {
        {"replace", {{AnswerReplace, ""}, {AnswerSkip, ""}}, {{"p.jpg", "new"}, {"q.jpg", "old q"}}, 2, 0},
        {"replace all", {{AnswerReplaceAll, ""}}, {{"p.jpg", "new"}, {"q.jpg", "new q"}}, 1, 0},
        {"skip all", {{AnswerSkipAll, ""}}, {{"p.jpg", "old"}, {"q.jpg", "old q"}}, 1, 0},
        {"cancel goes on", {{AnswerCancel, ""}, {AnswerReplace, ""}}, {{"p.jpg", "old"}, {"q.jpg", "new q"}}, 2, 0},
        {"rename, empty then taken",
         {{AnswerRename, ""}, {AnswerRename, "q"}, {AnswerRename, "r"}, {AnswerSkip, ""}},
         {{"p.jpg", "old"}, {"q.jpg", "old q"}, {"r.jpg", "new"}},
         4, 1},
    };
    for (const Case& c : cases) {
        TempFolder tmp;
        const std::string dest = tmp.File("dest");
        Put(dest + "/p.jpg", "old");
        Put(dest + "/q.jpg", "old q");
        PasteRun run;
        run.Answers = c.answers;
        run.Run({{Put(tmp.File("s/p.jpg"), "new"), Put(tmp.File("s/q.jpg"), "new q")}, dest});
        EXPECT_EQ(Tree(dest), c.expected) << c.name;
        EXPECT_EQ(run.Questions.size(), c.questions) << c.name;
        ASSERT_EQ(run.Errors.size(), c.errors) << c.name;
        if (c.errors) {
            EXPECT_EQ(run.Errors[0].Text, "This file already exists.") << c.name;
        }
        ASSERT_FALSE(run.Questions.empty());
        EXPECT_EQ(run.Questions[0].ExistingPath, dest + "/p.jpg");
        EXPECT_EQ(run.Questions[0].SourcePath, tmp.File("s/p.jpg"));
        EXPECT_EQ(run.Questions[0].NewName, "p");
        EXPECT_EQ(run.Questions[0].ExistingDetails.rfind("3 bytes,  ", 0), 0u) << run.Questions[0].ExistingDetails;
    }
}

// A skipped move leaves its source, whether the mode or the user skips it,
// within one filesystem and across two.
TEST(PasteJobTest, SkippedMoveKeepsItsSource)
{
    for (const bool otherDevice : {false, true}) {
        for (const OverwriteMode mode : {OverwriteMode::Skip, OverwriteMode::Ask}) {
            TempFolder tmp;
            const std::string dest = tmp.File("dest");
            Put(dest + "/taken", "target");
            FaultOps ops;
            ops.OtherDevicePrefix = otherDevice ? tmp.File("src") : "";
            PasteRun run;
            run.Answers = {{AnswerSkip, ""}};
            run.Run({{Put(tmp.File("src/taken"), "source"), Put(tmp.File("src/free"), "free")}, dest, true, mode}, ops);
            EXPECT_EQ(Read(tmp.File("src/taken")), "source");
            EXPECT_FALSE(Exists(tmp.File("src/free")));
            EXPECT_EQ(Tree(dest), (std::map<std::string, std::string>{{"taken", "target"}, {"free", "free"}}));
            EXPECT_TRUE(run.Errors.empty());
        }
    }
}

TEST(PasteJobTest, RefusalsComeBeforeAnyWork)
{
    TempFolder tmp;
    Put(tmp.File("top/sub/deep/file"), "x");
    Put(tmp.File("top/file"), "y");
    fs::create_directory_symlink(tmp.File("top/sub"), tmp.File("link-to-sub"));
    fs::create_directory_symlink(tmp.File("top"), tmp.File("link-to-top"));
    const std::string subdir = "Cannot copy 'top'\nThe destination directory is a subdirectory of the source directory.";
    const std::string itself = "You cannot copy/move a file or directory to itself.";
    struct Case {
        std::vector<std::string> sources;
        std::string destination;
        bool move;
        std::string message;
    };
    const Case cases[] = {
        {{tmp.File("top")}, tmp.File("top/sub/deep"), false, subdir},
        {{tmp.File("top")}, tmp.File("link-to-sub"), false, subdir},
        {{tmp.File("top")}, tmp.File("top"), false, subdir},
        {{tmp.File("top/")}, tmp.File("link-to-top/sub/"), true,
         "Cannot move 'top'\nThe destination directory is a subdirectory of the source directory."},
        {{tmp.File("top")}, tmp.Path(), false, itself},
        {{tmp.File("top/file")}, tmp.File("link-to-top"), true, itself},
        {{tmp.File("top/sub/deep/file"), tmp.File("top/file")}, tmp.File("top/"), false, itself},
        {{tmp.File("top/file")}, tmp.File("none"), false,
         "Can't copy to " + tmp.File("none") + ": No such file or directory"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PasteRefusal({c.sources, c.destination, c.move}), c.message) << c.destination;
        FaultOps ops;
        ops.RefuseAll = true;
        PasteRun run;
        run.Run({c.sources, c.destination, c.move}, ops);
        EXPECT_TRUE(ops.Changes.empty()) << c.destination;
        ASSERT_EQ(run.Errors.size(), 1u) << c.destination;
        EXPECT_EQ(run.Errors[0].Text, c.message);
    }
    // A link to a folder is copied as a link: no refusal.
    EXPECT_EQ(PasteRefusal({{tmp.File("link-to-top")}, tmp.File("top/sub")}), "");
}

TEST(PasteJobTest, LinksModesAndTimesAreKept)
{
    for (const bool move : {false, true}) {
        TempFolder tmp;
        const std::string top = tmp.File("top");
        Put(top + "/data", "data", 1234567890);
        ::chmod((top + "/data").c_str(), 0640);
        fs::create_symlink("data", top + "/relative-link");
        fs::create_symlink("/nowhere/at/all", top + "/dangling");
        fs::create_directory_symlink(tmp.File("outside"), top + "/folder-link");
        Put(tmp.File("outside/secret"), "not copied");
        fs::create_directories(tmp.File("dest"));
        Put(top + "/sub/inner", "inner", 1300000000);
        ::chmod((top + "/sub").c_str(), 0750);
        const auto before = Tree(top);
        FaultOps ops;
        ops.OtherDevicePrefix = top;  // a move copies, syncs, then deletes
        PasteRun run;
        EXPECT_FALSE(run.Run({{top}, tmp.File("dest"), move}, ops));
        EXPECT_TRUE(run.Errors.empty());
        const std::string copy = tmp.File("dest/top");
        EXPECT_EQ(Tree(copy), before) << move;
        EXPECT_EQ(Exists(top), !move);
        struct stat st {};
        ASSERT_EQ(::lstat((copy + "/data").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
        EXPECT_EQ(st.st_mtim.tv_sec, 1234567890);
        ASSERT_EQ(::lstat((copy + "/sub").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0750u);
        EXPECT_TRUE(fs::is_symlink(copy + "/folder-link"));
        EXPECT_EQ(run.Percents.back(), 100);
    }
}

// Each fault of one file is reported with its path and reason and never asks
// about replacing; that file leaves no target and no temporary, its source
// stays, and every other file is copied (or moved).
TEST(PasteJobTest, FaultsLoseNothingAndLeaveNothingHalfWritten)
{
    struct Case {
        const char* name;
        void (*setUp)(FaultOps&, const std::string& src, const std::string& dest);
        std::string reason;
    };
    const Case cases[] = {
        {"ENOSPC inside the copy",
         [](FaultOps& o, const std::string&, const std::string& d) {
             o.WritePrefix = d + "/top/.big";
             o.WriteLimit = 1500000;
         },
         "No space left on device"},
        {"ENOSPC at the first byte",
         [](FaultOps& o, const std::string&, const std::string& d) {
             o.WritePrefix = d + "/top/.big";
             o.WriteLimit = 0;
         },
         "No space left on device"},
        {"EACCES on open", [](FaultOps& o, const std::string& s, const std::string&) { o.OpenPrefix = s + "/big"; },
         "Permission denied"},
        {"EIO on close",
         [](FaultOps& o, const std::string&, const std::string& d) { o.ClosePrefix = d + "/top/.big"; },
         "Input/output error"},
        {"EACCES on the rename into place",
         [](FaultOps& o, const std::string&, const std::string& d) { o.RenamePrefix = d + "/top/.big"; },
         "Permission denied"},
    };
    for (const bool move : {false, true}) {
        for (const Case& c : cases) {
            TempFolder tmp;
            const std::string src = tmp.File("top"), dest = tmp.File("dest");
            Put(src + "/a", "a");
            Put(src + "/big", Big(3 << 20, 'b'));
            Put(src + "/z/c", "c");
            fs::create_directories(dest);
            const auto before = Tree(src);
            FaultOps ops;
            ops.OtherDevicePrefix = src;
            c.setUp(ops, src, dest);
            PasteRun run;
            EXPECT_FALSE(run.Run({{src}, dest, move}, ops));
            const std::string what = std::string(c.name) + (move ? " (move)" : "");
            ASSERT_GE(run.Errors.size(), 1u) << what << " " << Tree(dest).size();
            EXPECT_EQ(run.Errors[0].Text, "Can't copy " + src + "/big: " + c.reason) << what;
            EXPECT_TRUE(run.Questions.empty()) << what;
            auto expected = before;
            expected.erase("big");
            EXPECT_EQ(Tree(dest + "/top"), expected) << what;
            EXPECT_EQ(Summary(Read(src + "/big")), before.at("big")) << what;
            if (move) {
                EXPECT_EQ(Tree(src), (std::map<std::string, std::string>{{"big", before.at("big")}})) << what;
                ASSERT_EQ(run.Errors.size(), 2u) << what;
                EXPECT_EQ(run.Errors[1].Text.rfind("Can't delete the '" + src + "' directory.\n", 0), 0u) << what;
            } else {
                EXPECT_EQ(run.Errors.size(), 1u) << what;
            }
        }
    }
}

// A cancel at an item or inside a large file: what is done stays done (a
// moved file's source is gone), the file in flight leaves no trace, the rest
// stays where it was.
TEST(PasteJobTest, CancelKeepsWhatIsDoneAndRemovesTheFileInFlight)
{
    for (const bool move : {false, true}) {
        for (const bool insideFile : {false, true}) {
            SCOPED_TRACE(std::string(move ? "move" : "copy") + (insideFile ? " inside a file" : " at an item"));
            TempFolder tmp;
            const std::string src = tmp.File("s"), dest = tmp.File("d");
            fs::create_directories(dest);
            const std::vector<std::string> files{Put(src + "/1", "one"), Put(src + "/2", Big(8 << 20, 'x')),
                                                 Put(src + "/3", "three")};
            FaultOps ops;
            ops.OtherDevicePrefix = src;
            PasteRun run;
            CPasteJob* const* job = &run.Job;
            if (insideFile)
                ops.OnWritten = [job](uint64_t written) {
                    if (written >= (3u << 20))
                        (*job)->Cancel();
                };
            else
                run.CancelAt = files[1];
            EXPECT_TRUE(run.Run({files, dest, move}, ops));
            EXPECT_EQ(Tree(dest), (std::map<std::string, std::string>{{"1", "one"}}));
            EXPECT_EQ(Exists(files[0]), !move);
            EXPECT_TRUE(Exists(files[1]) && Exists(files[2]));
            EXPECT_TRUE(run.Errors.empty());
            if (insideFile) {
                // The large file's progress moved while it was copied.
                EXPECT_GE(run.Percents.size(), 3u);
            }
        }
    }
}

TEST(PasteJobTest, CancelWhileAskingEndsPromptly)
{
    TempFolder tmp;
    Put(tmp.File("d/f"), "old");
    PasteRun run;  // gives no answer
    std::thread canceller([&run] {
        std::this_thread::sleep_for(100ms);
        run.Job->Cancel();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(run.Run({{Put(tmp.File("s/f"), "new"), Put(tmp.File("s/g"), "g")}, tmp.File("d")}));
    canceller.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(run.Questions.size(), 1u);
    EXPECT_EQ(Tree(tmp.File("d")), (std::map<std::string, std::string>{{"f", "old"}}));
}

TEST(PasteJobTest, EmptyFilesAndMissingSources)
{
    TempFolder tmp;
    PasteRun run;
    run.Run({{Put(tmp.File("s/empty"), ""), tmp.File("s/missing")}, tmp.File("s/..")});
    EXPECT_EQ(Tree(tmp.Path()), (std::map<std::string, std::string>{{"s", "/"}, {"s/empty", ""}, {"empty", ""}}));
    ASSERT_EQ(run.Errors.size(), 1u);
    EXPECT_EQ(run.Errors[0].Text, "Can't copy " + tmp.File("s/missing") + ": No such file or directory");
    EXPECT_EQ(run.Percents, std::vector<int>{0});
    EXPECT_EQ(CPasteJob::RequiredBytes({tmp.File("s"), tmp.File("empty")}), 0u);
}

} // namespace
