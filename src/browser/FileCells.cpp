#include "browser/FileCells.h"

#include "base/FileName.h"
#include "platform/Directory.h"

#include <cstdio>
#include <ctime>

std::string NameCell(const FileItem& item)
{
    return NameWithoutExtension(item.Name);
}

std::string ExtensionCell(const FileItem& item)
{
    return Extension(item.Name);
}

std::string SizeCell(const FileItem& item)
{
    return std::to_string(item.Size);
}

std::string DateCell(const FileItem& item)
{
    std::tm local{};
    if (!LocalTimeOf(item.Modified, local))
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", local.tm_mon + 1, local.tm_mday, local.tm_year + 1900);
    return text;
}

std::string AttributesCell(const FileItem& item)
{
    std::string text = "----";
    if (item.Attributes & kAttrReadOnly)
        text[0] = 'r';
    if (item.Attributes & kAttrArchive)
        text[1] = 'a';
    if (item.Attributes & kAttrHidden)
        text[2] = 'h';
    if (item.Attributes & kAttrSystem)
        text[3] = 's';
    return text;
}

std::string TypeCell(const FileItem& item)
{
    if (!item.TypeName.empty())
        return item.TypeName;
    return Extension(item.Name) + " File";
}

std::string CellText(const FileItem& item, Column column)
{
    switch (column) {
    case Column::Name:
        return NameCell(item);
    case Column::Extension:
        return ExtensionCell(item);
    case Column::Size:
        return SizeCell(item);
    case Column::Date:
        return DateCell(item);
    case Column::Attributes:
        return AttributesCell(item);
    case Column::Type:
        return TypeCell(item);
    case Column::Count:
        break;
    }
    return {};
}
