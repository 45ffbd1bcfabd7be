#include "cli/FileJobs.h"

#include <cstdio>

int RunRenameSeries(const std::vector<std::string>&)
{
    std::fputs("oculane-cli: not available yet\n", stderr);
    return 2;
}
