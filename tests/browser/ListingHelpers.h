// Files with chosen sizes and times for the listing tests, and a guard that
// gives the process its current folder back.
#pragma once

#include "platform/Directory.h"

#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// Local wall-clock time as seconds since 1970.
inline int64_t LocalTime(int year, int month, int day, int hour = 12, int minute = 0, int second = 0)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&tm));
}

inline std::string MakeFile(const std::string& folder, const std::string& name, size_t size, int64_t modified = 0)
{
    const std::string path = folder + "/" + name;
    std::ofstream(path, std::ios::binary) << std::string(size, 'x');
    if (modified != 0) {
        timespec times[2] = {{static_cast<time_t>(modified), 0}, {static_cast<time_t>(modified), 0}};
        utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
    return path;
}

class CurrentFolderGuard {
public:
    CurrentFolderGuard() : m_Saved(CurrentFolder()) {}
    ~CurrentFolderGuard() { MakeCurrentFolder(m_Saved); }
    CurrentFolderGuard(const CurrentFolderGuard&) = delete;
    CurrentFolderGuard& operator=(const CurrentFolderGuard&) = delete;

private:
    std::string m_Saved;
};
