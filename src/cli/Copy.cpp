#include "cli/FileJobs.h"

#include <cstdio>

int RunCopy(const std::vector<std::string>&)
{
    std::fputs("oculane-cli: not available yet\n", stderr);
    return 2;
}
