// The texts shown in the cells of the file list, and the image-extension rule.
#pragma once

#include "browser/FileItem.h"

#include <cstdint>
#include <string>
#include <string_view>

// The columns in their fixed order; Name is always shown.
enum class Column { Name = 0, Extension, Size, Date, Attributes, Type, Count };

std::string NameCell(const FileItem& item);        // name without its extension
std::string ExtensionCell(const FileItem& item);   // as written in the name
std::string SizeCell(const FileItem& item);        // decimal bytes, no separators
std::string DateCell(const FileItem& item);        // local "%m/%d/%Y"
std::string AttributesCell(const FileItem& item);  // "rahs" with "-" for each missing
std::string TypeCell(const FileItem& item);        // type name, or extension + " File"
std::string CellText(const FileItem& item, Column column);
