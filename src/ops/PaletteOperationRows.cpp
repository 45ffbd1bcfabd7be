// Palette operations on the command line (colour reduction).
#include "ops/OperationFields.h"

std::span<const OperationRow> PaletteOperationRows()
{
    return {};
}
