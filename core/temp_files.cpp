// SPDX-License-Identifier: GPL-3.0-or-later
#include "temp_files.h"

#include "file_calls.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <string>

namespace zorvat {

namespace {

constexpr std::string_view Suffix = ".tmp";

std::string tempPrefix(const std::filesystem::path& target)
{
    std::string prefix = ".";
    prefix += target.filename().string();
    prefix += '.';
    return prefix;
}

// The process that made the temporary file of this name, or 0 when the name is none of ours.
pid_t creatorOf(std::string_view name, std::string_view prefix)
{
    if (!name.starts_with(prefix) || !name.ends_with(Suffix))
        return 0;
    name.remove_prefix(prefix.size());
    name.remove_suffix(Suffix.size());
    int dots = 0;
    for (const char c : name) {
        if (c == '.')
            ++dots;
        else if (c < '0' || c > '9')
            return 0;
    }
    pid_t pid = 0;
    const auto [end, failed] = std::from_chars(name.data(), name.data() + name.size(), pid);
    return dots == 2 && failed == std::errc() && *end == '.' ? pid : 0;
}

bool isRunning(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

} // namespace

int createTempBeside(const FileCalls& calls, const std::filesystem::path& target, std::filesystem::path& tempPath)
{
    static std::atomic<unsigned> counter { 0 };
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = target;
        std::string name = tempPrefix(target);
        name += std::to_string(::getpid()) + "." + std::to_string(stamp % 1000000) + "." + std::to_string(counter++);
        name += Suffix;
        tempPath.replace_filename(name);
        const int fd = calls.open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

void removeAbandonedTemps(const std::filesystem::path& target)
{
    const std::string prefix = tempPrefix(target);
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const pid_t pid = creatorOf(it->path().filename().native(), prefix);
        if (pid > 0 && (pid == ::getpid() || !isRunning(pid)))
            ::unlink(it->path().c_str());
    }
}

} // namespace zorvat
