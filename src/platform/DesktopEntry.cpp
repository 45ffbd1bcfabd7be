#include "platform/DesktopEntry.h"

#include <cstring>

std::string DesktopExecProgram(const std::string& program)
{
    // Characters that make the shell-like Exec parser split or interpret.
    static const char kReserved[] = " \t\n\"'\\><~|&;$*?#()`";
    bool quote = program.empty();
    for (char c : program)
        quote = quote || std::strchr(kReserved, c) != nullptr;

    std::string argument;
    if (quote)
        argument += '"';
    for (char c : program) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
            argument += '\\';
        argument += c;
        if (c == '%')
            argument += '%';
    }
    if (quote)
        argument += '"';

    // The value escapes come on top of the argument quoting.
    std::string value;
    for (char c : argument) {
        switch (c) {
        case '\\': value += "\\\\"; break;
        case '\n': value += "\\n"; break;
        case '\t': value += "\\t"; break;
        case '\r': value += "\\r"; break;
        default: value += c;
        }
    }
    return value;
}

std::string DesktopEntryText(const std::string& program, const std::vector<std::string>& mimeTypes)
{
    std::string types;
    for (const std::string& type : mimeTypes)
        types += type + ';';
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Oculane\n"
           "Exec=" + DesktopExecProgram(program) + " %F\n"
           "Icon=oculane\n"
           "MimeType=" + types + "\n"
           "Terminal=false\n"
           "Categories=Graphics;Viewer;\n";
}
