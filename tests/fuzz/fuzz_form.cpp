// SPDX-License-Identifier: GPL-3.0-or-later
// The ranking server's reading of a posted form: any body, read as code page 932 and as UTF-8, must
// either be refused or give fields of well-formed UTF-8 that the entry rules then judge.
#include "entry_rules.h"
#include "form_decoder.h"
#include "refusal.h"
#include "text_codec.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    for (const auto charset : { zorvat::rank::FormCharset::Cp932, zorvat::rank::FormCharset::Utf8 }) {
        try {
            const zorvat::rank::FormFields fields = zorvat::rank::decodeForm(body, charset);
            for (const auto& [name, value] : fields) {
                if (!zorvat::isValidUtf8(name) || !zorvat::isValidUtf8(value))
                    std::abort();
            }
            const zorvat::rank::Submission entry = zorvat::rank::submissionFrom(fields);
            if (entry.score < 0 || entry.play < 0 || entry.name.empty() || !zorvat::isValidUtf8(entry.name))
                std::abort();
        } catch (const zorvat::rank::Refusal& refusal) {
            if (refusal.status() != 400)
                std::abort();
        }
    }
    return 0;
}
