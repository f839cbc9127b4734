// SPDX-License-Identifier: GPL-3.0-or-later
#include "ini_file.h"

#include "error.h"
#include "file_calls.h"
#include "file_read.h"
#include "file_writer.h"
#include "ini_text.h"
#include "write_error_text.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace zorvat {

TIniFile::TIniFile(std::filesystem::path file)
    : m_file(std::move(file))
{
}

std::string TIniFile::ReadText(std::string_view section, std::string_view key, std::string_view def) const
{
    std::string bytes;
    if (readWholeFile(m_file, bytes) == FileRead::Read)
        return readTextIn(bytes, section, key, def);
    return readTextIn(std::nullopt, section, key, def);
}

std::string TIniFile::readTextIn(const std::optional<std::string_view>& fileBytes, std::string_view section,
    std::string_view key, std::string_view def)
{
    return IniText(fileBytes, {}).ReadText(section, key, def);
}

void TIniFile::WriteText(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string name = m_file.filename().string();
    std::string bytes;
    const FileRead read = readWholeFile(m_file, bytes);
    // A file that is there but cannot be read must not be replaced by one holding only this key.
    if (read == FileRead::Failed)
        throw Error(cannotWriteText(name));
    IniText text(read == FileRead::Read ? std::optional<std::string_view>(bytes) : std::nullopt, name);
    text.WriteText(section, key, value);
    // The player's settings may live elsewhere behind a link, which then stays in place.
    const FileCalls system;
    if (const std::error_code failed = FileWriter(system).replace(m_file, text.bytes(), LinkHandling::Follow))
        throw Error(cannotWriteText(name));
}

std::filesystem::path TIniFile::defaultLocation()
{
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the desktop's other programs do.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/')
        return std::filesystem::path(config) / "Zorvat.ini";
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* user = ::getpwuid(::getuid());
        home = user && user->pw_dir ? user->pw_dir : ".";
    }
    return std::filesystem::path(home) / ".config" / "Zorvat.ini";
}

} // namespace zorvat
