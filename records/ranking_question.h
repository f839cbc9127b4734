// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace zorvat {

// Asks the player, at the end of a game, whether to send the score to the internet ranking.
class RankingQuestion {
public:
    virtual ~RankingQuestion() = default;
    /** Shows `message` in a modal Yes/No box; true when the player chose "はい(&Y)". */
    virtual bool ask(const std::string& message) = 0;
};

} // namespace zorvat
