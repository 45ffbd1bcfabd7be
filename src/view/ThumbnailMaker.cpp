#include "view/ThumbnailMaker.h"

#include "base/FileName.h"
#include "base/TextException.h"
#include "formats/AutoDecoder.h"
#include "image/AreaScale.h"
#include "platform/ThumbnailFolder.h"
#include "view/DisplayOrientation.h"
#include "view/ThumbnailCache.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <new>

namespace {

void Unpremultiply(CBmp& image)
{
    for (int y = 0; y < image.Height; ++y) {
        uint8_t* p = image.Lines[y];
        for (int x = 0; x < image.Width; ++x, p += 4) {
            const int a = p[3];
            if (a == 0 || a == 255)
                continue;
            for (int c = 0; c < 3; ++c)
                p[c] = static_cast<uint8_t>(std::min(255, (p[c] * 255 + a / 2) / a));
        }
    }
}

// A copy of a 32-bit image fitted into box x box; the image itself when it fits.
std::unique_ptr<CWinBmp> Shrunk(std::unique_ptr<CWinBmp> image, int box)
{
    int width, height;
    FitInBox(image->Width, image->Height, box, width, height);
    if (width == image->Width && height == image->Height)
        return image;
    auto reduced = std::make_unique<CWinBmp>();
    reduced->Create(width, height, 32, image->HasAlpha);
    reduced->SourceBitsPerPixel = image->SourceBitsPerPixel;
    const int64_t stride = height > 1 ? reduced->Lines[1] - reduced->Lines[0] : reduced->BytesPerLine();
    // The pool runs a decode on every other core already.
    AreaDownscale(*image, width, height, reduced->Lines[0], stride, image->HasAlpha, true);
    if (image->HasAlpha)
        Unpremultiply(*reduced);
    return reduced;
}

// The path with its folder's links resolved. The files of one folder come in
// a row, so each worker resolves a folder once, not each file's every part.
std::string ResolvedFilePath(const std::string& path)
{
    thread_local std::string folder, resolvedFolder;
    const std::string parent = FolderPart(path);
    if (parent != folder) {
        folder = parent;
        resolvedFolder = ResolvedPath(parent);
    }
    return JoinPath(resolvedFolder, FileNamePart(path));
}

} // namespace

void FitInBox(int width, int height, int box, int& fitWidth, int& fitHeight)
{
    fitWidth = std::max(1, width);
    fitHeight = std::max(1, height);
    if (fitWidth <= box && fitHeight <= box)
        return;
    const double scale = std::min(double(box) / fitWidth, double(box) / fitHeight);
    fitWidth = std::clamp(static_cast<int>(std::lround(fitWidth * scale)), 1, box);
    fitHeight = std::clamp(static_cast<int>(std::lround(fitHeight * scale)), 1, box);
}

std::unique_ptr<ThumbnailResult> MakeThumbnail(const std::string& path, int box, CThumbnailCache* cache,
                                               const std::atomic<bool>* abort)
{
    auto result = std::make_unique<ThumbnailResult>();
    const int cacheSize = CThumbnailCache::CacheSizeFor(box);
    try {
        int64_t modified = 0;
        const bool dated = FileModifiedTime(path, modified);
        // Only an absolute path has the URI other programs name the entry by.
        const bool cached = cache && dated && !path.empty() && path[0] == '/' && !cache->Holds(ResolvedFilePath(path));
        if (cached) {
            if (auto image = cache->Load(path, modified, cacheSize)) {
                result->Image = Shrunk(std::move(image), box);
                result->FromCache = true;
                return result;
            }
        }
        auto image = std::make_unique<CWinBmp>();
        {
            CAutoDecoder decoder;
            decoder.SetAbortFlag(abort);
            decoder.SetReducedSize(cacheSize, cacheSize);
            decoder.DecodeFile(path, *image, 32);
        }
        if (image->Width <= 0 || image->Height <= 0 || !image->Lines)
            throw CTextException(ErrFormat, "The image has no pixels.");
        if (image->BitsPerPixel != 32)
            image->CopyFrom(*image, 32);
        OrientForDisplay(path, *image);
        CheckAbandoned(abort);
        image = Shrunk(std::move(image), cacheSize);
        if (cached)
            cache->Store(path, modified, cacheSize, *image);
        result->Image = Shrunk(std::move(image), box);
    } catch (const CTextException& e) {
        result->Image.reset();
        result->Error = e.GetText();
    } catch (const std::bad_alloc&) {
        result->Image.reset();
        result->Error = "Out of memory.";
    } catch (const std::exception& e) {
        result->Image.reset();
        result->Error = e.what();
    }
    result->Abandoned = !result->Image && abort && abort->load();
    return result;
}
