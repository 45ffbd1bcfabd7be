// File-name text rules shared by the listing, the decoders and the dialogs:
// the one extension rule, the one path joiner and the one case-insensitive
// comparison (ASCII).
#pragma once

#include <string>
#include <string_view>

// Text after the last "." of the name (the file-name part of a path); empty when
// there is none or when the last "." belongs to a folder.
std::string Extension(std::string_view name);

// Name up to, not including, its last "." (the whole name when it has none).
std::string NameWithoutExtension(std::string_view name);

// Folder + native separator + name (name alone when folder is empty).
std::string JoinPath(const std::string& folder, const std::string& name);

// Text after the last native separator (the whole path when there is none).
std::string FileNamePart(std::string_view path);
// Text before the last native separator: "/" for an entry of the root, ""
// when there is no separator.
std::string FolderPart(std::string_view path);

// <0, 0, >0 comparing ASCII letters without regard to case.
int CompareNoCase(std::string_view a, std::string_view b);
bool EqualsNoCase(std::string_view a, std::string_view b);
// The key under which names that are equal without regard to case meet.
std::string FoldCase(std::string_view text);
