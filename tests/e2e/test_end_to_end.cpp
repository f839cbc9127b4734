// SPDX-License-Identifier: GPL-3.0-or-later
#include "expected_files.h"
#include "pictures.h"
#include "whole_game_test.h"

#include <QDir>
#include <QFile>
#include <QUrl>
#include <QtTest>

using namespace zorvat;
using namespace zorvat::e2e;

namespace {

// Five right answers, then a wrong one: a score of 5 ties the top entry of a fresh table,
// so it must go in below it, at rank 2.
constexpr int CorrectAnswers = 5;
const QString PlayerName = QStringLiteral("テスト太郎");
const QByteArray PlayerNameCp932 = QByteArray::fromHex("83658358836791be9859");

} // namespace

// A whole game played with the mouse, on a display without a window manager.
class EndToEnd : public WholeGameTest {
    Q_OBJECT

public:
    using WholeGameTest::WholeGameTest;

private Q_SLOTS:
    void theTitleScreenComesUpCentredOnceTheSoundWarningIsDismissed();
    void f2StartsAGameWithZeroPointsAndTheFirstKindSelected();
    void dealtPatternsReadOffTheScreenAndRebuiltScoreAPointEach();
    void aWrongKindEndsTheGameWithTheGameOverPicture();
    void agreeingToTheRankingWritesThePageAndHandsItToTheBrowser();
    void theTiedHighScoreAsksForANameAndIsSavedAtRankTwo();
    void theRecordsWindowShowsTheNewTableBesideTheMainWindow();
    void quittingFromTheGameMenuEndsTheProgramWithCodeZero();

private:
    void pressOpen() override;
    void pickKind(int kind) override;
    void toggleCell(int cell) override;
    void pressOk() override;
};

void EndToEnd::theTitleScreenComesUpCentredOnceTheSoundWarningIsDismissed()
{
    awaitTheTitleScreen();
    if (QTest::currentTestFailed())
        return;
    // No window manager draws a frame here, so the outer size is the window's own.
    QCOMPARE(m_main.topLeft(),
        QPoint((ScreenSize.width() - m_main.width()) / 2, (ScreenSize.height() - m_main.height()) / 2));
    keep(QStringLiteral("title"));
}

void EndToEnd::f2StartsAGameWithZeroPointsAndTheFirstKindSelected()
{
    // The keys go to the window a person last clicked.
    QVERIFY2(click(place::idleSpot), qPrintable(m_desk.error()));
    QVERIFY2(takeFocus(MainTitle), "the main window never took the keyboard");
    QVERIFY2(m_desk.key(QStringLiteral("F2")), qPrintable(m_desk.error()));

    AWAIT(showsPanel(Panel::pn_sc, NoPointsCaption), "the score panel reading " + NoPointsCaption);
    QVERIFY2(showsPanel(Panel::pn_mon, questionCaption(1)), "the question panel changed before the first Open");
    AWAIT(selectedKind() == 1, "the red frame around the first kind alone");
    const Grid empty {};
    AWAIT(gridShows(empty), "an empty green grid");
    keep(QStringLiteral("new-game"));
}

void EndToEnd::pressOpen()
{
    QVERIFY2(click(place::Button1.center()), qPrintable(m_desk.error()));
}

void EndToEnd::pickKind(int kind)
{
    QVERIFY2(click(place::paletteBox(kind).center()), qPrintable(m_desk.error()));
}

void EndToEnd::toggleCell(int cell)
{
    QVERIFY2(click(place::cellBox(cell).center()), qPrintable(m_desk.error()));
}

void EndToEnd::pressOk()
{
    QVERIFY2(click(place::Button2.center()), qPrintable(m_desk.error()));
}

void EndToEnd::dealtPatternsReadOffTheScreenAndRebuiltScoreAPointEach()
{
    scorePoints(CorrectAnswers);
}

void EndToEnd::aWrongKindEndsTheGameWithTheGameOverPicture()
{
    missTheNextQuestion(CorrectAnswers);
}

void EndToEnd::agreeingToTheRankingWritesThePageAndHandsItToTheBrowser()
{
    awaitTheRankingQuestion();
    if (QTest::currentTestFailed())
        return;
    QVERIFY2(m_desk.key(QStringLiteral("alt+y")), qPrintable(m_desk.error()));
    AWAIT(!m_desk.window(QuestionTitle).has_value(), "the ranking question to close on はい(&Y)");

    const QString page = QDir(m_game.workFolder()).filePath(QStringLiteral("intsc.htm"));
    AWAIT(!m_game.openedDocuments().isEmpty(), "the ranking page to be handed to the browser");
    const QByteArray opened = m_game.openedDocuments().split('\n').first();
    QCOMPARE(QFileInfo(QUrl(QString::fromUtf8(opened)).toLocalFile()).canonicalFilePath(),
        QFileInfo(page).canonicalFilePath());

    // The first game ever: the page carries the count of the games before this one, 0.
    QFile file(page);
    QVERIFY2(file.open(QIODevice::ReadOnly), "no ranking page in the folder the game was started from");
    const QByteArray written = file.readAll();
    const QByteArray expected = expectedRankPage(CorrectAnswers, 0,
        CorrectAnswers * ZORVAT_E2E_CHECK_MULTIPLIER + ZORVAT_E2E_CHECK_OFFSET, QByteArrayLiteral(ZORVAT_E2E_RANK_URL));
    QVERIFY(!expected.isEmpty());
    const QList<QByteArray> writtenLines = written.split('\n');
    const QList<QByteArray> expectedLines = expected.split('\n');
    for (qsizetype i = 0; i < std::min(writtenLines.size(), expectedLines.size()); ++i) {
        QVERIFY2(writtenLines[i] == expectedLines[i],
            qPrintable(QStringLiteral("line %1 of the ranking page differs: %2")
                           .arg(i + 1)
                           .arg(QString::fromLatin1(writtenLines[i].toHex(' ')))));
    }
    QCOMPARE(written.size(), expected.size());
    QVERIFY(written == expected);
    // Written whole, with nothing left beside it.
    QCOMPARE(QDir(m_game.workFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList { QStringLiteral("intsc.htm") });
}

void EndToEnd::theTiedHighScoreAsksForANameAndIsSavedAtRankTwo()
{
    AWAIT(m_desk.window(NamePromptTitle).has_value(), "the name prompt");
    QVERIFY2(!QFile::exists(m_game.settingsFile()), "the settings file was written before the name was given");
    QVERIFY2(takeFocus(NamePromptTitle), "the name prompt never took the keyboard");
    QVERIFY2(m_desk.type(PlayerName), qPrintable(m_desk.error()));
    shot();
    keep(QStringLiteral("name-typed"));
    QVERIFY2(m_desk.key(QStringLiteral("Return")), qPrintable(m_desk.error()));
    AWAIT(!m_desk.window(NamePromptTitle).has_value(), "the name prompt to close on Enter");

    // Back on the title screen, which keeps the frame of the kind selected last.
    AWAIT(gridShowsPicture(Pictures::instance().im2), "the whole title picture in the grid again");
    QCOMPARE(selectedKind(), m_wrongKind);
    keep(QStringLiteral("title-again"));

    const Profile expected {
        { "hs_sc", { { "sc1", "5" }, { "sc2", "5" }, { "sc3", "4" }, { "sc4", "3" }, { "sc5", "2" } } },
        { "name",
            { { "name1", "Rv-nq1" }, { "name2", PlayerNameCp932 }, { "name3", "Rv-nq2" }, { "name4", "Rv-nq3" },
                { "name5", "Rv-nq4" } } },
        { "pass", { { "tp", "1" } } },
    };
    verifySettingsFile(expected);
}

void EndToEnd::theRecordsWindowShowsTheNewTableBesideTheMainWindow()
{
    QVERIFY2(
        m_desk.click(m_main.topLeft() + m_look.menuEntry(QStringLiteral("K1")).center()), qPrintable(m_desk.error()));
    std::optional<QRect> records;
    AWAIT((records = m_desk.window(RecordsTitle)).has_value(), "the records window");
    QCOMPARE(records->topLeft(), QPoint(m_main.right() + 1, m_main.top()));
    QCOMPARE(records->size(), QSize(144, 200));

    const QImage look = m_look.records({ QStringLiteral("0005"), QStringLiteral("0005"), QStringLiteral("0004"),
                                           QStringLiteral("0003"), QStringLiteral("0002") },
        { QStringLiteral("Rv-nq1"), PlayerName, QStringLiteral("Rv-nq2"), QStringLiteral("Rv-nq3"),
            QStringLiteral("Rv-nq4") },
        QStringLiteral("1"));
    // Everything but the "OK" button, whose look follows the focus and the pointer.
    const QRect table(0, 0, 144, 166);
    const QRect count(0, 166, 95, 34);
    AWAIT(showsAt(records->topLeft() + table.topLeft(), look.copy(table), QStringLiteral("records-table"))
            && showsAt(records->topLeft() + count.topLeft(), look.copy(count), QStringLiteral("records-count")),
        "the records window showing 5, 5 テスト太郎, 4, 3, 2 and one game");
    keep(QStringLiteral("records"));

    QVERIFY2(m_desk.click(records->topLeft() + QRect(96, 168, 43, 27).center()), qPrintable(m_desk.error()));
    AWAIT(!m_desk.window(RecordsTitle).has_value(), "the records window to close on OK");
}

void EndToEnd::quittingFromTheGameMenuEndsTheProgramWithCodeZero()
{
    const QRect gameMenu = m_look.menuEntry(QStringLiteral("G1")).translated(m_main.topLeft());
    const QRect exitEntry = m_look.exitEntry().translated(gameMenu.bottomLeft() + QPoint(0, 1));
    const QImage before = shot().copy(exitEntry);
    QVERIFY2(m_desk.click(gameMenu.center()), qPrintable(m_desk.error()));
    AWAIT(shot().copy(exitEntry) != before, "the game menu to open");
    keep(QStringLiteral("game-menu"));
    QVERIFY2(m_desk.click(exitEntry.center()), qPrintable(m_desk.error()));
    int exitCode = -1;
    QVERIFY2(m_game.waitForExit(ScreenMs, exitCode), "終了 did not end the game");
    QCOMPARE(exitCode, 0);
}

int main(int argc, char* argv[])
{
    // The English run keeps its screens apart from the Japanese one's, which may run beside it.
    const QString artefacts = QStringLiteral(ZORVAT_E2E_ARTEFACTS) + (InEnglish ? QStringLiteral("_en") : QString());
    return runOnPrivateDisplay(
        argc, argv, artefacts, WindowManagement::None, [&artefacts] { return std::make_unique<EndToEnd>(artefacts); });
}

#include "test_end_to_end.moc"
