// The Colors menu's operations on the command line, with the dialogs' fields.
#include "base/TextException.h"
#include "ops/OperationFields.h"

namespace {

// The value of the Gamma, Brightness and Contrast dialog.
int Percent(const std::vector<std::string>& fields)
{
    ExpectFields(fields, {1});
    return int(IntegerField(fields[0], "value", -100, 100));
}

int Level(const std::vector<std::string>& fields)
{
    ExpectFields(fields, {1});
    return int(IntegerField(fields[0], "threshold", 0, 255));
}

const OperationRow kColorRows[] = {
    {"gamma", "VALUE", "gamma correction, VALUE -100 (black) to 100 (brightest); 0 changes nothing",
     "Can't adjust gamma",
     [](const std::vector<std::string>& f) -> BoundOperation {
         const int value = Percent(f);
         return [value](CEditBmp& doc) { doc.gamma((value + 100) * 0.01); };
     }},
    {"brightness", "VALUE", "brightness, VALUE -100 (black) to 100 (white)", "Error adjusting brightness",
     [](const std::vector<std::string>& f) -> BoundOperation {
         const int value = Percent(f);
         return [value](CEditBmp& doc) { doc.brightness(value); };
     }},
    {"contrast", "VALUE",
     "stretch the mean intensities onto 127 levels around mid-grey, widened (VALUE up to 100) or narrowed (down "
     "to -100)",
     "Error adjusting contrast",
     [](const std::vector<std::string>& f) -> BoundOperation {
         const int value = Percent(f);
         return [value](CEditBmp& doc) {
             if (doc.contrast(value) == -2)
                 throw CTextException(ErrUnsupported, "This image contains too many colors.");
         };
     }},
    {"balance", "R,G,B", "brightness per channel, each -100 to 100", "Error adjusting color balance",
     [](const std::vector<std::string>& f) -> BoundOperation {
         ExpectFields(f, {3});
         const int red = int(IntegerField(f[0], "red", -100, 100));
         const int green = int(IntegerField(f[1], "green", -100, 100));
         const int blue = int(IntegerField(f[2], "blue", -100, 100));
         return [=](CEditBmp& doc) { doc.colourBalance(red, green, blue); };
     }},
    {"invert", "", "invert red, green and blue (alpha kept)", "Error inverting colors",
     [](const std::vector<std::string>& f) { return NoArguments(f, [](CEditBmp& doc) { doc.invert(); }); }},
    {"gray-shades", "", "grey from the luma (0.299 R + 0.587 G + 0.114 B)", "Error converting colors to gray shades",
     [](const std::vector<std::string>& f) { return NoArguments(f, [](CEditBmp& doc) { doc.grayShades(); }); }},
    {"swap-red-blue", "", "exchange red and blue", "Error substituting red and blue",
     [](const std::vector<std::string>& f) { return NoArguments(f, [](CEditBmp& doc) { doc.swapRedBlue(); }); }},
    {"threshold", "LEVEL", "white where the luma is at least LEVEL (0-255), black elsewhere",
     "Error adjusting color balance",
     [](const std::vector<std::string>& f) -> BoundOperation {
         const int level = Level(f);
         return [level](CEditBmp& doc) { doc.threshold(level); };
     }},
    {"intensity", "INTENSITY,OFFSET,EXPONENT",
     "scale the value of pixels above OFFSET (0-255) by (value - OFFSET)^EXPONENT (0.01-100): INTENSITY (0-1000) "
     "above 20 brightens, below darkens",
     "Error adjusting color balance",
     [](const std::vector<std::string>& f) -> BoundOperation {
         ExpectFields(f, {3});
         const double intensity = RealField(f[0], "intensity", 0, 1000);
         const int offset = int(IntegerField(f[1], "offset", 0, 255));
         const double exponent = RealField(f[2], "exponent", 0.01, 100);
         return [=](CEditBmp& doc) { doc.intensity(intensity, offset, exponent); };
     }},
    {"solarize", "THRESHOLD", "invert every channel above THRESHOLD (0-255)", "Error adjusting color balance",
     [](const std::vector<std::string>& f) -> BoundOperation {
         const int threshold = Level(f);
         return [threshold](CEditBmp& doc) { doc.solarize(threshold); };
     }},
};

} // namespace

std::span<const OperationRow> ColorOperationRows()
{
    return kColorRows;
}
