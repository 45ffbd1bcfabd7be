#include "ops/OperationTable.h"

#include <string>

namespace {

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
    // Families in menu order: Image, Colors, Filter; then colour reduction.
    static const std::vector<OperationRow> rows = [] {
        std::vector<OperationRow> all;
        for (std::span<const OperationRow> family :
             {GeometryOperationRows(), ColorOperationRows(), FilterOperationRows(), PaletteOperationRows()})
            all.insert(all.end(), family.begin(), family.end());
        return all;
    }();
    return rows;
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
    for (const OperationRow& row : OperationTable()) {
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
