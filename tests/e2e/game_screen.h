// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "language_choice.h"

#include <QSize>
#include <QString>
#include <QtTest>

namespace zorvat::e2e {

// Generous, for a busy two-core machine: a wait ends as soon as the screen is right.
constexpr int StartUpMs = 60000;
constexpr int ScreenMs = 15000;

// The private display, and the main window's client area on it.
constexpr QSize ScreenSize(800, 600);
constexpr int ClientHeight = 277;

// The language the game is started in: the test's own environment is the game's.
inline const bool InEnglish = chooseLanguage() == Language::English;

// The game's windows, by their titles.
inline const QString MainTitle = QStringLiteral("^Zorvat Ver1\\.00$");
inline const QString ErrorBoxTitle = QStringLiteral("^Zorvat$");
inline const QString QuestionTitle = InEnglish ? QStringLiteral("^Confirm$") : QStringLiteral("^確認$");
inline const QString NamePromptTitle
    = InEnglish ? QStringLiteral("^New High Score$") : QStringLiteral("^ベストタイム更新$");
inline const QString RecordsTitle = InEnglish ? QStringLiteral("^Top 5$") : QStringLiteral("^記録$");

/** The question panel's caption for question `n`, and the score panel's at the start of a game. */
inline QString questionCaption(int n)
{
    return (InEnglish ? QStringLiteral("Q. %1") : QStringLiteral("%1問目")).arg(n);
}
inline const QString NoPointsCaption = InEnglish ? QStringLiteral("0 pts") : QStringLiteral("0点");

} // namespace zorvat::e2e

// Waits, polling, for a state of the screen or of the files, and names it if it never comes.
#define AWAIT(condition, what)                                                                                         \
    QTRY_VERIFY2_WITH_TIMEOUT(condition, qPrintable(QStringLiteral("waited in vain for ") + (what)), ScreenMs)
