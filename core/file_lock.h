// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <filesystem>

namespace zorvat {

// Holds a file for one save, so that two copies of the game never save it at the same time.
// The lock is the system's lock on a file ".<name>.lock" beside it, which the system lets go
// of when its holder ends, however it ends: a copy that crashed never blocks another. Where no
// such file can be made (a folder that takes no new file) the file itself is locked; it is then
// written where it stands, so it stays the same file for every copy.
class FileLock {
public:
    /** A lock still held after this belongs to a copy that hangs or was stopped: it is passed over,
        and the save goes ahead, replacing the file whole as ever. */
    static constexpr std::chrono::milliseconds StaleAfter { 5000 };

    /** Waits for the lock, up to StaleAfter. */
    explicit FileLock(const std::filesystem::path& file);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int m_fd = -1;
};

} // namespace zorvat
