#include "base/DayMoment.h"

#include <ctime>

int64_t DayMoment(int day, int month, int year)
{
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = 1;
    local.tm_min = 1;
    local.tm_sec = 1;
    local.tm_isdst = 0;
    return static_cast<int64_t>(std::mktime(&local));
}
