// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_read.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zorvat {

FileRead openPlainFile(const std::filesystem::path& file, int& fd)
{
    fd = -1;
    struct stat st { };
    if (::stat(file.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? FileRead::Missing : FileRead::Failed;
    if (!S_ISREG(st.st_mode))
        return FileRead::Missing;
    // Something else may have been put under the name since: the open must not wait for a
    // writer, and what it opened is looked at again.
    const int opened = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (opened < 0)
        return errno == ENOENT || errno == ENOTDIR ? FileRead::Missing : FileRead::Failed;
    if (::fstat(opened, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(opened);
        return FileRead::Missing;
    }
    fd = opened;
    return FileRead::Read;
}

FileRead readWholeFile(const std::filesystem::path& file, std::string& bytes)
{
    bytes.clear();
    int fd = -1;
    if (const FileRead opened = openPlainFile(file, fd); opened != FileRead::Read)
        return opened;
    if (struct stat st {}; ::fstat(fd, &st) == 0)
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            bytes.clear();
            errno = error;
            return FileRead::Failed;
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return FileRead::Read;
}

} // namespace zorvat
