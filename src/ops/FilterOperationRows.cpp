// The Filter menu's operations on the command line.
#include "ops/OperationFields.h"

std::span<const OperationRow> FilterOperationRows()
{
    return {};
}
