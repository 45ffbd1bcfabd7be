#include "formats/ByteSource.h"

#include "formats/ImageDecoder.h"
#include "base/LittleEndian.h"

void CByteSource::Open(const std::string& name, const uint8_t* data, size_t size)
{
    m_Name = name;
    m_Start = data;
    m_Position = data;
    m_Size = data ? size : 0;
}

void CByteSource::Close()
{
    m_Name.clear();
    m_Start = nullptr;
    m_Position = nullptr;
    m_Size = 0;
}

void CByteSource::RaiseEndOfData() const
{
    RaiseDecoderError(ErrInternal, "Unexpected end of file.");
}

const uint8_t* CByteSource::ReadBytes(size_t n)
{
    if (n > Remaining())
        RaiseEndOfData();
    const uint8_t* old = m_Position;
    m_Position += n;
    return old;
}

const uint8_t* CByteSource::SkipBytes(size_t n)
{
    return ReadBytes(n);
}

uint16_t CByteSource::ReadLE16()
{
    return GetLE16(ReadBytes(2));
}

uint32_t CByteSource::ReadLE32()
{
    return GetLE32(ReadBytes(4));
}

uint16_t CByteSource::ReadBE16()
{
    return GetBE16(ReadBytes(2));
}

uint32_t CByteSource::ReadBE32()
{
    return GetBE32(ReadBytes(4));
}

int CMappedFileSource::Open(const std::string& path)
{
    Close();
    const int result = m_File.Open(path);
    if (result != 0)
        return result;
    CByteSource::Open(path, m_File.Data(), m_File.Size());
    return 0;
}

void CMappedFileSource::Close()
{
    CByteSource::Close();
    m_File.Close();
}
