#include "ini_file.h"

#include <cstdlib>

namespace zorvat {

// First draft: reads give the defaults and writes are dropped.
TIniFile::TIniFile(std::filesystem::path file) : m_file(std::move(file)) {}

std::string TIniFile::ReadText(std::string_view, std::string_view, std::string_view def) const
{
    return std::string(def);
}

void TIniFile::WriteText(std::string_view, std::string_view, std::string_view) {}

std::int32_t TIniFile::ReadInt(std::string_view section, std::string_view key, std::int32_t def) const
{
    return StrToIntDef(ReadText(section, key, ""), def);
}

void TIniFile::WriteInt(std::string_view section, std::string_view key, std::int32_t value)
{
    WriteText(section, key, std::to_string(value));
}

std::filesystem::path TIniFile::defaultLocation()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    std::filesystem::path folder = config && *config ? std::filesystem::path(config)
                                                     : std::filesystem::path(home ? home : ".") / ".config";
    return folder / "Zorvat.ini";
}

std::int32_t StrToIntDef(std::string_view, std::int32_t def)
{
    return def;
}

} // namespace zorvat
