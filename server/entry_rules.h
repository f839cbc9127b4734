// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "entry.h"
#include "form_decoder.h"

namespace zorvat::rank {

inline constexpr std::size_t MaxNameLength = 20;
inline constexpr std::size_t MaxCommentLength = 60;

/** The entry that the fields of a ranking page post describe; throws Refusal (400) with the reason
    when a field is missing or wrong, or the check code does not belong to the score. */
Submission submissionFrom(const FormFields& fields);

} // namespace zorvat::rank
