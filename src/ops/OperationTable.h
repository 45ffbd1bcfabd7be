// The image operations that can be named on a command line, one row each:
// the option, its arguments and what it does. Parsing binds the arguments to
// a call of the CEditBmp method, so every argument is checked before any
// image is read. A new operation is a new row in its family's table.
#pragma once

#include "ops/EditBmp.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

using BoundOperation = std::function<void(CEditBmp&)>;

struct OperationRow {
    const char* Name;       // the option without "--"
    const char* Arguments;  // after "=", for the usage text; empty when it takes none
    const char* Help;
    const char* ErrorText;  // the command's error text, shown when the operation fails
    // Checks the comma-separated fields (none when the option has no "=")
    // and binds them; throws std::invalid_argument with the reason.
    BoundOperation (*Bind)(const std::vector<std::string>& fields);
};

// Every operation, the families in menu order.
std::span<const OperationRow> OperationTable();
// The families, each defined with its operations.
std::span<const OperationRow> GeometryOperationRows();
std::span<const OperationRow> ColorOperationRows();
std::span<const OperationRow> FilterOperationRows();
std::span<const OperationRow> PaletteOperationRows();

// "--name" or "--name=FIELD,FIELD": the bound operation and its row, or null
// with the reason in error (unknown operation, wrong or bad arguments).
const OperationRow* ParseOperation(const std::string& option, BoundOperation& operation, std::string& error);

// "--name=ARGUMENTS" as the usage text shows a row.
std::string OperationSynopsis(const OperationRow& row);
