// SPDX-License-Identifier: GPL-3.0-or-later
#include "language_choice.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace zorvat {

namespace {

std::vector<std::string> languageList(const EnvironmentLookup& environment)
{
    std::vector<std::string> list;
    if (const auto languages = environment("LANGUAGE")) {
        std::istringstream entries(*languages);
        for (std::string entry; std::getline(entries, entry, ':');)
            list.push_back(entry);
    }
    // An empty locale variable counts as unset, as the C library takes it.
    for (const char* name : { "LC_ALL", "LC_MESSAGES", "LANG" }) {
        const auto locale = environment(name);
        if (locale && !locale->empty()) {
            list.push_back(*locale);
            break;
        }
    }
    return list;
}

// "en_US.UTF-8" and "en@shaw" give "en"; "C.UTF-8" gives "c".
std::string languageCode(const std::string& entry)
{
    std::string code = entry.substr(0, entry.find_first_of("_.@"));
    std::transform(code.begin(), code.end(), code.begin(), [](unsigned char c) { return std::tolower(c); });
    return code;
}

} // namespace

Language chooseLanguage(const EnvironmentLookup& environment)
{
    for (const std::string& entry : languageList(environment)) {
        const std::string code = languageCode(entry);
        if (code == "en")
            return Language::English;
        if (code == "ja")
            return Language::Japanese;
    }
    return Language::Japanese;
}

Language chooseLanguage()
{
    return chooseLanguage([](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    });
}

} // namespace zorvat
