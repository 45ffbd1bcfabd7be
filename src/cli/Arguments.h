// What every command of oculane-cli does with its arguments.
#pragma once

#include <string>

// "oculane-cli: MESSAGE (try --help)" on standard error; the usage status, 2.
int UsageError(const std::string& message);
// The text after "--option=" when arg is that option.
bool OptionValue(const std::string& arg, const char* option, std::string& value);
