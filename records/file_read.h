// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>

namespace zorvat {

enum class FileRead { Read, Missing, Failed };

/** Reads the whole file into `bytes`; Missing when there is no such file, Failed when it exists
    but cannot be read (a folder, no permission, an input error). */
FileRead readWholeFile(const std::filesystem::path& file, std::string& bytes);

} // namespace zorvat
