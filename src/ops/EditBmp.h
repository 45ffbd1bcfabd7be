// CEditBmp: the image the view shows, as a document: the bitmap, the file it
// came from, whether it has been changed, and one level of undo.
#pragma once

#include "image/WinBmp.h"
#include "ops/ColorRef.h"

#include <memory>
#include <string>

class CEditBmp {
public:
    CEditBmp();
    ~CEditBmp();
    CEditBmp(const CEditBmp&) = delete;
    CEditBmp& operator=(const CEditBmp&) = delete;

    CWinBmp& image() { return *m_Image; }
    const CWinBmp& image() const { return *m_Image; }
    // The file the image was loaded from; empty for a pasted image.
    const std::string& path() const { return m_Path; }
    bool modified() const { return m_Modified; }
    // Cleared once the changes are saved or the user has chosen to drop them.
    void setModified(bool modified) { m_Modified = modified; }
    bool undoAvailable() const { return m_UndoAvailable; }

    // A new image (a load or a paste) replaces the old one and its undo copy.
    void reset(std::unique_ptr<CWinBmp> image, std::string path, bool modified);
    // An empty placeholder image, no file, nothing to undo.
    void clear();

    // An operation that works in place calls saveUndo() first and finish()
    // last. saveUndo() already offers Undo, so an operation that fails
    // halfway can be taken back.
    void saveUndo();
    void finish();

    // An operation that makes a new image fills result() (a buffer kept from
    // one operation to the next, so large images are not allocated afresh)
    // and calls commit(): the result becomes the image and the image it
    // replaces the undo copy, without copying. An operation that fails simply
    // does not commit: image, undo copy and flags stay as they were.
    CWinBmp& result();
    void commit();

    // Brings back the image before the last operation by exchanging it with
    // the current one, so it cannot fail; true when the width or height
    // changed. Does nothing (false) unless undoAvailable().
    bool undo();
    const CWinBmp& undoCopy() const { return *m_Undo; }

    // Colour reduction
    // Median cut to at most 256 colours with nearest-colour mapping
    // (image/MedianCut.h); the image stays 32-bit, alpha kept, and shows
    // source depth 8. Writes result() and commits; failures throw
    // CTextException before the commit and change nothing.
    void reduceColours();

    // The geometry operations. Each needs a 32-bit image, writes result() and
    // commits, so Undo brings back the exact pixels, size and alpha. Failures
    // throw CTextException before the commit and change nothing (image, undo
    // copy, flags): code 10 "Out of memory." for a result over the memory cap
    // or one that cannot be allocated, code 2 for a result below one pixel or
    // an angle out of range. Those that return bool say whether the width or
    // height changed. Pixels move with their alpha; fill pixels are the fill
    // colour, opaque. SourceBitsPerPixel is kept: a command that wants 24
    // there afterwards calls setSourceBitsPerPixel.

    // "Horizontal": the order of the rows is reversed (upside down).
    void flipRows();
    // "Vertical": each row is mirrored left to right.
    void flipColumns();
    void flipBoth();
    bool transpose();
    // Clockwise by 1 to 359 degrees. The exact quarter or half turn comes
    // first, then the remainder (at most 45 degrees either way) by three
    // shears (quality 0 "Low" and 1 "Medium") or by sampling each target pixel
    // (2 "High"); 90, 180 and 270 are exact at every quality.
    bool rotate(int degrees, int quality, ColorRef fill);
    // Horizontal shear, 0 < degrees < 90 (anything else: nothing happens,
    // false); corner 0 shifts the top row furthest right (Up-Left), 1 the
    // bottom row (Down-Left). antiAlias is accepted and changes nothing yet.
    bool shear(double degrees, int corner, bool antiAlias, ColorRef fill);
    // Box averages when both sides shrink, bilinear interpolation otherwise.
    bool resize(int64_t width, int64_t height);
    // A new canvas with the image placed by anchor (0 centre, 1 top left,
    // 2 top centre, 3 top right, 4 middle left, 5 middle right, 6 bottom
    // left, 7 bottom centre, 8 bottom right); margins get the fill colour,
    // what falls outside is cropped.
    bool canvas(int64_t width, int64_t height, int anchor, ColorRef fill);

    // Colour adjustments. Each needs a 32-bit image, writes blue, green and
    // red of result() (alpha and size kept) and commits; failures throw before
    // the commit and change nothing. Results do not depend on the number of
    // threads.

    // g from 0 to 2 (the dialog's -100..100 as (value + 100) × 0.01): each
    // channel through 255 × (c / 255)^(1/g); 0 makes everything black. -1,
    // with nothing done, for g outside 0..2.
    int gamma(double g);
    // v from -100 to 100: towards white by v % of the distance, or towards
    // black. -1, with nothing done, outside that.
    int brightness(int v);
    // Stretches the range of mean intensities of the distinct colours onto
    // 127 levels around mid-grey, widened or narrowed by v (-100 to 100).
    // -1 for v outside that; -2 when the image has more distinct colours
    // than kContrastColorLimit (nothing done). An image of one mean intensity
    // is left as it is, but still counts as an operation.
    int contrast(int v);
    static constexpr int64_t kContrastColorLimit = 800000;
    // Brightness per channel, each value from -100 to 100.
    void colourBalance(int red, int green, int blue);
    void invert();
    void grayShades();
    void swapRedBlue();
    // White where the luma is at least level, black elsewhere.
    void threshold(int level);
    // Brightens (intensity above 20) or darkens (below) the pixels whose
    // value (HSV) exceeds offset, by (value - offset)^exponent.
    void intensity(double intensity, int offset, double exponent);
    // Inverts every channel above threshold.
    void solarize(int threshold);

    // Filters. Each needs a 32-bit image, writes result() and commits; the
    // neighbourhood filters change blue, green and red and keep alpha, and
    // count neighbours outside the image as black. Failures ("Out of memory.")
    // throw CTextException before the commit and change nothing. Results do
    // not depend on the number of threads (FilterKernels.h has the rules).
    void blur();
    void soften();
    void gaussian3();
    void gaussian5();
    void sharpen();
    void findEdge();
    void emboss();
    void erode();
    void dilate();
    void contour();
    void median();
    // The same seed gives the same result.
    void addNoise(uint32_t seed);
    void jitter(uint32_t seed);
    // Writes all four bytes (FilterNormalMap.h); a method outside 0..8 or a
    // scale that is not finite or beyond kNormalMapScaleLimit is refused
    // (code 2) before anything changes.
    void normalMap(int method, double scale);

    // The depth shown for the image from now on: the dialog operations and the
    // rotations set 24 after they succeed. Undo brings the old one back.
    void setSourceBitsPerPixel(int bits) { m_Image->SourceBitsPerPixel = bits; }

private:
    // result() as a 32-bit image of this size with the image's alpha flag and
    // source depth, re-created only when its size or depth differs; checks
    // first (NewImage.h).
    CWinBmp& prepareResult(int64_t width, int64_t height);

    std::unique_ptr<CWinBmp> m_Image;
    std::unique_ptr<CWinBmp> m_Undo;
    std::unique_ptr<CWinBmp> m_Result;
    std::string m_Path;
    bool m_Modified = false;
    bool m_UndoAvailable = false;
};
