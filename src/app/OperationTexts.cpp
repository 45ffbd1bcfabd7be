#include "app/OperationTexts.h"

#include "app/CommandTable.h"

const char* const kOperationDoneText = "  Done";

namespace {

// All progress texts begin with two blanks, as the state pane shows them.
const OperationTexts kTexts[] = {
    {ID_GAMMA, "  Adjusting gamma...", "Can't adjust gamma", true},
    {ID_BRIGHTNESS, "  Adjusting brightness...", "Error adjusting brightness", true},
    {ID_CONTRAST, "  Adjusting contrast...", "Error adjusting contrast", true},
    {ID_BALANCE, "  Adjusting color balance...", "Error adjusting color balance", true},
    {ID_INVERT_COLORS, "  Inverting colors...", "Error inverting colors", false},
    {ID_GRAY_SHADES, "  Converting image to grayscale...", "Error converting colors to gray shades", false},
    {ID_SWAP_RED_BLUE, "  Substituting Red and Blue...", "Error substituting red and blue", false},
    {ID_THRESHOLD, "  Adjusting color balance...", "Error adjusting color balance", true},
    {ID_INTENSITY, "  Adjusting color balance...", "Error adjusting color balance", true},
    {ID_SOLARIZE, "  Adjusting solarize...", "Error adjusting color balance", true},
    {ID_COUNT_COLORS, "  Counting colors...", "Error counting colors", false},
    {ID_HISTOGRAM, "  Computing histogram...", "Error computing color histogram", false},
    {ID_FLIP_HORIZONTAL, "  Flipping image", "Error flipping horizontally", false},
    {ID_FLIP_VERTICAL, "  Flipping image...", "Error flipping vertically", false},
    {ID_FLIP_BOTH, "  Flipping image...", "Error flipping vertically", false},
    {ID_TRANSPOSE, "  Transpose...", "Can't transpose image", false},
    {ID_ROTATE_CW, "  Rotating image...", "Error rotating image", true},
    {ID_ROTATE_CCW, "  Rotating image...", "Error rotating image", true},
    {ID_ROTATE_180, "  Rotating image...", "Error rotating image", true},
    {ID_ROTATE_ARBITRARY, "  Rotating image...", "Error rotating image", true},
    {ID_SHEAR, "  Shearing image...", "Error shearing image", true},
    {ID_RESIZE, "  Resizing image...", "Error resizing image", true},
    {ID_CANVAS_SIZE, "  Adjusting canvas size...", "Error resizing canvas", true},
    {ID_BORDERS_CROP, "  Crop/Add Borders...", "Error resizing canvas", true},
    {ID_FILTER_BLUR, "  Applying Blur filter...", nullptr, false},
    {ID_FILTER_SOFTEN, "  Applying Soften filter...", nullptr, false},
    {ID_FILTER_GAUSSIAN_3X3, "  Applying Gaussian 3x3 filter...", nullptr, false},
    {ID_FILTER_GAUSSIAN_5X5, "  Applying Gaussian 5x5 filter...", nullptr, false},
    {ID_FILTER_SHARPEN, "  Applying Sharpen filter...", nullptr, false},
    {ID_FILTER_DILATE, "  Applying Dilate filter...", nullptr, false},
    {ID_FILTER_ERODE, "  Applying Erode filter...", nullptr, false},
    {ID_FILTER_FIND_EDGE, "  Applying Find Edge filter...", nullptr, false},
    {ID_FILTER_CONTOUR, "  Applying Contour filter...", nullptr, false},
    {ID_FILTER_ADD_NOISE, "  Applying Add Noise filter...", nullptr, false},
    {ID_FILTER_MEDIAN, "  Applying Median filter...", nullptr, false},
    {ID_FILTER_EMBOSS, "  Applying Emboss filter...", nullptr, false},
    {ID_FILTER_JITTER, "  Applying Jitter filter...", nullptr, false},
    {ID_FILTER_NORMAL_MAP, "  Applying NormalMap filter...", nullptr, false},
};

} // namespace

const OperationTexts* FindOperationTexts(int id)
{
    for (const OperationTexts& row : kTexts)
        if (row.Id == id)
            return &row;
    return nullptr;
}
