#include "ops/OperationTable.h"

#include "ops/Units.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace {

[[noreturn]] void Bad(const std::string& reason)
{
    throw std::invalid_argument(reason);
}

void ExpectFields(const std::vector<std::string>& fields, std::initializer_list<size_t> counts)
{
    for (size_t count : counts)
        if (fields.size() == count)
            return;
    Bad(fields.empty() ? "needs arguments" : "wrong number of arguments");
}

int64_t Integer(const std::string& field, const char* what, int64_t low, int64_t high)
{
    int64_t value = 0;
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, value);
    if (field.empty() || ec != std::errc() || ptr != end)
        Bad(std::string(what) + " '" + field + "' is not a whole number");
    if (value < low || value > high)
        Bad(std::string(what) + " must be " + std::to_string(low) + " to " + std::to_string(high));
    return value;
}

// RRGGBB (or #RRGGBB), as people write colours, to a colour reference.
ColorRef Color(const std::string& field)
{
    const size_t skip = !field.empty() && field[0] == '#' ? 1 : 0;
    uint32_t rgb = 0;
    const char* begin = field.data() + skip;
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(begin, end, rgb, 16);
    if (end - begin != 6 || ec != std::errc() || ptr != end)
        Bad("colour '" + field + "' is not RRGGBB");
    return ColorRefFromRgb(rgb);
}

constexpr int64_t kMaxSide = INT32_MAX;

// WxH, both at least one pixel.
void Size(const std::string& field, int64_t& width, int64_t& height)
{
    const size_t x = field.find('x');
    if (x == std::string::npos)
        Bad("size '" + field + "' is not WxH");
    width = Integer(field.substr(0, x), "width", 1, kMaxSide);
    height = Integer(field.substr(x + 1), "height", 1, kMaxSide);
}

BoundOperation NoArguments(const std::vector<std::string>& fields, BoundOperation operation)
{
    if (!fields.empty())
        Bad("takes no arguments");
    return operation;
}

BoundOperation FixedRotation(const std::vector<std::string>& fields, int degrees)
{
    // As the menu's fixed rotations: medium quality, exact, nothing filled.
    return NoArguments(fields, [degrees](CEditBmp& doc) { doc.rotate(degrees, 1, 0); });
}

// A length of the Add Borders / Crop By Value dialog: 0 to 5000 in its unit.
double Amount(const std::string& field, const char* what)
{
    double value = 0;
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, value);
    if (field.empty() || ec != std::errc() || ptr != end || !std::isfinite(value))
        Bad(std::string(what) + " '" + field + "' is not a number");
    if (value < 0 || value > 5000)
        Bad(std::string(what) + " must be 0 to 5000");
    return value;
}

int Unit(const std::string& field)
{
    static const char* const kNames[] = {"px", "in", "mm", "cm"};
    for (int unit = 0; unit < 4; ++unit)
        if (field == kNames[unit])
            return unit;
    Bad("unit '" + field + "' is not px, in, mm or cm");
}

BoundOperation BordersOrCropOperation(const std::vector<std::string>& fields, bool addBorders)
{
    ExpectFields(fields, {2, 4, 5, 6});
    const double horizontal = Amount(fields[0], "horizontal amount");
    const double vertical = Amount(fields[1], "vertical amount");
    int horizontalOrientation = 1, verticalOrientation = 1;
    if (fields.size() >= 4) {
        horizontalOrientation = int(Integer(fields[2], "horizontal orientation", 0, 2));
        verticalOrientation = int(Integer(fields[3], "vertical orientation", 0, 2));
    }
    const int unit = fields.size() >= 5 ? Unit(fields[4]) : UnitPixels;
    const ColorRef fill = fields.size() == 6 ? Color(fields[5]) : 0;
    return [=](CEditBmp& doc) {
        const CanvasChange change = BordersOrCrop(doc.image().Width, doc.image().Height, horizontal, vertical,
                                                  horizontalOrientation, verticalOrientation, addBorders, unit);
        doc.canvas(change.Width, change.Height, change.Anchor, fill);
    };
}

const OperationRow kOperations[] = {
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
         const int degrees = int(Integer(f[0], "angle", 1, 359));
         const int quality = f.size() >= 2 ? int(Integer(f[1], "quality", 0, 2)) : 2;
         const ColorRef fill = f.size() >= 3 ? Color(f[2]) : 0;
         return [=](CEditBmp& doc) { doc.rotate(degrees, quality, fill); };
     }},
    {"shear", "DEG[,CORNER[,RRGGBB]]",
     "shear horizontally by DEG (1-89); CORNER 0 up-left (the top row moves furthest, default), 1 down-left; "
     "filled with RRGGBB (default 000000)",
     "Error shearing image",
     [](const std::vector<std::string>& f) -> BoundOperation {
         ExpectFields(f, {1, 2, 3});
         const int degrees = int(Integer(f[0], "angle", 1, 89));
         const int corner = f.size() >= 2 ? int(Integer(f[1], "corner", 0, 1)) : 0;
         const ColorRef fill = f.size() >= 3 ? Color(f[2]) : 0;
         return [=](CEditBmp& doc) { doc.shear(degrees, corner, true, fill); };
     }},
    {"resize", "WxH", "resample to W x H pixels (box average when both shrink, else bilinear)", "Error resizing image",
     [](const std::vector<std::string>& f) -> BoundOperation {
         ExpectFields(f, {1});
         int64_t width = 0, height = 0;
         Size(f[0], width, height);
         return [=](CEditBmp& doc) { doc.resize(width, height); };
     }},
    {"canvas", "WxH[,ANCHOR[,RRGGBB]]",
     "new canvas of W x H pixels; ANCHOR 0 centre (default), 1 top left, 2 top centre, 3 top right, 4 middle left, "
     "5 middle right, 6 bottom left, 7 bottom centre, 8 bottom right; margins RRGGBB (default 000000)",
     "Error resizing canvas",
     [](const std::vector<std::string>& f) -> BoundOperation {
         ExpectFields(f, {1, 2, 3});
         int64_t width = 0, height = 0;
         Size(f[0], width, height);
         const int anchor = f.size() >= 2 ? int(Integer(f[1], "anchor", 0, 8)) : 0;
         const ColorRef fill = f.size() >= 3 ? Color(f[2]) : 0;
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

std::vector<std::string> SplitFields(const std::string& text)
{
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        fields.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            return fields;
        start = comma + 1;
    }
}

} // namespace

std::span<const OperationRow> OperationTable()
{
    return kOperations;
}

std::string OperationSynopsis(const OperationRow& row)
{
    std::string text = std::string("--") + row.Name;
    if (*row.Arguments)
        text += std::string("=") + row.Arguments;
    return text;
}

const OperationRow* ParseOperation(const std::string& option, BoundOperation& operation, std::string& error)
{
    if (option.rfind("--", 0) != 0) {
        error = "'" + option + "' is not an operation";
        return nullptr;
    }
    const size_t equals = option.find('=');
    const std::string name = option.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
    for (const OperationRow& row : kOperations) {
        if (name != row.Name)
            continue;
        const std::vector<std::string> fields =
            equals == std::string::npos ? std::vector<std::string>() : SplitFields(option.substr(equals + 1));
        try {
            operation = row.Bind(fields);
            return &row;
        } catch (const std::invalid_argument& e) {
            error = "--" + name + ": " + e.what() + " (" + OperationSynopsis(row) + ")";
            return nullptr;
        }
    }
    error = "unknown operation '--" + name + "'";
    return nullptr;
}
