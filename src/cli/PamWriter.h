// The PAM (P7, RGB_ALPHA) writer of dump and convert: a 32-bit bitmap's rows
// top-down as red, green, blue, alpha (255 when the bitmap has no alpha).
#pragma once

#include "image/Bmp.h"

#include <cstdio>

class CSafeFileWriter;

// Writes to file when given, else to stream; false when a write failed.
bool WritePam(const CBmp& bitmap, CSafeFileWriter* file, FILE* stream);
