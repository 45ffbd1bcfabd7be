#include "formats/MetafileCanvas.h"

#include <algorithm>
#include <cmath>

namespace metafile {

namespace {

// Nested SaveDC records beyond this are refused, as a device runs out of room.
constexpr size_t kMaxSavedStates = 1024;
constexpr size_t kMaxObjectSlots = 65536;
constexpr uint32_t kStockFlag = 0x80000000u;

// Logical units per millimetre of the fixed mapping modes.
double UnitsPerMm(int mode)
{
    switch (mode) {
    case MmLoMetric:
        return 10;
    case MmHiMetric:
        return 100;
    case MmLoEnglish:
        return 100 / 25.4;
    case MmHiEnglish:
        return 1000 / 25.4;
    case MmTwips:
        return 1440 / 25.4;
    default:
        return 0;
    }
}

bool Nonzero(double v)
{
    return std::isfinite(v) && v != 0;
}

} // namespace

SurfacePtr MakeSurfacePtr(cairo_surface_t* surface)
{
    return SurfacePtr(surface, [](cairo_surface_t* s) { cairo_surface_destroy(s); });
}

GdiObject StockObject(uint32_t id)
{
    auto brush = [](uint32_t style, ColorRef color) {
        LogBrush b;
        b.Style = style;
        b.Color = color;
        return GdiObject(b);
    };
    auto pen = [](uint32_t style, ColorRef color) {
        LogPen p;
        p.Style = style;
        p.Color = color;
        return GdiObject(p);
    };
    switch (id) {
    case 0:
        return brush(BsSolid, 0xFFFFFF);
    case 1:
        return brush(BsSolid, 0xC0C0C0);
    case 2:
        return brush(BsSolid, 0x808080);
    case 3:
        return brush(BsSolid, 0x404040);
    case 4:
        return brush(BsSolid, 0x000000);
    case 5:
        return brush(BsNull, 0);
    case 6:
        return pen(PsSolid, 0xFFFFFF);
    case 7:
        return pen(PsSolid, 0x000000);
    case 8:
        return pen(PsNull, 0);
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
    case 16:
    case 17:
        return LogFont{};
    case 15:
        return PalettePtr{};
    case 18:
        return brush(BsSolid, 0xFFFFFF);
    case 19:
        return pen(PsSolid, 0x000000);
    default:
        return std::monostate{};
    }
}

CMetafileCanvas::CMetafileCanvas(cairo_t* cr, const DeviceSetup& setup) :
    m_Cr(cr), m_Setup(setup), m_Usable(setup.Outer.Usable())
{
    const size_t slots = std::min(setup.ObjectSlots, kMaxObjectSlots);
    m_Objects.resize(slots);
    for (size_t i = 0; i < slots; ++i)
        m_FreeSlots.insert(m_FreeSlots.end(), static_cast<uint32_t>(i));
    cairo_identity_matrix(m_Cr);
    cairo_set_antialias(m_Cr, CAIRO_ANTIALIAS_NONE);
}

CMetafileCanvas::~CMetafileCanvas()
{
    for (size_t i = 0; i < m_Saved.size(); ++i)
        cairo_restore(m_Cr);
}

// ---------------------------------------------------------------------------
// Mapping

Affine CMetafileCanvas::PageOnly() const
{
    double sx = 1, sy = 1;
    if (m_Dc.MapMode != MmText) {
        sx = m_Dc.ViewportExt.X / m_Dc.WindowExt.X;
        sy = m_Dc.ViewportExt.Y / m_Dc.WindowExt.Y;
        if (m_Dc.MapMode == MmIsotropic) {
            const double s = std::min(std::fabs(sx), std::fabs(sy));
            sx = std::copysign(s, sx);
            sy = std::copysign(s, sy);
        }
    }
    return Affine{sx, 0, 0, sy, m_Dc.ViewportOrg.X - m_Dc.WindowOrg.X * sx,
                  m_Dc.ViewportOrg.Y - m_Dc.WindowOrg.Y * sy};
}

Affine CMetafileCanvas::Page() const
{
    return PageOnly().After(m_Dc.World);
}

Affine CMetafileCanvas::Full() const
{
    return m_Setup.Outer.After(Page());
}

Point CMetafileCanvas::ToRaster(Point logical) const
{
    const Point p = Full().Apply(logical);
    return {ClampCoordinate(p.X), ClampCoordinate(p.Y)};
}

void CMetafileCanvas::SetMapMode(int mode)
{
    if (mode < MmText || mode > MmAnisotropic)
        return;
    m_Dc.MapMode = mode;
    if (mode == MmText) {
        m_Dc.WindowExt = m_Dc.ViewportExt = {1, 1};
        return;
    }
    // Isotropic starts from the extents of the 0.1 mm mode.
    const double unitsPerMm = UnitsPerMm(mode == MmIsotropic ? MmLoMetric : mode);
    if (unitsPerMm > 0) {
        m_Dc.WindowExt = {unitsPerMm, unitsPerMm};
        m_Dc.ViewportExt = {m_Setup.PixelsPerMmX, -m_Setup.PixelsPerMmY};
    }
}

void CMetafileCanvas::SetWindowExt(Point e)
{
    if ((m_Dc.MapMode == MmIsotropic || m_Dc.MapMode == MmAnisotropic) && Nonzero(e.X) && Nonzero(e.Y))
        m_Dc.WindowExt = e;
}

void CMetafileCanvas::SetViewportExt(Point e)
{
    if ((m_Dc.MapMode == MmIsotropic || m_Dc.MapMode == MmAnisotropic) && Nonzero(e.X) && Nonzero(e.Y))
        m_Dc.ViewportExt = e;
}

void CMetafileCanvas::ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (Nonzero(xDenom) && Nonzero(yDenom))
        SetWindowExt({m_Dc.WindowExt.X * xNum / xDenom, m_Dc.WindowExt.Y * yNum / yDenom});
}

void CMetafileCanvas::ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (Nonzero(xDenom) && Nonzero(yDenom))
        SetViewportExt({m_Dc.ViewportExt.X * xNum / xDenom, m_Dc.ViewportExt.Y * yNum / yDenom});
}

void CMetafileCanvas::SetWorldTransform(const Affine& m)
{
    if (m.Usable())
        m_Dc.World = m;
}

void CMetafileCanvas::ModifyWorldTransform(const Affine& m, uint32_t mode)
{
    Affine next;
    switch (mode) {
    case 1:
        break;
    case 2:
        next = m_Dc.World.After(m);
        break;
    case 3:
        next = m.After(m_Dc.World);
        break;
    case 4:
        next = m;
        break;
    default:
        return;
    }
    if (next.Usable())
        m_Dc.World = next;
}

void CMetafileCanvas::SaveDc()
{
    if (m_Saved.size() >= kMaxSavedStates)
        return;
    m_Saved.push_back(m_Dc);
    cairo_save(m_Cr);
}

void CMetafileCanvas::RestoreDc(int which)
{
    const int64_t depth = static_cast<int64_t>(m_Saved.size());
    const int64_t target = which < 0 ? depth + which : int64_t(which) - 1;
    if (which == 0 || target < 0 || target >= depth)
        return;
    m_Dc = m_Saved[static_cast<size_t>(target)];
    for (int64_t i = target; i < depth; ++i)
        cairo_restore(m_Cr);
    m_Saved.resize(static_cast<size_t>(target));
}

// ---------------------------------------------------------------------------
// Objects

void CMetafileCanvas::AddObject(GdiObject object)
{
    uint32_t slot;
    if (!m_FreeSlots.empty()) {
        slot = *m_FreeSlots.begin();
        m_FreeSlots.erase(m_FreeSlots.begin());
    } else if (m_Objects.size() < kMaxObjectSlots) {
        // Writers that count their objects short still expect the next slot.
        slot = static_cast<uint32_t>(m_Objects.size());
        m_Objects.emplace_back();
    } else {
        return;
    }
    if (std::holds_alternative<std::monostate>(object))
        object = Placeholder{};
    m_Objects[slot] = std::move(object);
}

void CMetafileCanvas::SetObject(uint32_t index, GdiObject object)
{
    if (index == 0 || index >= m_Objects.size())
        return;
    m_Objects[index] = std::move(object);
}

const GdiObject* CMetafileCanvas::Object(uint32_t index) const
{
    return index < m_Objects.size() ? &m_Objects[index] : nullptr;
}

void CMetafileCanvas::SelectObject(uint32_t index)
{
    GdiObject stock;
    const GdiObject* object = nullptr;
    if (index & kStockFlag) {
        stock = StockObject(index & ~kStockFlag);
        object = &stock;
    } else {
        object = Object(index);
    }
    if (!object)
        return;
    if (const auto* pen = std::get_if<LogPen>(object))
        m_Dc.Pen = *pen;
    else if (const auto* brush = std::get_if<LogBrush>(object))
        m_Dc.Brush = *brush;
    else if (const auto* font = std::get_if<LogFont>(object))
        m_Dc.Font = *font;
    else if (const auto* region = std::get_if<Region>(object))
        SelectClipRegion(region, RgnCopy);
}

void CMetafileCanvas::SelectPalette(uint32_t index)
{
    if (index & kStockFlag) {
        m_Dc.Palette.reset();
        return;
    }
    if (const GdiObject* object = Object(index))
        if (const auto* palette = std::get_if<PalettePtr>(object))
            m_Dc.Palette = *palette;
}

void CMetafileCanvas::DeleteObject(uint32_t index)
{
    if (index >= m_Objects.size() || std::holds_alternative<std::monostate>(m_Objects[index]))
        return;
    // What is selected stays in use: the state holds its own copy.
    m_Objects[index] = std::monostate{};
    m_FreeSlots.insert(index);
}

const LogPalette& CMetafileCanvas::SelectedPalette() const
{
    static const LogPalette none;
    return m_Dc.Palette ? *m_Dc.Palette : none;
}

uint32_t CMetafileCanvas::ResolveColor(ColorRef color) const
{
    if ((color >> 24) == 1) {
        const size_t index = color & 0xFFFF;
        const LogPalette& palette = SelectedPalette();
        if (index >= palette.size())
            return 0;
        const PaletteEntry& e = palette[index];
        return uint32_t(e.Red) | (uint32_t(e.Green) << 8) | (uint32_t(e.Blue) << 16);
    }
    return color & 0xFFFFFF;
}

// ---------------------------------------------------------------------------
// Clipping

void CMetafileCanvas::ClipRasterPath(const CMetafilePath& path, uint32_t mode, int fillRule)
{
    if (!m_Usable)
        return;
    if (mode == RgnCopy)
        cairo_reset_clip(m_Cr);
    else if (mode != RgnAnd && mode != RgnDiff)
        return; // a union cannot be expressed as a cairo clip; keep what we have
    path.Emit(m_Cr);
    if (mode == RgnDiff) {
        cairo_rectangle(m_Cr, -kCoordinateLimit, -kCoordinateLimit, 2 * kCoordinateLimit, 2 * kCoordinateLimit);
        fillRule = CAIRO_FILL_RULE_EVEN_ODD;
    }
    cairo_set_fill_rule(m_Cr, static_cast<cairo_fill_rule_t>(fillRule));
    cairo_clip(m_Cr);
    cairo_set_fill_rule(m_Cr, CAIRO_FILL_RULE_WINDING);
}

void CMetafileCanvas::IntersectClipRect(const Rect& r)
{
    if (!Drawable())
        return;
    CMetafilePath path;
    AddRectTo(path, r);
    ClipRasterPath(path, RgnAnd, CAIRO_FILL_RULE_WINDING);
}

void CMetafileCanvas::ExcludeClipRect(const Rect& r)
{
    if (!Drawable())
        return;
    CMetafilePath path;
    AddRectTo(path, r);
    ClipRasterPath(path, RgnDiff, CAIRO_FILL_RULE_WINDING);
}

void CMetafileCanvas::RegionToPath(const Region& region, CMetafilePath& path) const
{
    for (const Rect& r : region.Rects) {
        if (region.DeviceUnits) {
            const Affine& o = m_Setup.Outer;
            path.MoveTo(o.Apply({r.Left, r.Top}));
            path.LineTo(o.Apply({r.Right, r.Top}));
            path.LineTo(o.Apply({r.Right, r.Bottom}));
            path.LineTo(o.Apply({r.Left, r.Bottom}));
            path.Close();
        } else {
            AddRectTo(path, r);
        }
    }
}

void CMetafileCanvas::SelectClipRegion(const Region* region, uint32_t mode)
{
    if (!m_Usable)
        return;
    if (!region) {
        if (mode == RgnCopy)
            cairo_reset_clip(m_Cr);
        return;
    }
    if (!region->DeviceUnits && !Drawable())
        return;
    CMetafilePath path;
    RegionToPath(*region, path);
    ClipRasterPath(path, mode, CAIRO_FILL_RULE_WINDING);
}

void CMetafileCanvas::FillRegion(const Region& region, const LogBrush& brush)
{
    if (!Drawable())
        return;
    CMetafilePath path;
    RegionToPath(region, path);
    if (!path.Empty())
        FillWith(path, brush, 2);
}

void CMetafileCanvas::FrameRegion(const Region& region, const LogBrush& brush, double width, double height)
{
    if (!Drawable())
        return;
    // Each rectangle gets a frame of the given thickness along its inside.
    Region frame;
    frame.DeviceUnits = region.DeviceUnits;
    const double w = std::fabs(width), h = std::fabs(height);
    for (const Rect& r : region.Rects) {
        frame.Rects.push_back({r.Left, r.Top, r.Right, r.Top + h});
        frame.Rects.push_back({r.Left, r.Bottom - h, r.Right, r.Bottom});
        frame.Rects.push_back({r.Left, r.Top, r.Left + w, r.Bottom});
        frame.Rects.push_back({r.Right - w, r.Top, r.Right, r.Bottom});
    }
    FillRegion(frame, brush);
}

} // namespace metafile
