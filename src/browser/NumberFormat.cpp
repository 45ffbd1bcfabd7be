#include "browser/NumberFormat.h"

#include <cmath>
#include <cstdio>

std::string FormatNumber(double value, int decimals)
{
    if (!std::isfinite(value))
        return "0";
    if (decimals < 0)
        decimals = 0;
    if (decimals > 17)
        decimals = 17;
    char buffer[400];
    const int length = std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer)
        return "0";
    std::string text(buffer, static_cast<size_t>(length));
    const size_t point = text.find('.');
    if (point == std::string::npos)
        return text == "-0" ? "0" : text;
    // The decimals are written only when one of them is not zero.
    if (text.find_first_not_of('0', point + 1) == std::string::npos) {
        text.resize(point);
        if (text == "-0")
            text = "0";
    }
    return text;
}
