// The moment both date filters (Find and Select Group) compare file times
// with: 01:01:01 local standard time of a day, also on a summer day.
#pragma once

#include <cstdint>

// Seconds since the epoch; out-of-range days roll over as mktime rolls them;
// -1 when the time cannot be represented.
int64_t DayMoment(int day, int month, int year);
