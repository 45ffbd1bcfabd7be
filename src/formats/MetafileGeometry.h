// Geometry of the metafile player: points, rectangles, affine maps and a
// path of lines and cubic curves in raster pixels.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <vector>

namespace metafile {

// Raster coordinates are kept well inside cairo's 24.8 fixed-point range.
constexpr double kCoordinateLimit = 4194304.0;

struct Point {
    double X = 0;
    double Y = 0;
};

struct Rect {
    double Left = 0;
    double Top = 0;
    double Right = 0;
    double Bottom = 0;
};

// x' = Xx*x + Xy*y + X0, y' = Yx*x + Yy*y + Y0 (the layout of cairo_matrix_t).
struct Affine {
    double Xx = 1, Yx = 0, Xy = 0, Yy = 1, X0 = 0, Y0 = 0;

    static Affine Translate(double x, double y) { return Affine{1, 0, 0, 1, x, y}; }
    static Affine Scale(double x, double y) { return Affine{x, 0, 0, y, 0, 0}; }

    Point Apply(Point p) const { return {Xx * p.X + Xy * p.Y + X0, Yx * p.X + Yy * p.Y + Y0}; }
    Point ApplyLinear(Point p) const { return {Xx * p.X + Xy * p.Y, Yx * p.X + Yy * p.Y}; }
    // The map that applies first, then this.
    Affine After(const Affine& first) const;
    double Det() const { return Xx * Yy - Xy * Yx; }
    // Finite and invertible with room to spare, so cairo accepts it.
    bool Usable() const;
    bool Invert(Affine& out) const;
    cairo_matrix_t ToCairo() const { return cairo_matrix_t{Xx, Yx, Xy, Yy, X0, Y0}; }
};

// NaN becomes 0; everything else is clamped to the coordinate limit.
double ClampCoordinate(double v);

class CMetafilePath {
public:
    void MoveTo(Point p);
    void LineTo(Point p);
    void CurveTo(Point a, Point b, Point c);
    void Close();
    void Append(const CMetafilePath& other);
    // Takes a path copied from cairo (in raster pixels).
    void AppendCairo(const cairo_path_t* path);
    void Clear();
    bool Empty() const { return m_Ops.empty(); }
    bool HasCurrent() const { return m_HasCurrent; }
    // Replaces cairo's current path with this one (identity matrix expected).
    void Emit(cairo_t* cr) const;

private:
    enum class Op : uint8_t { Move, Line, Curve, Close };
    std::vector<Op> m_Ops;
    std::vector<Point> m_Points;
    Point m_Start;
    bool m_HasCurrent = false;
};

// Cubic pieces of an elliptical arc around c with radii rx, ry, from angle a0
// sweeping by sweep radians; angles grow counter-clockwise on a y-down page.
// Points are logical; the caller maps them. The first point is the arc start.
std::vector<Point> ArcControlPoints(Point c, double rx, double ry, double a0, double sweep);

} // namespace metafile
