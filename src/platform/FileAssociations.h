// Makes the program the per-user opener of MIME types on freedesktop
// desktops: oculane.desktop in $XDG_DATA_HOME/applications, its icon in the
// hicolor theme, and the defaults in $XDG_CONFIG_HOME/mimeapps.list.
#pragma once

#include <string>
#include <vector>

// The name of the desktop entry, as mimeapps.list refers to it.
extern const char kDesktopEntryName[];

struct AssociationPaths {
    std::string DesktopEntry;  // .../applications/oculane.desktop
    std::string Icon;          // .../icons/hicolor/scalable/apps/oculane.svg
    std::string MimeApps;      // .../mimeapps.list
};
// From XDG_DATA_HOME and XDG_CONFIG_HOME, or their defaults under the home folder.
AssociationPaths UserAssociationPaths();

struct AssociationChange {
    std::string Program;               // absolute path of the executable
    std::string IconSvg;               // the icon's bytes
    std::vector<std::string> Associate;    // MIME types to open with the program
    std::vector<std::string> Unassociate;  // MIME types to give up, where the program is the default
};

// The types whose default application is the program now. False with a
// reason when mimeapps.list cannot be read.
bool AssociatedTypes(const AssociationPaths& paths, std::vector<std::string>& types, std::string& error);

// Writes the entry, the icon and the defaults, each file atomically. The
// entry lists every type the program is the default of afterwards. False with
// a reason at the first file that cannot be read or written; the files not
// yet written keep their old contents.
bool ApplyAssociations(const AssociationPaths& paths, const AssociationChange& change, std::string& error);
