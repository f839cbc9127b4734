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

std::optional<IniText> readIniText(const std::filesystem::path& file)
{
    const std::string name = file.filename().string();
    std::string bytes;
    switch (readWholeFile(file, bytes)) {
    case FileRead::Read:
        return IniText(bytes, name);
    case FileRead::Missing:
        return IniText(std::nullopt, name);
    case FileRead::Failed:
        break;
    }
    return std::nullopt;
}

void saveIniText(const std::filesystem::path& file, const IniText& text, const FileWriter& writer)
{
    // The player's settings may live elsewhere behind a link, which then stays in place.
    if (const std::error_code failed = writer.replace(file, text.bytes(), LinkHandling::Follow))
        throw Error(cannotWriteText(file.filename().string()));
}

std::string TIniFile::ReadText(std::string_view section, std::string_view key, std::string_view def) const
{
    // A file that cannot be read gives the defaults.
    const std::optional<IniText> text = readIniText(m_file);
    return (text ? *text : IniText(std::nullopt, {})).ReadText(section, key, def);
}

void TIniFile::WriteText(std::string_view section, std::string_view key, std::string_view value)
{
    std::optional<IniText> text = readIniText(m_file);
    if (!text)
        throw Error(cannotWriteText(m_file.filename().string()));
    text->WriteText(section, key, value);
    const FileCalls system;
    saveIniText(m_file, *text, FileWriter(system));
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
