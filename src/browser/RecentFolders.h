// The folders of the address list, kept in "oc.ruf".
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

class CRecentFolders {
public:
    static constexpr const char* kFileName = "oc.ruf";

    // Drops one trailing separator; finds the folder without regard to case or
    // appends it. Returns its index (the entry to select).
    size_t AddToAddressList(const std::string& path);
    // Index of the folder, or -1.
    long Find(const std::string& path) const;
    const std::vector<std::string>& Items() const { return m_Items; }

    void LoadRecentFolders(const std::string& path);
    bool SaveRecentFolders(const std::string& path) const;

private:
    std::vector<std::string> m_Items;
    // Case-folded folder → index, so that a long list loads in linear time.
    std::unordered_map<std::string, size_t> m_Index;
};

// Both files: a decimal count, then every field followed by "*".
std::vector<std::string> ReadStarFields(const std::string& path, size_t fieldsPerEntry);
bool WriteStarFields(const std::string& path, size_t count, const std::vector<std::string>& fields);
