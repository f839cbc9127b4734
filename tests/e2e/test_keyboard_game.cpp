// SPDX-License-Identifier: GPL-3.0-or-later
#include "expected_files.h"
#include "pictures.h"
#include "whole_game_test.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <cstdlib>

using namespace zorvat;
using namespace zorvat::e2e;

namespace {

// Two right answers, then a wrong one: a score of 2 ties the fourth entry of a fresh table
// and goes in below it, at rank 5.
constexpr int CorrectAnswers = 2;
const QString PlayerName = QStringLiteral("Kbd");

QString digit(int kind)
{
    return QString::number(kind);
}

} // namespace

// A whole game played with the keyboard alone, under a real window manager: F2, Enter for
// "Open", the digits, the arrow keys and Space to rebuild, Enter for "OK"; then the end of
// the game, the records window and the way out, all by key.
class KeyboardGame : public WholeGameTest {
    Q_OBJECT

public:
    using WholeGameTest::WholeGameTest;

private Q_SLOTS:
    void theTitleScreenComesUpAndTakesTheKeyboard();
    void f2StartsAGameAndTheDigitsPickKindsWithNoCursorInSight();
    void patternsRebuiltWithDigitsArrowsAndSpaceScoreAPointEach();
    void aWrongKindEndsTheGameWithTheGameOverPicture();
    void escapeDeclinesTheRankingAndNoPageIsWritten();
    void theNewHighScoreTakesATypedNameAtRankFive();
    void altKOpensTheRecordsWindowBesideTheMainWindowAndEscapeClosesIt();
    void theGameMenuQuitsByKeyWithCodeZero();

private:
    bool press(const QString& keys) { return key(keys); }
    void moveCursorTo(int cell);
    void pressOpen() override;
    void pickKind(int kind) override;
    void toggleCell(int cell) override;
    void pressOk() override;
    void checkCorrectAnswerScreen() override;

    int m_cursor = 1; // where the game's cursor stands
    bool m_cursorShown = false;
};

// The first arrow key of a game brings the cursor into view where it stands; after that
// each key moves it a cell.
void KeyboardGame::moveCursorTo(int cell)
{
    if (!m_cursorShown) {
        QVERIFY2(cursorCell() == 0, "the cursor showed before the first arrow key of the game");
        QVERIFY2(press(QStringLiteral("Down")), qPrintable(m_desk.error()));
        m_cursorShown = true;
        AWAIT(cursorCell() == m_cursor, QStringLiteral("the cursor to show on cell %1").arg(m_cursor));
    }
    const int dx = (cell - 1) % 5 - (m_cursor - 1) % 5;
    const int dy = (cell - 1) / 5 - (m_cursor - 1) / 5;
    for (int i = 0; i < std::abs(dx); ++i)
        QVERIFY2(press(dx > 0 ? QStringLiteral("Right") : QStringLiteral("Left")), qPrintable(m_desk.error()));
    for (int i = 0; i < std::abs(dy); ++i)
        QVERIFY2(press(dy > 0 ? QStringLiteral("Down") : QStringLiteral("Up")), qPrintable(m_desk.error()));
    m_cursor = cell;
    AWAIT(cursorCell() == cell, QStringLiteral("the cursor on cell %1").arg(cell));
}

// "Open" and "OK" are never enabled together, so Enter stands for either.
void KeyboardGame::pressOpen()
{
    QVERIFY2(press(QStringLiteral("Return")), qPrintable(m_desk.error()));
}

void KeyboardGame::pickKind(int kind)
{
    QVERIFY2(press(digit(kind)), qPrintable(m_desk.error()));
}

void KeyboardGame::toggleCell(int cell)
{
    moveCursorTo(cell);
    if (QTest::currentTestFailed())
        return;
    QVERIFY2(press(QStringLiteral("space")), qPrintable(m_desk.error()));
}

void KeyboardGame::pressOk()
{
    QVERIFY2(press(QStringLiteral("Return")), qPrintable(m_desk.error()));
}

// The cursor stays where it was through the correct-answer screen.
void KeyboardGame::checkCorrectAnswerScreen()
{
    QCOMPARE(cursorCell(), m_cursor);
}

void KeyboardGame::theTitleScreenComesUpAndTakesTheKeyboard()
{
    awaitTheTitleScreen();
    if (QTest::currentTestFailed())
        return;
    // The window manager hands a new window the keyboard; nobody clicks into it.
    AWAIT(focusedOn(MainTitle), "the main window to take the keyboard");
    QCOMPARE(cursorCell(), 0);
    keep(QStringLiteral("title"));
}

void KeyboardGame::f2StartsAGameAndTheDigitsPickKindsWithNoCursorInSight()
{
    QVERIFY2(press(QStringLiteral("F2")), qPrintable(m_desk.error()));
    AWAIT(showsPanel(Panel::pn_sc, QStringLiteral("0点")), "the score panel reading 0点");
    AWAIT(selectedKind() == 1, "the red frame around the first kind alone");
    for (int kind : { 4, 2, 5, 1 }) {
        QVERIFY2(press(digit(kind)), qPrintable(m_desk.error()));
        AWAIT(selectedKind() == kind, QStringLiteral("the red frame around kind %1 alone").arg(kind));
    }
    const Grid empty {};
    AWAIT(gridShows(empty), "an empty green grid");
    QCOMPARE(cursorCell(), 0);
    keep(QStringLiteral("new-game"));
}

void KeyboardGame::patternsRebuiltWithDigitsArrowsAndSpaceScoreAPointEach()
{
    scorePoints(CorrectAnswers);
}

void KeyboardGame::aWrongKindEndsTheGameWithTheGameOverPicture()
{
    missTheNextQuestion(CorrectAnswers);
}

void KeyboardGame::escapeDeclinesTheRankingAndNoPageIsWritten()
{
    awaitTheRankingQuestion();
    if (QTest::currentTestFailed())
        return;
    QVERIFY2(press(QStringLiteral("Escape")), qPrintable(m_desk.error()));
    AWAIT(!m_desk.window(QuestionTitle).has_value(), "the ranking question to close on Escape");
    QVERIFY(!QFile::exists(QDir(m_game.workFolder()).filePath(QStringLiteral("intsc.htm"))));
    QVERIFY(m_game.openedDocuments().isEmpty());
}

void KeyboardGame::theNewHighScoreTakesATypedNameAtRankFive()
{
    AWAIT(m_desk.window(NamePromptTitle).has_value(), "the name prompt");
    QVERIFY2(takeFocus(NamePromptTitle), "the name prompt never took the keyboard");
    QVERIFY2(m_desk.type(PlayerName), qPrintable(m_desk.error()));
    QVERIFY2(press(QStringLiteral("Return")), qPrintable(m_desk.error()));
    AWAIT(!m_desk.window(NamePromptTitle).has_value(), "the name prompt to close on Enter");
    AWAIT(gridShowsPicture(Pictures::instance().im2), "the whole title picture in the grid again");
    QCOMPARE(selectedKind(), m_wrongKind);

    const Profile expected {
        { "hs_sc", { { "sc1", "5" }, { "sc2", "4" }, { "sc3", "3" }, { "sc4", "2" }, { "sc5", "2" } } },
        { "name",
            { { "name1", "Rv-nq1" }, { "name2", "Rv-nq2" }, { "name3", "Rv-nq3" }, { "name4", "Rv-nq4" },
                { "name5", PlayerName.toLatin1() } } },
        { "pass", { { "tp", "1" } } },
    };
    verifySettingsFile(expected);
}

void KeyboardGame::altKOpensTheRecordsWindowBesideTheMainWindowAndEscapeClosesIt()
{
    QVERIFY2(takeFocus(MainTitle), "the main window never took the keyboard back");
    QVERIFY2(press(QStringLiteral("alt+k")), qPrintable(m_desk.error()));
    std::optional<QRect> records;
    std::optional<QRect> main;
    AWAIT((records = m_desk.frame(RecordsTitle)) && (main = m_desk.frame(MainTitle))
            && records->topLeft() == QPoint(main->right() + 1, main->top()),
        "the records window's frame against the main window's right edge, tops level");
    shot();
    keep(QStringLiteral("records"));
    QVERIFY2(takeFocus(RecordsTitle), "the records window never took the keyboard");
    QVERIFY2(press(QStringLiteral("Escape")), qPrintable(m_desk.error()));
    AWAIT(!m_desk.window(RecordsTitle).has_value(), "the records window to close on Escape");
}

void KeyboardGame::theGameMenuQuitsByKeyWithCodeZero()
{
    QVERIFY2(takeFocus(MainTitle), "the main window never took the keyboard back");
    // Alt+G opens the game menu on "開始"; one step down is "終了".
    const QRect gameMenu = m_look.menuEntry(QStringLiteral("G1")).translated(m_main.topLeft());
    const QRect exitEntry = m_look.exitEntry().translated(gameMenu.bottomLeft() + QPoint(0, 1));
    const QImage closed = shot().copy(exitEntry);
    QVERIFY2(press(QStringLiteral("alt+g")), qPrintable(m_desk.error()));
    AWAIT(shot().copy(exitEntry) != closed, "the game menu to open");
    QVERIFY2(press(QStringLiteral("Down")), qPrintable(m_desk.error()));
    QVERIFY2(press(QStringLiteral("Return")), qPrintable(m_desk.error()));
    int exitCode = -1;
    QVERIFY2(m_game.waitForExit(ScreenMs, exitCode), "終了 did not end the game");
    QCOMPARE(exitCode, 0);
}

int main(int argc, char* argv[])
{
    const QString artefacts = QStringLiteral(ZORVAT_E2E_ARTEFACTS);
    return runOnPrivateDisplay(argc, argv, artefacts, WindowManagement::Openbox,
        [&artefacts] { return std::make_unique<KeyboardGame>(artefacts); });
}

#include "test_keyboard_game.moc"
