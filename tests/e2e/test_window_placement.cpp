// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures.h"
#include "screen_test.h"

#include <QtTest>

using namespace zorvat;
using namespace zorvat::e2e;

namespace {

// Openings of the records window from the title screen, and short games each followed by
// one: the window manager frames the records window anew at every opening.
constexpr int Openings = 12;
constexpr int ShortGames = 3;
// Where the main window is dragged between openings, its own top-left corner.
const QPoint DragTargets[] = { QPoint(40, 60), QPoint(200, 250), QPoint(7, 31) };

QString describe(QRect r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height());
}

} // namespace

// Where the windows stand under a real window manager, which frames each with a border and a
// title bar only once it shows: the main window centred, frame and title bar counted, and the
// records window against the main window's frame, tops level, at every opening.
class WindowPlacement : public ScreenTest {
    Q_OBJECT

public:
    using ScreenTest::ScreenTest;

private Q_SLOTS:
    void theMainWindowsFrameIsCentredWithItsTitleBarOnScreen();
    void theRecordsWindowOpensAgainstTheMainWindowAtEveryOpening();
    void afterEachShortGameTheRecordsWindowStillOpensAgainstIt();

private:
    void openRecordsAndCheck(const QString& when, bool byMenuClick);
    void loseAShortGame(int game);
};

void WindowPlacement::openRecordsAndCheck(const QString& when, bool byMenuClick)
{
    QVERIFY2(takeFocus(MainTitle), "the main window never took the keyboard");
    if (byMenuClick) {
        const auto main = m_desk.window(MainTitle);
        QVERIFY(main);
        QVERIFY2(m_desk.click(main->topLeft() + m_look.menuEntry(QStringLiteral("K1")).center()),
            qPrintable(m_desk.error()));
    } else {
        QVERIFY2(key(QStringLiteral("alt+k")), qPrintable(m_desk.error()));
    }
    std::optional<QRect> records;
    std::optional<QRect> main;
    const auto inPlace = [&] {
        return (records = m_desk.frame(RecordsTitle)) && (main = m_desk.frame(MainTitle))
            && records->topLeft() == QPoint(main->right() + 1, main->top());
    };
    AWAIT(inPlace(),
        QStringLiteral("%1: the records window's frame against the main window's, tops level; records %2, main %3")
            .arg(when, records ? describe(*records) : QStringLiteral("-"),
                main ? describe(*main) : QStringLiteral("-")));
    // And it stays there: nothing moves it once it stands.
    QTest::qWait(300);
    QVERIFY2(inPlace(), qPrintable(when + QStringLiteral(": the records window moved after it stood in place")));
    QCOMPARE(m_desk.window(RecordsTitle).value_or(QRect()).size(), QSize(144, 200));

    QVERIFY2(takeFocus(RecordsTitle), "the records window never took the keyboard");
    QVERIFY2(key(QStringLiteral("Escape")), qPrintable(m_desk.error()));
    AWAIT(!m_desk.window(RecordsTitle).has_value(), when + QStringLiteral(": the records window to close on Escape"));
}

void WindowPlacement::loseAShortGame(int game)
{
    QVERIFY2(takeFocus(MainTitle), "the main window never took the keyboard");
    QVERIFY2(key(QStringLiteral("F2")), qPrintable(m_desk.error()));
    AWAIT(showsPanel(Panel::pn_sc, QStringLiteral("0点")), "the score panel reading 0点");
    QVERIFY2(key(QStringLiteral("Return")), qPrintable(m_desk.error()));
    Grid dealt {};
    awaitDealAndHide(1, dealt);
    if (QTest::currentTestFailed())
        return;
    // "OK" on the empty grid ends the game at once.
    QVERIFY2(key(QStringLiteral("Return")), qPrintable(m_desk.error()));
    AWAIT(m_desk.window(QuestionTitle).has_value(), QStringLiteral("the ranking question after game %1").arg(game));
    QVERIFY2(takeFocus(QuestionTitle), "the ranking question never took the keyboard");
    QVERIFY2(key(QStringLiteral("Escape")), qPrintable(m_desk.error()));
    AWAIT(!m_desk.window(QuestionTitle).has_value(), "the ranking question to close on Escape");
    AWAIT(gridShowsPicture(Pictures::instance().im2), "the whole title picture in the grid again");
}

void WindowPlacement::theMainWindowsFrameIsCentredWithItsTitleBarOnScreen()
{
    awaitTheTitleScreen();
    if (QTest::currentTestFailed())
        return;
    std::optional<QRect> frame;
    AWAIT((frame = m_desk.frame(MainTitle)).has_value(), "the window manager to frame the main window");
    keep(QStringLiteral("title"));
    const QPoint centred((ScreenSize.width() - frame->width()) / 2, (ScreenSize.height() - frame->height()) / 2);
    QVERIFY2(std::abs(frame->left() - centred.x()) <= 2 && std::abs(frame->top() - centred.y()) <= 2,
        qPrintable(QStringLiteral("the frame stands at %1, centred would be %2,%3")
                       .arg(describe(*frame))
                       .arg(centred.x())
                       .arg(centred.y())));
    // A title bar above the window, wholly on the screen.
    QVERIFY(frame->top() >= 0);
    QVERIFY(m_main.top() - frame->top() >= 10);
}

void WindowPlacement::theRecordsWindowOpensAgainstTheMainWindowAtEveryOpening()
{
    for (int opening = 1; opening <= Openings; ++opening) {
        if (opening % 4 == 0) {
            const QPoint to = DragTargets[(opening / 4 - 1) % std::size(DragTargets)];
            const QPoint from = m_main.topLeft();
            QVERIFY2(m_desk.moveWindow(MainTitle, to), qPrintable(m_desk.error()));
            AWAIT(m_desk.window(MainTitle) && m_desk.window(MainTitle)->topLeft() != from,
                QStringLiteral("the main window to move towards %1,%2").arg(to.x()).arg(to.y()));
            m_main = *m_desk.window(MainTitle);
            m_client = QPoint(m_main.left(), m_main.bottom() + 1 - ClientHeight);
        }
        openRecordsAndCheck(QStringLiteral("opening %1").arg(opening), opening % 2 == 0);
        if (QTest::currentTestFailed())
            return;
    }
}

void WindowPlacement::afterEachShortGameTheRecordsWindowStillOpensAgainstIt()
{
    for (int game = 1; game <= ShortGames; ++game) {
        loseAShortGame(game);
        if (QTest::currentTestFailed())
            return;
        openRecordsAndCheck(QStringLiteral("after game %1").arg(game), game % 2 == 1);
        if (QTest::currentTestFailed())
            return;
    }
}

int main(int argc, char* argv[])
{
    const QString artefacts = QStringLiteral(ZORVAT_E2E_ARTEFACTS);
    return runOnPrivateDisplay(argc, argv, artefacts, WindowManagement::Openbox,
        [&artefacts] { return std::make_unique<WindowPlacement>(artefacts); });
}

#include "test_window_placement.moc"
