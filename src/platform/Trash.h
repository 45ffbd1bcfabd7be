// The desktop's trash (the freedesktop.org trash layout): a file on the home
// filesystem goes to $XDG_DATA_HOME/Trash, one on another filesystem to that
// filesystem's top-level .Trash/UID or .Trash-UID folder. Each gets an
// info/NAME.trashinfo with its original path and the deletion time, so the
// desktop's trash can put it back.
#pragma once

#include "platform/FileOps.h"

#include <string>

// Moves the file, link or folder (not followed, not copied) into the trash
// under a name no other trashed item has. 0 or the errno of the failure; on
// failure the item stays where it was and no info file is left behind.
// trashedAs receives the path of the item inside the trash.
int MoveToTrash(const std::string& path, IFileOps& ops, std::string* trashedAs = nullptr);

// "/home/a b/x" -> "/home/a%20b/x": the Path key's encoding, "/" kept.
std::string TrashPathEncode(const std::string& path);
