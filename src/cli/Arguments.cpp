#include "cli/Arguments.h"

#include <cstdio>

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "oculane-cli: %s (try --help)\n", message.c_str());
    return 2;
}

bool OptionValue(const std::string& arg, const char* option, std::string& value)
{
    const std::string head = std::string(option) + "=";
    if (arg.compare(0, head.size(), head) != 0)
        return false;
    value = arg.substr(head.size());
    return true;
}
