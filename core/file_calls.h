// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <sys/types.h>

namespace zorvat {

// The system calls with which a file is written, each as the system makes it: -1 with errno
// set on failure. The program writes through the plain ones; a test hands the writer calls of
// its own that fail where it wants them to.
class FileCalls {
public:
    virtual ~FileCalls() = default;

    virtual int open(const char* path, int flags, mode_t mode) const;
    virtual ssize_t write(int fd, const void* data, std::size_t size) const;
    /** Takes the disk space for a file of `length` bytes without changing its size. */
    virtual int reserve(int fd, off_t length) const;
    virtual int truncate(int fd, off_t length) const;
    virtual int fsync(int fd) const;
    virtual int close(int fd) const;
    virtual int rename(const char* from, const char* to) const;
};

} // namespace zorvat
