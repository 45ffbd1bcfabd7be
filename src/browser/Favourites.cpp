#include "browser/Favourites.h"

#include "browser/RecentFolders.h"

#include <climits>
#include <cstdlib>

namespace {

constexpr size_t kFieldsPerFavourite = 4;

int ToInt(const std::string& text)
{
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    return value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

bool Storable(const std::string& field)
{
    return field.find('*') == std::string::npos;
}

} // namespace

void CFavourites::AddFavourite(const std::string& name, const std::string& folder, const std::string& file,
                               int value)
{
    m_Items.push_back({name, folder, file, value});
}

void CFavourites::RenameFavourite(size_t index, const std::string& name)
{
    if (index < m_Items.size())
        m_Items[index].Name = name;
}

void CFavourites::RemoveFavourite(size_t index)
{
    if (index < m_Items.size())
        m_Items.erase(m_Items.begin() + static_cast<std::ptrdiff_t>(index));
}

void CFavourites::LoadFavourites(const std::string& path)
{
    m_Items.clear();
    const std::vector<std::string> fields = ReadStarFields(path, kFieldsPerFavourite);
    for (size_t i = 0; i + kFieldsPerFavourite <= fields.size(); i += kFieldsPerFavourite)
        m_Items.push_back({fields[i], fields[i + 1], fields[i + 2], ToInt(fields[i + 3])});
}

bool CFavourites::SaveFavourites(const std::string& path) const
{
    if (m_Items.empty())
        return true;
    // A "*" inside a field would shift every later field of the file, so such a
    // favourite cannot be kept.
    std::vector<std::string> fields;
    size_t count = 0;
    for (const Favourite& f : m_Items) {
        if (!Storable(f.Name) || !Storable(f.Folder) || !Storable(f.File))
            continue;
        fields.insert(fields.end(), {f.Name, f.Folder, f.File, std::to_string(f.Value)});
        ++count;
    }
    return WriteStarFields(path, count, fields);
}
