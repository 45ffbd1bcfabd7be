// oculane-cli: the engine without a window, for scripts, batch work and tests.
#include "cli/Colors.h"
#include "cli/Commands.h"
#include "cli/Convert.h"
#include "cli/Delete.h"
#include "cli/FileJobs.h"
#include "save/Writers.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Arguments = std::vector<std::string>;

// One command of the tool; a new one is a new row.
struct CliCommand {
    const char* Name;
    const char* Synopsis;  // after the name, for the usage text
    const char* Help;      // lines of the usage text, each indented by the caller
    size_t MinArgs;
    size_t MaxArgs;
    const char* ArgsError;  // when the count is wrong
    int (*Run)(const Arguments& args);
};

const CliCommand kCommands[] = {
    {"info", "FILE...",
     "one line per file: path, format, width, height,\n"
     "source bits per pixel, alpha flag (tab-separated);\n"
     "for a file that fails: path, \"error\", code, text",
     1, SIZE_MAX, "info needs at least one file", [](const Arguments& a) { return RunInfo(a); }},
    {"dump", "FILE OUT",
     "decode at 32 bits and write a PAM (RGB_ALPHA) file;\n"
     "OUT '-' writes to standard output",
     2, 2, "dump needs FILE and OUT", [](const Arguments& a) { return RunDump(a[0], a[1]); }},
    {"formats", "",
     "one line per format: name, extensions (comma-separated),\n"
     "\"read\" or \"-\", \"write\" or \"-\" (tab-separated)",
     0, 0, "formats takes no arguments", [](const Arguments&) { return RunFormats(); }},
    {"convert", "IN OUT [OP...] [OPTION...]",
     "decode IN at 32 bits, apply the operations in order\n"
     "(see ops) and write OUT in the format of its extension\n"
     "(see formats; .pam too); OUT '-' writes a PAM to standard\n"
     "output. Writing options: --quality=0..100 --smoothing=0..100\n"
     "--optimize-huffman --progressive (JPEG), --interlace (PNG,\n"
     "GIF), --rle (TGA, RAS, PICT), --compression=none|packbits|lzw\n"
     "(TIFF), --dxt=1|3|5 --mipmaps --flip (DDS), --depth=8|24\n"
     "(BMP, PCX, RAS; TGA also 32)",
     2, SIZE_MAX, "convert needs IN and OUT", [](const Arguments& a) { return RunConvert(a); }},
    {"colors", "FILE",
     "decode at 32 bits and print what the Count command shows:\n"
     "the number of distinct colours, or that there are more\n"
     "than min(width x height, 800000)",
     1, 1, "colors needs one file", [](const Arguments& a) { return RunColors(a[0]); }},
    {"ops", "",
     "one line per operation of convert: the option with\n"
     "its arguments, what it does (tab-separated)",
     0, 0, "ops takes no arguments", [](const Arguments&) { return RunOps(); }},
    {"delete", "[--trash] PATH...",
     "delete files, links (not what they name) and folders\n"
     "with their contents, or move them to the trash; each\n"
     "failure on standard error; SIGINT stops after the item\n"
     "in flight (exit 130)",
     1, SIZE_MAX, "delete needs at least one path", [](const Arguments& a) { return RunDelete(a); }},
    {"copy", "[--move] [--overwrite=replace|rename|skip|older] SOURCE... DESTFOLDER",
     "copy (or move) files, links and folders into DESTFOLDER;\n"
     "an existing target is left and reported unless --overwrite\n"
     "says otherwise (older: replace only older targets); SIGINT\n"
     "stops after removing the file in flight (exit 130)",
     2, SIZE_MAX, "copy needs at least one source and a folder", [](const Arguments& a) { return RunCopy(a); }},
    {"find", "FOLDER [--name=NAME] [--ext=EXT] [--size=(=|<|>)N[K|M|G]] [--date-between=YYYY-MM-DD,YYYY-MM-DD]",
     "one full path a line, in walk order, of the files that\n"
     "meet every criterion given; links to folders are not\n"
     "followed; exit 0 also when nothing is found",
     1, SIZE_MAX, "find needs a folder", [](const Arguments& a) { return RunFind(a); }},
    {"compare", "SOURCE DEST [--by=name,ext,size,date] [--ext=bmp] [--ignore-case]",
     "the image files SOURCE and DEST have in common:\n"
     "\"src<TAB>NAME.EXT\" lines, then \"dst<TAB>NAME.EXT\" lines",
     2, SIZE_MAX, "compare needs SOURCE and DEST", [](const Arguments& a) { return RunCompare(a); }},
    {"rename-series", "FOLDER NAME [FILE...]",
     "rename the files given (or every listed file) to NAME1,\n"
     "NAME2, ... keeping their extensions; numbers already\n"
     "taken are passed over; nothing is overwritten",
     2, SIZE_MAX, "rename-series needs FOLDER and NAME", [](const Arguments& a) { return RunRenameSeries(a); }},
};

void PrintUsage()
{
    std::fputs("Usage: oculane-cli COMMAND [ARGS]\n\nCommands:\n", stdout);
    for (const CliCommand& command : kCommands) {
        const std::string head = std::string(command.Name) + (*command.Synopsis ? " " : "") + command.Synopsis;
        std::string help = command.Help;
        // A head too long for its column gets a line of its own.
        bool first = head.size() <= 18;
        if (!first)
            std::printf("  %s\n", head.c_str());
        size_t start = 0;
        while (start <= help.size()) {
            size_t end = help.find('\n', start);
            if (end == std::string::npos)
                end = help.size();
            std::printf("  %-18s %s\n", first ? head.c_str() : "", help.substr(start, end - start).c_str());
            first = false;
            start = end + 1;
        }
    }
    std::fputs("\n"
               "Options:\n"
               "  --help             show this help\n"
               "  --version          show the version\n"
               "\n"
               "Exit status: 0 on success, 1 when a file or an operation failed,\n"
               "2 on a usage error, 130 when SIGINT stopped a file job.\n",
               stdout);
}

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "oculane-cli: %s (try --help)\n", message.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    RegisterWriters();
    const Arguments args(argv + 1, argv + argc);
    if (args.empty())
        return UsageError("missing command");
    const std::string& name = args[0];
    if (name == "--help" || name == "-h") {
        PrintUsage();
        return 0;
    }
    if (name == "--version") {
        std::printf("oculane-cli %s\n", OCULANE_VERSION);
        return 0;
    }
    const Arguments rest(args.begin() + 1, args.end());
    for (const CliCommand& command : kCommands) {
        if (name != command.Name)
            continue;
        if (rest.size() < command.MinArgs || rest.size() > command.MaxArgs)
            return UsageError(command.ArgsError);
        return command.Run(rest);
    }
    if (!name.empty() && name[0] == '-')
        return UsageError("unknown option '" + name + "'");
    return UsageError("unknown command '" + name + "'");
}
