// SPDX-License-Identifier: GPL-3.0-or-later
#include "rank_target.h"

#include "file_read.h"
#include "rank_settings.h"

#include <cerrno>
#include <optional>
#include <ostream>
#include <string_view>
#include <system_error>
#include <vector>

namespace zorvat::InternetRank {

namespace {

constexpr char UrlVariable[] = "ZORVAT_RANK_URL";
constexpr std::string_view UrlKey = "url";
constexpr std::string_view MultiplierKey = "check_multiplier";
constexpr std::string_view OffsetKey = "check_offset";

constexpr char NotARankUrl[]
    = "is not an http:// or https:// address in printable ASCII without blanks, quotes, <, > or backslashes";

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != prefix[i])
            return false;
    }
    return true;
}

// The address is written into the page between double quotes, so nothing that could end the
// attribute or the tag may be in it; printable ASCII alone keeps it byte for byte the same in
// code page 932 and leaves no blank or control character for a browser to read its own way.
bool isRankUrl(std::string_view url)
{
    std::size_t host = 0;
    if (startsWithIgnoringCase(url, "http://"))
        host = 7;
    else if (startsWithIgnoringCase(url, "https://"))
        host = 8;
    if (host == 0 || url.size() == host)
        return false;
    for (const char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7f || c == '"' || c == '\'' || c == '<' || c == '>' || c == '\\')
            return false;
    }
    return true;
}

// A check number of exactly `digits` digits, as the server's options take it: the multiplier
// 10 to 99, the offset 0 to 9.
std::optional<std::int32_t> checkNumber(std::string_view text, std::size_t digits)
{
    if (text.size() != digits || (digits > 1 && text.front() == '0'))
        return std::nullopt;
    std::int32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The address and numbers one ranking.conf names; none when it names no address or is passed over.
std::optional<RankTarget> fromConfFile(const std::filesystem::path& file, std::ostream& warnings)
{
    std::string bytes;
    switch (readWholeFile(file, bytes)) {
    case FileRead::Missing:
        return std::nullopt;
    case FileRead::Failed:
        warnings << "zorvat: " << file.string() << ": cannot be read (" << std::generic_category().message(errno)
                 << "); it is not used\n";
        return std::nullopt;
    case FileRead::Read:
        break;
    }
    // A text editor on another system may start the file with a byte order mark.
    std::string_view text(bytes);
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);

    RankTarget target { {}, builtInCheckNumbers() };
    bool numbersGiven = false;
    int lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (line.empty() || line.front() == '#')
            continue;

        const std::string where = "zorvat: " + file.string() + ":" + std::to_string(lineNumber) + ": ";
        const std::size_t equals = line.find('=');
        const std::string_view key = trimmed(line.substr(0, equals));
        const std::string_view value = equals == std::string_view::npos ? "" : trimmed(line.substr(equals + 1));
        const bool multiplier = key == MultiplierKey;
        if (equals == std::string_view::npos || (key != UrlKey && !multiplier && key != OffsetKey)) {
            // A key a later version knows must not cost this version the whole file.
            warnings << where << "not a url=, check_multiplier= or check_offset= line; it is ignored\n";
            continue;
        }
        if (key == UrlKey) {
            if (!isRankUrl(value)) {
                warnings << where << "url " << NotARankUrl << "; the file is not used\n";
                return std::nullopt;
            }
            target.url = value;
            continue;
        }
        // Numbers that do not match the server's would have every score refused, so a bad one
        // passes the whole file over rather than falling back to the build's.
        const std::optional<std::int32_t> number = checkNumber(value, multiplier ? 2 : 1);
        if (!number) {
            warnings << where << key << (multiplier ? " is not a number from 10 to 99" : " is not a number from 0 to 9")
                     << "; the file is not used\n";
            return std::nullopt;
        }
        (multiplier ? target.check.multiplier : target.check.offset) = *number;
        numbersGiven = true;
    }
    if (target.url.empty()) {
        if (numbersGiven)
            warnings << "zorvat: " << file.string() << ": check numbers without a url; the file is not used\n";
        return std::nullopt;
    }
    return target;
}

// The user's folder first, then the system's in the order XDG_CONFIG_DIRS gives them; a relative
// folder is invalid and skipped, as the desktop's other programs do.
std::vector<std::filesystem::path> configFolders(
    const EnvironmentLookup& environment, const std::filesystem::path& configHome)
{
    std::vector<std::filesystem::path> folders { configHome };
    const char* list = environment("XDG_CONFIG_DIRS");
    std::string_view dirs = list && *list ? list : "/etc/xdg";
    while (!dirs.empty()) {
        const std::size_t colon = dirs.find(':');
        const std::string_view dir = dirs.substr(0, colon);
        dirs.remove_prefix(colon == std::string_view::npos ? dirs.size() : colon + 1);
        if (dir.starts_with('/'))
            folders.emplace_back(dir);
    }
    return folders;
}

} // namespace

RankTarget builtInRankTarget()
{
    return { RankUrl, builtInCheckNumbers() };
}

RankTarget findRankTarget(
    const EnvironmentLookup& environment, const std::filesystem::path& configHome, std::ostream& warnings)
{
    // The environment names an address alone: a player trying another server for one run keeps
    // the build's numbers, and a server with numbers of its own is named in a ranking.conf.
    const char* url = environment(UrlVariable);
    if (url && *url) {
        if (isRankUrl(url))
            return { url, builtInCheckNumbers() };
        warnings << "zorvat: " << UrlVariable << ' ' << NotARankUrl << "; it is not used\n";
    }
    for (const std::filesystem::path& folder : configFolders(environment, configHome)) {
        if (std::optional<RankTarget> target = fromConfFile(folder / "zorvat" / "ranking.conf", warnings))
            return *target;
    }
    return builtInRankTarget();
}

} // namespace zorvat::InternetRank
