// oculane-cli delete: the delete job from the command line.
#pragma once

#include <string>
#include <vector>

// delete [--trash] PATH...: deletes files, links (never what they name) and
// folders with everything in them, or moves them to the trash. Exit status 0,
// 1 when some item failed (each on standard error with its path and reason),
// 2 for a usage error, 130 when SIGINT stopped it after the item in flight.
int RunDelete(const std::vector<std::string>& args);
