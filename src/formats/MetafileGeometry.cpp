#include "formats/MetafileGeometry.h"

#include <algorithm>
#include <cmath>

namespace metafile {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMatrixLimit = 1e9;

Point Clamped(Point p)
{
    return {ClampCoordinate(p.X), ClampCoordinate(p.Y)};
}

} // namespace

Affine Affine::After(const Affine& f) const
{
    Affine r;
    r.Xx = Xx * f.Xx + Xy * f.Yx;
    r.Xy = Xx * f.Xy + Xy * f.Yy;
    r.Yx = Yx * f.Xx + Yy * f.Yx;
    r.Yy = Yx * f.Xy + Yy * f.Yy;
    r.X0 = Xx * f.X0 + Xy * f.Y0 + X0;
    r.Y0 = Yx * f.X0 + Yy * f.Y0 + Y0;
    return r;
}

bool Affine::Usable() const
{
    for (double v : {Xx, Yx, Xy, Yy, X0, Y0})
        if (!std::isfinite(v) || std::fabs(v) > kMatrixLimit)
            return false;
    const double det = Det();
    return std::isfinite(det) && std::fabs(det) > 1e-12;
}

bool Affine::Invert(Affine& out) const
{
    if (!Usable())
        return false;
    const double det = Det();
    out.Xx = Yy / det;
    out.Xy = -Xy / det;
    out.Yx = -Yx / det;
    out.Yy = Xx / det;
    out.X0 = -(out.Xx * X0 + out.Xy * Y0);
    out.Y0 = -(out.Yx * X0 + out.Yy * Y0);
    return out.Usable();
}

double ClampCoordinate(double v)
{
    if (std::isnan(v))
        return 0;
    return std::clamp(v, -kCoordinateLimit, kCoordinateLimit);
}

void CMetafilePath::MoveTo(Point p)
{
    p = Clamped(p);
    m_Ops.push_back(Op::Move);
    m_Points.push_back(p);
    m_Start = p;
    m_HasCurrent = true;
}

void CMetafilePath::LineTo(Point p)
{
    if (!m_HasCurrent) {
        MoveTo(p);
        return;
    }
    m_Ops.push_back(Op::Line);
    m_Points.push_back(Clamped(p));
}

void CMetafilePath::CurveTo(Point a, Point b, Point c)
{
    if (!m_HasCurrent)
        MoveTo(a);
    m_Ops.push_back(Op::Curve);
    m_Points.push_back(Clamped(a));
    m_Points.push_back(Clamped(b));
    m_Points.push_back(Clamped(c));
}

void CMetafilePath::Close()
{
    if (!m_HasCurrent || m_Ops.back() == Op::Close)
        return;
    m_Ops.push_back(Op::Close);
    // A figure that follows starts where this one started, as in cairo.
    m_Ops.push_back(Op::Move);
    m_Points.push_back(m_Start);
}

void CMetafilePath::Append(const CMetafilePath& other)
{
    m_Ops.insert(m_Ops.end(), other.m_Ops.begin(), other.m_Ops.end());
    m_Points.insert(m_Points.end(), other.m_Points.begin(), other.m_Points.end());
    if (other.m_HasCurrent) {
        m_Start = other.m_Start;
        m_HasCurrent = true;
    }
}

void CMetafilePath::AppendCairo(const cairo_path_t* path)
{
    if (!path || path->status != CAIRO_STATUS_SUCCESS)
        return;
    for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
        const cairo_path_data_t* d = &path->data[i];
        switch (d->header.type) {
        case CAIRO_PATH_MOVE_TO:
            MoveTo({d[1].point.x, d[1].point.y});
            break;
        case CAIRO_PATH_LINE_TO:
            LineTo({d[1].point.x, d[1].point.y});
            break;
        case CAIRO_PATH_CURVE_TO:
            CurveTo({d[1].point.x, d[1].point.y}, {d[2].point.x, d[2].point.y}, {d[3].point.x, d[3].point.y});
            break;
        case CAIRO_PATH_CLOSE_PATH:
            Close();
            break;
        }
        if (d->header.length <= 0)
            break;
    }
}

void CMetafilePath::Clear()
{
    m_Ops.clear();
    m_Points.clear();
    m_HasCurrent = false;
}

void CMetafilePath::Emit(cairo_t* cr) const
{
    cairo_new_path(cr);
    size_t k = 0;
    for (Op op : m_Ops) {
        switch (op) {
        case Op::Move:
            cairo_move_to(cr, m_Points[k].X, m_Points[k].Y);
            ++k;
            break;
        case Op::Line:
            cairo_line_to(cr, m_Points[k].X, m_Points[k].Y);
            ++k;
            break;
        case Op::Curve:
            cairo_curve_to(cr, m_Points[k].X, m_Points[k].Y, m_Points[k + 1].X, m_Points[k + 1].Y,
                           m_Points[k + 2].X, m_Points[k + 2].Y);
            k += 3;
            break;
        case Op::Close:
            cairo_close_path(cr);
            break;
        }
    }
}

std::vector<Point> ArcControlPoints(Point c, double rx, double ry, double a0, double sweep)
{
    std::vector<Point> pts;
    if (!std::isfinite(a0) || !std::isfinite(sweep))
        return pts;
    // Whole turns add nothing to the picture; never more than one turn of pieces.
    sweep = std::clamp(sweep, -2 * kPi, 2 * kPi);
    const int pieces = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / (kPi / 2) - 1e-9)));
    const double step = sweep / pieces;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    auto at = [&](double a) { return Point{c.X + rx * std::cos(a), c.Y - ry * std::sin(a)}; };
    auto tangent = [&](double a) { return Point{-rx * std::sin(a), -ry * std::cos(a)}; };
    pts.push_back(at(a0));
    for (int i = 0; i < pieces; ++i) {
        const double s = a0 + step * i, e = s + step;
        const Point p0 = at(s), p3 = at(e), t0 = tangent(s), t3 = tangent(e);
        pts.push_back({p0.X + k * t0.X, p0.Y + k * t0.Y});
        pts.push_back({p3.X - k * t3.X, p3.Y - k * t3.Y});
        pts.push_back(p3);
    }
    return pts;
}

} // namespace metafile
