#include "settings/Settings.h"

#include "formats/FormatTable.h"

#include "base/FileName.h"
#include "platform/ConfigFolder.h"

#include <utility>

void CSettings::SetDefaults()
{
    CSettings fresh(std::move(m_Folder));
    *this = std::move(fresh);
}

std::string CSettings::Folder() const
{
    // Asked at each use so that a record built before the environment is
    // settled (tests, start-up) still finds the right folder.
    return m_Folder.empty() ? ConfigFolder() : m_Folder;
}

std::string CSettings::FilePath() const
{
    return JoinPath(Folder(), kFileName);
}

std::string CSettings::LegacyFilePath() const
{
    return JoinPath(Folder(), kLegacyFileName);
}

int CSettings::AssociationIndex(std::string_view extension)
{
    const int i = ::AssociationIndex(extension);
    return i < kAssociationCount ? i : -1;
}

int32_t* CSettings::FindAssociation(std::string_view extension)
{
    int i = AssociationIndex(extension);
    return i < 0 ? nullptr : &Associate[i];
}

const int32_t* CSettings::FindAssociation(std::string_view extension) const
{
    int i = AssociationIndex(extension);
    return i < 0 ? nullptr : &Associate[i];
}
