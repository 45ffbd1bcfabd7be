// Edits of the per-user mimeapps.list, the freedesktop list of default
// applications by MIME type. Only the lines of the [Default Applications]
// group that name the given types change; every other line stays as it was.
#pragma once

#include <string>
#include <vector>

// The text with `application` as the default of each type: an existing line
// of the type in [Default Applications] is replaced, a missing one added at
// the end of the group, and the group added at the end when missing.
std::string SetDefaultApplication(const std::string& text, const std::vector<std::string>& mimeTypes,
                                  const std::string& application);

// The text without `application` as the default of the types: the line of a
// type whose default is `application` loses that entry (the line goes when
// nothing is left); a type with another default keeps its line.
std::string RemoveDefaultApplication(const std::string& text, const std::vector<std::string>& mimeTypes,
                                     const std::string& application);

// The first application the group names for the type, or "".
std::string DefaultApplication(const std::string& text, const std::string& mimeType);

// Every type whose default (first application) is `application`, in file order.
std::vector<std::string> TypesWithDefault(const std::string& text, const std::string& application);

// The whole file; a missing file reads as "". False with a reason otherwise.
bool ReadTextFile(const std::string& path, std::string& text, std::string& error);
// Replaces the file atomically (its folder is created when missing). False
// with a reason, the old file untouched.
bool WriteTextFile(const std::string& path, const std::string& text, std::string& error);
