// Windows metafiles (WMF): header check and record player.
#pragma once

#include "formats/MetafileCanvas.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace metafile {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7u;

struct WmfFile {
    const uint8_t* Records = nullptr; // first record after the header
    size_t RecordsSize = 0;
    bool Placeable = false;
    Rect Box{};                       // placeable bounding box, logical units
    int UnitsPerInch = 0;
    uint16_t Objects = 0;             // size of the object table
    // What the records set first, for pictures without a placeable header.
    bool HasWindowExt = false;
    Point WindowOrg{0, 0};
    Point WindowExt{0, 0};
    LogPalette Palette;               // entries of the first palette created
};

// False when the bytes are not a Windows metafile.
bool LoadWmf(const uint8_t* data, size_t size, WmfFile& out);

// Plays every record up to the end record, the end of the data or the first
// record whose size cannot be right. Stops with CDecodeAbandoned between
// records once abort (may be null) is set.
void PlayWmf(const WmfFile& file, CMetafileCanvas& canvas, const std::atomic<bool>* abort);

} // namespace metafile
