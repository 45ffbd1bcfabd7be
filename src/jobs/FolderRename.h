// Rename, Rename Series and New Folder: short changes of one folder, made on
// the caller's thread. None of them ever overwrites: every rename is a rename
// that fails on an existing name, and typed names are checked before use.
#pragma once

#include "platform/FileOps.h"

#include <string>
#include <vector>

// "" when a typed name can be used as one name in a folder, else the message
// to show (a name with "/", or one that is empty, "." or "..").
std::string CheckTypedName(const std::string& name);

// The message for a failed rename: "This file already exists." (or "This
// directory already exists." for a folder) only when the name is taken,
// otherwise the system's reason.
std::string RenameFailureText(int error, bool folder);

// Renames folder/oldName to folder/newName without replacing: 0 or errno.
int RenameInFolder(const std::string& folder, const std::string& oldName, const std::string& newName,
                   IFileOps& ops = SystemFileOps());

struct SeriesStep {
    std::string From, To;  // names in the folder
    int Error = 0;         // 0 when the rename was made
};
// Gives the files of `todo` (names in the folder) the name base + counter +
// their own extension, counting from 1 and passing over every number whose
// name (without extension, ignoring case) some file of `rows` already has; a
// file of the list that has such a name keeps it. Returns what was done.
std::vector<SeriesStep> RenameSeries(const std::string& folder, const std::vector<std::string>& rows,
                                     const std::vector<std::string>& todo, const std::string& base,
                                     IFileOps& ops = SystemFileOps());

// Creates folder/name: 0 or errno (EEXIST when the name is taken).
int MakeNewFolder(const std::string& folder, const std::string& name, IFileOps& ops = SystemFileOps());
