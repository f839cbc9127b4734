// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as the settings file, then one write and a re-read: the written key must read back
// as written, every other key as it read before, a refused write must leave the file as it was,
// and a write of text the file can hold must never be refused.
//
// Input: the file's bytes, then a few last bytes choosing where the section, key and value come
// from (names the game uses, names found in the file, or fuzzed text taken from the front).

#include "error.h"
#include "ini_file.h"
#include "text_codec.h"
#include "work_file.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace zorvat::fuzzing;

using zorvat::IniText;
using zorvat::TIniFile;

const std::vector<std::string> SectionWords { "hs_sc", "name", "pass", "HS_SC", "Name", "s", "", "[x]", "a]b", "山田" };
const std::vector<std::string> KeyWords { "sc1", "name1", "tp", "SC2", "Name5", "a", ";c", "k=v", "[k", " k", "ア" };
const std::vector<std::string> ValueWords { "", "0", "-5", " Bob ", "\"q\"", "'", "山田　太郎", "0x10", "한", "¥",
    "a\nb" };

// The eleven keys the game keeps.
const std::vector<std::pair<std::string, std::string>> GameKeys { { "hs_sc", "sc1" }, { "hs_sc", "sc2" },
    { "hs_sc", "sc3" }, { "hs_sc", "sc4" }, { "hs_sc", "sc5" }, { "name", "name1" }, { "name", "name2" },
    { "name", "name3" }, { "name", "name4" }, { "name", "name5" }, { "pass", "tp" } };

bool isBlank(char c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == ' ';
}

std::string trim(std::string s)
{
    while (!s.empty() && isBlank(s.back()))
        s.pop_back();
    std::size_t b = 0;
    while (b < s.size() && isBlank(s[b]))
        ++b;
    return s.substr(b);
}

// Section and key names that appear in the file, as UTF-8, found by a plain reading of its
// lines; they only pick which keys to compare, so a name misread here costs nothing.
std::vector<std::pair<std::string, std::string>> namesIn(const std::string& file)
{
    std::string text;
    if (file.rfind("\xEF\xBB\xBF", 0) == 0)
        text = zorvat::validUtf8(file.substr(3));
    else if (file.rfind("\xFF\xFE", 0) == 0 || file.rfind("\xFE\xFF", 0) == 0)
        return {};
    else
        text = zorvat::fromCp932Lossy(file);
    std::vector<std::pair<std::string, std::string>> names;
    std::string section;
    std::size_t pos = 0;
    while (pos < text.size() && names.size() < 16) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty())
            continue;
        if (line[0] == '[') {
            const std::size_t close = line.rfind(']');
            section = trim(line.substr(1, close == std::string::npos || close == 0 ? std::string::npos : close - 1));
        } else {
            names.emplace_back(section, trim(line.substr(0, line.find('='))));
        }
    }
    return names;
}

char fold(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

bool hasBreakOrNul(const std::string& s)
{
    return s.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

// Whether the file's encoding holds the text exactly: any well-formed UTF-8 in a Unicode file,
// in a code page 932 file only what converts there and back unchanged.
bool encodable(const std::string& utf8, bool unicodeFile)
{
    if (!zorvat::isValidUtf8(utf8))
        return false;
    if (unicodeFile)
        return true;
    const auto bytes = zorvat::toCp932(utf8);
    return bytes && zorvat::fromCp932(*bytes) == utf8;
}

// What a write must accept, stated apart from the writer's own checks.
bool holdable(const std::string& section, const std::string& key, const std::string& value, bool unicodeFile)
{
    if (hasBreakOrNul(section) || hasBreakOrNul(key) || hasBreakOrNul(value))
        return false;
    if (section != trim(section) || key.empty() || key != trim(key) || key[0] == '['
        || key.find('=') != std::string::npos)
        return false;
    return encodable(section, unicodeFile) && encodable(key, unicodeFile) && encodable(value, unicodeFile);
}

std::string pick(
    FuzzedDataProvider& fdp, unsigned how, const std::vector<std::string>& words, const std::vector<std::string>& found)
{
    switch (how) {
    case 0:
        return words[fdp.ConsumeIntegralInRange<std::size_t>(0, words.size() - 1)];
    case 1:
        if (!found.empty())
            return found[fdp.ConsumeIntegralInRange<std::size_t>(0, found.size() - 1)];
        return words.front();
    default:
        return fdp.ConsumeRandomLengthString(40);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider fdp(data, size);
    const auto how = fdp.ConsumeIntegral<std::uint8_t>();
    const std::string fileGuess(reinterpret_cast<const char*>(data), size > 0 ? size - 1 : 0);
    const auto pairs = namesIn(fileGuess);
    std::vector<std::string> foundSections, foundKeys;
    for (const auto& [s, k] : pairs) {
        foundSections.push_back(s);
        foundKeys.push_back(k);
    }
    const std::string section = pick(fdp, how & 3, SectionWords, foundSections);
    const std::string key = pick(fdp, (how >> 2) & 3, KeyWords, foundKeys);
    const std::string value = pick(fdp, (how >> 4) & 3, ValueWords, {});
    const std::string file = fdp.ConsumeRemainingBytesAsString();
    putWorkFile(file);

    std::map<std::pair<std::string, std::string>, std::string> before;
    const TIniFile ini(workFile());
    auto compared = namesIn(file);
    compared.insert(compared.end(), GameKeys.begin(), GameKeys.end());
    compared.emplace_back(section, "sc1");
    compared.emplace_back("name", key);
    for (const auto& name : compared)
        before[name] = IniText(file, {}).ReadText(name.first, name.second, "<none>");

    const bool unicodeFile
        = file.rfind("\xEF\xBB\xBF", 0) == 0 || file.rfind("\xFF\xFE", 0) == 0 || file.rfind("\xFE\xFF", 0) == 0;
    TIniFile writer(workFile());
    try {
        writer.WriteText(section, key, value);
    } catch (const zorvat::Error&) {
        if (holdable(section, key, value, unicodeFile)) {
            std::fprintf(stderr, "a write the file can hold was refused\n");
            std::abort();
        }
        if (workFileBytes() != file) {
            std::fprintf(stderr, "a refused write changed the file\n");
            std::abort();
        }
        return 0;
    }
    if (!holdable(section, key, value, unicodeFile)) {
        std::fprintf(stderr, "a write the file cannot hold went through\n");
        std::abort();
    }
    if (ini.ReadText(section, key, "<none>") != value) {
        std::fprintf(stderr, "the written key reads back otherwise\n");
        std::abort();
    }
    const std::string after = workFileBytes();
    for (const auto& [name, old] : before) {
        if (sameName(name.first, section) && sameName(name.second, key))
            continue;
        if (IniText(after, {}).ReadText(name.first, name.second, "<none>") != old) {
            std::fprintf(stderr, "another key changed: [%s] %s\n", name.first.c_str(), name.second.c_str());
            std::abort();
        }
    }
    return 0;
}
