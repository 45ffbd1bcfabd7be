// The Filter menu's operations on the command line.
#include "ops/FilterNormalMap.h"
#include "ops/OperationFields.h"

#include <cctype>

namespace {

// Without a seed the noise is the same on every run, so a script's output is
// repeatable; another seed gives other noise.
constexpr uint32_t kDefaultSeed = 1;

uint32_t Seed(const std::vector<std::string>& fields)
{
    ExpectFields(fields, {0, 1});
    return fields.empty() ? kDefaultSeed : uint32_t(IntegerField(fields[0], "seed", 0, UINT32_MAX));
}

// A method by its number or by its name's first word, in any case.
int NormalMapMethodField(const std::string& field)
{
    for (int method = 0; method < NormalMapMethodCount; ++method) {
        std::string name = kNormalMapMethodNames[method];
        name = name.substr(0, name.find(' '));
        bool same = name.size() == field.size();
        for (size_t i = 0; same && i < name.size(); ++i)
            same = std::tolower(static_cast<unsigned char>(name[i])) ==
                   std::tolower(static_cast<unsigned char>(field[i]));
        if (same)
            return method;
    }
    if (!field.empty() && std::isdigit(static_cast<unsigned char>(field[0])))
        return int(IntegerField(field, "method", 0, NormalMapMethodCount - 1));
    BadField("method '" + field + "' is not 0-8 or grayscale, average, alpha, red, blue, green, max, lightness, "
             "colorspace");
}

template <void (CEditBmp::*Method)()>
BoundOperation Fixed(const std::vector<std::string>& fields)
{
    return NoArguments(fields, [](CEditBmp& doc) { (doc.*Method)(); });
}

// The filters have no error text of their own; failures name the filter.
const OperationRow kFilterRows[] = {
    {"blur", "", "3 x 3 average", "Blur", Fixed<&CEditBmp::blur>},
    {"soften", "", "3 x 3 average with the centre weighing 8", "Soften", Fixed<&CEditBmp::soften>},
    {"gaussian-3", "", "3 x 3 Gaussian (1 2 1)", "Gaussian 3x3", Fixed<&CEditBmp::gaussian3>},
    {"gaussian-5", "", "5 x 5 Gaussian", "Gaussian 5x5", Fixed<&CEditBmp::gaussian5>},
    {"sharpen", "", "3 x 3 sharpen (centre 15, neighbours -1, divided by 7)", "Sharpen", Fixed<&CEditBmp::sharpen>},
    {"dilate", "", "maximum of each pixel and its left, upper and upper-left neighbours", "Dilate",
     Fixed<&CEditBmp::dilate>},
    {"erode", "", "minimum of each pixel and its left, upper and upper-left neighbours", "Erode",
     Fixed<&CEditBmp::erode>},
    {"find-edge", "", "255 - (8 x centre - the eight neighbours)", "Find Edge", Fixed<&CEditBmp::findEdge>},
    {"contour", "", "contour lines, dark on white", "Contour", Fixed<&CEditBmp::contour>},
    {"add-noise", "[SEED]", "add up to +-25 to each channel at random; SEED (0-4294967295, default 1) repeats it",
     "Add Noise",
     [](const std::vector<std::string>& f) -> BoundOperation {
         const uint32_t seed = Seed(f);
         return [seed](CEditBmp& doc) { doc.addNoise(seed); };
     }},
    {"median", "", "the colour of middle brightness of each 3 x 3 neighbourhood", "Median Filter",
     Fixed<&CEditBmp::median>},
    {"emboss", "", "127 + lower-left neighbour - upper-right neighbour", "Emboss", Fixed<&CEditBmp::emboss>},
    {"jitter", "[SEED]", "move each pixel's colour by about one pixel at random; SEED as add-noise", "Jitter",
     [](const std::vector<std::string>& f) -> BoundOperation {
         const uint32_t seed = Seed(f);
         return [seed](CEditBmp& doc) { doc.jitter(seed); };
     }},
    {"normal-map", "METHOD[,SCALE]",
     "normal map of the heights by METHOD (0 grayscale, 1 average, 2 alpha, 3 red, 4 blue, 5 green, 6 max, "
     "7 lightness, 8 colorspace) times SCALE (-1000000 to 1000000, default 1); the height goes to alpha",
     "NormalMap",
     [](const std::vector<std::string>& f) -> BoundOperation {
         ExpectFields(f, {1, 2});
         const int method = NormalMapMethodField(f[0]);
         const double scale =
             f.size() == 2 ? RealField(f[1], "scale", -kNormalMapScaleLimit, kNormalMapScaleLimit) : 1.0;
         return [=](CEditBmp& doc) { doc.normalMap(method, scale); };
     }},
};

} // namespace

std::span<const OperationRow> FilterOperationRows()
{
    return kFilterRows;
}
