// Shapes and paths of the metafile canvas: every figure is built in raster
// pixels and then either added to the open path or painted.
#include "formats/MetafileCanvas.h"

#include <algorithm>
#include <cmath>

namespace metafile {

namespace {

constexpr double kPi = 3.14159265358979323846;

} // namespace

// ---------------------------------------------------------------------------
// Shapes

void CMetafileCanvas::AddPolygonTo(CMetafilePath& path, const std::vector<Point>& points, bool close) const
{
    if (points.empty())
        return;
    path.MoveTo(ToRaster(points[0]));
    for (size_t i = 1; i < points.size(); ++i)
        path.LineTo(ToRaster(points[i]));
    if (close)
        path.Close();
}

void CMetafileCanvas::AddRectTo(CMetafilePath& path, const Rect& r) const
{
    AddPolygonTo(path, {{r.Left, r.Top}, {r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left, r.Bottom}}, true);
}

void CMetafileCanvas::AddEllipseArc(CMetafilePath& path, const Rect& box, double startAngle, double sweep,
                                    bool moveFirst) const
{
    const Point c{(box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2};
    const std::vector<Point> pts =
        ArcControlPoints(c, std::fabs(box.Right - box.Left) / 2, std::fabs(box.Bottom - box.Top) / 2, startAngle, sweep);
    if (pts.empty())
        return;
    if (moveFirst)
        path.MoveTo(ToRaster(pts[0]));
    else
        path.LineTo(ToRaster(pts[0]));
    for (size_t i = 1; i + 2 < pts.size(); i += 3)
        path.CurveTo(ToRaster(pts[i]), ToRaster(pts[i + 1]), ToRaster(pts[i + 2]));
}

// Angle of p seen from the centre of box, on the ellipse's own scale.
double CMetafileCanvas::Angle(const Rect& box, Point p) const
{
    const double cx = (box.Left + box.Right) / 2, cy = (box.Top + box.Bottom) / 2;
    const double rx = std::fabs(box.Right - box.Left) / 2, ry = std::fabs(box.Bottom - box.Top) / 2;
    return std::atan2(-(p.Y - cy) * rx, (p.X - cx) * ry);
}

void CMetafileCanvas::Shape(const CMetafilePath& path, bool fill, bool stroke)
{
    if (m_InPath) {
        m_Path.Append(path);
        m_FigureOpen = false;
        return;
    }
    PaintPath(path, fill, stroke);
}

void CMetafileCanvas::PaintPath(const CMetafilePath& path, bool fill, bool stroke)
{
    if (fill)
        FillWith(path, m_Dc.Brush, m_Dc.PolyFillMode);
    if (stroke)
        StrokeWith(path, m_Dc.Pen);
}

void CMetafileCanvas::MoveTo(Point p)
{
    m_Dc.Current = p;
    m_FigureOpen = false;
}

void CMetafileCanvas::LineTo(Point p)
{
    PolylineTo({p});
}

void CMetafileCanvas::PolylineTo(const std::vector<Point>& points)
{
    if (points.empty())
        return;
    if (Drawable()) {
        CMetafilePath single;
        CMetafilePath& path = m_InPath ? m_Path : single;
        if (!m_InPath || !m_FigureOpen)
            path.MoveTo(ToRaster(m_Dc.Current));
        for (const Point& p : points)
            path.LineTo(ToRaster(p));
        if (m_InPath)
            m_FigureOpen = true;
        else
            StrokeWith(path, m_Dc.Pen);
    }
    m_Dc.Current = points.back();
}

void CMetafileCanvas::Polyline(const std::vector<Point>& points)
{
    if (points.size() < 2 || !Drawable())
        return;
    CMetafilePath path;
    AddPolygonTo(path, points, false);
    Shape(path, false, true);
}

void CMetafileCanvas::PolyBezier(const std::vector<Point>& points)
{
    if (points.size() < 4 || (points.size() - 1) % 3 != 0 || !Drawable())
        return;
    CMetafilePath path;
    path.MoveTo(ToRaster(points[0]));
    for (size_t i = 1; i + 2 < points.size(); i += 3)
        path.CurveTo(ToRaster(points[i]), ToRaster(points[i + 1]), ToRaster(points[i + 2]));
    Shape(path, false, true);
}

void CMetafileCanvas::PolyBezierTo(const std::vector<Point>& points)
{
    if (points.empty() || points.size() % 3 != 0)
        return;
    if (Drawable()) {
        CMetafilePath single;
        CMetafilePath& path = m_InPath ? m_Path : single;
        if (!m_InPath || !m_FigureOpen)
            path.MoveTo(ToRaster(m_Dc.Current));
        for (size_t i = 0; i + 2 < points.size(); i += 3)
            path.CurveTo(ToRaster(points[i]), ToRaster(points[i + 1]), ToRaster(points[i + 2]));
        if (m_InPath)
            m_FigureOpen = true;
        else
            StrokeWith(path, m_Dc.Pen);
    }
    m_Dc.Current = points.back();
}

void CMetafileCanvas::PolyDraw(const std::vector<Point>& points, const uint8_t* types)
{
    enum { PtClose = 1, PtLine = 2, PtBezier = 4, PtMove = 6 };
    if (points.empty() || !Drawable())
        return;
    CMetafilePath single;
    CMetafilePath& path = m_InPath ? m_Path : single;
    if (!m_InPath || !m_FigureOpen)
        path.MoveTo(ToRaster(m_Dc.Current));
    for (size_t i = 0; i < points.size(); ++i) {
        const int kind = types[i] & ~PtClose;
        if (kind == PtMove) {
            path.MoveTo(ToRaster(points[i]));
        } else if (kind == PtLine) {
            path.LineTo(ToRaster(points[i]));
        } else if (kind == PtBezier && i + 2 < points.size()) {
            path.CurveTo(ToRaster(points[i]), ToRaster(points[i + 1]), ToRaster(points[i + 2]));
            i += 2;
        } else {
            break; // GDI refuses the whole record; what came before stays
        }
        if (types[i] & PtClose)
            path.Close();
        m_Dc.Current = points[i];
    }
    if (m_InPath)
        m_FigureOpen = true;
    else
        StrokeWith(path, m_Dc.Pen);
}

void CMetafileCanvas::Polygon(const std::vector<Point>& points)
{
    if (points.size() < 2 || !Drawable())
        return;
    CMetafilePath path;
    AddPolygonTo(path, points, true);
    Shape(path, true, true);
}

void CMetafileCanvas::PolyPolygon(const std::vector<std::vector<Point>>& polygons)
{
    PolyFigures(polygons, true);
}

void CMetafileCanvas::PolyPolyline(const std::vector<std::vector<Point>>& lines)
{
    PolyFigures(lines, false);
}

// Closed figures are filled and outlined, open ones only outlined.
void CMetafileCanvas::PolyFigures(const std::vector<std::vector<Point>>& figures, bool closed)
{
    if (!Drawable())
        return;
    CMetafilePath path;
    for (const auto& figure : figures)
        if (figure.size() >= 2)
            AddPolygonTo(path, figure, closed);
    if (!path.Empty())
        Shape(path, closed, true);
}

void CMetafileCanvas::Rectangle(const Rect& r)
{
    if (!Drawable())
        return;
    CMetafilePath path;
    AddRectTo(path, r);
    Shape(path, true, true);
}

void CMetafileCanvas::RoundRect(const Rect& box, double cornerWidth, double cornerHeight)
{
    if (!Drawable())
        return;
    const Rect r{std::min(box.Left, box.Right), std::min(box.Top, box.Bottom), std::max(box.Left, box.Right),
                 std::max(box.Top, box.Bottom)};
    const double rw = std::min(std::fabs(cornerWidth) / 2, (r.Right - r.Left) / 2);
    const double rh = std::min(std::fabs(cornerHeight) / 2, (r.Bottom - r.Top) / 2);
    auto corner = [&](double cx, double cy) { return Rect{cx - rw, cy - rh, cx + rw, cy + rh}; };
    CMetafilePath path;
    path.MoveTo(ToRaster({r.Left + rw, r.Top}));
    AddEllipseArc(path, corner(r.Right - rw, r.Top + rh), kPi / 2, -kPi / 2, false);
    AddEllipseArc(path, corner(r.Right - rw, r.Bottom - rh), 0, -kPi / 2, false);
    AddEllipseArc(path, corner(r.Left + rw, r.Bottom - rh), -kPi / 2, -kPi / 2, false);
    AddEllipseArc(path, corner(r.Left + rw, r.Top + rh), kPi, -kPi / 2, false);
    path.Close();
    Shape(path, true, true);
}

void CMetafileCanvas::Ellipse(const Rect& r)
{
    if (!Drawable())
        return;
    CMetafilePath path;
    AddEllipseArc(path, r, 0, 2 * kPi, true);
    path.Close();
    Shape(path, true, true);
}

void CMetafileCanvas::Arc(const Rect& r, Point start, Point end, ArcKind kind)
{
    const double a0 = Angle(r, start), a1 = Angle(r, end);
    double sweep = a1 - a0;
    if (m_Dc.ArcDirection == 2) {
        if (sweep >= 0)
            sweep -= 2 * kPi;
    } else if (sweep <= 0) {
        sweep += 2 * kPi;
    }
    const std::vector<Point> pts =
        ArcControlPoints({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}, std::fabs(r.Right - r.Left) / 2,
                         std::fabs(r.Bottom - r.Top) / 2, a0, sweep);
    if (pts.empty() || !Drawable())
        return;
    if (kind == ArcTo) {
        PolylineTo({pts[0]});
        std::vector<Point> rest(pts.begin() + 1, pts.end());
        PolyBezierTo(rest);
        return;
    }
    CMetafilePath path;
    if (kind == ArcPie) {
        path.MoveTo(ToRaster({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}));
        path.LineTo(ToRaster(pts[0]));
    } else {
        path.MoveTo(ToRaster(pts[0]));
    }
    for (size_t i = 1; i + 2 < pts.size(); i += 3)
        path.CurveTo(ToRaster(pts[i]), ToRaster(pts[i + 1]), ToRaster(pts[i + 2]));
    if (kind != ArcOpen)
        path.Close();
    Shape(path, kind != ArcOpen, true);
}

void CMetafileCanvas::AngleArc(Point center, double radius, double startDegrees, double sweepDegrees)
{
    if (!std::isfinite(radius) || radius < 0)
        return;
    const std::vector<Point> pts = ArcControlPoints(center, radius, radius, startDegrees * kPi / 180,
                                                    sweepDegrees * kPi / 180);
    if (pts.empty())
        return;
    PolylineTo({pts[0]});
    PolyBezierTo(std::vector<Point>(pts.begin() + 1, pts.end()));
}

// ---------------------------------------------------------------------------
// Paths

void CMetafileCanvas::BeginPath()
{
    m_Path.Clear();
    m_InPath = true;
    m_PathReady = false;
    m_FigureOpen = false;
}

void CMetafileCanvas::EndPath()
{
    if (!m_InPath)
        return;
    m_InPath = false;
    m_PathReady = true;
}

void CMetafileCanvas::AbortPath()
{
    m_Path.Clear();
    m_InPath = m_PathReady = m_FigureOpen = false;
}

void CMetafileCanvas::CloseFigure()
{
    if (m_InPath) {
        m_Path.Close();
        m_FigureOpen = false;
    }
}

void CMetafileCanvas::FillPath()
{
    EndPath();
    if (m_PathReady)
        FillWith(m_Path, m_Dc.Brush, m_Dc.PolyFillMode);
    AbortPath();
}

void CMetafileCanvas::StrokePath()
{
    EndPath();
    if (m_PathReady)
        StrokeWith(m_Path, m_Dc.Pen);
    AbortPath();
}

void CMetafileCanvas::StrokeAndFillPath()
{
    EndPath();
    if (m_PathReady)
        PaintPath(m_Path, true, true);
    AbortPath();
}

void CMetafileCanvas::SelectClipPath(uint32_t mode)
{
    EndPath();
    if (m_PathReady)
        ClipRasterPath(m_Path, mode, m_Dc.PolyFillMode == 2 ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    AbortPath();
}

} // namespace metafile
