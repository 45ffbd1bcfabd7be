#include "view/LoadFailure.h"

#include "base/TextException.h"

#include <filesystem>
#include <system_error>

std::string LoadFailureReason(const std::string& path, int code, const std::string& text)
{
    namespace fs = std::filesystem;
    std::error_code error;
    switch (code) {
    case ErrPathNotFound:
    case ErrFileNotFound:
        return "The file is not there any more.";
    case ErrAccessDenied:
        // The opening step reports empty files, folders and unreadable files alike.
        if (fs::is_regular_file(path, error) && fs::file_size(path, error) == 0 && !error)
            return "The file is empty (0 bytes).";
        if (fs::exists(path, error) && !fs::is_regular_file(path, error))
            return "This is not a regular file.";
        return "The file cannot be read: access denied.";
    case ErrUnknownFileType:
    case ErrWrongSignature:
        return "Unknown format: the file is not an image this program reads.";
    default:
        break;
    }
    if (!text.empty())
        return text;
    return "The image could not be loaded.";
}
