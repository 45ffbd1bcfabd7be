// What "&Copy" or "Cu&t" marked for "&Paste": files of one folder, or a
// whole folder. Held by the window; the marked names are cleared at the end of
// every paste, copy to, move to and delete.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PasteSource {
    bool Copy = true;                // false after Cut and Move To
    std::string Folder;              // where the source was marked (the folder itself for a folder source)
    std::vector<std::string> Names;  // marked file names, in selection order; empty for a folder source
    bool FolderSource = false;
    uint64_t TotalSize = 0;          // bytes
    bool Empty() const { return Folder.empty() || (!FolderSource && Names.empty()); }
};
