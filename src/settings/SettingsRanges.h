// The values of the settings file that only mean something within a range.
// A file written by hand, by another version or damaged on disk may hold
// anything there; such a value goes back to its default when it is read, as
// does any real that is not finite.
#pragma once

#include <span>

struct SettingsRange {
    int Position;  // in the file layout (SettingsLayout.h)
    double Low;
    double High;
};

// Ordered by position.
std::span<const SettingsRange> SettingsRanges();
// The range of a position, or nullptr when any value is accepted.
const SettingsRange* FindSettingsRange(int position);
