// SPDX-License-Identifier: GPL-3.0-or-later
#include "bevel_panel.h"
#include "idle_hook.h"
#include "ini_file.h"
#include "paint_box.h"
#include "shell_rig.h"

#include <QAction>
#include <QDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <chrono>
#include <thread>

using namespace zorvat;
using namespace zorvat::testing;

class TestZorvatApp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startUpLeavesTheTitleScreenReady();
    void windowIsLaidOutAsDesigned();
    void idleStepsRunAsSoonAsStartUpIsDone();
    void processPendingNeverRunsTheIdleStep();
    void idleStepsGoOnInsideABoxOpenedByAnIdleStep();
    void failingIdleStepIsReportedAndTheLoopGoesOn();
    void failingCommandIsReportedAndTheRestOfItSkipped();
    void f2StartsANewGameOnAnyScreenAndNeverCloses();
    void recordsAndHelpActStraightFromTheMenuBar();
    void aWholeQuestionPlaysThroughTheRealWindow();
    void doubleClickTogglesACellOnce();
    void exitClosesTheWindow();
    void rankingQuestionIsAnsweredInItsBoxWhileTheScreensRunOn();
    void aPageThatCannotBeWrittenIsReportedAndTheGameStillCounts();
};

void TestZorvatApp::startUpLeavesTheTitleScreenReady()
{
    ShellRig rig;
    QCOMPARE(rig.game.GameState, gsTitle);
    QVERIFY(!rig.find<QPushButton>("Button1")->isEnabled());
    QVERIFY(!rig.find<QPushButton>("Button2")->isEnabled());
    QCOMPARE(rig.find<BevelPanel>("pn_mon")->caption(), QStringLiteral("1問目"));
    QCOMPARE(rig.find<BevelPanel>("pn_sc")->caption(), QStringLiteral("0000"));
    QVERIFY(!rig.find<QTimer>("Timer1")->isActive());
    for (int k = 1; k <= KindMax; ++k)
        QCOMPARE(rig.find<BevelPanel>(qPrintable(QStringLiteral("Panel%1").arg(k + 2)))->colour(), QColor(Qt::white));
    QCOMPARE(rig.records.table().HiScore[1], 5);
    QVERIFY(rig.errors.isEmpty());
    QTRY_VERIFY(rig.idleCalls > 0);
}

void TestZorvatApp::windowIsLaidOutAsDesigned()
{
    ShellRig rig;
    MainWindow& w = rig.window;
    auto* client = rig.find<QWidget>("client");
    QCOMPARE(w.windowTitle(), QStringLiteral("Zorvat Ver1.00"));
    QCOMPARE(client->size(), QSize(415, 277));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    const auto at = [client](const QWidget* widget) { return widget->mapTo(client, QPoint(0, 0)); };
    QCOMPARE(at(rig.cell(1)), QPoint(16 + 8 + 3, 64 + 5 + 3));
    QCOMPARE(at(rig.cell(25)), QPoint(16 + 168 + 3, 64 + 165 + 3));
    QCOMPARE(at(rig.cell(7)), QPoint(16 + 48 + 3, 64 + 45 + 3));
    QCOMPARE(rig.cell(13)->objectName(), QStringLiteral("PaintBox18"));
    QCOMPARE(rig.cell(13)->size(), QSize(32, 32));
    QCOMPARE(at(rig.find<BevelPanel>("Panel5")), QPoint(8 + 93, 8 + 5));
    QCOMPARE(at(rig.find<PaintBox>("PaintBox5")), QPoint(8 + 178 + 3, 8 + 5 + 3));
    QCOMPARE(rig.find<QPushButton>("Button1")->geometry(), QRect(235, 232, 86, 33));
    QCOMPARE(rig.find<QPushButton>("Button2")->geometry(), QRect(328, 232, 81, 33));
    QCOMPARE(rig.find<BevelPanel>("pn_sc")->geometry(), QRect(328, 184, 81, 33));
    QCOMPARE(rig.find<BevelPanel>("pn_mon")->geometry(), QRect(235, 184, 86, 33));
    QCOMPARE(rig.find<BevelPanel>("pn_sc")->font().pixelSize(), 19);
    QVERIFY(rig.find<BevelPanel>("pn_sc")->font().bold());
    QCOMPARE(rig.find<QPushButton>("Button1")->text(), QStringLiteral("Open"));
    QCOMPARE(rig.find<QAction>("N1")->shortcut(), QKeySequence(Qt::Key_F2));
    QVERIFY(rig.find<QAction>("Exit1")->shortcut().isEmpty());
}

void TestZorvatApp::idleStepsRunAsSoonAsStartUpIsDone()
{
    ShellRig rig;
    QTRY_VERIFY(rig.game.AnimStep > 3);
    // Whatever the step, a cell's corner shows the corner of its piece of the title picture.
    QCOMPARE(rig.cell(1)->canvas().pixelColor(0, 0), Pictures::instance().im2.pixelColor(0, 0));
    QCOMPARE(rig.cell(25)->canvas().pixelColor(0, 0), Pictures::instance().im2.pixelColor(128, 128));
}

void TestZorvatApp::processPendingNeverRunsTheIdleStep()
{
    ShellRig rig;
    QTRY_VERIFY(rig.idleCalls > 0);
    const long long before = rig.idleCalls;
    // Let the next idle step fall due, then handle everything that is waiting.
    std::this_thread::sleep_for(std::chrono::milliseconds(3 * IdleHook::IdlePeriodMs));
    rig.window.ProcessPending();
    QCOMPARE(rig.idleCalls, before);
    QTRY_VERIFY(rig.idleCalls > before);
}

void TestZorvatApp::idleStepsGoOnInsideABoxOpenedByAnIdleStep()
{
    int nestedCalls = 0;
    int running = 0;
    int deepest = 0;
    bool opened = false;
    IdleHook idle(
        [&](bool& IdleDone) {
            IdleDone = false;
            deepest = std::max(deepest, ++running);
            if (opened) {
                ++nestedCalls;
                --running;
                return;
            }
            opened = true;
            QDialog box;
            QTimer::singleShot(300, &box, &QDialog::accept);
            box.exec();
            opened = false;
            --running;
        },
        [](const QString&) {});
    idle.install();
    QTRY_VERIFY(nestedCalls > 5);
    QCOMPARE(deepest, 2);
    idle.uninstall();
}

void TestZorvatApp::failingIdleStepIsReportedAndTheLoopGoesOn()
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

void TestZorvatApp::failingCommandIsReportedAndTheRestOfItSkipped()
{
    ShellRig rig;
    rig.questionTune->failPlay = true;
    rig.find<QAction>("N1")->trigger();
    QCOMPARE(rig.errors, QStringList { QStringLiteral("MCI ﾃﾞﾊﾞｲｽがありません.") });
    QCOMPARE(rig.game.GameState, gsTitle);
    QVERIFY(!rig.find<QPushButton>("Button1")->isEnabled());

    rig.questionTune->failPlay = false;
    rig.find<QAction>("N1")->trigger();
    QCOMPARE(rig.game.GameState, gsPlay);
    QCOMPARE(rig.errors.size(), 1);
}

void TestZorvatApp::f2StartsANewGameOnAnyScreenAndNeverCloses()
{
    ShellRig rig;
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&rig.window));
    for (GameState screen : { gsTitle, gsCorrect, gsOver }) {
        if (screen == gsCorrect) {
            rig.game.Button2Click(); // nothing dealt, nothing placed: equal grids
        } else if (screen == gsOver) {
            rig.game.Button1Click();
            rig.game.Button2Click();
        }
        QCOMPARE(rig.game.GameState, screen);
        QTest::keyClick(&rig.window, Qt::Key_F2);
        QCOMPARE(rig.game.GameState, gsPlay);
        QCOMPARE(rig.find<BevelPanel>("pn_sc")->caption(), QStringLiteral("0点"));
        QVERIFY(rig.window.isVisible());
    }
    click(rig.find<QPushButton>("Button1")); // a pattern on show
    QTest::keyClick(&rig.window, Qt::Key_F2);
    QVERIFY(!rig.find<QTimer>("Timer1")->isActive());
    QVERIFY(rig.window.isVisible());
}

void TestZorvatApp::recordsAndHelpActStraightFromTheMenuBar()
{
    ShellRig rig;
    const QList<QAction*> bar = rig.window.menuBar()->actions();
    auto* k1 = rig.find<QAction>("K1");
    auto* help1 = rig.find<QAction>("Help1");
    QCOMPARE(bar.size(), 3);
    QCOMPARE(bar[0]->text(), QStringLiteral("ｹﾞｰﾑ(&G)"));
    QCOMPARE(bar[1], k1);
    QCOMPARE(bar[2], help1);
    QVERIFY(!k1->menu());
    QVERIFY(!help1->menu());
    QCOMPARE(k1->text(), QStringLiteral("記録(&K)"));
    QCOMPARE(help1->text(), QStringLiteral("ﾍﾙﾌﾟ(&H)"));
}

void TestZorvatApp::aWholeQuestionPlaysThroughTheRealWindow()
{
    ShellRig rig;
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
    rig.find<QAction>("N1")->trigger();
    for (int question = 1; question <= 7; ++question) {
        rig.clock.now.millisecond = question * 101;
        click(rig.find<QPushButton>("Button1"));
        QVERIFY(rig.game.Showing);
        QCOMPARE(rig.find<BevelPanel>("pn_mon")->caption(), QStringLiteral("%1問目").arg(question));
        // Cells ignore clicks while the pattern shows.
        click(rig.cell(25));
        QCOMPARE(rig.game.Board[25], 0);
        if (question == 1) {
            QTRY_VERIFY_WITH_TIMEOUT(!rig.game.Showing, 4000);
        } else {
            rig.find<QTimer>("Timer1")->setInterval(50); // later hides need not take the full three seconds
            QTRY_VERIFY(!rig.game.Showing);
        }
        QVERIFY(rig.find<QPushButton>("Button2")->isEnabled());
        const QColor green(0, 128, 0);
        QCOMPARE(rig.cell(13)->canvas().pixelColor(16, 16), green);
        for (int cell = 1; cell <= CellCount; ++cell) {
            const int kind = rig.game.Answer[cell];
            if (kind == 0)
                continue;
            click(rig.find<PaintBox>(qPrintable(QStringLiteral("PaintBox%1").arg(kind))));
            click(rig.cell(cell));
        }
        click(rig.find<QPushButton>("Button2"));
        QCOMPARE(rig.game.GameState, gsCorrect);
        QCOMPARE(rig.find<BevelPanel>("pn_sc")->caption(), QString::number(question));
    }
    click(rig.find<QPushButton>("Button1"));
    rig.find<QTimer>("Timer1")->setInterval(50);
    QTRY_VERIFY(!rig.game.Showing);
    click(rig.find<QPushButton>("Button2"));
    QCOMPARE(rig.game.GameState, gsOver);
    QVERIFY(!rig.find<QPushButton>("Button1")->isEnabled());
    QVERIFY(!rig.find<QPushButton>("Button2")->isEnabled());
}

void TestZorvatApp::doubleClickTogglesACellOnce()
{
    ShellRig rig;
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
    rig.find<QAction>("N1")->trigger();
    click(rig.find<QPushButton>("Button1"));
    rig.find<QTimer>("Timer1")->setInterval(20);
    QTRY_VERIFY(!rig.game.Showing);
    // What the window system delivers for a double-click: the second press comes as a double-click.
    PaintBox* cell = rig.cell(3);
    QTest::mousePress(cell, Qt::LeftButton);
    QTest::mouseRelease(cell, Qt::LeftButton);
    QTest::mouseDClick(cell, Qt::LeftButton);
    QTest::mouseRelease(cell, Qt::LeftButton);
    QCOMPARE(rig.game.Board[3], 1);
}

void TestZorvatApp::exitClosesTheWindow()
{
    ShellRig rig;
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
    rig.find<QAction>("Exit1")->trigger();
    QVERIFY(!rig.window.isVisible());
}

void TestZorvatApp::rankingQuestionIsAnsweredInItsBoxWhileTheScreensRunOn()
{
    ShellRig rig(ShellRig::Question::RealBox);
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
    rig.find<QAction>("N1")->trigger();
    // Thirteen right answers, then a wrong one.
    for (int question = 1; question <= 14; ++question) {
        rig.game.Button1Click();
        rig.game.Timer1Timer();
        for (int cell = 1; cell <= CellCount && question <= 13; ++cell) {
            if (const int kind = rig.game.Answer[cell]) {
                rig.game.PaintBox1Click("PaintBox" + std::to_string(kind));
                rig.game.PaintBox6Click(box(cell));
            }
        }
        rig.game.Button2Click();
    }
    QCOMPARE(rig.game.Score, 13);
    QCOMPARE(rig.game.GameState, gsOver);

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
            callsWhileOpen = rig.idleCalls;
            return;
        }
        if (rig.idleCalls > callsWhileOpen + 5) {
            callsWhileOpen = -1;
            QTest::keyClick(box, Qt::Key_Escape);
        }
    });
    poll.start();
    QTRY_COMPARE_WITH_TIMEOUT(rig.game.GameState, gsTitle, 10000);
    QCOMPARE(caption, QStringLiteral("確認"));
    QCOMPARE(message, QStringLiteral("スコア：13点をインターネットランキング申請しますか？"));
    QCOMPARE(buttons, QStringLiteral("はい(&Y)|いいえ(&N)|"));
    QCOMPARE(callsWhileOpen, -1); // the idle steps went on behind the box
    QCOMPARE(rig.records.table().PlayCount, 1);
    QCOMPARE(rig.records.table().HiScore[1], 13);
    QCOMPARE(rig.records.table().HiName[1], std::string("テスト"));
    QCOMPARE(rig.game.AnimStep, 100);
}

void TestZorvatApp::aPageThatCannotBeWrittenIsReportedAndTheGameStillCounts()
{
    // A folder where the page would go: the page cannot be written.
    const QString startFolder = QDir::currentPath();
    QTemporaryDir pageFolder;
    QVERIFY(QDir(pageFolder.path()).mkdir(QStringLiteral("intsc.htm")));
    QVERIFY(QDir::setCurrent(pageFolder.path()));
    ShellRig rig;
    rig.fakeQuestion.answerYes = true;
    rig.find<QAction>("N1")->trigger();
    rig.game.Button1Click();
    rig.game.Timer1Timer();
    rig.game.Button2Click(); // nothing rebuilt: a score of 0
    QTRY_COMPARE_WITH_TIMEOUT(rig.game.GameState, gsTitle, 10000);
    QDir::setCurrent(startFolder);

    QCOMPARE(rig.errors, QStringList { QStringLiteral("ﾌｧｲﾙへのｱｸｾｽが拒否されました.") });
    QVERIFY(rig.opener.opened.isEmpty());
    QCOMPARE(rig.records.table().PlayCount, 1);
    QCOMPARE(TIniFile(rig.dir.filePath(QStringLiteral("Zorvat.ini")).toStdString()).ReadInt("pass", "tp", 0), 1);
}

QTEST_MAIN(TestZorvatApp)
#include "test_zorvat_app.moc"
