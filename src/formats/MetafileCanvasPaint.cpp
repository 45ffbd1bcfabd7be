// Painting of the metafile canvas: brushes, pens, pixels, pattern and
// bitmap blits. Paths arrive in raster pixels; cairo's matrix stays identity
// outside the save/restore pairs here.
#include "formats/MetafileCanvas.h"

#include "formats/MetafileDib.h"

#include <algorithm>
#include <cmath>

namespace metafile {

namespace {

constexpr double kMaxPenWidth = 1 << 20;

enum RasterOp : uint32_t {
    RopBlackness = 0x00000042,
    RopNotSrcCopy = 0x00330008,
    RopDstInvert = 0x00550009,
    RopPatInvert = 0x005A0049,
    RopSrcInvert = 0x00660046,
    RopSrcAnd = 0x008800C6,
    RopNop = 0x00AA0029,
    RopSrcPaint = 0x00EE0086,
    RopPatCopy = 0x00F00021,
    RopWhiteness = 0x00FF0062,
};

void SourceRgb(cairo_t* cr, uint32_t rgb)
{
    cairo_set_source_rgb(cr, (rgb & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, ((rgb >> 16) & 0xFF) / 255.0);
}

uint32_t Argb(uint32_t rgb)
{
    return 0xFF000000u | ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

// The six hatches as 8 x 8 device pixels.
bool HatchPixel(uint32_t hatch, int x, int y)
{
    switch (hatch) {
    case 0:
        return y == 7;
    case 1:
        return x == 7;
    case 2:
        return x == y;
    case 3:
        return x == 7 - y;
    case 4:
        return x == 7 || y == 7;
    case 5:
        return x == y || x == 7 - y;
    default:
        return false;
    }
}

SurfacePtr HatchSurface(uint32_t hatch, uint32_t rgb, bool opaque, uint32_t backgroundRgb)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    uint8_t* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < 8; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + stride * y);
        for (int x = 0; x < 8; ++x)
            row[x] = HatchPixel(hatch, x, y) ? Argb(rgb) : (opaque ? Argb(backgroundRgb) : 0);
    }
    cairo_surface_mark_dirty(surface);
    return MakeSurfacePtr(surface);
}

bool SetPatternSource(cairo_t* cr, cairo_surface_t* surface, Point origin)
{
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(surface);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
    cairo_matrix_t m;
    cairo_matrix_init_translate(&m, -ClampCoordinate(origin.X), -ClampCoordinate(origin.Y));
    cairo_pattern_set_matrix(pattern, &m);
    const bool ok = cairo_pattern_status(pattern) == CAIRO_STATUS_SUCCESS;
    if (ok)
        cairo_set_source(cr, pattern);
    cairo_pattern_destroy(pattern);
    return ok;
}

} // namespace

void CMetafileCanvas::SetColor(ColorRef color)
{
    SourceRgb(m_Cr, ResolveColor(color));
}

bool CMetafileCanvas::SetBrushSource(const LogBrush& brush)
{
    const Point origin = m_Setup.Outer.Apply(m_Dc.BrushOrg);
    switch (brush.Style) {
    case BsSolid:
        SetColor(brush.Color);
        return true;
    case BsHatched: {
        const SurfacePtr hatch = HatchSurface(brush.Hatch, ResolveColor(brush.Color), m_Dc.BkMode == BkOpaque,
                                              ResolveColor(m_Dc.BkColor));
        return hatch && SetPatternSource(m_Cr, hatch.get(), origin);
    }
    case BsPattern:
    case BsDibPattern:
    case BsDibPatternPt:
        return brush.Pattern && SetPatternSource(m_Cr, brush.Pattern.get(), origin);
    default:
        return false;
    }
}

void CMetafileCanvas::FillWith(const CMetafilePath& path, const LogBrush& brush, int fillMode)
{
    if (!m_Usable || path.Empty())
        return;
    cairo_save(m_Cr);
    if (SetBrushSource(brush)) {
        path.Emit(m_Cr);
        cairo_set_fill_rule(m_Cr, fillMode == 2 ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
        cairo_fill(m_Cr);
    }
    cairo_restore(m_Cr);
}

double CMetafileCanvas::PenWidthRaster(const LogPen& pen) const
{
    if (pen.Cosmetic)
        return 1;
    const Affine full = Full();
    const double width = std::fabs(pen.Width) * std::hypot(full.Xx, full.Yx);
    // Thin pens, and NaN from a broken mapping, draw one pixel wide.
    if (!(width >= 1))
        return 1;
    return std::min(width, kMaxPenWidth);
}

std::vector<double> CMetafileCanvas::DashPattern(const LogPen& pen, double width) const
{
    const uint32_t style = pen.Style & 0xF;
    const bool geometric = (pen.Style & 0x10000) != 0;
    // Plain pens wider than one unit are always solid.
    if (style == PsSolid || style == PsInsideFrame || (!geometric && !pen.Cosmetic && pen.Width > 1))
        return {};
    std::vector<double> dashes;
    switch (style) {
    case PsDash:
        dashes = geometric ? std::vector<double>{3, 1} : std::vector<double>{18, 6};
        break;
    case PsDot:
        dashes = geometric ? std::vector<double>{1, 1} : std::vector<double>{3, 3};
        break;
    case PsDashDot:
        dashes = geometric ? std::vector<double>{3, 1, 1, 1} : std::vector<double>{9, 6, 3, 6};
        break;
    case PsDashDotDot:
        dashes = geometric ? std::vector<double>{3, 1, 1, 1, 1, 1} : std::vector<double>{9, 3, 3, 3, 3, 3};
        break;
    case PsAlternate:
        dashes = {1, 1};
        break;
    case PsUserStyle:
        dashes = pen.UserDashes;
        break;
    default:
        return {};
    }
    const double scale = geometric ? width : 1;
    double total = 0;
    for (double& d : dashes) {
        d = std::clamp(std::isfinite(d) ? std::fabs(d) * scale : 0.0, 0.0, kCoordinateLimit);
        total += d;
    }
    if (!(total >= 1))
        return {};
    return dashes;
}

void CMetafileCanvas::StrokeWith(const CMetafilePath& path, const LogPen& pen)
{
    if (!m_Usable || path.Empty() || (pen.Style & 0xF) == PsNull)
        return;
    const double width = PenWidthRaster(pen);
    const std::vector<double> dashes = DashPattern(pen, width);
    cairo_save(m_Cr);
    cairo_set_line_width(m_Cr, width);
    if (width < 1.5 && !(pen.Style & 0x10000)) {
        cairo_set_line_cap(m_Cr, CAIRO_LINE_CAP_BUTT);
        cairo_set_line_join(m_Cr, CAIRO_LINE_JOIN_MITER);
    } else {
        const uint32_t cap = pen.Style & 0xF00, join = pen.Style & 0xF000;
        cairo_set_line_cap(m_Cr, cap == 0x100 ? CAIRO_LINE_CAP_SQUARE
                                 : cap == 0x200 ? CAIRO_LINE_CAP_BUTT
                                                : CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(m_Cr, join == 0x1000 ? CAIRO_LINE_JOIN_BEVEL
                                  : join == 0x2000 ? CAIRO_LINE_JOIN_MITER
                                                   : CAIRO_LINE_JOIN_ROUND);
    }
    cairo_set_miter_limit(m_Cr, std::clamp(m_Dc.MiterLimit, 1.0, 100.0));
    // Odd widths sit on pixel centres, as device lines do.
    if (std::lround(width) % 2 == 1)
        cairo_translate(m_Cr, 0.5, 0.5);
    path.Emit(m_Cr);
    if (!dashes.empty()) {
        if (m_Dc.BkMode == BkOpaque) {
            SetColor(m_Dc.BkColor);
            cairo_stroke_preserve(m_Cr);
        }
        cairo_set_dash(m_Cr, dashes.data(), static_cast<int>(dashes.size()), 0);
    }
    SetColor(pen.Color);
    cairo_stroke(m_Cr);
    cairo_restore(m_Cr);
}

void CMetafileCanvas::SetPixel(Point p, ColorRef color)
{
    if (!Drawable())
        return;
    const Point r = ToRaster(p);
    cairo_save(m_Cr);
    SetColor(color);
    cairo_new_path(m_Cr);
    cairo_rectangle(m_Cr, std::floor(r.X), std::floor(r.Y), 1, 1);
    cairo_fill(m_Cr);
    cairo_restore(m_Cr);
}

void CMetafileCanvas::PatBlt(const Rect& r, uint32_t rop)
{
    if (!Drawable())
        return;
    CMetafilePath path;
    AddRectTo(path, r);
    LogBrush brush;
    switch (rop) {
    case RopPatCopy:
        FillWith(path, m_Dc.Brush, 2);
        return;
    case RopBlackness:
    case RopWhiteness:
        brush.Color = rop == RopBlackness ? 0x000000 : 0xFFFFFF;
        FillWith(path, brush, 2);
        return;
    case RopDstInvert:
    case RopPatInvert:
        cairo_save(m_Cr);
        cairo_set_operator(m_Cr, CAIRO_OPERATOR_DIFFERENCE);
        if (rop == RopPatInvert ? SetBrushSource(m_Dc.Brush) : (SetColor(0xFFFFFF), true)) {
            path.Emit(m_Cr);
            cairo_fill(m_Cr);
        }
        cairo_restore(m_Cr);
        return;
    default:
        return;
    }
}

void CMetafileCanvas::Blit(const DibBlit& blit)
{
    if (!Drawable() || blit.Rop == RopNop)
        return;
    if (blit.ConstantAlpha < 0 && (blit.Rop == RopBlackness || blit.Rop == RopWhiteness || blit.Rop == RopPatCopy ||
                                   blit.Rop == RopPatInvert || blit.Rop == RopDstInvert)) {
        PatBlt(blit.Dest, blit.Rop);
        return;
    }
    DibOptions options;
    options.Usage = blit.Usage;
    options.KeepAlpha = blit.ConstantAlpha >= 0 && blit.SourceAlpha;
    options.Invert = blit.ConstantAlpha < 0 && blit.Rop == RopNotSrcCopy;
    options.KeyColor = blit.KeyColor;
    const DibSurface dib = DecodeDib(blit.Info, blit.InfoSize, blit.Bits, blit.BitsSize, options, SelectedPalette());
    if (!dib.Surface)
        return;
    const double sw = blit.Source.Right - blit.Source.Left, sh = blit.Source.Bottom - blit.Source.Top;
    if (!std::isfinite(sw) || !std::isfinite(sh) || sw == 0 || sh == 0)
        return;
    const double sx = blit.Source.Left;
    const double sy = blit.SourceFromBottom && dib.BottomUp ? dib.Height - (blit.Source.Top + sh) : blit.Source.Top;
    const Point p0 = ToRaster({blit.Dest.Left, blit.Dest.Top});
    const Point p1 = ToRaster({blit.Dest.Right, blit.Dest.Top});
    const Point p2 = ToRaster({blit.Dest.Left, blit.Dest.Bottom});
    Affine m{(p1.X - p0.X) / sw, (p1.Y - p0.Y) / sw, (p2.X - p0.X) / sh, (p2.Y - p0.Y) / sh, 0, 0};
    m.X0 = p0.X - m.Xx * sx - m.Xy * sy;
    m.Y0 = p0.Y - m.Yx * sx - m.Yy * sy;
    Affine inverse;
    if (!m.Invert(inverse))
        return;

    cairo_save(m_Cr);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(dib.Surface.get());
    const cairo_matrix_t pm = inverse.ToCairo();
    cairo_pattern_set_matrix(pattern, &pm);
    cairo_pattern_set_filter(pattern, m_Dc.StretchMode == 4 ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    if (cairo_pattern_status(pattern) == CAIRO_STATUS_SUCCESS) {
        cairo_set_source(m_Cr, pattern);
        if (blit.ConstantAlpha < 0) {
            cairo_set_operator(m_Cr, blit.Rop == RopSrcAnd     ? CAIRO_OPERATOR_MULTIPLY
                                     : blit.Rop == RopSrcPaint ? CAIRO_OPERATOR_LIGHTEN
                                     : blit.Rop == RopSrcInvert ? CAIRO_OPERATOR_DIFFERENCE
                                                                : CAIRO_OPERATOR_OVER);
        }
        cairo_new_path(m_Cr);
        cairo_move_to(m_Cr, p0.X, p0.Y);
        cairo_line_to(m_Cr, p1.X, p1.Y);
        cairo_line_to(m_Cr, ClampCoordinate(p1.X + p2.X - p0.X), ClampCoordinate(p1.Y + p2.Y - p0.Y));
        cairo_line_to(m_Cr, p2.X, p2.Y);
        cairo_close_path(m_Cr);
        if (blit.ConstantAlpha >= 0) {
            cairo_clip(m_Cr);
            cairo_paint_with_alpha(m_Cr, std::clamp(blit.ConstantAlpha, 0, 255) / 255.0);
        } else {
            cairo_fill(m_Cr);
        }
    }
    cairo_pattern_destroy(pattern);
    cairo_restore(m_Cr);
}

void CMetafileCanvas::GradientFill(const std::vector<GradientVertex>& vertices, const std::vector<uint32_t>& indices,
                                   uint32_t mode)
{
    if (!Drawable() || mode > 2)
        return;
    const size_t step = mode == 2 ? 3 : 2;
    for (size_t i = 0; i + step <= indices.size(); i += step) {
        if (indices[i] >= vertices.size() || indices[i + 1] >= vertices.size() ||
            (step == 3 && indices[i + 2] >= vertices.size()))
            continue;
        const GradientVertex& a = vertices[indices[i]];
        const GradientVertex& b = vertices[indices[i + 1]];
        cairo_pattern_t* pattern;
        CMetafilePath path;
        if (mode == 2) {
            const GradientVertex& c = vertices[indices[i + 2]];
            const Point pa = ToRaster(a.Position), pb = ToRaster(b.Position), pc = ToRaster(c.Position);
            pattern = cairo_pattern_create_mesh();
            cairo_mesh_pattern_begin_patch(pattern);
            cairo_mesh_pattern_move_to(pattern, pa.X, pa.Y);
            cairo_mesh_pattern_line_to(pattern, pb.X, pb.Y);
            cairo_mesh_pattern_line_to(pattern, pc.X, pc.Y);
            cairo_mesh_pattern_set_corner_color_rgb(pattern, 0, a.Red, a.Green, a.Blue);
            cairo_mesh_pattern_set_corner_color_rgb(pattern, 1, b.Red, b.Green, b.Blue);
            cairo_mesh_pattern_set_corner_color_rgb(pattern, 2, c.Red, c.Green, c.Blue);
            cairo_mesh_pattern_end_patch(pattern);
            AddPolygonTo(path, {a.Position, b.Position, c.Position}, true);
        } else {
            const Point end = mode == 0 ? Point{b.Position.X, a.Position.Y} : Point{a.Position.X, b.Position.Y};
            const Point p0 = ToRaster(a.Position), p1 = ToRaster(end);
            pattern = cairo_pattern_create_linear(p0.X, p0.Y, p1.X, p1.Y);
            cairo_pattern_add_color_stop_rgb(pattern, 0, a.Red, a.Green, a.Blue);
            cairo_pattern_add_color_stop_rgb(pattern, 1, b.Red, b.Green, b.Blue);
            cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
            AddRectTo(path, {a.Position.X, a.Position.Y, b.Position.X, b.Position.Y});
        }
        cairo_save(m_Cr);
        if (cairo_pattern_status(pattern) == CAIRO_STATUS_SUCCESS) {
            cairo_set_source(m_Cr, pattern);
            path.Emit(m_Cr);
            cairo_fill(m_Cr);
        }
        cairo_restore(m_Cr);
        cairo_pattern_destroy(pattern);
    }
}

} // namespace metafile
