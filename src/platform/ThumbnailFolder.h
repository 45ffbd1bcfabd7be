// Where the desktop's shared thumbnail cache lives, and the few file calls
// the cache needs.
#pragma once

#include <cstdint>
#include <cstddef>
#include <string>
#include <vector>

// $XDG_CACHE_HOME/thumbnails when that is an absolute path, else
// $HOME/.cache/thumbnails. The folder may not exist yet.
std::string ThumbnailCacheRoot();

// Creates the folder and any missing parents, each new one private to the
// user (0700); true when it exists afterwards and this user may write in it.
bool EnsurePrivateFolder(const std::string& path);

// Last write of a file in seconds since 1970 UTC; false when it cannot be read.
bool FileModifiedTime(const std::string& path, int64_t& seconds);

// Reads a whole file of at most maxBytes into data (a small file is cheaper
// read than mapped); false when it cannot be read or is larger.
bool ReadSmallFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& data);

// The path with its links and "." / ".." resolved; the path itself when it
// cannot be resolved (it does not exist yet).
std::string ResolvedPath(const std::string& path);
