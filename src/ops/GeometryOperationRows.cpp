// The geometry operations of the Image menu on the command line.
#include "ops/OperationFields.h"
#include "ops/Units.h"

#include <charconv>
#include <cmath>

namespace {

BoundOperation FixedRotation(const std::vector<std::string>& fields, int degrees)
{
    // As the menu's fixed rotations: medium quality, exact, nothing filled.
    return NoArguments(fields, [degrees](CEditBmp& doc) { doc.rotate(degrees, 1, 0); });
}

// A length of the Add Borders / Crop By Value dialog: 0 to 5000 in its unit.
double Amount(const std::string& field, const char* what)
{
    return RealField(field, what, 0, 5000);
}

int Unit(const std::string& field)
{
    static const char* const kNames[] = {"px", "in", "mm", "cm"};
    for (int unit = 0; unit < 4; ++unit)
        if (field == kNames[unit])
            return unit;
    BadField("unit '" + field + "' is not px, in, mm or cm");
}

BoundOperation BordersOrCropOperation(const std::vector<std::string>& fields, bool addBorders)
{
    ExpectFields(fields, {2, 4, 5, 6});
    const double horizontal = Amount(fields[0], "horizontal amount");
    const double vertical = Amount(fields[1], "vertical amount");
    int horizontalOrientation = 1, verticalOrientation = 1;
    if (fields.size() >= 4) {
        horizontalOrientation = int(IntegerField(fields[2], "horizontal orientation", 0, 2));
        verticalOrientation = int(IntegerField(fields[3], "vertical orientation", 0, 2));
    }
    const int unit = fields.size() >= 5 ? Unit(fields[4]) : UnitPixels;
    const ColorRef fill = fields.size() == 6 ? ColorField(fields[5]) : 0;
    return [=](CEditBmp& doc) {
        const CanvasChange change = BordersOrCrop(doc.image().Width, doc.image().Height, horizontal, vertical,
                                                  horizontalOrientation, verticalOrientation, addBorders, unit);
        doc.canvas(change.Width, change.Height, change.Anchor, fill);
    };
}

const OperationRow kGeometryRows[] = {
    {"flip-horizontal", "", "reverse the order of the rows (the Flip menu's Horizontal: upside down)",
     "Error flipping horizontally",
     [](const std::vector<std::string>& f) { return NoArguments(f, [](CEditBmp& doc) { doc.flipRows(); }); }},
    {"flip-vertical", "", "mirror each row left to right (the Flip menu's Vertical)", "Error flipping vertically",
     [](const std::vector<std::string>& f) { return NoArguments(f, [](CEditBmp& doc) { doc.flipColumns(); }); }},
    {"flip-both", "", "both flips at once", "Error flipping vertically",
     [](const std::vector<std::string>& f) { return NoArguments(f, [](CEditBmp& doc) { doc.flipBoth(); }); }},
    {"transpose", "", "swap rows and columns", "Can't transpose image",
     [](const std::vector<std::string>& f) { return NoArguments(f, [](CEditBmp& doc) { doc.transpose(); }); }},
    {"rotate-cw", "", "rotate 90 degrees clockwise", "Error rotating image",
     [](const std::vector<std::string>& f) { return FixedRotation(f, 90); }},
    {"rotate-ccw", "", "rotate 90 degrees counter-clockwise", "Error rotating image",
     [](const std::vector<std::string>& f) { return FixedRotation(f, 270); }},
    {"rotate-180", "", "rotate 180 degrees", "Error rotating image", [](const std::vector<std::string>& f) { return FixedRotation(f, 180); }},
    {"rotate", "DEG[,QUALITY[,RRGGBB]]",
     "rotate clockwise by DEG (1-359); QUALITY 0 low, 1 medium, 2 high (default 2); corners filled with RRGGBB "
     "(default 000000)",
     "Error rotating image",
     [](const std::vector<std::string>& f) -> BoundOperation {
         ExpectFields(f, {1, 2, 3});
         const int degrees = int(IntegerField(f[0], "angle", 1, 359));
         const int quality = f.size() >= 2 ? int(IntegerField(f[1], "quality", 0, 2)) : 2;
         const ColorRef fill = f.size() >= 3 ? ColorField(f[2]) : 0;
         return [=](CEditBmp& doc) { doc.rotate(degrees, quality, fill); };
     }},
    {"shear", "DEG[,CORNER[,RRGGBB]]",
     "shear horizontally by DEG (1-89); CORNER 0 up-left (the top row moves furthest, default), 1 down-left; "
     "filled with RRGGBB (default 000000)",
     "Error shearing image",
     [](const std::vector<std::string>& f) -> BoundOperation {
         ExpectFields(f, {1, 2, 3});
         const int degrees = int(IntegerField(f[0], "angle", 1, 89));
         const int corner = f.size() >= 2 ? int(IntegerField(f[1], "corner", 0, 1)) : 0;
         const ColorRef fill = f.size() >= 3 ? ColorField(f[2]) : 0;
         return [=](CEditBmp& doc) { doc.shear(degrees, corner, true, fill); };
     }},
    {"resize", "WxH", "resample to W x H pixels (box average when both shrink, else bilinear)", "Error resizing image",
     [](const std::vector<std::string>& f) -> BoundOperation {
         ExpectFields(f, {1});
         int64_t width = 0, height = 0;
         SizeField(f[0], width, height);
         return [=](CEditBmp& doc) { doc.resize(width, height); };
     }},
    {"canvas", "WxH[,ANCHOR[,RRGGBB]]",
     "new canvas of W x H pixels; ANCHOR 0 centre (default), 1 top left, 2 top centre, 3 top right, 4 middle left, "
     "5 middle right, 6 bottom left, 7 bottom centre, 8 bottom right; margins RRGGBB (default 000000)",
     "Error resizing canvas",
     [](const std::vector<std::string>& f) -> BoundOperation {
         ExpectFields(f, {1, 2, 3});
         int64_t width = 0, height = 0;
         SizeField(f[0], width, height);
         const int anchor = f.size() >= 2 ? int(IntegerField(f[1], "anchor", 0, 8)) : 0;
         const ColorRef fill = f.size() >= 3 ? ColorField(f[2]) : 0;
         return [=](CEditBmp& doc) { doc.canvas(width, height, anchor, fill); };
     }},
    {"add-borders", "H,V[,HORIENT,VORIENT[,UNIT[,RRGGBB]]]",
     "add H to the width and V to the height (0-5000 in UNIT: px (default), in, mm or cm); HORIENT 0 from left, "
     "1 centered (default), 2 from right; VORIENT 0 from top, 1 centered (default), 2 from bottom; borders RRGGBB "
     "(default 000000)",
     "Error resizing canvas", [](const std::vector<std::string>& f) { return BordersOrCropOperation(f, true); }},
    {"crop-by-value", "H,V[,HORIENT,VORIENT[,UNIT[,RRGGBB]]]",
     "take H from the width and V from the height, on the sides the orientations name (arguments as add-borders)",
     "Error resizing canvas", [](const std::vector<std::string>& f) { return BordersOrCropOperation(f, false); }},
};

} // namespace

std::span<const OperationRow> GeometryOperationRows()
{
    return kGeometryRows;
}
