// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace zorvat::fuzzing {

/** "Zorvat.ini" in a private folder that goes when the fuzzer ends. */
inline const std::filesystem::path& workFile()
{
    static const std::filesystem::path file = [] {
        std::string folder = (std::filesystem::temp_directory_path() / "zorvat-fuzz-XXXXXX").string();
        if (!mkdtemp(folder.data()))
            std::abort();
        static const std::string made = folder;
        std::atexit([] { std::filesystem::remove_all(made); });
        return std::filesystem::path(folder) / "Zorvat.ini";
    }();
    return file;
}

inline void putWorkFile(const std::string& bytes)
{
    std::ofstream out(workFile(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string workFileBytes()
{
    std::ifstream in(workFile(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace zorvat::fuzzing
