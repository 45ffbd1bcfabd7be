// Named bookmarks of folders (optionally of a file in them), kept in "oc.fav".
#pragma once

#include <string>
#include <vector>

struct Favourite {
    std::string Name;
    std::string Folder;
    std::string File;  // empty for a folder favourite
    int Value = 0;     // stored and restored unchanged
};

class CFavourites {
public:
    static constexpr const char* kFileName = "oc.fav";

    void AddFavourite(const std::string& name, const std::string& folder, const std::string& file, int value);
    const Favourite& GetFavourite(size_t index) const { return m_Items[index]; }
    void RenameFavourite(size_t index, const std::string& name);
    void RemoveFavourite(size_t index);
    size_t Count() const { return m_Items.size(); }

    // A missing or damaged file leaves the list empty.
    void LoadFavourites(const std::string& path);
    // Writes nothing for an empty list (the old file stays); false on failure.
    bool SaveFavourites(const std::string& path) const;

private:
    std::vector<Favourite> m_Items;
};
