// The commands of oculane-cli; each returns the process exit status.
#pragma once

#include <string>
#include <vector>

int RunInfo(const std::vector<std::string>& files);
int RunDump(const std::string& file, const std::string& out);
int RunFormats();
