// One listed file of the current folder.
#pragma once

#include <cstdint>
#include <string>

constexpr uint8_t kAttrReadOnly = 0x01;
constexpr uint8_t kAttrHidden = 0x02;
constexpr uint8_t kAttrSystem = 0x04;
constexpr uint8_t kAttrDirectory = 0x10;
constexpr uint8_t kAttrArchive = 0x20;

struct FileItem {
    std::string Name;      // with extension, no path
    std::string TypeName;  // from the type-name provider; may be empty
    uint64_t Size = 0;     // bytes
    int64_t Modified = 0;  // last write, seconds since 1970 UTC
    uint8_t Attributes = 0;
    int Icon = 0;          // index into the shared icon list of the provider
};
