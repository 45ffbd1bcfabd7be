// oculane-cli convert and ops: image operations from the command line.
#pragma once

#include <string>
#include <vector>

// convert IN OUT [OPERATION...]: decodes IN at 32 bits, applies the
// operations in order and writes OUT by its extension (PAM to standard output
// for "-"). Exit status 0, 1 for a
// file or operation that failed, 2 for a usage error.
int RunConvert(const std::vector<std::string>& args);
// One line per operation: the option with its arguments, a tab, what it does.
int RunOps();
