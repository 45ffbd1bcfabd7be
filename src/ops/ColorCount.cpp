#include "ops/ColorCount.h"

#include "image/ColorHistogram.h"

int64_t CountColours(const CBmp& image)
{
    CColorTable table;
    if (!table.Build(image, ColorLimit(image)))
        return -1;
    return int64_t(table.Colors().size());
}

std::string ColourCountMessage(int64_t count)
{
    // The same text whatever the limit was.
    if (count < 0)
        return "Image contains more then 800000 colors";
    return "This image contains " + std::to_string(count) + " colors.   ";
}
