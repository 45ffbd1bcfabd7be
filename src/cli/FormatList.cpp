// oculane-cli formats: the format table, one format a line.
#include "cli/Commands.h"

#include "formats/FormatTable.h"

#include <cstdio>
#include <string>

int RunFormats()
{
    for (const FormatInfo& format : Formats()) {
        std::string extensions;
        for (const FormatExtension& extension : format.Extensions) {
            if (!extensions.empty())
                extensions += ',';
            extensions += extension.Text;
        }
        std::printf("%s\t%s\t%s\t%s\n", format.Name, extensions.c_str(), format.MakeDecoder ? "read" : "-",
                    format.Write ? "write" : "-");
    }
    return 0;
}
