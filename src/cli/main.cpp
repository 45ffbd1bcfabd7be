// oculane-cli: the engine without a window, for scripts, batch work and tests.
#include "cli/Commands.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "Usage: oculane-cli COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  info FILE...       one line per file: path, format, width, height,\n"
    "                     source bits per pixel, alpha flag (tab-separated);\n"
    "                     for a file that fails: path, \"error\", code, text\n"
    "  dump FILE OUT      decode at 32 bits and write a PAM (RGB_ALPHA) file;\n"
    "                     OUT '-' writes to standard output\n"
    "\n"
    "Options:\n"
    "  --help             show this help\n"
    "  --version          show the version\n"
    "\n"
    "Exit status: 0 on success, 1 when a file failed, 2 on a usage error.\n";

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "oculane-cli: %s (try --help)\n", message.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return UsageError("missing command");
    const std::string& command = args[0];
    if (command == "--help" || command == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "--version") {
        std::printf("oculane-cli %s\n", OCULANE_VERSION);
        return 0;
    }
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "info") {
        if (rest.empty())
            return UsageError("info needs at least one file");
        return RunInfo(rest);
    }
    if (command == "dump") {
        if (rest.size() != 2)
            return UsageError("dump needs FILE and OUT");
        return RunDump(rest[0], rest[1]);
    }
    if (!command.empty() && command[0] == '-')
        return UsageError("unknown option '" + command + "'");
    return UsageError("unknown command '" + command + "'");
}
