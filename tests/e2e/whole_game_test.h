// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "expected_files.h"
#include "screen_test.h"

namespace zorvat::e2e {

// A whole game played from the title screen to the settings file, question by question; the
// test says how it works the controls, with the mouse or with the keyboard alone.
class WholeGameTest : public ScreenTest {
    Q_OBJECT

public:
    using ScreenTest::ScreenTest;

protected:
    /** Opens the next question, reads the pattern while it shows, waits for the hide, rebuilds
        it (rightly, or each tile with the next kind) and presses "OK", all through this test's
        own way of working the controls. */
    void playQuestion(int question, bool answerRightly);
    /** Answers `count` questions rightly, each scoring its point with the correct-answer picture. */
    void scorePoints(int count);
    /** Answers the next question with a wrong kind: the game-over picture, and `score` stays. */
    void missTheNextQuestion(int score);
    /** Waits for the ranking question to come up and take the keyboard. */
    void awaitTheRankingQuestion();
    /** Compares the settings file as the game left it with `expected`. */
    void verifySettingsFile(const Profile& expected);

    // How the test works the game: with the mouse or with the keyboard.
    virtual void pressOpen() = 0;
    virtual void pickKind(int kind) = 0;
    virtual void toggleCell(int cell) = 0;
    virtual void pressOk() = 0;
    /** What the test checks of each correct-answer screen besides the score and the picture. */
    virtual void checkCorrectAnswerScreen() { }

    int m_wrongKind = 0; // the kind the wrong answer put down, selected when the game ends
};

} // namespace zorvat::e2e
