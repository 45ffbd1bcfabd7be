// A folder for one test's files, removed with everything in it afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "oculane-test-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        m_Path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::permissions(m_Path, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(m_Path, ec);
    }
    const std::string& Path() const { return m_Path; }
    std::string File(const std::string& name) const { return m_Path + "/" + name; }

    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        std::ofstream out(File(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return File(name);
    }
    static std::vector<uint8_t> Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

private:
    std::string m_Path;
};
