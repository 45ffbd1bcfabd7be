// A whole file mapped read-only for sequential parsing in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CMappedFile {
public:
    CMappedFile() = default;
    ~CMappedFile() { Close(); }
    CMappedFile(const CMappedFile&) = delete;
    CMappedFile& operator=(const CMappedFile&) = delete;

    // 0 on success; 3 when the folder is missing, 4 when the file is missing or
    // cannot be opened, 5 when access is denied or the file cannot be mapped
    // (an empty file or a folder included).
    int Open(const std::string& path);
    void Close();

    const uint8_t* Data() const { return m_Data; }
    size_t Size() const { return m_Size; }

private:
    const uint8_t* m_Data = nullptr;
    size_t m_Size = 0;
};
