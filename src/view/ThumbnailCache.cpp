#include "view/ThumbnailCache.h"

#include "base/FileName.h"
#include "base/FileUri.h"
#include "base/Md5.h"
#include "formats/PNGDecoder.h"
#include "platform/ThumbnailFolder.h"
#include "save/PngWriter.h"

#include <exception>
#include <vector>

namespace {

constexpr const char* kUriKey = "Thumb::URI";
constexpr const char* kMTimeKey = "Thumb::MTime";

const char* SubfolderFor(int cacheSize)
{
    return cacheSize <= 128 ? "normal" : "large";
}

} // namespace

CThumbnailCache::CThumbnailCache(std::string root) : m_Root(std::move(root)), m_ResolvedRoot(ResolvedPath(m_Root)) {}

int CThumbnailCache::CacheSizeFor(int box)
{
    return box <= 128 ? 128 : 256;
}

std::string CThumbnailCache::EntryPath(const std::string& uri, int cacheSize) const
{
    return JoinPath(JoinPath(m_Root, SubfolderFor(cacheSize)), CMd5::HexOf(uri) + ".png");
}

bool CThumbnailCache::Holds(const std::string& resolvedPath) const
{
    for (const std::string* root : {&m_Root, &m_ResolvedRoot}) {
        if (root->empty())
            continue;
        const bool slash = root->back() == '/';
        if (resolvedPath.size() > root->size() && resolvedPath.compare(0, root->size(), *root) == 0 &&
            (slash || resolvedPath[root->size()] == '/'))
            return true;
    }
    return false;
}

std::unique_ptr<CWinBmp> CThumbnailCache::Load(const std::string& path, int64_t modified, int cacheSize) const
{
    const std::string uri = FileUri(path);
    try {
        // Entries are a few kilobytes; anything far larger is not one of ours.
        const std::string entry = EntryPath(uri, cacheSize);
        std::vector<uint8_t> bytes;
        if (!ReadSmallFile(entry, 4 << 20, bytes))
            return nullptr;
        CPNGDecoder decoder;
        auto image = std::make_unique<CWinBmp>();
        decoder.DecodeMemory(entry, bytes.data(), bytes.size(), *image, 32);
        bool uriMatches = false, timeMatches = false;
        for (const auto& [key, text] : decoder.GetTexts()) {
            if (key == kUriKey)
                uriMatches = text == uri;
            else if (key == kMTimeKey)
                timeMatches = text == std::to_string(modified);
        }
        if (!uriMatches || !timeMatches || image->Width <= 0 || image->Height <= 0)
            return nullptr;
        if (image->BitsPerPixel != 32)
            image->CopyFrom(*image, 32);
        return image;
    } catch (const std::exception&) {
        return nullptr;
    }
}

bool CThumbnailCache::Store(const std::string& path, int64_t modified, int cacheSize, const CBmp& thumbnail)
{
    const std::string folder = JoinPath(m_Root, SubfolderFor(cacheSize));
    if (!EnsurePrivateFolder(m_Root) || !EnsurePrivateFolder(folder))
        return false;
    const std::string uri = FileUri(path);
    SafeWriteOptions options;
    options.NewFileMode = 0600;
    options.Durable = false;
    try {
        WritePNG(EntryPath(uri, cacheSize), thumbnail, false,
                 {{kUriKey, uri}, {kMTimeKey, std::to_string(modified)}, {"Software", "Oculane"}}, options);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
