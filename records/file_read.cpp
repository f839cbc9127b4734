// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_read.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace zorvat {

FileRead readWholeFile(const std::filesystem::path& file, std::string& bytes)
{
    bytes.clear();
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? FileRead::Missing : FileRead::Failed;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            bytes.clear();
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
