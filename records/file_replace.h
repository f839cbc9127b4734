// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

namespace zorvat {

// What replacing a file does when its name is a symbolic link.
enum class LinkHandling {
    Follow, // the file the link points to gets the new contents; the link stays
    Replace, // the link itself gives way to the new file; what it pointed to is untouched
};

/** Replaces the file's contents so that no reader ever sees a half-written file: the bytes go
    to a new file in the same folder, are flushed to the disk and renamed over the old one, and
    the folder is flushed after the rename. The folder is made when missing; an existing file
    keeps its permissions. A file or folder without any write permission is read-only, also to
    the superuser. Gives the system error of the first step that failed, or none; after a
    failure the old file is untouched and no temporary file is left behind. */
std::error_code replaceFileContents(const std::filesystem::path& file, std::string_view bytes, LinkHandling links);

} // namespace zorvat
