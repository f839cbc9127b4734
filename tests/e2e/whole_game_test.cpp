// SPDX-License-Identifier: GPL-3.0-or-later
#include "whole_game_test.h"

#include "pictures.h"

#include <QFile>

#include <map>
#include <vector>

namespace zorvat::e2e {

void WholeGameTest::playQuestion(int question, bool answerRightly)
{
    pressOpen();
    Grid dealt {};
    awaitDealAndHide(question, dealt);
    if (QTest::currentTestFailed())
        return;

    Grid answer {};
    std::map<int, std::vector<int>> cellsOfKind;
    for (int cell = 1; cell <= 25; ++cell) {
        if (dealt[cell] == 0)
            continue;
        const int kind = answerRightly ? dealt[cell] : dealt[cell] % 5 + 1;
        if (!answerRightly)
            m_wrongKind = kind;
        answer[cell] = kind;
        cellsOfKind[kind].push_back(cell);
    }
    for (const auto& [kind, cells] : cellsOfKind) {
        pickKind(kind);
        // A cell toggled before the selection has finished would get the previous kind.
        AWAIT(selectedKind() == kind, QStringLiteral("the red frame around kind %1 alone").arg(kind));
        for (int cell : cells) {
            toggleCell(cell);
            if (QTest::currentTestFailed())
                return;
        }
    }
    Grid seen {};
    AWAIT((seen = m_reader.grid(shot(), m_client)) == answer,
        QStringLiteral("the rebuilt grid reading %1; it read %2").arg(describe(answer), describe(seen)));
    keep(QStringLiteral("question-%1-answered").arg(question));
    pressOk();
}

void WholeGameTest::scorePoints(int count)
{
    for (int question = 1; question <= count; ++question) {
        playQuestion(question, true);
        if (QTest::currentTestFailed())
            return;
        AWAIT(showsPanel(Panel::pn_sc, QString::number(question)),
            QStringLiteral("the score panel reading %1").arg(question));
        AWAIT(gridShowsPicture(Pictures::instance().im3), "the whole correct-answer picture in the grid");
        checkCorrectAnswerScreen();
        if (QTest::currentTestFailed())
            return;
        keep(QStringLiteral("question-%1-correct").arg(question));
    }
}

void WholeGameTest::missTheNextQuestion(int score)
{
    playQuestion(score + 1, false);
    if (QTest::currentTestFailed())
        return;
    AWAIT(gridShowsPicture(Pictures::instance().im_over), "the whole game-over picture in the grid");
    keep(QStringLiteral("game-over"));
    QVERIFY2(showsPanel(Panel::pn_sc, QString::number(score)), "a wrong answer changed the score panel");
}

void WholeGameTest::awaitTheRankingQuestion()
{
    AWAIT(m_desk.window(QuestionTitle).has_value(), "the ranking question");
    QVERIFY2(takeFocus(QuestionTitle), "the ranking question never took the keyboard");
    shot();
    keep(QStringLiteral("ranking-question"));
}

void WholeGameTest::verifySettingsFile(const Profile& expected)
{
    QFile file(m_game.settingsFile());
    QVERIFY2(file.open(QIODevice::ReadOnly), "no settings file after the game");
    const QByteArray bytes = file.readAll();
    QString why;
    const auto profile = readProfile(bytes, why);
    QVERIFY2(profile, qPrintable(why));
    QVERIFY2(
        *profile == expected, qPrintable(QStringLiteral("the settings file reads:\n") + QString::fromLatin1(bytes)));
}

} // namespace zorvat::e2e
