#include "platform/FileAssociations.h"

#include "base/FileName.h"

#include "platform/DesktopEntry.h"
#include "platform/Directory.h"
#include "platform/MimeAppsList.h"

#include <cstdlib>

const char kDesktopEntryName[] = "oculane.desktop";

namespace {

std::string XdgFolder(const char* variable, const char* fallback)
{
    // Relative values are invalid and ignored, as the base directory rules say.
    if (const char* value = std::getenv(variable); value && value[0] == '/')
        return value;
    return JoinPath(HomeDirectory(), fallback);
}

} // namespace

AssociationPaths UserAssociationPaths()
{
    const std::string data = XdgFolder("XDG_DATA_HOME", ".local/share");
    const std::string config = XdgFolder("XDG_CONFIG_HOME", ".config");
    return {JoinPath(data, std::string("applications/") + kDesktopEntryName),
            JoinPath(data, "icons/hicolor/scalable/apps/oculane.svg"), JoinPath(config, "mimeapps.list")};
}

bool AssociatedTypes(const AssociationPaths& paths, std::vector<std::string>& types, std::string& error)
{
    std::string text;
    if (!ReadTextFile(paths.MimeApps, text, error))
        return false;
    types = TypesWithDefault(text, kDesktopEntryName);
    return true;
}

bool ApplyAssociations(const AssociationPaths& paths, const AssociationChange& change, std::string& error)
{
    std::string text;
    if (!ReadTextFile(paths.MimeApps, text, error))
        return false;
    std::string edited = RemoveDefaultApplication(text, change.Unassociate, kDesktopEntryName);
    edited = SetDefaultApplication(edited, change.Associate, kDesktopEntryName);

    // The entry and its icon first, so that no default names a missing entry.
    const std::string entry = DesktopEntryText(change.Program, TypesWithDefault(edited, kDesktopEntryName));
    if (!WriteTextFile(paths.DesktopEntry, entry, error) || !WriteTextFile(paths.Icon, change.IconSvg, error))
        return false;
    return edited == text || WriteTextFile(paths.MimeApps, edited, error);
}
