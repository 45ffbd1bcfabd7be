// oculane-cli colors: the colour count of the Colors menu's "Count".
#pragma once

#include <string>

// Decodes FILE at 32 bits and prints what the Count command says about it:
// "This image contains N colors.   " or, past the limit of min(width ×
// height, 800000) colours, "Image contains more then 800000 colors". Exit
// status 0, 1 when the file cannot be read or the count fails.
int RunColors(const std::string& file);
