// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "file_calls.h"

#include <cerrno>
#include <functional>
#include <utility>

namespace zorvat::testing {

// The system's file calls, one of which fails with a chosen error the first time it is made (or
// every time), as a full disk, a failing device or a file system gone read-only would make it fail.
class FaultyCalls : public FileCalls {
public:
    enum class Call { None, Open, Write, Reserve, Truncate, Fsync, Close, Rename };

    FaultyCalls(Call failing = Call::None, int error = 0, bool everyTime = false)
        : failing(failing)
        , error(error)
        , everyTime(everyTime)
    {
    }

    Call failing;
    int error;
    bool everyTime;
    mutable int failures = 0;
    /** Runs before each call; a test can send the process a signal there, say. */
    std::function<void(Call)> before;

    int open(const char* path, int flags, mode_t mode) const override
    {
        return fails(Call::Open) ? -1 : FileCalls::open(path, flags, mode);
    }
    ssize_t write(int fd, const void* data, std::size_t size) const override
    {
        return fails(Call::Write) ? -1 : FileCalls::write(fd, data, size);
    }
    int reserve(int fd, off_t length) const override
    {
        return fails(Call::Reserve) ? -1 : FileCalls::reserve(fd, length);
    }
    int truncate(int fd, off_t length) const override
    {
        return fails(Call::Truncate) ? -1 : FileCalls::truncate(fd, length);
    }
    int fsync(int fd) const override { return fails(Call::Fsync) ? -1 : FileCalls::fsync(fd); }
    int close(int fd) const override
    {
        // A close that fails has still let go of the descriptor.
        if (fails(Call::Close)) {
            FileCalls::close(fd);
            errno = error;
            return -1;
        }
        return FileCalls::close(fd);
    }
    int rename(const char* from, const char* to) const override
    {
        return fails(Call::Rename) ? -1 : FileCalls::rename(from, to);
    }

private:
    bool fails(Call call) const
    {
        if (before)
            before(call);
        if (call != failing || (failures > 0 && !everyTime))
            return false;
        ++failures;
        errno = error;
        return true;
    }
};

/** The errors a save meets, by name: a full disk, a failing device, no permission, a file system gone
    read-only, a quota, a file-size limit. */
inline constexpr std::pair<const char*, int> SaveErrors[] = { { "ENOSPC", ENOSPC }, { "EIO", EIO },
    { "EACCES", EACCES }, { "EROFS", EROFS }, { "EDQUOT", EDQUOT }, { "EFBIG", EFBIG } };
/** The calls of a save through a new file renamed over the old one, by name. */
inline constexpr std::pair<const char*, FaultyCalls::Call> NewFileCalls[] = { { "open", FaultyCalls::Call::Open },
    { "write", FaultyCalls::Call::Write }, { "fsync", FaultyCalls::Call::Fsync }, { "close", FaultyCalls::Call::Close },
    { "rename", FaultyCalls::Call::Rename } };

} // namespace zorvat::testing
