// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "check_code.h"
#include "entry.h"
#include "form_decoder.h"

#include <cstdint>

namespace zorvat::rank {

inline constexpr std::size_t MaxNameLength = 20;
inline constexpr std::size_t MaxCommentLength = 60;

/** The entry that the fields of a ranking page post describe; throws Refusal (400) with the reason
    when a field is missing or wrong, or the check code made with `check` does not belong to the score. */
Submission submissionFrom(
    const FormFields& fields, InternetRank::CheckNumbers check = InternetRank::builtInCheckNumbers());

/** Whether code point `cp` is a control character or turns the text's direction around: refused in
    a player's texts, escaped where the host's tools print stored ones. */
bool isControlCharacter(std::uint32_t cp);

} // namespace zorvat::rank
