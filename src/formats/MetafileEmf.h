// Enhanced metafiles (EMF): header check and record player.
#pragma once

#include "formats/MetafileCanvas.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace metafile {

struct EmfFile {
    const uint8_t* Data = nullptr;
    size_t Size = 0;
    int32_t FrameLeft = 0, FrameTop = 0, FrameRight = 0, FrameBottom = 0; // 0.01 mm
    int32_t DevicePixelsX = 0, DevicePixelsY = 0;                          // reference device
    int32_t DeviceMmX = 0, DeviceMmY = 0;
    uint32_t PaletteEntries = 0; // as the header counts them
    uint16_t Handles = 0;        // size of the object table
    LogPalette Palette;          // the entries stored with the end record
};

enum class EmfLoad { Ok, NotMetafile, NoHeader };

EmfLoad LoadEmf(const uint8_t* data, size_t size, EmfFile& out);

// Plays every record up to the end record, the end of the data or the first
// record whose size cannot be right. Stops with CDecodeAbandoned between
// records once abort (may be null) is set.
void PlayEmf(const EmfFile& file, CMetafileCanvas& canvas, const std::atomic<bool>* abort);

} // namespace metafile
