// The file a writer produces: a CSafeFileWriter that turns every failure into
// the writer's CTextException, so a writer reads as a plain list of writes and
// a failed save leaves the old file as it was.
#pragma once

#include "platform/SafeFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

class CBmp;

// Sides a 16-bit header field can hold.
constexpr int kMaxSide16 = 65535;

// Refuses, before any file is made, an image the format's header cannot
// describe: an empty one (code 7 "Internal error.") and one wider or higher
// than the limits (code 6).
void CheckImageSize(const CBmp& bitmap, int64_t maxWidth, int64_t maxHeight);

class CWriterFile {
public:
    // Opens the temporary file beside path. A target that exists but may not
    // be written is refused (code 12 "Can't save file."); renaming over it
    // would succeed here and silently replace a protected file. A folder
    // where no file can be made is code 5 "Error open file for writing.".
    // writeError is the writer's own text for a failed write (code 12).
    CWriterFile(const std::string& path, const char* writeError, const SafeWriteOptions& options = {});

    // Appends bytes; a failed write raises code 12 with the writer's text.
    void Write(const void* data, size_t size);
    // The same without raising, for library callbacks that may not throw.
    bool TryWrite(const void* data, size_t size) { return m_File.Write(data, size); }
    // Flushes, syncs and renames over the target; raises code 12 on failure.
    // Without it the destructor drops the temporary file.
    void Commit();

private:
    CSafeFileWriter m_File;
    const char* m_WriteError;
};
