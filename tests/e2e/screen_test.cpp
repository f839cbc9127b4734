// SPDX-License-Identifier: GPL-3.0-or-later
#include "screen_test.h"

#include "pictures.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cstdio>

namespace zorvat::e2e {

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

ScreenTest::ScreenTest(QString artefacts)
    : m_reader(Pictures::instance())
    , m_artefacts(std::move(artefacts))
{
}

void ScreenTest::keep(const QString& name)
{
    const QString file = QStringLiteral("%1-%2.png").arg(++m_kept, 2, 10, QChar('0')).arg(name);
    m_desk.lastShot().save(QDir(m_artefacts).filePath(file));
}

bool ScreenTest::focusedOn(const QString& titlePattern)
{
    return QRegularExpression(titlePattern).match(m_desk.focusedTitle()).hasMatch();
}

// A window that comes up usually takes the keyboard at once; if it does not, a person
// clicks into it, here on its empty margin.
bool ScreenTest::takeFocus(const QString& titlePattern)
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

bool ScreenTest::showsAt(QPoint at, const QImage& expected, const QString& name)
{
    const bool shows = showsImage(shot(), at, expected);
    m_mismatch = shows ? Mismatch() : Mismatch { at, expected, name };
    return shows;
}

bool ScreenTest::showsPanel(Panel which, const QString& caption)
{
    const QString key = QString::number(int(which)) + caption;
    if (!m_panels.contains(key))
        m_panels.insert(key, m_look.panel(which, caption));
    const QRect at = which == Panel::pn_mon ? place::pn_mon : place::pn_sc;
    return showsAt(m_client + at.topLeft(), m_panels.value(key), QStringLiteral("panel-") + caption);
}

bool ScreenTest::readDeal(Deal deal, Grid& dealt)
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

void ScreenTest::awaitTheTitleScreen()
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

    AWAIT(showsPanel(Panel::pn_mon, questionCaption(1)), "the question panel reading " + questionCaption(1));
    QVERIFY2(showsPanel(Panel::pn_sc, QStringLiteral("0000")), "the score panel should read 0000");
    QCOMPARE(selectedKind(), 0);
    AWAIT(gridShowsPicture(Pictures::instance().im2), "the whole title picture in the grid");
}

void ScreenTest::awaitDealAndHide(int question, Grid& dealt)
{
    const Deal deal = dealOf(question);
    AWAIT(showsPanel(Panel::pn_mon, questionCaption(question)),
        "the question panel reading " + questionCaption(question));
    AWAIT(readDeal(deal, dealt),
        QStringLiteral("question %1 showing %2 tiles of kinds up to %3; the grid read %4")
            .arg(question)
            .arg(deal.tiles)
            .arg(deal.kinds)
            .arg(describe(dealt)));
    keep(QStringLiteral("question-%1-dealt").arg(question));
    const Grid hidden {};
    AWAIT(gridShows(hidden), QStringLiteral("the pattern of question %1 to be hidden").arg(question));
}

void ScreenTest::initTestCase()
{
    m_failed = true;
    QVERIFY2(
        m_game.start(QStringLiteral(ZORVAT_E2E_GAME), qEnvironmentVariable("DISPLAY")), qPrintable(m_game.error()));
    m_failed = false;
}

void ScreenTest::init()
{
    if (m_failed)
        QSKIP("an earlier step of the game failed");
    QVERIFY2(m_game.running(), "the game is no longer running");
}

void ScreenTest::cleanup()
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

void ScreenTest::cleanupTestCase()
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
    std::fprintf(stderr, "Screenshots and files are in %s\n", qPrintable(m_artefacts));
}

int runOnPrivateDisplay(int argc, char* argv[], const QString& artefacts, WindowManagement management,
    const std::function<std::unique_ptr<ScreenTest>()>& makeTest)
{
    return onPrivateDisplay(argc, argv, artefacts, management, [&] {
        const std::unique_ptr<ScreenTest> test = makeTest();
        return QTest::qExec(test.get(), argc, argv);
    });
}

} // namespace zorvat::e2e
