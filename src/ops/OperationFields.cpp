#include "ops/OperationFields.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <stdexcept>

void BadField(const std::string& reason)
{
    throw std::invalid_argument(reason);
}

void ExpectFields(const std::vector<std::string>& fields, std::initializer_list<size_t> counts)
{
    for (size_t count : counts)
        if (fields.size() == count)
            return;
    BadField(fields.empty() ? "needs arguments" : "wrong number of arguments");
}

int64_t IntegerField(const std::string& field, const char* what, int64_t low, int64_t high)
{
    int64_t value = 0;
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, value);
    if (field.empty() || ec != std::errc() || ptr != end)
        BadField(std::string(what) + " '" + field + "' is not a whole number");
    if (value < low || value > high)
        BadField(std::string(what) + " must be " + std::to_string(low) + " to " + std::to_string(high));
    return value;
}

ColorRef ColorField(const std::string& field)
{
    const size_t skip = !field.empty() && field[0] == '#' ? 1 : 0;
    uint32_t rgb = 0;
    const char* begin = field.data() + skip;
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(begin, end, rgb, 16);
    if (end - begin != 6 || ec != std::errc() || ptr != end)
        BadField("colour '" + field + "' is not RRGGBB");
    return ColorRefFromRgb(rgb);
}

double RealField(const std::string& field, const char* what, double low, double high)
{
    double value = 0;
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, value);
    if (field.empty() || ec != std::errc() || ptr != end || !std::isfinite(value))
        BadField(std::string(what) + " '" + field + "' is not a number");
    if (value < low || value > high) {
        char range[64];
        std::snprintf(range, sizeof range, "%g to %g", low, high);
        BadField(std::string(what) + " must be " + range);
    }
    return value;
}

static constexpr int64_t kMaxSide = INT32_MAX;

void SizeField(const std::string& field, int64_t& width, int64_t& height)
{
    const size_t x = field.find('x');
    if (x == std::string::npos)
        BadField("size '" + field + "' is not WxH");
    width = IntegerField(field.substr(0, x), "width", 1, kMaxSide);
    height = IntegerField(field.substr(x + 1), "height", 1, kMaxSide);
}

BoundOperation NoArguments(const std::vector<std::string>& fields, BoundOperation operation)
{
    if (!fields.empty())
        BadField("takes no arguments");
    return operation;
}

