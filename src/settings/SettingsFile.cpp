// Reading and writing "oc18.set".
#include "settings/Settings.h"
#include "base/FileName.h"
#include "settings/SettingsLayout.h"

#include "platform/ConfigFolder.h"
#include "platform/SafeFile.h"

#include <bit>
#include <fstream>

namespace {

class CByteWriter {
public:
    explicit CByteWriter(std::vector<uint8_t>& out) : m_Out(out) {}

    void U32(uint32_t v)
    {
        for (int shift = 0; shift < 32; shift += 8)
            m_Out.push_back(static_cast<uint8_t>(v >> shift));
    }
    void U64(uint64_t v)
    {
        for (int shift = 0; shift < 64; shift += 8)
            m_Out.push_back(static_cast<uint8_t>(v >> shift));
    }

    void operator()(int, const int32_t& v) { U32(static_cast<uint32_t>(v)); }
    void operator()(int, const float& v) { U32(std::bit_cast<uint32_t>(v)); }
    void operator()(int, const double& v) { U64(std::bit_cast<uint64_t>(v)); }
    void operator()(int, const std::string& v)
    {
        // Longer strings cannot be counted in 32 bits; SaveTo refuses the
        // result anyway because it exceeds the file size limit.
        U32(static_cast<uint32_t>(v.size()));
        m_Out.insert(m_Out.end(), v.begin(), v.end());
    }

private:
    std::vector<uint8_t>& m_Out;
};

// Every read checks the bytes left; after the first short read all further
// reads fail too, so the caller only looks at Ok() once at the end.
class CByteReader {
public:
    CByteReader(const uint8_t* data, size_t size) : m_Data(data), m_Left(size) {}

    bool Ok() const { return m_Ok; }

    bool U32(uint32_t& v)
    {
        if (!Take(4))
            return false;
        const uint8_t* p = m_Data - 4;
        v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        return true;
    }
    bool U64(uint64_t& v)
    {
        uint32_t lo = 0, hi = 0;
        if (!U32(lo) || !U32(hi))
            return false;
        v = uint64_t(hi) << 32 | lo;
        return true;
    }

    void operator()(int, int32_t& v)
    {
        uint32_t raw;
        if (U32(raw))
            v = static_cast<int32_t>(raw);
    }
    void operator()(int, float& v)
    {
        uint32_t raw;
        if (U32(raw))
            v = std::bit_cast<float>(raw);
    }
    void operator()(int, double& v)
    {
        uint64_t raw;
        if (U64(raw))
            v = std::bit_cast<double>(raw);
    }
    void operator()(int, std::string& v)
    {
        uint32_t raw;
        if (!U32(raw))
            return;
        int32_t count = static_cast<int32_t>(raw);
        if (count <= 0) {
            v.clear();
            return;
        }
        // A count beyond the end of the file is damage, not a reason to
        // allocate what it asks for.
        size_t n = static_cast<size_t>(count);
        if (!Take(n))
            return;
        v.assign(reinterpret_cast<const char*>(m_Data - n), n);
    }

private:
    bool Take(size_t n)
    {
        if (!m_Ok || n > m_Left) {
            m_Ok = false;
            return false;
        }
        m_Data += n;
        m_Left -= n;
        return true;
    }

    const uint8_t* m_Data;
    size_t m_Left;
    bool m_Ok = true;
};

enum class ReadResult { Read, NotOpened, Failed };

ReadResult ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open())
        return ReadResult::NotOpened;
    // One byte more than allowed tells an oversized file from one that fits exactly.
    bytes.resize(CSettings::kMaxFileSize + 1);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad())
        return ReadResult::Failed;
    size_t got = static_cast<size_t>(in.gcount());
    if (got > CSettings::kMaxFileSize)
        return ReadResult::Failed;
    bytes.resize(got);
    return ReadResult::Read;
}

} // namespace

std::vector<uint8_t> CSettings::ToFileBytes() const
{
    std::vector<uint8_t> bytes;
    bytes.reserve(600 + CompareExtension.size() + HomeFolder.size());
    CByteWriter writer(bytes);
    writer.U32(static_cast<uint32_t>(kFileVersion));
    ForEachSettingsValue(*this, writer);
    return bytes;
}

bool CSettings::FromFileBytes(const uint8_t* data, size_t size)
{
    // Parsed into a copy: a file cut anywhere must leave the record as it was,
    // and the values that are not in the file keep theirs.
    CSettings parsed(*this);
    CByteReader reader(data, size);
    uint32_t version;
    reader.U32(version);  // older and newer versions are read alike
    ForEachSettingsValue(parsed, reader);
    if (!reader.Ok())
        return false;
    parsed.ReplaceInvalidValues();
    *this = std::move(parsed);
    return true;
}

bool CSettings::LoadFrom(const std::string& path)
{
    std::vector<uint8_t> bytes;
    if (ReadWholeFile(path, bytes) != ReadResult::Read)
        return false;
    return FromFileBytes(bytes.data(), bytes.size());
}

bool CSettings::Load()
{
    std::vector<uint8_t> bytes;
    switch (ReadWholeFile(FilePath(), bytes)) {
    case ReadResult::NotOpened:
        return LoadLegacy();
    case ReadResult::Failed:
        return false;
    case ReadResult::Read:
        break;
    }
    return FromFileBytes(bytes.data(), bytes.size());
}

bool CSettings::SaveTo(const std::string& path) const
{
    std::vector<uint8_t> bytes = ToFileBytes();
    // Never write a file that Load would refuse.
    if (bytes.size() > kMaxFileSize)
        return false;
    CSafeFileWriter writer;
    if (!writer.Open(path))
        return false;
    if (!writer.Write(bytes.data(), bytes.size()))
        return false;
    return writer.Commit();
}

bool CSettings::Save() const
{
    std::string folder = Folder();
    if (!EnsureFolder(folder))
        return false;
    return SaveTo(JoinPath(folder, kFileName));
}
