// The orientation a camera recorded in a JPEG's EXIF block: how the stored
// pixels must be turned or mirrored to stand upright. Read from the bytes
// only; nothing is decoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The EXIF orientation values, 1 (as stored) to 8.
enum ExifOrientation : int {
    kOrientNormal = 1,
    kOrientMirrorColumns = 2,  // left and right swapped
    kOrientHalfTurn = 3,
    kOrientMirrorRows = 4,     // top and bottom swapped
    kOrientTranspose = 5,      // mirrored across the top-left diagonal
    kOrientTurnRight = 6,      // shown after a quarter turn clockwise
    kOrientTransverse = 7,     // mirrored across the top-right diagonal
    kOrientTurnLeft = 8,       // shown after a quarter turn counter-clockwise
};

// How much of a file the reader needs at most: the EXIF block sits in the
// first segments, and one segment holds at most 64 KiB.
constexpr size_t kExifScanBytes = 256 * 1024;

// Orientation tag 0x0112 of IFD0 in the first APP1 "Exif\0\0" segment of the
// JPEG in data; 1 when the data is no JPEG, has no such tag, or any part of
// the way to it lies outside the data or is damaged.
int ReadExifOrientation(const uint8_t* data, size_t size);

// The same for a file, reading at most kExifScanBytes of it; 1 when it
// cannot be read.
int ReadExifOrientationOfFile(const std::string& path);
