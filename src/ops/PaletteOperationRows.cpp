// Palette operations on the command line (colour reduction).
#include "ops/OperationFields.h"

namespace {

const OperationRow kPaletteRows[] = {
    {"reduce-colors", "",
     "median cut to at most 256 colours, each pixel the nearest of them (as the palette formats are written); "
     "alpha kept, the image stays 32-bit",
     "Error reducing colors",
     [](const std::vector<std::string>& f) { return NoArguments(f, [](CEditBmp& doc) { doc.reduceColours(); }); }},
};

} // namespace

std::span<const OperationRow> PaletteOperationRows()
{
    return kPaletteRows;
}
