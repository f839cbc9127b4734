// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ini_access.h"
#include "profile_text.h"

#include <optional>
#include <string>
#include <string_view>

namespace zorvat {

// The settings file's text held in memory, read and written exactly as the desktop's profile
// functions read and write the file itself: a run of writes made here and saved once gives the
// bytes that as many writes to the file would have given.
class IniText : public IniAccess {
public:
    /** The text of a settings file with these bytes, nullopt when there is no file yet; `fileName`
        names the file in errors. */
    IniText(const std::optional<std::string_view>& fileBytes, std::string fileName);

    std::string ReadText(std::string_view section, std::string_view key, std::string_view def) const override;
    void WriteText(std::string_view section, std::string_view key, std::string_view value) override;

    /** The file's bytes with every write made so far. */
    std::string bytes() const { return m_doc.toFileBytes(); }

private:
    ProfileDocument m_doc;
    std::string m_fileName;
};

} // namespace zorvat
