// The device context of our metafile player: the drawing state a Windows
// metafile expects (mapping, objects, pens, brushes, fonts, clipping, paths,
// saved states) on top of a cairo context. The WMF and EMF players translate
// records into calls of CMetafileCanvas; every coordinate that reaches cairo
// has been mapped to raster pixels and clamped, so no record can put the
// cairo context into an error state.
#pragma once

#include "formats/MetafileGeometry.h"
#include "image/Bmp.h"

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <variant>
#include <vector>

namespace metafile {

// A Windows COLORREF: 0x00BBGGRR, high byte 1 for a palette index.
using ColorRef = uint32_t;

enum MapMode { MmText = 1, MmLoMetric, MmHiMetric, MmLoEnglish, MmHiEnglish, MmTwips, MmIsotropic, MmAnisotropic };
enum PenStyle { PsSolid = 0, PsDash, PsDot, PsDashDot, PsDashDotDot, PsNull, PsInsideFrame, PsUserStyle, PsAlternate };
enum BrushStyle { BsSolid = 0, BsNull = 1, BsHatched = 2, BsPattern = 3, BsDibPattern = 5, BsDibPatternPt = 6 };
enum BackgroundMode { BkTransparent = 1, BkOpaque = 2 };
enum RegionMode { RgnAnd = 1, RgnOr, RgnXor, RgnDiff, RgnCopy };
enum ArcKind { ArcOpen, ArcTo, ArcChord, ArcPie };

// Ref-counted cairo image surface (pattern brushes, decoded bitmaps).
using SurfacePtr = std::shared_ptr<cairo_surface_t>;
SurfacePtr MakeSurfacePtr(cairo_surface_t* surface);

struct LogPen {
    uint32_t Style = PsSolid; // low nibble: dash style; 0x0F00 end cap, 0xF000 join, 0x10000 geometric
    double Width = 0;         // logical units; 0 draws one pixel wide
    ColorRef Color = 0;
    bool Cosmetic = false;    // always one pixel wide (extended cosmetic pens)
    std::vector<double> UserDashes;
};

struct LogBrush {
    uint32_t Style = BsSolid;
    ColorRef Color = 0xFFFFFF;
    uint32_t Hatch = 0;
    SurfacePtr Pattern; // BsPattern / BsDibPattern*
};

struct LogFont {
    int32_t Height = 0;
    int32_t Width = 0;
    int32_t Escapement = 0; // tenths of a degree
    int32_t Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    uint8_t CharSet = 0;
    std::string Face;
};

using LogPalette = std::vector<PaletteEntry>; // Red/Green/Blue as stored, Alpha = flags
// Palettes can be large; states and the object table share them.
using PalettePtr = std::shared_ptr<const LogPalette>;

// Rectangles of a region, in logical (WMF) or reference-device (EMF) units.
struct Region {
    std::vector<Rect> Rects;
    bool DeviceUnits = false;
};

// An object we cannot draw with still takes its slot in the table.
struct Placeholder {};

using GdiObject = std::variant<std::monostate, Placeholder, LogPen, LogBrush, LogFont, PalettePtr, Region>;

struct DcState {
    int MapMode = MmText;
    Point WindowOrg{0, 0}, WindowExt{1, 1}, ViewportOrg{0, 0}, ViewportExt{1, 1};
    Affine World;
    LogPen Pen;
    LogBrush Brush;
    LogFont Font;
    PalettePtr Palette; // null: the default palette
    ColorRef TextColor = 0;
    ColorRef BkColor = 0xFFFFFF;
    int BkMode = BkOpaque;
    uint32_t TextAlign = 0;
    int PolyFillMode = 1; // 1 alternate, 2 winding
    int StretchMode = 1;
    int ArcDirection = 1; // 1 counter-clockwise, 2 clockwise
    double MiterLimit = 10;
    Point Current{0, 0};
    Point BrushOrg{0, 0};
};

// Text ready for output: code points, optional per-character advances.
struct TextRun {
    Point Reference;
    std::u32string Text;
    std::vector<double> Dx; // logical units, empty when absent
    uint32_t Options = 0;   // ETO_OPAQUE 2, ETO_CLIPPED 4, ETO_GLYPH_INDEX 0x10
    Rect Box{};             // for ETO_OPAQUE / ETO_CLIPPED
    bool UseCurrentPosition = false;
};

// A bitmap to blit: the packed header/colour table and the pixel rows as
// they sit in the record, and where they go.
struct DibBlit {
    const uint8_t* Info = nullptr;
    size_t InfoSize = 0;
    const uint8_t* Bits = nullptr;
    size_t BitsSize = 0;
    uint32_t Usage = 0;            // 0 RGB colours, 1 palette indices
    Rect Dest{};                   // logical: left, top, right = left + width, bottom = top + height
    Rect Source{};                 // pixels of the bitmap
    bool SourceFromBottom = false; // StretchDIBits counts the source origin from the bottom
    uint32_t Rop = 0x00CC0020;     // SRCCOPY
    int ConstantAlpha = -1;        // 0..255 for alpha blending, -1 for raster operations
    bool SourceAlpha = false;      // blend with the bitmap's own (premultiplied) alpha
    int64_t KeyColor = -1;         // COLORREF left out (TransparentBlt), -1 none
};

// A corner of a gradient fill: logical position, colour channels 0..1.
struct GradientVertex {
    Point Position;
    double Red = 0, Green = 0, Blue = 0;
};

// Everything the players need to know about the device they draw for.
struct DeviceSetup {
    Affine Outer;               // reference-device pixels -> raster pixels
    double PixelsPerMmX = 96 / 25.4;
    double PixelsPerMmY = 96 / 25.4;
    size_t ObjectSlots = 0;     // size of the object table
};

class CMetafileCanvas {
public:
    CMetafileCanvas(cairo_t* cr, const DeviceSetup& setup);
    ~CMetafileCanvas();
    CMetafileCanvas(const CMetafileCanvas&) = delete;
    CMetafileCanvas& operator=(const CMetafileCanvas&) = delete;

    DcState& Dc() { return m_Dc; }

    // Mapping.
    void SetMapMode(int mode);
    void SetWindowOrg(Point p) { m_Dc.WindowOrg = p; }
    void SetViewportOrg(Point p) { m_Dc.ViewportOrg = p; }
    void SetWindowExt(Point e);
    void SetViewportExt(Point e);
    void ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    void ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);
    void SetWorldTransform(const Affine& m);
    // mode: 1 identity, 2 m before the current transform, 3 m after it, 4 set.
    void ModifyWorldTransform(const Affine& m, uint32_t mode);

    void SaveDc();
    void RestoreDc(int which);

    // Object table. AddObject takes the first free slot (WMF); SetObject a
    // given one (EMF). Out-of-range indices are ignored, as GDI fails them.
    void AddObject(GdiObject object);
    void SetObject(uint32_t index, GdiObject object);
    void SelectObject(uint32_t index);
    void SelectPalette(uint32_t index);
    void DeleteObject(uint32_t index);
    const GdiObject* Object(uint32_t index) const;

    // Drawing, all in logical coordinates.
    void MoveTo(Point p);
    void LineTo(Point p);
    void Polyline(const std::vector<Point>& points);
    void PolylineTo(const std::vector<Point>& points);
    void PolyBezier(const std::vector<Point>& points);
    void PolyBezierTo(const std::vector<Point>& points);
    void PolyDraw(const std::vector<Point>& points, const uint8_t* types);
    void Polygon(const std::vector<Point>& points);
    void PolyPolygon(const std::vector<std::vector<Point>>& polygons);
    void PolyPolyline(const std::vector<std::vector<Point>>& lines);
    void PolyFigures(const std::vector<std::vector<Point>>& figures, bool closed);
    void Rectangle(const Rect& r);
    void RoundRect(const Rect& r, double cornerWidth, double cornerHeight);
    void Ellipse(const Rect& r);
    void Arc(const Rect& r, Point start, Point end, ArcKind kind);
    void AngleArc(Point center, double radius, double startDegrees, double sweepDegrees);
    void SetPixel(Point p, ColorRef color);
    void PatBlt(const Rect& r, uint32_t rop);
    void FillRegion(const Region& region, const LogBrush& brush);
    void FrameRegion(const Region& region, const LogBrush& brush, double width, double height);
    void Text(const TextRun& run);
    void Blit(const DibBlit& blit);
    // mode 0/1: rectangles (pairs of indices) shaded across / down; 2: triangles.
    void GradientFill(const std::vector<GradientVertex>& vertices, const std::vector<uint32_t>& indices, uint32_t mode);

    // Paths.
    void BeginPath();
    void EndPath();
    void AbortPath();
    void CloseFigure();
    void FillPath();
    void StrokePath();
    void StrokeAndFillPath();
    void SelectClipPath(uint32_t mode);

    // Clipping.
    void IntersectClipRect(const Rect& r);
    void ExcludeClipRect(const Rect& r);
    void SelectClipRegion(const Region* region, uint32_t mode);

    const LogPalette& SelectedPalette() const;
    uint32_t ResolveColor(ColorRef color) const;

private:
    Affine Full() const;        // logical -> raster
    Affine PageOnly() const;    // window -> viewport
    Affine Page() const;        // logical -> reference device (page and world)
    bool Drawable() const { return m_Usable && Full().Usable(); }
    Point ToRaster(Point logical) const;
    double PenWidthRaster(const LogPen& pen) const;
    std::vector<double> DashPattern(const LogPen& pen, double width) const;
    void SetColor(ColorRef color);

    // Shape helpers: build in raster coordinates, then add to the open path or paint.
    void AddPolygonTo(CMetafilePath& path, const std::vector<Point>& points, bool close) const;
    void AddEllipseArc(CMetafilePath& path, const Rect& box, double startAngle, double sweep, bool moveFirst) const;
    void AddRectTo(CMetafilePath& path, const Rect& r) const;
    void Shape(const CMetafilePath& path, bool fill, bool stroke);
    void PaintPath(const CMetafilePath& path, bool fill, bool stroke);
    void FillWith(const CMetafilePath& path, const LogBrush& brush, int fillMode);
    void StrokeWith(const CMetafilePath& path, const LogPen& pen);
    bool SetBrushSource(const LogBrush& brush);
    void ClipRasterPath(const CMetafilePath& path, uint32_t mode, int fillRule);
    void RegionToPath(const Region& region, CMetafilePath& path) const;
    double Angle(const Rect& box, Point p) const;

    cairo_t* m_Cr;
    DeviceSetup m_Setup;
    bool m_Usable;
    DcState m_Dc;
    std::vector<DcState> m_Saved;
    std::vector<GdiObject> m_Objects;
    std::set<uint32_t> m_FreeSlots;
    CMetafilePath m_Path;      // raster coordinates
    bool m_InPath = false;
    bool m_PathReady = false;
    bool m_FigureOpen = false; // the next line needs a move to the current position
};

// Brush, pen, font and palette used when nothing else is selected.
GdiObject StockObject(uint32_t id);

} // namespace metafile
