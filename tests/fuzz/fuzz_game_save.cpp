// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as the settings file and any run of writes: the writes made to the file's text in
// memory and the file replaced once, as the game saves, must give exactly the bytes of the same
// writes made to the file one by one, and must refuse what they refuse.
//
// Input: the writes from the end (either the game's eleven keys in the table's order or a run of
// writes to names of the game's and odd ones), the file's bytes from the front.

#include "error.h"
#include "ini_file.h"
#include "ini_text.h"
#include "work_file.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace zorvat::fuzzing;

const std::vector<std::string> NameWords { "", "Rv-nq1", "山田　太郎", " Bob ", "\"q\"", "'", "a=b", "[x]", ";c", "ｶﾅ",
    "한", "¥", "x\ny", std::string(1, '\0') };
const std::vector<std::string> SectionWords { "hs_sc", "name", "pass", "HS_SC", "", "[x]", "山田" };
const std::vector<std::string> KeyWords { "sc1", "sc5", "name1", "name5", "tp", "TP", "k=v", "[k", "ア" };

struct Write {
    std::string section;
    std::string key;
    bool number = false;
    std::int32_t value = 0;
    std::string text;
};

template <typename Words> const std::string& pick(FuzzedDataProvider& fdp, const Words& words)
{
    return words[fdp.ConsumeIntegralInRange<std::size_t>(0, words.size() - 1)];
}

std::string textValue(FuzzedDataProvider& fdp)
{
    return fdp.ConsumeBool() ? pick(fdp, NameWords) : fdp.ConsumeRandomLengthString(24);
}

// The game's save: sc1, name1, sc2, name2, ... then tp.
std::vector<Write> gameSave(FuzzedDataProvider& fdp)
{
    std::vector<Write> writes;
    for (int rank = 1; rank <= 5; ++rank) {
        const std::string n = std::to_string(rank);
        writes.push_back({ "hs_sc", "sc" + n, true, fdp.ConsumeIntegral<std::int32_t>(), {} });
        writes.push_back({ "name", "name" + n, false, 0, textValue(fdp) });
    }
    writes.push_back({ "pass", "tp", true, fdp.ConsumeIntegral<std::int32_t>(), {} });
    return writes;
}

std::vector<Write> anyWrites(FuzzedDataProvider& fdp)
{
    std::vector<Write> writes(fdp.ConsumeIntegralInRange<std::size_t>(1, 16));
    for (Write& write : writes) {
        write.section = pick(fdp, SectionWords);
        write.key = pick(fdp, KeyWords);
        write.number = fdp.ConsumeBool();
        if (write.number)
            write.value = fdp.ConsumeIntegral<std::int32_t>();
        else
            write.text = textValue(fdp);
    }
    return writes;
}

bool refuses(const std::vector<Write>& writes, zorvat::IniAccess& ini)
{
    try {
        for (const Write& write : writes) {
            if (write.number)
                ini.WriteInt(write.section, write.key, write.value);
            else
                ini.WriteText(write.section, write.key, write.text);
        }
    } catch (const zorvat::Error&) {
        return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider fdp(data, size);
    const std::vector<Write> writes = fdp.ConsumeBool() ? gameSave(fdp) : anyWrites(fdp);
    const std::string file = fdp.ConsumeRemainingBytesAsString();
    putWorkFile(file);

    zorvat::TIniFile separate(workFile());
    const bool separateRefused = refuses(writes, separate);
    zorvat::IniText once(file, "Zorvat.ini");
    const bool onceRefused = refuses(writes, once);
    if (onceRefused != separateRefused) {
        std::fprintf(stderr, "the one save %s what the separate writes %s\n", onceRefused ? "refused" : "took",
            separateRefused ? "refused" : "took");
        std::abort();
    }
    if (!onceRefused && once.bytes() != workFileBytes()) {
        std::fprintf(stderr, "the one save gave other bytes than the separate writes\n");
        std::abort();
    }
    return 0;
}
