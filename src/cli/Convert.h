// oculane-cli convert and ops: image operations from the command line.
#pragma once

#include <string>
#include <vector>

// convert IN OUT [OPERATION | OPTION...]: decodes IN at 32 bits, applies the
// operations in order and writes OUT in the format its extension names (any
// case; .pam, or PAM to standard output for "-"), with the writing options
// (--quality=N, --rle, --depth=N, ...) in place of the options dialogs. Exit
// status 0, 1 for a file, operation or write that failed (a file written
// before stays as it was), 2 for a usage error or a format that cannot be
// written.
int RunConvert(const std::vector<std::string>& args);
// One line per operation: the option with its arguments, a tab, what it does.
int RunOps();
