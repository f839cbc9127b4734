// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace zorvat {

/** The modal Yes/No box of the end of a game, centred on the screen; true for "はい(&Y)". */
bool askRankingQuestion(const QString& message);

} // namespace zorvat
