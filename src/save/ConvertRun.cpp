#include "save/ConvertRun.h"

#include "base/FileName.h"
#include "base/TextException.h"
#include "formats/AutoDecoder.h"
#include "image/WinBmp.h"

#include <filesystem>
#include <new>
#include <set>
#include <system_error>

namespace {

// The names of the folder, compared without regard to case, kept up to date
// with what the run writes and removes.
class CFolderNames {
public:
    explicit CFolderNames(const std::string& folder)
    {
        std::error_code error;
        for (auto it = std::filesystem::directory_iterator(folder, error);
             !error && it != std::filesystem::directory_iterator(); it.increment(error))
            m_Names.insert(FoldCase(it->path().filename().string()));
    }
    bool Contains(const std::string& name) const { return m_Names.count(FoldCase(name)) != 0; }
    void Add(const std::string& name) { m_Names.insert(FoldCase(name)); }
    void Remove(const std::string& name)
    {
        const auto it = m_Names.find(FoldCase(name));
        if (it != m_Names.end())
            m_Names.erase(it);
    }

private:
    // Several names may fold to one (a.png and A.PNG).
    std::multiset<std::string> m_Names;
};

// Asks for another name until it is free; false when the file is skipped.
bool RenameTarget(std::string& target, const std::string& extension, const CFolderNames& names, IConvertHost& host)
{
    const std::string prompt = "Rename '" + target + "' to";
    std::string entered = NameWithoutExtension(target);
    for (;;) {
        if (!host.AskName(prompt, entered, entered) || entered.empty())
            return false;
        if (entered.find('/') != std::string::npos) {
            host.Message("A file name cannot contain '/'.");
            continue;
        }
        const std::string candidate = entered + extension;
        if (!names.Contains(candidate)) {
            target = candidate;
            return true;
        }
        host.Message("This file already exists.");
    }
}

// Whether both names are one file (its own format, or a folder that ignores case).
bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    const bool same = std::filesystem::equivalent(a, b, error);
    return error || same;
}

} // namespace

const SaveFormatRow& ConvertFormat(int index)
{
    const auto rows = SaveFormats();
    int listed = 0;
    for (const SaveFormatRow& row : rows)
        if (row.Listed && listed++ == index)
            return row;
    return rows.front();
}

ConvertResult ConvertFiles(const ConvertRequest& request, CSettings& settings, IConvertHost& host)
{
    ConvertResult result;
    const SaveFormatRow& format = ConvertFormat(request.FormatIndex);
    const std::string extension =
        WithExtensionCase(std::string(".") + format.Extension, request.UpperCaseExtension);
    CFolderNames names(request.Folder);
    CAutoDecoder decoder;
    bool first = true;
    for (size_t i = 0; i < request.Names.size(); ++i) {
        if (!host.Progress(i, request.Names.size())) {
            result.Cancelled = true;
            break;
        }
        const std::string& name = request.Names[i];
        std::string target = NameWithoutExtension(name) + extension;
        if (names.Contains(target)) {
            bool go = true;
            switch (request.Overwrite) {
            case kOverwriteReplace: break;
            case kOverwriteSkip: go = false; break;
            case kOverwriteRename: go = RenameTarget(target, extension, names, host); break;
            default: go = host.AskYesNo("File '" + target + "' already exists. Overwrite it?"); break;
            }
            if (!go)
                continue;
        }

        const std::string source = JoinPath(request.Folder, name);
        CWinBmp bitmap;
        try {
            decoder.DecodeFile(source, bitmap, 32);
        } catch (const CTextException&) {
            host.Message("Can't load '" + name + "'.");
            continue;
        } catch (const std::bad_alloc&) {
            host.Message("Can't load '" + name + "'.");
            continue;
        }

        const std::string path = JoinPath(request.Folder, target);
        std::error_code error;
        const bool existed = std::filesystem::exists(path, error);
        const bool saved = SaveImage(path, format.Code, first, false, bitmap, settings, host);
        first = false;
        if (!saved)
            continue;
        if (!existed)
            names.Add(target);
        result.LastTarget = target;
        ++result.Converted;

        if (!request.ReplaceOriginal || SameFile(source, path))
            continue;
        if (host.RemoveFile(source, request.UseRecycleBin))
            names.Remove(name);
        else if (request.UseRecycleBin)
            host.Message("Can't delete " + source);
        else
            host.Message("Can't delete " + source + "\nThis is a read-only file.");
    }
    return result;
}
