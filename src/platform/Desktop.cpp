#include "platform/Desktop.h"

#include "base/FileName.h"
#include "platform/Directory.h"
#include "platform/ConfigFolder.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <new>
#include <poll.h>
#include <spawn.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr const char* kNoDesktop = "No supported desktop found to set the wallpaper.";
constexpr const char* kRefused = "The desktop did not accept the wallpaper.";
constexpr size_t kMaxToolOutput = 1 << 20;

enum class Desktop { None, Gnome, Cinnamon, Kde, Xfce };

bool OnPath(const std::string& tool)
{
    const char* path = std::getenv("PATH");
    if (!path)
        return false;
    std::string list = path;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos)
            end = list.size();
        const std::string folder = end > start ? list.substr(start, end - start) : ".";
        const std::string candidate = JoinPath(folder, tool);
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

Desktop DesktopFromName(const std::string& names)
{
    size_t start = 0;
    while (start <= names.size()) {
        size_t end = names.find(':', start);
        if (end == std::string::npos)
            end = names.size();
        const std::string_view name(names.data() + start, end - start);
        if (EqualsNoCase(name, "GNOME") || EqualsNoCase(name, "Unity") || EqualsNoCase(name, "Budgie"))
            return Desktop::Gnome;
        if (EqualsNoCase(name, "X-Cinnamon") || EqualsNoCase(name, "Cinnamon"))
            return Desktop::Cinnamon;
        if (EqualsNoCase(name, "KDE"))
            return Desktop::Kde;
        if (EqualsNoCase(name, "XFCE"))
            return Desktop::Xfce;
        start = end + 1;
    }
    return Desktop::None;
}

const char* ToolOf(Desktop desktop)
{
    switch (desktop) {
    case Desktop::Gnome:
    case Desktop::Cinnamon:
        return "gsettings";
    case Desktop::Kde:
        return "plasma-apply-wallpaperimage";
    case Desktop::Xfce:
        return "xfconf-query";
    case Desktop::None:
        break;
    }
    return "";
}

Desktop FindDesktop()
{
    const char* current = std::getenv("XDG_CURRENT_DESKTOP");
    if (current && *current) {
        const Desktop desktop = DesktopFromName(current);
        return desktop != Desktop::None && OnPath(ToolOf(desktop)) ? desktop : Desktop::None;
    }
    // No desktop named: only tools that exist for one desktop alone say which
    // one runs (gsettings is installed almost everywhere).
    if (OnPath(ToolOf(Desktop::Kde)))
        return Desktop::Kde;
    if (OnPath(ToolOf(Desktop::Xfce)))
        return Desktop::Xfce;
    return Desktop::None;
}

enum class RunResult { Ok, Failed, TimedOut };

// Runs the tool with these arguments, without a shell, standard input and
// error on /dev/null; its standard output goes to output (at most 1 MiB) when
// asked for. A tool still running at the deadline is killed.
RunResult RunTool(const std::vector<std::string>& args, int timeoutMs, std::string* output = nullptr)
{
    int pipeFds[2] = {-1, -1};
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return RunResult::Failed;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (output)
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);

    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return RunResult::Failed;
    }

    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int readFd = pipeFds[0];
    int status = 0;
    bool exited = false;
    char buffer[4096];
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) {
            exited = done == pid;
            break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        const int wait = static_cast<int>(left < 20 ? left : 20);
        if (readFd >= 0) {
            pollfd p{readFd, POLLIN, 0};
            if (::poll(&p, 1, wait) > 0) {
                const ssize_t n = ::read(readFd, buffer, sizeof buffer);
                if (n > 0 && output && output->size() < kMaxToolOutput)
                    output->append(buffer, static_cast<size_t>(n));
                else if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
                    ::close(readFd);
                    readFd = -1;
                }
            }
        } else {
            ::usleep(static_cast<useconds_t>(wait) * 1000);
        }
    }
    if (!exited) {
        ::kill(pid, SIGKILL);
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    // What the tool wrote just before it ended is still in the pipe; a
    // helper it left running may keep the pipe open, so take only what is there.
    while (readFd >= 0) {
        pollfd p{readFd, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0)
            break;
        const ssize_t n = ::read(readFd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        if (output && output->size() < kMaxToolOutput)
            output->append(buffer, static_cast<size_t>(n));
    }
    if (readFd >= 0)
        ::close(readFd);
    if (!exited)
        return RunResult::TimedOut;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? RunResult::Ok : RunResult::Failed;
}

bool Report(RunResult result, std::string& error)
{
    if (result == RunResult::Ok)
        return true;
    error = result == RunResult::TimedOut ? "The desktop did not answer in time." : kRefused;
    return false;
}

// A file URI for an absolute path, quoted as a GVariant string for gsettings.
std::string QuotedFileUri(const std::string& path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri = "'file://";
    for (const unsigned char c : path) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~' || c == '/') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 15];
        }
    }
    uri += '\'';
    return uri;
}

bool SetXfceWallpaper(const std::string& path, int timeoutMs, std::string& error)
{
    std::string list;
    const RunResult listed = RunTool({"xfconf-query", "-c", "xfce4-desktop", "-l"}, timeoutMs, &list);
    if (listed != RunResult::Ok)
        return Report(listed, error);
    // One property per monitor and workspace, such as
    // /backdrop/screen0/monitorHDMI-1/workspace0/last-image.
    const std::string prefix = "/backdrop/", suffix = "/last-image";
    int set = 0;
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find('\n', start);
        if (end == std::string::npos)
            end = list.size();
        std::string property = list.substr(start, end - start);
        start = end + 1;
        while (!property.empty() && (property.back() == '\r' || property.back() == ' '))
            property.pop_back();
        if (property.size() <= prefix.size() + suffix.size() || property.compare(0, prefix.size(), prefix) != 0 ||
            property.compare(property.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const RunResult r = RunTool({"xfconf-query", "-c", "xfce4-desktop", "-p", property, "-s", path}, timeoutMs);
        if (r != RunResult::Ok)
            return Report(r, error);
        ++set;
    }
    if (set == 0) {
        error = kRefused;
        return false;
    }
    return true;
}

} // namespace

bool CSystemDesktop::SetWallpaper(const std::string& path, std::string& error)
{
    error.clear();
    std::error_code ec;
    const std::string absolute = std::filesystem::absolute(path, ec).string();
    if (ec) {
        error = kRefused;
        return false;
    }
    switch (FindDesktop()) {
    case Desktop::Gnome: {
        const std::string uri = QuotedFileUri(absolute);
        if (!Report(RunTool({"gsettings", "set", "org.gnome.desktop.background", "picture-uri", uri}, m_TimeoutMs),
                    error))
            return false;
        // Only newer GNOME has a separate picture for the dark style; older
        // ones refuse the key, which is no failure.
        RunTool({"gsettings", "set", "org.gnome.desktop.background", "picture-uri-dark", uri}, m_TimeoutMs);
        return true;
    }
    case Desktop::Cinnamon:
        return Report(RunTool({"gsettings", "set", "org.cinnamon.desktop.background", "picture-uri",
                               QuotedFileUri(absolute)},
                              m_TimeoutMs),
                      error);
    case Desktop::Kde:
        return Report(RunTool({"plasma-apply-wallpaperimage", absolute}, m_TimeoutMs), error);
    case Desktop::Xfce:
        return SetXfceWallpaper(absolute, m_TimeoutMs, error);
    case Desktop::None:
        break;
    }
    error = kNoDesktop;
    return false;
}

std::string WallpaperFolder()
{
    if (const char* dir = std::getenv("OCULANE_DATA_DIR"); dir && *dir)
        return JoinPath(dir, "wallpaper");
    // A relative XDG_DATA_HOME is invalid and ignored.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
        return JoinPath(JoinPath(xdg, "oculane"), "wallpaper");
    return JoinPath(JoinPath(JoinPath(JoinPath(HomeDirectory(), ".local"), "share"), "oculane"), "wallpaper");
}
