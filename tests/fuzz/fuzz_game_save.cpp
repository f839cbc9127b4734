// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as the settings file and any table: the game's save, its eleven writes made to the
// file's text in memory and the file replaced once, must give exactly the bytes of the eleven
// writes made to the file one by one, and must refuse what they refuse.
//
// Input: the table's scores, names and count from the end, the file's bytes from the front.

#include "error.h"
#include "high_scores.h"
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

template <typename Save> bool refuses(Save&& save)
{
    try {
        save();
    } catch (const zorvat::Error&) {
        return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider fdp(data, size);
    zorvat::HighScores table;
    for (int rank = 1; rank <= 5; ++rank) {
        table.HiScore[rank] = fdp.ConsumeIntegral<std::int32_t>();
        table.HiName[rank] = fdp.ConsumeBool()
            ? NameWords[fdp.ConsumeIntegralInRange<std::size_t>(0, NameWords.size() - 1)]
            : fdp.ConsumeRandomLengthString(24);
    }
    table.PlayCount = fdp.ConsumeIntegral<std::int32_t>();
    const std::string file = fdp.ConsumeRemainingBytesAsString();
    putWorkFile(file);

    zorvat::TIniFile separate(workFile());
    const bool separateRefused = refuses([&] { table.save(separate); });
    zorvat::IniText once(file, "Zorvat.ini");
    const bool onceRefused = refuses([&] { table.save(once); });
    if (onceRefused != separateRefused) {
        std::fprintf(stderr, "the one save %s what the eleven writes %s\n", onceRefused ? "refused" : "took",
            separateRefused ? "refused" : "took");
        std::abort();
    }
    if (!onceRefused && once.bytes() != workFileBytes()) {
        std::fprintf(stderr, "the one save gave other bytes than the eleven writes\n");
        std::abort();
    }
    return 0;
}
