// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop.h"
#include "expected_files.h"
#include "game_run.h"
#include "game_screen.h"
#include "pictures.h"
#include "private_display.h"
#include "reference_look.h"
#include "screen_reading.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QUrl>
#include <QtTest>

#include <cstdio>
#include <map>
#include <vector>

using namespace zorvat;
using namespace zorvat::e2e;

namespace {

// Five right answers, then a wrong one: a score of 5 ties the top entry of a fresh table,
// so it must go in below it, at rank 2.
constexpr int CorrectAnswers = 5;
const QString PlayerName = QStringLiteral("テスト太郎");
const QByteArray PlayerNameCp932 = QByteArray::fromHex("83658358836791be9859");

struct Deal {
    int tiles;
    int kinds;
};

// The first 24 questions: one to five tiles of one kind, then of two kinds, and so on.
Deal dealOf(int question)
{
    return { (question - 1) % 5 + 1, (question - 1) / 5 + 1 };
}

QString describe(const Grid& grid)
{
    QString text;
    for (int cell = 1; cell <= 25; ++cell)
        text += (grid[cell] == Unreadable ? QStringLiteral("?") : QString::number(grid[cell]))
            + (cell % 5 == 0 ? QStringLiteral(" ") : QString());
    return text.trimmed();
}

} // namespace

// Waits, polling, for a state of the screen or of the files, and names it if it never comes.
#define AWAIT(condition, what)                                                                                         \
    QTRY_VERIFY2_WITH_TIMEOUT(condition, qPrintable(QStringLiteral("waited in vain for ") + (what)), ScreenMs)

class EndToEnd : public QObject {
    Q_OBJECT

public:
    explicit EndToEnd(QString artefacts)
        : m_artefacts(std::move(artefacts))
        , m_reader(Pictures::instance())
    {
    }

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void theTitleScreenComesUpCentredOnceTheSoundWarningIsDismissed();
    void f2StartsAGameWithZeroPointsAndTheFirstKindSelected();
    void dealtPatternsReadOffTheScreenAndRebuiltScoreAPointEach();
    void aWrongKindEndsTheGameWithTheGameOverPicture();
    void agreeingToTheRankingWritesThePageAndHandsItToTheBrowser();
    void theTiedHighScoreAsksForANameAndIsSavedAtRankTwo();
    void theRecordsWindowShowsTheNewTableBesideTheMainWindow();
    void quittingFromTheGameMenuEndsTheProgramWithCodeZero();

private:
    QImage shot() { return m_desk.shot(); }
    void keep(const QString& name);
    bool click(QPoint inClient) { return m_desk.click(m_client + inClient); }
    bool focusedOn(const QString& titlePattern);
    bool takeFocus(const QString& titlePattern);
    bool showsAt(QPoint at, const QImage& expected, const QString& name);
    bool showsPanel(Panel which, const QString& caption);
    bool readDeal(Deal deal, Grid& dealt);
    bool gridShows(const Grid& expected) { return m_reader.grid(shot(), m_client) == expected; }
    bool gridShowsPicture(const QImage& picture) { return m_reader.showsWholePicture(shot(), m_client, picture); }
    int selectedKind() { return m_reader.selectedKind(shot(), m_client); }
    void playQuestion(int question, bool answerRightly);

    // The last picture the screen failed to show, kept for the report of a failure.
    struct Mismatch {
        QPoint at;
        QImage expected;
        QString name;
    };

    const QString m_artefacts;
    ScreenReader m_reader;
    ReferenceLook m_look;
    Desktop m_desk;
    GameRun m_game;
    QRect m_main;
    QPoint m_client;
    int m_kept = 0;
    int m_wrongKind = 0;
    bool m_failed = false;
    QHash<QString, QImage> m_panels;
    Mismatch m_mismatch;
};

void EndToEnd::keep(const QString& name)
{
    const QString file = QStringLiteral("%1-%2.png").arg(++m_kept, 2, 10, QChar('0')).arg(name);
    m_desk.lastShot().save(QDir(m_artefacts).filePath(file));
}

bool EndToEnd::focusedOn(const QString& titlePattern)
{
    return QRegularExpression(titlePattern).match(m_desk.focusedTitle()).hasMatch();
}

// A window that comes up usually takes the keyboard at once; if it does not, a person
// clicks into it, here on its empty margin.
bool EndToEnd::takeFocus(const QString& titlePattern)
{
    const QDeadlineTimer deadline(ScreenMs);
    QElapsedTimer sinceClick;
    sinceClick.start();
    while (!focusedOn(titlePattern)) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(100);
        if (sinceClick.elapsed() > 2000) {
            if (const auto window = m_desk.window(titlePattern))
                m_desk.click(window->topLeft() + QPoint(3, 3));
            sinceClick.restart();
        }
    }
    return true;
}

bool EndToEnd::showsAt(QPoint at, const QImage& expected, const QString& name)
{
    const bool shows = showsImage(shot(), at, expected);
    m_mismatch = shows ? Mismatch() : Mismatch { at, expected, name };
    return shows;
}

bool EndToEnd::showsPanel(Panel which, const QString& caption)
{
    const QString key = QString::number(int(which)) + caption;
    if (!m_panels.contains(key))
        m_panels.insert(key, m_look.panel(which, caption));
    const QRect at = which == Panel::pn_mon ? place::pn_mon : place::pn_sc;
    return showsAt(m_client + at.topLeft(), m_panels.value(key), QStringLiteral("panel-") + caption);
}

bool EndToEnd::readDeal(Deal deal, Grid& dealt)
{
    dealt = m_reader.grid(shot(), m_client);
    int tiles = 0;
    for (int cell = 1; cell <= 25; ++cell) {
        if (dealt[cell] == Unreadable || dealt[cell] > deal.kinds)
            return false;
        tiles += dealt[cell] != 0;
    }
    return tiles == deal.tiles;
}

void EndToEnd::initTestCase()
{
    m_failed = true;
    QVERIFY2(
        m_game.start(QStringLiteral(ZORVAT_E2E_GAME), qEnvironmentVariable("DISPLAY")), qPrintable(m_game.error()));
    m_failed = false;
}

void EndToEnd::init()
{
    // Each step plays on from where the one before left the game.
    if (m_failed)
        QSKIP("an earlier step of the game failed");
    QVERIFY2(m_game.running(), "the game is no longer running");
}

void EndToEnd::cleanup()
{
    if (!QTest::currentTestFailed())
        return;
    m_failed = true;
    shot();
    const QString step = QString::fromLatin1(QTest::currentTestFunction());
    keep(QStringLiteral("failed-in-") + step);
    if (!m_mismatch.expected.isNull())
        sideBySide(m_desk.lastShot(), m_mismatch.at, m_mismatch.expected)
            .save(QDir(m_artefacts).filePath(QStringLiteral("expected-and-seen-%1.png").arg(m_mismatch.name)));
}

void EndToEnd::cleanupTestCase()
{
    m_game.kill();
    // ZORVAT_E2E_KEEP_SCREENS keeps them after a passing run too, for a look at what the test saw.
    if (!m_failed && qEnvironmentVariableIsEmpty("ZORVAT_E2E_KEEP_SCREENS")) {
        QDir(m_artefacts).removeRecursively();
        return;
    }
    QFile log(QDir(m_artefacts).filePath(QStringLiteral("game-output.txt")));
    if (log.open(QIODevice::WriteOnly))
        log.write(m_game.output());
    QFile::copy(m_game.settingsFile(), QDir(m_artefacts).filePath(QStringLiteral("Zorvat.ini")));
    QFile::copy(QDir(m_game.workFolder()).filePath(QStringLiteral("intsc.htm")),
        QDir(m_artefacts).filePath(QStringLiteral("intsc.htm")));
    std::fprintf(stderr, "End-to-end screenshots and files are in %s\n", qPrintable(m_artefacts));
}

void EndToEnd::theTitleScreenComesUpCentredOnceTheSoundWarningIsDismissed()
{
    // Without a sound device the game says so once, in a box captioned "Zorvat", before
    // its window shows; a person reads it and presses Enter.
    const QDeadlineTimer deadline(StartUpMs);
    QElapsedTimer sinceEnter;
    std::optional<QRect> main;
    while (!(main = m_desk.window(MainTitle)) && !deadline.hasExpired()) {
        QVERIFY2(m_game.running(), "the game ended while starting");
        const bool warningUp = m_desk.window(ErrorBoxTitle).has_value();
        // Enter once, and again only if the box is still there a while later.
        if (warningUp && (!sinceEnter.isValid() || sinceEnter.elapsed() > 3000)) {
            QVERIFY2(takeFocus(ErrorBoxTitle), "the sound warning never took the keyboard");
            shot();
            keep(QStringLiteral("sound-warning"));
            QVERIFY2(m_desk.key(QStringLiteral("Return")), qPrintable(m_desk.error()));
            sinceEnter.start();
        }
        QTest::qWait(200);
    }
    QVERIFY2(main, "the main window did not show");
    m_main = *main;
    m_client = QPoint(m_main.left(), m_main.bottom() + 1 - ClientHeight);
    QCOMPARE(m_main.width(), 415);
    QCOMPARE(m_main.height(), ClientHeight + m_look.menuBarHeight());
    // No window manager draws a frame here, so the outer size is the window's own.
    QCOMPARE(m_main.topLeft(),
        QPoint((ScreenSize.width() - m_main.width()) / 2, (ScreenSize.height() - m_main.height()) / 2));

    AWAIT(showsPanel(Panel::pn_mon, QStringLiteral("1問目")), "the question panel reading 1問目");
    QVERIFY2(showsPanel(Panel::pn_sc, QStringLiteral("0000")), "the score panel should read 0000");
    QCOMPARE(selectedKind(), 0);
    AWAIT(gridShowsPicture(Pictures::instance().im2), "the whole title picture in the grid");
    keep(QStringLiteral("title"));
}

void EndToEnd::f2StartsAGameWithZeroPointsAndTheFirstKindSelected()
{
    // The keys go to the window a person last clicked.
    QVERIFY2(click(place::idleSpot), qPrintable(m_desk.error()));
    QVERIFY2(takeFocus(MainTitle), "the main window never took the keyboard");
    QVERIFY2(m_desk.key(QStringLiteral("F2")), qPrintable(m_desk.error()));

    AWAIT(showsPanel(Panel::pn_sc, QStringLiteral("0点")), "the score panel reading 0点");
    QVERIFY2(showsPanel(Panel::pn_mon, QStringLiteral("1問目")), "the question panel changed before the first Open");
    AWAIT(selectedKind() == 1, "the red frame around the first kind alone");
    const Grid empty {};
    AWAIT(gridShows(empty), "an empty green grid");
    keep(QStringLiteral("new-game"));
}

// Opens the next question, reads the pattern while it shows, waits for the hide, and
// rebuilds it through the palette and the cells, rightly or with a wrong kind; then "OK".
void EndToEnd::playQuestion(int question, bool answerRightly)
{
    const Deal deal = dealOf(question);
    QVERIFY2(click(place::Button1.center()), qPrintable(m_desk.error()));
    AWAIT(showsPanel(Panel::pn_mon, QStringLiteral("%1問目").arg(question)),
        QStringLiteral("the question panel reading %1問目").arg(question));

    Grid dealt {};
    AWAIT(readDeal(deal, dealt),
        QStringLiteral("question %1 showing %2 tiles of kinds up to %3; the grid read %4")
            .arg(question)
            .arg(deal.tiles)
            .arg(deal.kinds)
            .arg(describe(dealt)));
    keep(QStringLiteral("question-%1-dealt").arg(question));
    const Grid hidden {};
    AWAIT(gridShows(hidden), QStringLiteral("the pattern of question %1 to be hidden").arg(question));

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
        QVERIFY2(click(place::paletteBox(kind).center()), qPrintable(m_desk.error()));
        // A cell clicked before the selection has finished would get the previous kind.
        AWAIT(selectedKind() == kind, QStringLiteral("the red frame around kind %1 alone").arg(kind));
        for (int cell : cells)
            QVERIFY2(click(place::cellBox(cell).center()), qPrintable(m_desk.error()));
    }
    Grid seen {};
    AWAIT((seen = m_reader.grid(shot(), m_client)) == answer,
        QStringLiteral("the rebuilt grid reading %1; it read %2").arg(describe(answer), describe(seen)));
    keep(QStringLiteral("question-%1-answered").arg(question));
    QVERIFY2(click(place::Button2.center()), qPrintable(m_desk.error()));
}

void EndToEnd::dealtPatternsReadOffTheScreenAndRebuiltScoreAPointEach()
{
    for (int question = 1; question <= CorrectAnswers; ++question) {
        playQuestion(question, true);
        if (QTest::currentTestFailed())
            return;
        AWAIT(showsPanel(Panel::pn_sc, QString::number(question)),
            QStringLiteral("the score panel reading %1").arg(question));
        AWAIT(gridShowsPicture(Pictures::instance().im3), "the whole correct-answer picture in the grid");
        keep(QStringLiteral("question-%1-correct").arg(question));
    }
}

void EndToEnd::aWrongKindEndsTheGameWithTheGameOverPicture()
{
    playQuestion(CorrectAnswers + 1, false);
    if (QTest::currentTestFailed())
        return;
    AWAIT(gridShowsPicture(Pictures::instance().im_over), "the whole game-over picture in the grid");
    keep(QStringLiteral("game-over"));
    QVERIFY2(showsPanel(Panel::pn_sc, QString::number(CorrectAnswers)), "a wrong answer changed the score panel");
}

void EndToEnd::agreeingToTheRankingWritesThePageAndHandsItToTheBrowser()
{
    AWAIT(m_desk.window(QuestionTitle).has_value(), "the ranking question");
    QVERIFY2(takeFocus(QuestionTitle), "the ranking question never took the keyboard");
    shot();
    keep(QStringLiteral("ranking-question"));
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

    QFile file(m_game.settingsFile());
    QVERIFY2(file.open(QIODevice::ReadOnly), "no settings file after the game");
    const QByteArray bytes = file.readAll();
    QString why;
    const auto profile = readProfile(bytes, why);
    QVERIFY2(profile, qPrintable(why));
    const Profile expected {
        { "hs_sc", { { "sc1", "5" }, { "sc2", "5" }, { "sc3", "4" }, { "sc4", "3" }, { "sc5", "2" } } },
        { "name",
            { { "name1", "Rv-nq1" }, { "name2", PlayerNameCp932 }, { "name3", "Rv-nq2" }, { "name4", "Rv-nq3" },
                { "name5", "Rv-nq4" } } },
        { "pass", { { "tp", "1" } } },
    };
    QVERIFY2(
        *profile == expected, qPrintable(QStringLiteral("the settings file reads:\n") + QString::fromLatin1(bytes)));
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
    const QString artefacts = QStringLiteral(ZORVAT_E2E_ARTEFACTS);
    return onPrivateDisplay(argc, argv, ScreenSize, artefacts, [&] {
        EndToEnd test(artefacts);
        return QTest::qExec(&test, argc, argv);
    });
}

#include "test_end_to_end.moc"
