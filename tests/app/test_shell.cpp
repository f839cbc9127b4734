// SPDX-License-Identifier: GPL-3.0-or-later
#include "../game/fakes.h"
#include "bevel_panel.h"
#include "error_box.h"
#include "idle_hook.h"
#include "main_window.h"
#include "paint_box.h"
#include "pictures.h"
#include "zorvat_app.h"

#include <QAction>
#include <QDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <thread>

using namespace zorvat;
using namespace zorvat::testing;

namespace {

struct FixedName : NamePrompt {
    std::string askName() override { return "テスト"; }
};

// The shell with fake tunes, a settings file in a temporary folder and errors collected.
struct ShellRig {
    QTemporaryDir dir;
    FakeMusic music;
    FixedClock clock;
    FixedName name;
    QStringList errors;
    std::unique_ptr<ZorvatApp> app;

    explicit ShellRig(bool realRankingBox = false)
    {
        Seams seams;
        seams.music = &music;
        seams.clock = &clock;
        seams.namePrompt = &name;
        seams.iniFile = dir.filePath(QStringLiteral("Zorvat.ini")).toStdString();
        seams.report = [this](const QString& text) { errors << text; };
        if (!realRankingBox)
            seams.confirmRanking = [](const QString&) { return false; };
        app = std::make_unique<ZorvatApp>(seams);
    }
    MainWindow& w() { return app->window(); }
    Game& game() { return app->game(); }
};

void click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(widget->width() / 2, widget->height() / 2));
}

} // namespace

class TestShell : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void errorTextGetsAFullStopWhenItsLastCharacterSortsAfterOne_data();
    void errorTextGetsAFullStopWhenItsLastCharacterSortsAfterOne();
    void startUpLeavesTheTitleScreenReady();
    void windowIsLaidOutAsDesigned();
    void idleStepsRunAsSoonAsStartUpIsDone();
    void processPendingNeverRunsTheIdleStep();
    void idleStepsGoOnInsideABoxOpenedByAnIdleStep();
    void failingIdleStepIsReportedAndTheLoopGoesOn();
    void f2StartsANewGameOnAnyScreenAndNeverCloses();
    void recordsAndHelpActStraightFromTheMenuBar();
    void aWholeQuestionPlaysThroughTheRealWindow();
    void doubleClickTogglesACellOnce();
    void exitClosesTheWindow();
    void rankingQuestionIsAnsweredInItsBoxWhileTheScreensRunOn();
};

void TestShell::errorTextGetsAFullStopWhenItsLastCharacterSortsAfterOne_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("letter") << "abc"
                            << "abc.";
    QTest::newRow("full stop") << "abc."
                               << "abc.";
    QTest::newRow("closing bracket sorts before") << "I/O ｴﾗｰ (5)"
                                                  << "I/O ｴﾗｰ (5)";
    QTest::newRow("hyphen sorts before") << "a-"
                                         << "a-";
    QTest::newRow("slash sorts after") << "a/"
                                       << "a/.";
    QTest::newRow("double-byte last character") << "Zorvat.ini に書き込めません"
                                                << "Zorvat.ini に書き込めません.";
    QTest::newRow("half-width katakana") << "ﾃﾞｨｽｸがいっぱいです"
                                         << "ﾃﾞｨｽｸがいっぱいです.";
}

void TestShell::errorTextGetsAFullStopWhenItsLastCharacterSortsAfterOne()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(errorBoxText(text.toStdString()), shown);
}

void TestShell::startUpLeavesTheTitleScreenReady()
{
    ShellRig rig;
    QCOMPARE(rig.game().GameState, gsTitle);
    QVERIFY(!rig.w().button1()->isEnabled());
    QVERIFY(!rig.w().button2()->isEnabled());
    QCOMPARE(rig.w().pn_mon()->caption(), QStringLiteral("1問目"));
    QCOMPARE(rig.w().pn_sc()->caption(), QStringLiteral("0000"));
    QVERIFY(!rig.w().timer1()->isActive());
    QVERIFY(rig.app->idle().installed());
    for (int k = 1; k <= KindMax; ++k)
        QCOMPARE(rig.w().paletteFrame(k)->colour(), QColor(Qt::white));
    QCOMPARE(rig.app->table().HiScore[1], 5);
    QVERIFY(rig.errors.isEmpty());
}

void TestShell::windowIsLaidOutAsDesigned()
{
    ShellRig rig;
    MainWindow& w = rig.w();
    QCOMPARE(w.windowTitle(), QStringLiteral("Zorvat Ver1.00"));
    QCOMPARE(w.clientArea()->size(), QSize(415, 277));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    const auto at = [&w](const QWidget* widget) { return widget->mapTo(w.clientArea(), QPoint(0, 0)); };
    QCOMPARE(at(w.cellBox(1)), QPoint(16 + 8 + 3, 64 + 5 + 3));
    QCOMPARE(at(w.cellBox(25)), QPoint(16 + 168 + 3, 64 + 165 + 3));
    QCOMPARE(at(w.cellBox(7)), QPoint(16 + 48 + 3, 64 + 45 + 3));
    QCOMPARE(w.cellBox(13)->objectName(), QStringLiteral("PaintBox18"));
    QCOMPARE(w.cellBox(13)->size(), QSize(32, 32));
    QCOMPARE(at(w.paletteFrame(3)), QPoint(8 + 93, 8 + 5));
    QCOMPARE(at(w.paletteBox(5)), QPoint(8 + 178 + 3, 8 + 5 + 3));
    QCOMPARE(w.button1()->geometry(), QRect(235, 232, 86, 33));
    QCOMPARE(w.button2()->geometry(), QRect(328, 232, 81, 33));
    QCOMPARE(w.pn_sc()->geometry(), QRect(328, 184, 81, 33));
    QCOMPARE(w.pn_mon()->geometry(), QRect(235, 184, 86, 33));
    QCOMPARE(w.pn_sc()->font().pixelSize(), 19);
    QVERIFY(w.pn_sc()->font().bold());
    QCOMPARE(w.button1()->text(), QStringLiteral("Open"));
    QCOMPARE(w.n1Action()->shortcut(), QKeySequence(Qt::Key_F2));
    QVERIFY(w.exitAction()->shortcut().isEmpty());
}

void TestShell::idleStepsRunAsSoonAsStartUpIsDone()
{
    ShellRig rig;
    QTRY_VERIFY(rig.game().AnimStep > 3);
    // Whatever the step, a cell's corner shows the corner of its piece of the title picture.
    QCOMPARE(rig.w().cellBox(1)->canvas().pixelColor(0, 0), Pictures::instance().im2.pixelColor(0, 0));
    QCOMPARE(rig.w().cellBox(25)->canvas().pixelColor(0, 0), Pictures::instance().im2.pixelColor(128, 128));
}

void TestShell::processPendingNeverRunsTheIdleStep()
{
    ShellRig rig;
    QTRY_VERIFY(rig.app->idle().calls() > 0);
    const long long before = rig.app->idle().calls();
    // Let the next idle step fall due, then handle everything that is waiting.
    std::this_thread::sleep_for(std::chrono::milliseconds(3 * IdleHook::IdlePeriodMs));
    rig.w().ProcessPending();
    QCOMPARE(rig.app->idle().calls(), before);
    QTRY_VERIFY(rig.app->idle().calls() > before);
}

void TestShell::idleStepsGoOnInsideABoxOpenedByAnIdleStep()
{
    int nestedCalls = 0;
    int deepest = 0;
    bool opened = false;
    IdleHook* hook = nullptr;
    IdleHook idle(
        [&](bool& IdleDone) {
            IdleDone = false;
            deepest = std::max(deepest, hook->depth());
            if (opened) {
                ++nestedCalls;
                return;
            }
            opened = true;
            QDialog box;
            QTimer::singleShot(300, &box, &QDialog::accept);
            box.exec();
            opened = false;
        },
        [](const QString&) {});
    hook = &idle;
    idle.install();
    QTRY_VERIFY(nestedCalls > 5);
    QCOMPARE(deepest, 2);
    idle.uninstall();
}

void TestShell::failingIdleStepIsReportedAndTheLoopGoesOn()
{
    QStringList errors;
    int calls = 0;
    IdleHook idle(
        [&](bool&) {
            if (++calls == 2)
                throw Error("Zorvat.ini に書き込めません");
        },
        [&](const QString& text) { errors << text; });
    idle.install();
    QTRY_VERIFY(calls > 4);
    QCOMPARE(errors, QStringList { QStringLiteral("Zorvat.ini に書き込めません.") });
    idle.uninstall();
}

void TestShell::f2StartsANewGameOnAnyScreenAndNeverCloses()
{
    ShellRig rig;
    rig.app->show();
    QVERIFY(QTest::qWaitForWindowActive(&rig.w()));
    for (GameState screen : { gsTitle, gsCorrect, gsOver }) {
        rig.game().GameState = screen;
        QTest::keyClick(&rig.w(), Qt::Key_F2);
        QCOMPARE(rig.game().GameState, gsPlay);
        QCOMPARE(rig.w().pn_sc()->caption(), QStringLiteral("0点"));
        QVERIFY(rig.w().isVisible());
    }
    click(rig.w().button1()); // a pattern on show
    QTest::keyClick(&rig.w(), Qt::Key_F2);
    QVERIFY(!rig.w().timer1()->isActive());
    QVERIFY(rig.w().isVisible());
}

void TestShell::recordsAndHelpActStraightFromTheMenuBar()
{
    ShellRig rig;
    const QList<QAction*> bar = rig.w().menuBar()->actions();
    QCOMPARE(bar.size(), 3);
    QCOMPARE(bar[0]->text(), QStringLiteral("ｹﾞｰﾑ(&G)"));
    QCOMPARE(bar[1], rig.w().k1Action());
    QCOMPARE(bar[2], rig.w().help1Action());
    QVERIFY(!rig.w().k1Action()->menu());
    QVERIFY(!rig.w().help1Action()->menu());
    QCOMPARE(rig.w().k1Action()->text(), QStringLiteral("記録(&K)"));
    QCOMPARE(rig.w().help1Action()->text(), QStringLiteral("ﾍﾙﾌﾟ(&H)"));
}

void TestShell::aWholeQuestionPlaysThroughTheRealWindow()
{
    ShellRig rig;
    rig.app->show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.w()));
    rig.w().n1Action()->trigger();
    for (int question = 1; question <= 7; ++question) {
        rig.clock.now.millisecond = question * 101;
        click(rig.w().button1());
        QVERIFY(rig.game().Showing);
        QCOMPARE(rig.w().pn_mon()->caption(), QStringLiteral("%1問目").arg(question));
        // Cells ignore clicks while the pattern shows.
        click(rig.w().cellBox(25));
        QCOMPARE(rig.game().Board[25], 0);
        if (question == 1) {
            QTRY_VERIFY_WITH_TIMEOUT(!rig.game().Showing, 4000);
        } else {
            rig.w().timer1()->setInterval(50); // later hides need not take the full three seconds
            QTRY_VERIFY(!rig.game().Showing);
        }
        QVERIFY(rig.w().button2()->isEnabled());
        const QColor green(0, 128, 0);
        QCOMPARE(rig.w().cellBox(13)->canvas().pixelColor(16, 16), green);
        for (int cell = 1; cell <= CellCount; ++cell) {
            const int kind = rig.game().Answer[cell];
            if (kind == 0)
                continue;
            click(rig.w().paletteBox(kind));
            click(rig.w().cellBox(cell));
        }
        click(rig.w().button2());
        QCOMPARE(rig.game().GameState, gsCorrect);
        QCOMPARE(rig.w().pn_sc()->caption(), QString::number(question));
    }
    click(rig.w().button1());
    rig.w().timer1()->setInterval(50);
    QTRY_VERIFY(!rig.game().Showing);
    click(rig.w().button2());
    QCOMPARE(rig.game().GameState, gsOver);
    QVERIFY(!rig.w().button1()->isEnabled());
    QVERIFY(!rig.w().button2()->isEnabled());
}

void TestShell::doubleClickTogglesACellOnce()
{
    ShellRig rig;
    rig.app->show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.w()));
    rig.w().n1Action()->trigger();
    click(rig.w().button1());
    rig.w().timer1()->setInterval(20);
    QTRY_VERIFY(!rig.game().Showing);
    // What the window system delivers for a double-click: the second press comes as a double-click.
    PaintBox* cell = rig.w().cellBox(3);
    QTest::mousePress(cell, Qt::LeftButton);
    QTest::mouseRelease(cell, Qt::LeftButton);
    QTest::mouseDClick(cell, Qt::LeftButton);
    QTest::mouseRelease(cell, Qt::LeftButton);
    QCOMPARE(rig.game().Board[3], 1);
}

void TestShell::exitClosesTheWindow()
{
    ShellRig rig;
    rig.app->show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.w()));
    rig.w().exitAction()->trigger();
    QVERIFY(!rig.w().isVisible());
}

void TestShell::rankingQuestionIsAnsweredInItsBoxWhileTheScreensRunOn()
{
    ShellRig rig(true);
    rig.app->show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.w()));
    rig.w().n1Action()->trigger();
    rig.game().Score = 12;
    rig.game().Button2Click(); // nothing dealt, nothing placed: equal grids
    rig.game().Answer[1] = 1;
    rig.game().Button2Click();
    QCOMPARE(rig.game().GameState, gsOver);

    QString caption, message, buttons;
    long long callsWhileOpen = 0;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (caption.isEmpty()) {
            caption = box->windowTitle();
            message = box->text();
            for (QAbstractButton* b : box->buttons())
                buttons += b->text() + QLatin1Char('|');
            callsWhileOpen = rig.app->idle().calls();
            return;
        }
        if (rig.app->idle().calls() > callsWhileOpen + 5) {
            callsWhileOpen = -1;
            QTest::keyClick(box, Qt::Key_Escape);
        }
    });
    poll.start();
    QTRY_COMPARE_WITH_TIMEOUT(rig.game().GameState, gsTitle, 10000);
    QCOMPARE(caption, QStringLiteral("確認"));
    QCOMPARE(message, QStringLiteral("スコア：13点をインターネットランキング申請しますか？"));
    QCOMPARE(buttons, QStringLiteral("はい(&Y)|いいえ(&N)|"));
    QCOMPARE(callsWhileOpen, -1); // the idle steps went on behind the box
    QCOMPARE(rig.app->table().PlayCount, 1);
    QCOMPARE(rig.app->table().HiScore[1], 13);
    QCOMPARE(rig.app->table().HiName[1], std::string("テスト"));
    QCOMPARE(rig.game().AnimStep, 100);
}

QTEST_MAIN(TestShell)
#include "test_shell.moc"
