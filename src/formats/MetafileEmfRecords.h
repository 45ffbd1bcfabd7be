// Record layouts shared by the EMF player's files.
#pragma once

#include "formats/MetafileCanvas.h"
#include "formats/MetafileRecord.h"

#include <optional>

namespace metafile {

enum EmfRecord : uint32_t {
    EmrHeader = 1, EmrPolyBezier, EmrPolygon, EmrPolyline, EmrPolyBezierTo, EmrPolylineTo, EmrPolyPolyline,
    EmrPolyPolygon, EmrSetWindowExtEx, EmrSetWindowOrgEx, EmrSetViewportExtEx, EmrSetViewportOrgEx,
    EmrSetBrushOrgEx, EmrEof, EmrSetPixelV, EmrSetMapperFlags, EmrSetMapMode, EmrSetBkMode, EmrSetPolyFillMode,
    EmrSetRop2, EmrSetStretchBltMode, EmrSetTextAlign, EmrSetColorAdjustment, EmrSetTextColor, EmrSetBkColor,
    EmrOffsetClipRgn, EmrMoveToEx, EmrSetMetaRgn, EmrExcludeClipRect, EmrIntersectClipRect, EmrScaleViewportExtEx,
    EmrScaleWindowExtEx, EmrSaveDc, EmrRestoreDc, EmrSetWorldTransform, EmrModifyWorldTransform, EmrSelectObject,
    EmrCreatePen, EmrCreateBrushIndirect, EmrDeleteObject, EmrAngleArc, EmrEllipse, EmrRectangle, EmrRoundRect,
    EmrArc, EmrChord, EmrPie, EmrSelectPalette, EmrCreatePalette, EmrSetPaletteEntries, EmrResizePalette,
    EmrRealizePalette, EmrExtFloodFill, EmrLineTo, EmrArcTo, EmrPolyDraw, EmrSetArcDirection, EmrSetMiterLimit,
    EmrBeginPath, EmrEndPath, EmrCloseFigure, EmrFillPath, EmrStrokeAndFillPath, EmrStrokePath, EmrFlattenPath,
    EmrWidenPath, EmrSelectClipPath, EmrAbortPath,
    EmrFillRgn = 71, EmrFrameRgn, EmrInvertRgn, EmrPaintRgn, EmrExtSelectClipRgn, EmrBitBlt, EmrStretchBlt,
    EmrMaskBlt, EmrPlgBlt, EmrSetDiBitsToDevice, EmrStretchDiBits, EmrExtCreateFontIndirectW, EmrExtTextOutA,
    EmrExtTextOutW, EmrPolyBezier16, EmrPolygon16, EmrPolyline16, EmrPolyBezierTo16, EmrPolylineTo16,
    EmrPolyPolyline16, EmrPolyPolygon16, EmrPolyDraw16, EmrCreateMonoBrush, EmrCreateDibPatternBrushPt,
    EmrExtCreatePen, EmrPolyTextOutA, EmrPolyTextOutW,
    EmrAlphaBlend = 114, EmrTransparentBlt = 116, EmrGradientFill = 118,
};

Point PointAt(const CRecordView& v, size_t offset);
Rect RectAt(const CRecordView& v, size_t offset);
// count entries of red, green, blue, flags at offset; empty when they do not fit.
LogPalette ReadEmfPalette(const CRecordView& v, size_t offset, size_t count);
// RGNDATA at offset; nothing when it does not fit the record.
std::optional<Region> ReadRegion(const CRecordView& v, size_t offset, size_t bytes, bool deviceUnits);

// Object creation, blits, text and gradients: one record each.
void EmfCreateObject(uint32_t type, const CRecordView& v, CMetafileCanvas& canvas);
void EmfBlit(uint32_t type, const CRecordView& v, CMetafileCanvas& canvas);
// An EMRTEXT at offset.
void EmfText(const CRecordView& v, size_t offset, bool wide, CMetafileCanvas& canvas);
void EmfGradient(const CRecordView& v, CMetafileCanvas& canvas);

} // namespace metafile
