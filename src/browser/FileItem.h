// One listed file of the current folder.
#pragma once

#include "platform/Directory.h"

#include <cstdint>
#include <string>

struct FileItem {
    std::string Name;      // with extension, no path
    std::string TypeName;  // from the type-name provider; may be empty
    uint64_t Size = 0;     // bytes
    int64_t Modified = 0;  // last write, seconds since 1970 UTC
    uint8_t Attributes = 0;  // kAttr* bits
    int Icon = 0;          // index into the shared icon list of the provider
};
