// Writes a file so that a failure never destroys the previous one: the data
// goes to a temporary file beside the target, which replaces the target only
// when every byte has been written and flushed. A symbolic link is written
// through (the link stays, the file it names is replaced), and the new file
// keeps the mode, owner and group of the one it replaces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// For files that are a cache of something else: a private mode for a new
// file, and no flush to the disk (a lost or torn file is simply made again).
struct SafeWriteOptions {
    uint32_t NewFileMode = 0666;  // before the umask
    bool Durable = true;
};

class CSafeFileWriter {
public:
    CSafeFileWriter() = default;
    ~CSafeFileWriter();
    CSafeFileWriter(const CSafeFileWriter&) = delete;
    CSafeFileWriter& operator=(const CSafeFileWriter&) = delete;

    // Creates the temporary file. False when the folder is missing or not
    // writable, the target is a folder, or its links loop.
    bool Open(const std::string& path, const SafeWriteOptions& options = {});
    // Appends bytes; false once any write has failed (later writes do nothing).
    bool Write(const void* data, size_t size);
    bool WriteU32LE(uint32_t value);
    // Flushes, closes and renames over the target. False leaves the target untouched.
    bool Commit();
    // Drops the temporary file; the target is untouched. Called by the destructor.
    void Abort();

    bool IsOpen() const { return m_Fd >= 0; }
    bool Failed() const { return m_Failed; }
    // errno of the first failure (0 when none), for the caller's message.
    int Error() const { return m_Error; }

private:
    bool Flush();

    int m_Fd = -1;
    bool m_Failed = false;
    int m_Error = 0;
    bool m_Durable = true;
    // The file finally named by the path given to Open, after following links.
    std::string m_Target;
    std::string m_TempPath;
    // Small writes are gathered here; a bitmap row or more goes straight through.
    static constexpr size_t kBufferSize = 1 << 16;
    unsigned char* m_Buffer = nullptr;
    size_t m_Used = 0;
};

// Copies a regular file through a CSafeFileWriter, so the target is either the
// old file or a complete copy. False with a short reason in error.
bool CopySafely(const std::string& from, const std::string& to, std::string& error);
