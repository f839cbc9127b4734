// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_lock.h"

#include "file_read.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <thread>

namespace zorvat {

namespace {

// Opens the lock file, made when it is not there yet; never follows a link or waits on a pipe.
int openLockFile(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_CREAT | O_NOFOLLOW, 0666);
    struct stat st { };
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int openLockTarget(const std::filesystem::path& file)
{
    std::filesystem::path lockFile = file;
    std::string name = ".";
    name += file.filename().string();
    name += ".lock";
    lockFile.replace_filename(name);
    std::error_code ec;
    if (file.has_parent_path())
        std::filesystem::create_directories(file.parent_path(), ec);
    int fd = openLockFile(lockFile);
    if (fd < 0)
        openPlainFile(file, fd);
    return fd;
}

} // namespace

FileLock::FileLock(const std::filesystem::path& file)
    : m_fd(openLockTarget(file))
{
    if (m_fd < 0)
        return;
    const auto deadline = std::chrono::steady_clock::now() + StaleAfter;
    std::chrono::microseconds pause { 100 };
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            ::close(m_fd);
            m_fd = -1;
            return;
        }
        // A save takes milliseconds: short waits, growing a little while another one goes on.
        std::this_thread::sleep_for(pause);
        pause = std::min<std::chrono::microseconds>(pause * 2, std::chrono::milliseconds(4));
    }
}

FileLock::~FileLock()
{
    // Closing lets go of the lock.
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace zorvat
