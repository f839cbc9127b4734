// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zorvat {

enum class FileRead { Read, Missing, Failed };

/** Reads the whole file into `bytes`; Missing when there is no such file, Failed when it exists
    but cannot be read (a folder, no permission, an input error). */
FileRead readWholeFile(const std::filesystem::path& file, std::string& bytes);

/** Replaces the file's contents so that no reader ever sees a half-written file: the bytes go
    to a new file in the same folder, are flushed to the disk and renamed over the old one. The
    folder is made when missing; a symbolic link is followed and stays a link; an existing file
    keeps its permissions. False when any step fails (no room, a read-only file or folder), and
    then the old file is untouched and no temporary file is left behind. */
bool replaceFileContents(const std::filesystem::path& file, std::string_view bytes);

} // namespace zorvat
