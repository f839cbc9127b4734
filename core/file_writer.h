// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

namespace zorvat {

class FileCalls;

// What writing a file does when its name is a symbolic link.
enum class LinkHandling {
    Follow, // the file the link points to gets the new contents; the link stays
    Replace, // the link itself gives way to the new file; what it pointed to is untouched
};

// The one way the program writes a file, the settings file and the ranking page alike.
class FileWriter {
public:
    /** Every system call that changes the disk goes through `calls`. */
    explicit FileWriter(const FileCalls& calls);

    /** Replaces the file's contents so that no reader ever sees a half-written file: the bytes go
        to a new file in the same folder, are flushed to the disk and renamed over the old one,
        and the folder is flushed after the rename. Temporary files left beside it by a save that
        was killed on the way are removed first. The folder is made when missing; an existing
        file keeps its permissions and owner.

        A folder that cannot take a new file, an existing file that can be written is written
        where it stands instead, once the new bytes are complete: the space is taken first, the
        new text goes over the old one from its start, the rest is cut off and the file flushed;
        a step that fails puts the old text back.

        A file or folder without any write permission is read-only, also to the superuser; so is
        anything but a plain file. A followed link must belong to the user the program runs as,
        and so must the file it points to. Gives the system error of the first step that failed,
        or none; after a failure the old file is as it was and no temporary file is left. */
    std::error_code replace(const std::filesystem::path& file, std::string_view bytes, LinkHandling links) const;

private:
    std::error_code replaceByRename(const std::filesystem::path& target, const std::filesystem::path& folder,
        std::string_view bytes, int tempFd, const std::filesystem::path& tempPath) const;
    std::error_code writeInPlace(const std::filesystem::path& target, std::string_view bytes, LinkHandling links) const;
    std::error_code putInPlace(const std::filesystem::path& target, std::string_view bytes, int openFlags) const;
    std::error_code writeAll(int fd, std::string_view bytes) const;
    std::error_code flush(int fd) const;

    const FileCalls& m_calls;
};

} // namespace zorvat
