// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ini_access.h"
#include "ini_text.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zorvat {

// The settings file: a private-profile (INI) file in code page 932 with CR LF lines,
// read and written exactly as the desktop's own profile functions do, so files written
// by either side read the same on the other. Nothing is cached: every call goes to the file.
class TIniFile : public IniAccess {
public:
    /** Touches no file. */
    explicit TIniFile(std::filesystem::path file);

    std::string ReadText(std::string_view section, std::string_view key, std::string_view def) const override;
    /** Replaces or adds the key; the file is replaced atomically. Throws Error "<name> に書き込めません",
        and then the file stays as it was. */
    void WriteText(std::string_view section, std::string_view key, std::string_view value) override;

    const std::filesystem::path& path() const { return m_file; }

    /** "Zorvat.ini" in the user's configuration folder ($XDG_CONFIG_HOME, else ~/.config). */
    static std::filesystem::path defaultLocation();

private:
    std::filesystem::path m_file;
};

class FileWriter;

/** The settings file's text as it stands: an empty text when there is no file, none when the file
    is there but cannot be read (and must then not be replaced by a text holding only our keys). */
std::optional<IniText> readIniText(const std::filesystem::path& file);
/** Replaces the settings file with `text`; a link of the player's own is followed and stays in
    place. Throws Error "<name> に書き込めません", and then the file stays as it was. */
void saveIniText(const std::filesystem::path& file, const IniText& text, const FileWriter& writer);

} // namespace zorvat
