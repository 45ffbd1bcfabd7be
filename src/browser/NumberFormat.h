// The one number formatter of the status texts: d decimals, written only when
// one of them is not zero ("12", "12.500", "0.500").
#pragma once

#include <string>

std::string FormatNumber(double value, int decimals);
