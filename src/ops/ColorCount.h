// The colour count of the Colors menu's "Count" and of `oculane-cli colors`.
#pragma once

#include <cstdint>
#include <string>

class CBmp;

// The number of distinct colours (blue, green, red; alpha ignored) of a
// 32-bit image, or -1 when it has more than its limit, min(width × height,
// 800000). Throws CTextException code 10 when the table cannot be had.
int64_t CountColours(const CBmp& image);

// What the count command says about a count from CountColours.
std::string ColourCountMessage(int64_t count);
