// Makes the thumbnail of one file: from the shared cache when it holds a
// current one, else decoded (JPEG at a reduced size), turned upright, shrunk
// by area averaging and written to the cache.
#pragma once

#include "image/WinBmp.h"

#include <atomic>
#include <memory>
#include <string>

class CThumbnailCache;

struct ThumbnailResult {
    std::unique_ptr<CWinBmp> Image;  // 32 bits, fits the box; null when the file does not decode
    bool FromCache = false;
    bool Abandoned = false;  // stopped by the abort flag: not a fault of the file
    std::string Error;
};

// path is absolute. The picture fits box x box and is never enlarged; the
// cache keeps it at the cache size of that box. cache may be null (no
// cache). Once abort is set the decode stops and the result has no image.
std::unique_ptr<ThumbnailResult> MakeThumbnail(const std::string& path, int box, CThumbnailCache* cache,
                                               const std::atomic<bool>* abort = nullptr);

// The size of width x height fitted into box x box, at least 1 x 1, never enlarged.
void FitInBox(int width, int height, int box, int& fitWidth, int& fitHeight);
