// Text output of the metafile canvas. Fonts come from cairo's toy text API
// with the DejaVu families standing in for the faces a metafile names; the
// glyphs are drawn as outlines, so any size works.
#include "formats/MetafileCanvas.h"

#include <algorithm>
#include <cmath>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#define OCULANE_LEAK_CHECKER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OCULANE_LEAK_CHECKER 1
#endif
#endif
#ifdef OCULANE_LEAK_CHECKER
#include <sanitizer/lsan_interface.h>
#endif

namespace metafile {

namespace {

// Fontconfig and cairo keep their font configuration and caches for the life
// of the process in ways the leak checker reports as lost; what they allocate
// while we pick and measure fonts is not ours to free.
class CFontCacheScope {
public:
#ifdef OCULANE_LEAK_CHECKER
    CFontCacheScope() { __lsan_disable(); }
    ~CFontCacheScope() { __lsan_enable(); }
#else
    CFontCacheScope() {}
    ~CFontCacheScope() {}
#endif
};

constexpr double kPi = 3.14159265358979323846;
constexpr double kMaxGlyphPixels = 1 << 20;
constexpr uint32_t kEtoOpaque = 2;
constexpr uint32_t kEtoClipped = 4;
constexpr uint32_t kEtoGlyphIndex = 0x10;

std::string Lower(const std::string& s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

const char* Family(const std::string& face)
{
    const std::string f = Lower(face);
    auto has = [&](const char* word) { return f.find(word) != std::string::npos; };
    if (has("mono") || has("courier") || has("consol") || has("fixed") || has("terminal") || has("typewriter"))
        return "DejaVu Sans Mono";
    if (has("sans"))
        return "DejaVu Sans";
    if (has("times") || has("serif") || has("roman") || has("georgia") || has("garamond") || has("palatino") ||
        has("cambria") || has("book"))
        return "DejaVu Serif";
    return "DejaVu Sans";
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c == 0)
        return;
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        c = 0xFFFD;
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

} // namespace

void CMetafileCanvas::Text(const TextRun& run)
{
    if (!Drawable())
        return;
    const LogFont& font = m_Dc.Font;
    const Affine page = PageOnly();
    const Affine full = Full();
    const bool updateCp = (m_Dc.TextAlign & 1) || run.UseCurrentPosition;
    const Point reference = updateCp ? m_Dc.Current : run.Reference;

    // Mapping modes with an upward y axis do not turn the glyphs over.
    const double flipX = page.Xx < 0 ? -1 : 1, flipY = page.Yy < 0 ? -1 : 1;
    const Affine linear{full.Xx * flipX, full.Yx * flipX, full.Xy * flipY, full.Yy * flipY, 0, 0};
    const double angle = font.Escapement / 10.0 * kPi / 180;
    const Affine rotate{std::cos(angle), -std::sin(angle), std::sin(angle), std::cos(angle), 0, 0};
    const Point origin = ToRaster(reference);
    const Affine toRaster = Affine::Translate(origin.X, origin.Y).After(linear).After(rotate);

    std::string all;
    for (char32_t c : run.Text)
        AppendUtf8(all, c);

    const CFontCacheScope fontCaches;
    cairo_save(m_Cr);
    cairo_identity_matrix(m_Cr);
    cairo_select_font_face(m_Cr, Family(font.Face), font.Italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           font.Weight >= 600 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    // Positive heights give the cell, negative ones the character height.
    double em;
    if (font.Height < 0) {
        em = -double(font.Height);
    } else if (font.Height > 0) {
        cairo_set_font_size(m_Cr, 1);
        cairo_font_extents_t unit;
        cairo_font_extents(m_Cr, &unit);
        em = font.Height / std::max(unit.ascent + unit.descent, 0.5);
    } else {
        em = 16 / std::max(std::hypot(page.Xy, page.Yy), 1e-9);
    }
    const double pixels = em * std::sqrt(std::fabs(linear.Det()));
    if (!toRaster.Usable() || !(pixels >= 0.5 && pixels <= kMaxGlyphPixels)) {
        cairo_restore(m_Cr);
        return;
    }

    if ((run.Options & kEtoOpaque) || (run.Options & kEtoClipped)) {
        CMetafilePath box;
        AddRectTo(box, run.Box);
        if (run.Options & kEtoOpaque) {
            SetColor(m_Dc.BkColor);
            box.Emit(m_Cr);
            cairo_fill(m_Cr);
        }
        if (run.Options & kEtoClipped) {
            box.Emit(m_Cr);
            cairo_clip(m_Cr);
        }
    }

    const cairo_matrix_t matrix = toRaster.ToCairo();
    cairo_set_matrix(m_Cr, &matrix);
    cairo_set_font_size(m_Cr, em);
    cairo_font_extents_t fe;
    cairo_font_extents(m_Cr, &fe);
    const bool spaced = !run.Dx.empty() && run.Dx.size() >= run.Text.size();
    double width = 0;
    if (spaced) {
        for (size_t i = 0; i < run.Text.size(); ++i)
            width += run.Dx[i];
    } else {
        cairo_text_extents_t te;
        cairo_text_extents(m_Cr, all.c_str(), &te);
        width = te.x_advance;
    }
    const uint32_t horizontal = m_Dc.TextAlign & 6, vertical = m_Dc.TextAlign & 24;
    const double x0 = horizontal == 6 ? -width / 2 : horizontal == 2 ? -width : 0;
    const double y0 = vertical == 24 ? 0 : vertical == 8 ? -fe.descent : fe.ascent;

    if (m_Dc.BkMode == BkOpaque && !(run.Options & kEtoOpaque) && !m_InPath) {
        SetColor(m_Dc.BkColor);
        cairo_new_path(m_Cr);
        cairo_rectangle(m_Cr, x0, y0 - fe.ascent, width, fe.ascent + fe.descent);
        cairo_fill(m_Cr);
    }
    cairo_new_path(m_Cr);
    if (!(run.Options & kEtoGlyphIndex)) {
        // Glyph indices name glyphs of the writer's font; we have no way to map them.
        if (spaced) {
            double x = x0;
            for (size_t i = 0; i < run.Text.size(); ++i) {
                std::string one;
                AppendUtf8(one, run.Text[i]);
                cairo_move_to(m_Cr, x, y0);
                cairo_text_path(m_Cr, one.c_str());
                x += run.Dx[i];
            }
        } else {
            cairo_move_to(m_Cr, x0, y0);
            cairo_text_path(m_Cr, all.c_str());
        }
        const double thickness = std::max(em / 14, 1e-3);
        if (font.Underline)
            cairo_rectangle(m_Cr, x0, y0 + fe.descent / 3, width, thickness);
        if (font.StrikeOut)
            cairo_rectangle(m_Cr, x0, y0 - fe.ascent / 3, width, thickness);
    }
    if (m_InPath) {
        // Text inside a path bracket adds its outlines to the path.
        cairo_identity_matrix(m_Cr);
        cairo_path_t* outlines = cairo_copy_path(m_Cr);
        m_Path.AppendCairo(outlines);
        cairo_path_destroy(outlines);
        cairo_new_path(m_Cr);
        m_FigureOpen = false;
    } else {
        SetColor(m_Dc.TextColor);
        cairo_set_antialias(m_Cr, CAIRO_ANTIALIAS_GRAY);
        cairo_fill(m_Cr);
    }
    cairo_restore(m_Cr);

    if (updateCp && horizontal == 0)
        m_Dc.Current.X = reference.X + width * flipX;
}

} // namespace metafile
