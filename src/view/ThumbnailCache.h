// The desktop's shared thumbnail cache: one PNG per file and size under
// root/normal (128 px) or root/large (256 px), named by the MD5 of the file's
// URI and tagged with that URI and the file's modification time, so that
// every program that follows the same rules finds the others' thumbnails.
#pragma once

#include "image/WinBmp.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class CThumbnailCache {
public:
    // root is normally ThumbnailCacheRoot(); it need not exist yet.
    explicit CThumbnailCache(std::string root);

    // 128 for boxes up to 128 pixels, else 256.
    static int CacheSizeFor(int box);
    // root/normal/<md5 of uri>.png (or large/ for 256).
    std::string EntryPath(const std::string& uri, int cacheSize) const;
    // True for a file inside the cache folder: its thumbnails would only
    // breed more cache entries, so they are never written.
    bool Holds(const std::string& resolvedPath) const;

    // The entry of an absolute path, at 32 bits per pixel; null when there is
    // none, it does not decode, or it was made for another URI or another
    // modification time of the file.
    std::unique_ptr<CWinBmp> Load(const std::string& path, int64_t modified, int cacheSize) const;
    // Writes the entry (private to the user, replacing any older one whole).
    // False when the cache cannot be written; the caller just goes without.
    bool Store(const std::string& path, int64_t modified, int cacheSize, const CBmp& thumbnail);

    const std::string& Root() const { return m_Root; }

private:
    std::string m_Root;
    std::string m_ResolvedRoot;  // with links resolved, for Holds
};
