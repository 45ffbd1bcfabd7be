#include "formats/MetafileDecoder.h"

#include "formats/MetafileCanvas.h"
#include "formats/MetafileEmf.h"
#include "formats/MetafileWmf.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

using namespace metafile;

namespace {

// The screen the pictures are measured for.
constexpr int kScreenDpi = 96;
constexpr int kTwipsPerInch = 1440;
// Pictures without a size of their own.
constexpr int64_t kDefaultWidth = 320;
constexpr int64_t kDefaultHeight = 200;
// 32-bit pictures are drawn straight into the bitmap; palette pictures go
// through scratch tiles of at most this size, replaying the records for each
// tile, so large pictures need no second full-size buffer.
constexpr int64_t kTileSide = 8192;
constexpr int64_t kTilePixels = int64_t(8) << 20;
// Largest side of a cairo image surface.
constexpr int64_t kSurfaceSide = 32767;

const char* const kLoadFailed = "Windows Metafile functions failed to load this image.";

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using SurfaceHandle = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using ContextHandle = std::unique_ptr<cairo_t, ContextDeleter>;

bool IsWmfName(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || path.size() - dot != 4)
        return false;
    const char* ext = path.c_str() + dot + 1;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return lower(ext[0]) == 'w' && lower(ext[1]) == 'm' && lower(ext[2]) == 'f';
}

// A loaded metafile with the size it renders at and how it maps there.
struct Picture {
    // The decoder's abort flag, looked at between records.
    const std::atomic<bool>* Abort = nullptr;
    bool IsWmf = false;
    WmfFile Wmf;
    EmfFile Emf;
    int64_t Width = 0;
    int64_t Height = 0;
    DeviceSetup Setup;
    // WMF: the logical window that fills the raster.
    bool HasWindow = false;
    Point WindowOrg, WindowExt;
};

void Play(const Picture& picture, CMetafileCanvas& canvas)
{
    if (!picture.IsWmf) {
        PlayEmf(picture.Emf, canvas, picture.Abort);
        return;
    }
    if (picture.HasWindow) {
        canvas.SetMapMode(MmAnisotropic);
        canvas.SetWindowOrg(picture.WindowOrg);
        canvas.SetWindowExt(picture.WindowExt);
        canvas.SetViewportExt({double(picture.Width), double(picture.Height)});
    }
    PlayWmf(picture.Wmf, canvas, picture.Abort);
}

// Where a WMF without a size of its own puts ink, in device pixels.
bool InkBounds(const Picture& picture, double& x, double& y, double& w, double& h)
{
    SurfaceHandle surface(cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, nullptr));
    ContextHandle cr(cairo_create(surface.get()));
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS)
        return false;
    {
        CMetafileCanvas canvas(cr.get(), picture.Setup);
        Play(picture, canvas);
    }
    cr.reset();
    cairo_recording_surface_ink_extents(surface.get(), &x, &y, &w, &h);
    return std::isfinite(x) && std::isfinite(y) && std::isfinite(w) && std::isfinite(h);
}

void SizeWmf(Picture& picture)
{
    const WmfFile& wmf = picture.Wmf;
    picture.Setup.PixelsPerMmX = picture.Setup.PixelsPerMmY = kScreenDpi / 25.4;
    picture.Setup.ObjectSlots = wmf.Objects;
    if (wmf.Placeable) {
        // A box without units would divide by zero; such files are in twips.
        const int64_t inch = wmf.UnitsPerInch ? wmf.UnitsPerInch : kTwipsPerInch;
        const int64_t w = int64_t(wmf.Box.Right) - int64_t(wmf.Box.Left);
        const int64_t h = int64_t(wmf.Box.Bottom) - int64_t(wmf.Box.Top);
        picture.Width = w * kScreenDpi / inch;
        picture.Height = h * kScreenDpi / inch;
        picture.HasWindow = true;
        picture.WindowOrg = {wmf.Box.Left, wmf.Box.Top};
        picture.WindowExt = {double(w), double(h)};
    } else if (wmf.HasWindowExt) {
        picture.Width = int64_t(std::fabs(wmf.WindowExt.X));
        picture.Height = int64_t(std::fabs(wmf.WindowExt.Y));
        picture.HasWindow = true;
        picture.WindowOrg = wmf.WindowOrg;
        picture.WindowExt = wmf.WindowExt;
    } else {
        double x, y, w, h;
        if (InkBounds(picture, x, y, w, h) && w > 0 && h > 0) {
            const double left = std::floor(x), top = std::floor(y);
            picture.Width = int64_t(std::ceil(x + w) - left);
            picture.Height = int64_t(std::ceil(y + h) - top);
            picture.Setup.Outer = Affine::Translate(-left, -top);
        }
    }
}

void SizeEmf(Picture& picture)
{
    const EmfFile& emf = picture.Emf;
    picture.Setup.ObjectSlots = emf.Handles;
    // Pixels per 0.01 mm of the reference device, as a fraction; a device
    // without a size is taken for the screen.
    int64_t numX = emf.DevicePixelsX, denX = int64_t(emf.DeviceMmX) * 100;
    int64_t numY = emf.DevicePixelsY, denY = int64_t(emf.DeviceMmY) * 100;
    if (numX <= 0 || denX <= 0)
        numX = kScreenDpi, denX = 2540;
    if (numY <= 0 || denY <= 0)
        numY = kScreenDpi, denY = 2540;
    picture.Setup.PixelsPerMmX = double(numX) * 100 / double(denX);
    picture.Setup.PixelsPerMmY = double(numY) * 100 / double(denY);
    picture.Width = (int64_t(emf.FrameRight) - emf.FrameLeft) * numX / denX;
    picture.Height = (int64_t(emf.FrameBottom) - emf.FrameTop) * numY / denY;
}

// The frame, in reference-device pixels, fills the raster.
Affine EmfOuter(const Picture& picture)
{
    const EmfFile& emf = picture.Emf;
    const double ppx = picture.Setup.PixelsPerMmX / 100, ppy = picture.Setup.PixelsPerMmY / 100;
    const double x0 = emf.FrameLeft * ppx, x1 = emf.FrameRight * ppx;
    const double y0 = emf.FrameTop * ppy, y1 = emf.FrameBottom * ppy;
    const double sx = picture.Width / (x1 - x0), sy = picture.Height / (y1 - y0);
    return Affine{sx, 0, 0, sy, -x0 * sx, -y0 * sy};
}

// Index of the nearest palette colour, remembering recent answers.
class CNearestColour {
public:
    CNearestColour(const LogPalette& palette) : m_Palette(palette)
    {
        std::fill(std::begin(m_Keys), std::end(m_Keys), 0u);
    }
    uint8_t Find(uint32_t argb)
    {
        const size_t slot = ((argb * 2654435761u) >> 20) & (kSlots - 1);
        if (m_Keys[slot] == argb)
            return m_Index[slot];
        const int r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
        int best = 0, bestDistance = INT32_MAX;
        for (size_t i = 0; i < m_Palette.size(); ++i) {
            const int dr = r - m_Palette[i].Red, dg = g - m_Palette[i].Green, db = b - m_Palette[i].Blue;
            const int d = dr * dr + dg * dg + db * db;
            if (d < bestDistance)
                bestDistance = d, best = static_cast<int>(i);
        }
        m_Keys[slot] = argb;
        m_Index[slot] = static_cast<uint8_t>(best);
        return m_Index[slot];
    }

private:
    static constexpr size_t kSlots = 4096;
    const LogPalette& m_Palette;
    uint32_t m_Keys[kSlots]; // 0 is never an opaque pixel
    uint8_t m_Index[kSlots] = {};
};

// Distance between the bitmap's 32-bit rows when they are evenly spaced
// (negative for bottom-up storage, which cairo takes too); 0 otherwise.
ptrdiff_t EvenRowStride(const CBmp& bitmap)
{
    if (bitmap.BitsPerPixel != 32)
        return 0;
    const ptrdiff_t stride = bitmap.Height > 1 ? bitmap.Lines[1] - bitmap.Lines[0] : bitmap.BytesPerLine();
    for (int y = 2; y < bitmap.Height; ++y)
        if (bitmap.Lines[y] - bitmap.Lines[y - 1] != stride)
            return 0;
    if (stride % 4 != 0 || stride > INT32_MAX || stride < -INT32_MAX ||
        (stride < 0 ? -stride : stride) < ptrdiff_t(bitmap.Width) * 4)
        return 0;
    return stride;
}

// A tile of the bitmap itself as a cairo surface; null when cairo refuses it.
SurfaceHandle BitmapSurface(CBmp& bitmap, ptrdiff_t stride, int64_t x0, int64_t y0, int width, int height)
{
    SurfaceHandle surface(cairo_image_surface_create_for_data(bitmap.Lines[y0] + 4 * x0, CAIRO_FORMAT_ARGB32, width,
                                                              height, static_cast<int>(stride)));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    return surface;
}

void Render(const Picture& picture, CBmp& bitmap, const LogPalette* palette)
{
    const ptrdiff_t stride = palette ? 0 : EvenRowStride(bitmap);
    bool direct = stride != 0;
    if (direct)
        direct = BitmapSurface(bitmap, stride, 0, 0, int(std::min(picture.Width, kSurfaceSide)),
                               int(std::min(picture.Height, kSurfaceSide))) != nullptr;
    const int64_t tileW = std::min(picture.Width, direct ? kSurfaceSide : kTileSide);
    const int64_t tileH = direct ? std::min(picture.Height, kSurfaceSide)
                                 : std::clamp(kTilePixels / tileW, int64_t(1), std::min(picture.Height, kTileSide));
    std::unique_ptr<CNearestColour> nearest;
    if (palette)
        nearest = std::make_unique<CNearestColour>(*palette);
    for (int64_t y0 = 0; y0 < picture.Height; y0 += tileH) {
        for (int64_t x0 = 0; x0 < picture.Width; x0 += tileW) {
            const int tw = static_cast<int>(std::min(tileW, picture.Width - x0));
            const int th = static_cast<int>(std::min(tileH, picture.Height - y0));
            SurfaceHandle surface(direct ? BitmapSurface(bitmap, stride, x0, y0, tw, th).release()
                                         : cairo_image_surface_create(CAIRO_FORMAT_ARGB32, tw, th));
            if (!surface || cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
                RaiseDecoderError(ErrNoMemory, "Cannot allocate memory bitmap.");
            ContextHandle cr(cairo_create(surface.get()));
            if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS)
                RaiseDecoderError(ErrNoMemory, "Cannot allocate device context.");
            cairo_set_source_rgb(cr.get(), 1, 1, 1);
            cairo_paint(cr.get());
            DeviceSetup setup = picture.Setup;
            setup.Outer = Affine::Translate(-double(x0), -double(y0)).After(picture.Setup.Outer);
            {
                CMetafileCanvas canvas(cr.get(), setup);
                Play(picture, canvas);
            }
            cr.reset();
            cairo_surface_flush(surface.get());
            if (direct)
                continue;
            const uint8_t* data = cairo_image_surface_get_data(surface.get());
            const size_t scratchStride = static_cast<size_t>(cairo_image_surface_get_stride(surface.get()));
            for (int y = 0; y < th; ++y) {
                // Every operation paints over opaque white, so alpha stays 255.
                const uint32_t* src = reinterpret_cast<const uint32_t*>(data + scratchStride * size_t(y));
                const int row = static_cast<int>(y0) + y;
                if (nearest) {
                    uint8_t* dst = bitmap.Lines[row] + x0;
                    for (int x = 0; x < tw; ++x)
                        dst[x] = nearest->Find(src[x]);
                } else {
                    std::memcpy(bitmap.Row32(row) + x0, src, size_t(tw) * 4);
                }
            }
        }
    }
}

} // namespace

void CMetafileDecoder::ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                                 CByteSource& source)
{
    Picture picture;
    picture.Abort = GetAbortFlag();
    picture.IsWmf = IsWmfName(source.GetName());
    bitmap.SourceBitsPerPixel = 32;
    const size_t size = source.Remaining();
    const uint8_t* data = source.ReadBytes(size);
    try {
        if (picture.IsWmf) {
            if (!LoadWmf(data, size, picture.Wmf))
                RaiseDecoderError(ErrUnsupported, kLoadFailed);
            SizeWmf(picture);
        } else {
            const EmfLoad loaded = LoadEmf(data, size, picture.Emf);
            if (loaded == EmfLoad::NotMetafile)
                RaiseDecoderError(ErrUnsupported, kLoadFailed);
            if (loaded == EmfLoad::NoHeader)
                RaiseDecoderError(ErrFormat, "No header information in metafile");
            SizeEmf(picture);
        }
        if (picture.Width < 1)
            picture.Width = kDefaultWidth;
        if (picture.Height < 1)
            picture.Height = kDefaultHeight;
        if (!picture.IsWmf)
            picture.Setup.Outer = EmfOuter(picture);

        // The drawing surface is as large as the picture at 32 bits.
        if (picture.Width > INT32_MAX || picture.Height > INT32_MAX ||
            uint64_t(picture.Width) * uint64_t(picture.Height) > MaxImageBytes() / 4)
            RaiseDecoderError(ErrNoMemory, "Cannot allocate memory bitmap.");

        const LogPalette& palette = picture.IsWmf ? picture.Wmf.Palette : picture.Emf.Palette;
        const bool hasPalette = !palette.empty() && palette.size() <= 255;
        // Only a picture with a palette can be written with indices.
        const int depth = hasPalette && bitsPerPixel <= 8 ? 8 : 32;
        if (hasPalette) {
            try {
                paletteOut = std::make_unique<PaletteEntry[]>(256);
            } catch (const std::bad_alloc&) {
                RaiseDecoderError(ErrNoMemory, "Cannot allocate palette info.");
            }
            for (size_t i = 0; i < 256; ++i)
                paletteOut[i] = i < palette.size() ? PaletteEntry{palette[i].Blue, palette[i].Green, palette[i].Red, 255}
                                                   : PaletteEntry{0, 0, 0, 255};
        }
        CreateBitmap(bitmap, picture.Width, picture.Height, depth, depth > 31);
        bitmap.SourceBitsPerPixel = 32;
        if (depth == 8)
            bitmap.SetPalette(paletteOut.get());
        Render(picture, bitmap, depth == 8 ? &palette : nullptr);
    } catch (const std::bad_alloc&) {
        RaiseDecoderError(ErrNoMemory, "Out of memory.");
    }
}
