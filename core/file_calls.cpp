// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_calls.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace zorvat {

int FileCalls::open(const char* path, int flags, mode_t mode) const
{
    return ::open(path, flags, mode);
}

ssize_t FileCalls::write(int fd, const void* data, std::size_t size) const
{
    return ::write(fd, data, size);
}

int FileCalls::reserve(int fd, off_t length) const
{
    return ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, length);
}

int FileCalls::truncate(int fd, off_t length) const
{
    return ::ftruncate(fd, length);
}

int FileCalls::fsync(int fd) const
{
    return ::fsync(fd);
}

int FileCalls::close(int fd) const
{
    return ::close(fd);
}

int FileCalls::rename(const char* from, const char* to) const
{
    return ::rename(from, to);
}

} // namespace zorvat
