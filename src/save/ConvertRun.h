// The Convert command's run over the selected files: each is decoded and
// saved in the chosen format beside itself, with the choices for a target
// that exists already and the optional removal of the original. The
// questions and the deleting are the window's (IConvertHost), so the run
// itself is plain and testable.
#pragma once

#include "save/SaveImage.h"

#include <cstddef>
#include <string>
#include <vector>

class CSettings;

enum ConvertOverwrite { kOverwriteAsk = 0, kOverwriteReplace = 1, kOverwriteRename = 2, kOverwriteSkip = 3 };

struct ConvertRequest {
    std::string Folder;
    std::vector<std::string> Names;  // the selected files, in order
    int FormatIndex = 0;             // into the listed rows of SaveFormats()
    bool ReplaceOriginal = false;
    int Overwrite = kOverwriteAsk;   // an unknown value asks
    bool UpperCaseExtension = false;
    bool UseRecycleBin = true;
};

class IConvertHost : public ISaveFeedback {
public:
    // Yes/No question; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    // The rename dialog: the question and the text the field starts with;
    // false on Cancel.
    virtual bool AskName(const std::string& prompt, const std::string& initial, std::string& name) = 0;
    // Removes a file, to the trash or for good; false when it could not.
    virtual bool RemoveFile(const std::string& path, bool toTrash) = 0;
    // Before file `done` of `total`: false when the user cancelled the run.
    virtual bool Progress(size_t done, size_t total) { return true; }
};

struct ConvertResult {
    std::string LastTarget;  // name of the last file written; empty when none
    size_t Converted = 0;
    bool Cancelled = false;
};

// A failure with one file is reported and the run goes on with the next. The
// options dialog of the format is shown for the first file that gets to be
// saved only. Converting a file to its own format with ReplaceOriginal never
// removes the file just written.
ConvertResult ConvertFiles(const ConvertRequest& request, CSettings& settings, IConvertHost& host);

// The format a convert index stands for; out-of-range indexes give the first.
const SaveFormatRow& ConvertFormat(int index);
