#include "save/WriterFile.h"

#include "base/TextException.h"
#include "image/Bmp.h"

#include <cstdio>
#include <filesystem>

namespace {

// Opening for update neither creates nor changes the file, and answers for
// this user whatever the permission model of the file system is.
bool MayReplace(const std::string& path)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return true;
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

} // namespace

void CheckImageSize(const CBmp& bitmap, int64_t maxWidth, int64_t maxHeight)
{
    if (bitmap.Width <= 0 || bitmap.Height <= 0 || !bitmap.Lines)
        throw CTextException(ErrInternal, "Internal error.");
    if (bitmap.Width > maxWidth || bitmap.Height > maxHeight)
        throw CTextException(ErrUnsupported, "Image is too large for this file format.");
}

CWriterFile::CWriterFile(const std::string& path, const char* writeError, const SafeWriteOptions& options)
    : m_WriteError(writeError)
{
    if (!MayReplace(path))
        throw CTextException(ErrWriteFailure, "Can't save file.");
    if (!m_File.Open(path, options))
        throw CTextException(ErrAccessDenied, "Error open file for writing.");
}

void CWriterFile::Write(const void* data, size_t size)
{
    if (!m_File.Write(data, size))
        throw CTextException(ErrWriteFailure, m_WriteError);
}

void CWriterFile::Commit()
{
    if (!m_File.Commit())
        throw CTextException(ErrWriteFailure, m_WriteError);
}
