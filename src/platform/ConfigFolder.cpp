#include "platform/ConfigFolder.h"

#include "base/FileName.h"

#include "platform/Directory.h"

#include <cstdlib>
#include <system_error>
#include <filesystem>
#include <unistd.h>

std::string ConfigFolder()
{
    if (const char* dir = std::getenv("OCULANE_CONFIG_DIR"); dir && *dir)
        return dir;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        return JoinPath(xdg, "oculane");
    return JoinPath(JoinPath(HomeDirectory(), ".config"), "oculane");
}

bool EnsureFolder(const std::string& path)
{
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return std::filesystem::is_directory(path, ec);
}
