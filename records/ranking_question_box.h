// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ranking_question.h"

namespace zorvat {

// The question as the desktop's confirmation box "確認", centred on the screen, with "はい(&Y)"
// left of "いいえ(&N)" on every desktop; Enter answers "はい(&Y)", Esc and the close box "いいえ(&N)".
class RankingQuestionBox : public RankingQuestion {
public:
    bool ask(const std::string& message) override;
};

} // namespace zorvat
