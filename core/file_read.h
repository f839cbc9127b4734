// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>

namespace zorvat {

enum class FileRead { Read, Missing, Failed };

/** Reads the whole file into `bytes`; Missing when there is no such file or the name is no plain
    file (a folder, a pipe, a device, a socket: none is ever opened, so none can keep the program
    waiting), Failed when it exists but cannot be read (no permission, an input error), with errno
    telling why. */
FileRead readWholeFile(const std::filesystem::path& file, std::string& bytes);

/** Opens the file for reading in `fd` on the same terms: Read when it is open, Missing or Failed
    as for readWholeFile, and then nothing is left open. */
FileRead openPlainFile(const std::filesystem::path& file, int& fd);

} // namespace zorvat
