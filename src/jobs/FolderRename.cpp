#include "jobs/FolderRename.h"

#include "base/FileName.h"

#include <cerrno>
#include <list>

namespace {

std::string InFolder(const std::string& folder, const std::string& name)
{
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

} // namespace

std::string CheckTypedName(const std::string& name)
{
    if (name.empty())
        return "Please type a name.";
    if (name == "." || name == "..")
        return "\".\" and \"..\" cannot be used as names.";
    if (name.find('/') != std::string::npos)
        return "A name cannot contain \"/\".";
    if (name.find('\0') != std::string::npos)
        return "A name cannot contain a null character.";
    return "";
}

std::string RenameFailureText(int error, bool folder)
{
    if (error == EEXIST || (folder && error == ENOTEMPTY))
        return folder ? "This directory already exists." : "This file already exists.";
    return std::string(folder ? "Can't rename the directory: " : "Can't rename the file: ") + ErrorText(error) + ".";
}

int RenameInFolder(const std::string& folder, const std::string& oldName, const std::string& newName, IFileOps& ops)
{
    // Names are single components: anything else could move the file elsewhere.
    if (!CheckTypedName(oldName).empty() || !CheckTypedName(newName).empty())
        return EINVAL;
    // The same name again is no change (a rename onto itself would report the
    // name as taken); a change of case alone is an ordinary rename here.
    if (oldName == newName)
        return 0;
    return ops.RenameNoReplace(InFolder(folder, oldName), InFolder(folder, newName));
}

std::vector<SeriesStep> RenameSeries(const std::string& folder, const std::vector<std::string>& rows,
                                     const std::vector<std::string>& todo, const std::string& base, IFileOps& ops)
{
    std::vector<std::string> rowBases;
    rowBases.reserve(rows.size());
    for (const std::string& row : rows)
        rowBases.push_back(NameWithoutExtension(row));
    const auto taken = [&rowBases](const std::string& candidate) {
        for (const std::string& rowBase : rowBases)
            if (EqualsNoCase(rowBase, candidate))
                return true;
        return false;
    };

    // Every turn either takes a file off the list or passes over a number some
    // row holds; a row holds at most one number, so the loop always ends.
    std::list<std::string> left(todo.begin(), todo.end());
    std::vector<SeriesStep> steps;
    for (unsigned long long counter = 1; !left.empty(); ++counter) {
        const std::string candidate = base + std::to_string(counter);
        if (taken(candidate)) {
            // A file of the list already named so keeps its name.
            for (auto it = left.begin(); it != left.end(); ++it) {
                if (EqualsNoCase(NameWithoutExtension(*it), candidate)) {
                    left.erase(it);
                    break;
                }
            }
            continue;
        }
        SeriesStep step;
        step.From = std::move(left.front());
        left.pop_front();
        const std::string extension = Extension(step.From);
        step.To = extension.empty() ? candidate : candidate + "." + extension;
        step.Error = RenameInFolder(folder, step.From, step.To, ops);
        steps.push_back(std::move(step));
    }
    return steps;
}

int MakeNewFolder(const std::string& folder, const std::string& name, IFileOps& ops)
{
    if (!CheckTypedName(name).empty())
        return EINVAL;
    return ops.MakeFolder(InFolder(folder, name), 0777);
}
