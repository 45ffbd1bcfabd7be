// Read cursors over the bytes of an image. Decoders parse the bytes in place;
// every read is checked before the cursor moves, so no decoder can read
// outside the block.
#pragma once

#include "platform/MappedFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

class CByteSource {
public:
    CByteSource() = default;
    virtual ~CByteSource() = default;
    CByteSource(const CByteSource&) = delete;
    CByteSource& operator=(const CByteSource&) = delete;

    // A block of memory the caller keeps alive while the source is open.
    void Open(const std::string& name, const uint8_t* data, size_t size);
    virtual void Close();

    // Both return the position before the move; past the end raises code 7.
    const uint8_t* ReadBytes(size_t n);
    const uint8_t* SkipBytes(size_t n);
    uint8_t ReadByte() { return *ReadBytes(1); }
    uint16_t ReadLE16();
    uint32_t ReadLE32();
    uint16_t ReadBE16();
    uint32_t ReadBE32();

    const std::string& GetName() const { return m_Name; }
    size_t GetSize() const { return m_Size; }
    const uint8_t* GetStart() const { return m_Start; }
    const uint8_t* GetPosition() const { return m_Position; }
    size_t GetOffset() const { return static_cast<size_t>(m_Position - m_Start); }
    size_t Remaining() const { return m_Size - GetOffset(); }

private:
    [[noreturn]] void RaiseEndOfData() const;

    const uint8_t* m_Position = nullptr;
    const uint8_t* m_Start = nullptr;
    std::string m_Name;
    size_t m_Size = 0;
};

// A file mapped read-only.
class CMappedFileSource : public CByteSource {
public:
    ~CMappedFileSource() override { Close(); }
    // 0 on success, else the decoder error code (3, 4 or 5).
    int Open(const std::string& path);
    void Close() override;

private:
    CMappedFile m_File;
};
