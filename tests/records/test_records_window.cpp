// SPDX-License-Identifier: GPL-3.0-or-later
#include "fonts.h"
#include "high_scores.h"
#include "pictures.h"
#include "records_window.h"
#include "shell_rig.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <climits>

using namespace zorvat;
using namespace zorvat::testing;

namespace {

HighScores table(std::array<std::int32_t, 5> scores, std::array<std::string, 5> names, std::int32_t playCount)
{
    HighScores t;
    for (int rank = 1; rank <= 5; ++rank) {
        t.HiScore[rank] = scores[rank - 1];
        t.HiName[rank] = names[rank - 1];
    }
    t.PlayCount = playCount;
    return t;
}

HighScores freshTable()
{
    return table({ 5, 4, 3, 2, 1 }, { "Rv-nq1", "Rv-nq2", "Rv-nq3", "Rv-nq4", "Rv-nq5" }, 0);
}

QLabel* labelNamed(const TForm2& form, const QString& name)
{
    return form.findChild<QLabel*>(name);
}

QLabel* scoreLabel(const TForm2& form, int rank)
{
    return labelNamed(form, QStringLiteral("lb_sc%1").arg(rank));
}

QLabel* nameLabel(const TForm2& form, int rank)
{
    return labelNamed(form, QStringLiteral("lb_nm%1").arg(rank));
}

QPushButton* okButton(const TForm2& form)
{
    return form.findChild<QPushButton*>(QStringLiteral("Button1"));
}

// A stand-in for the main window: only its outer rectangle matters to the records window.
struct MainStandIn : QWidget {
    MainStandIn()
    {
        setFixedSize(415, 300);
        show();
    }
};

} // namespace

class TestRecordsWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installFontSubstitutes(); }
    void windowIsLaidOutAsDesigned();
    void scoreShowsAsItsLastFourCharacters_data();
    void scoreShowsAsItsLastFourCharacters();
    void namesAndGameCountShowExactlyAsStored();
    void windowOpensAgainstTheMainWindowsRightEdge_data();
    void windowOpensAgainstTheMainWindowsRightEdge();
    void okClosesTheWindowWithoutTouchingTheTable();
    void labelsDrawTransparentlyOverTheBackground();
    void patternOnShowIsHiddenOnTimeWhileTheWindowIsOpen();
};

void TestRecordsWindow::windowIsLaidOutAsDesigned()
{
    TForm2 form(Pictures::instance());
    QCOMPARE(form.windowTitle(), QStringLiteral("記録"));
    QCOMPARE(form.size(), QSize(144, 200));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(form.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(!form.isVisible());
    QCOMPARE(labelNamed(form, QStringLiteral("Image1"))->geometry(), QRect(0, 0, 200, 200));

    const int tops[] = { 4, 40, 77, 113, 149 };
    for (int rank = 1; rank <= 5; ++rank) {
        QCOMPARE(scoreLabel(form, rank)->pos(), QPoint(40, tops[rank - 1]));
        QCOMPARE(nameLabel(form, rank)->pos(), QPoint(88, tops[rank - 1]));
        QCOMPARE(scoreLabel(form, rank)->font().pixelSize(), 16);
        QCOMPARE(nameLabel(form, rank)->font().pixelSize(), 13);
        QVERIFY(scoreLabel(form, rank)->font().bold() && nameLabel(form, rank)->font().bold());
        QCOMPARE(scoreLabel(form, rank)->palette().color(QPalette::WindowText), QColor(255, 255, 255));
        QCOMPARE(nameLabel(form, rank)->palette().color(QPalette::WindowText), QColor(0, 255, 255));
    }
    QCOMPARE(labelNamed(form, QStringLiteral("Label6"))->text(), QStringLiteral("ゲーム回数:"));
    QCOMPARE(labelNamed(form, QStringLiteral("Label6"))->pos(), QPoint(0, 186));
    QCOMPARE(labelNamed(form, QStringLiteral("Label6"))->font().pixelSize(), 11);
    QCOMPARE(labelNamed(form, QStringLiteral("Label6"))->palette().color(QPalette::WindowText), QColor(255, 255, 0));
    QCOMPARE(labelNamed(form, QStringLiteral("lb_tp"))->pos(), QPoint(64, 182));
    QCOMPARE(labelNamed(form, QStringLiteral("lb_tp"))->font().pixelSize(), 16);
    QCOMPARE(okButton(form)->text(), QStringLiteral("OK"));
    QCOMPARE(okButton(form)->geometry(), QRect(96, 168, 43, 27));
    QVERIFY(okButton(form)->font().bold());
    QCOMPARE(QFontInfo(form.font()).family(), QStringLiteral("IPAPGothic"));
}

void TestRecordsWindow::scoreShowsAsItsLastFourCharacters_data()
{
    QTest::addColumn<int>("score");
    QTest::addColumn<QString>("shown");
    QTest::newRow("0") << 0 << "0000";
    QTest::newRow("7") << 7 << "0007";
    QTest::newRow("123") << 123 << "0123";
    QTest::newRow("9999") << 9999 << "9999";
    QTest::newRow("12345") << 12345 << "2345";
    // Negative scores only come from a hand-edited settings file; they show their sign
    // wherever it falls within the last four characters.
    QTest::newRow("-5") << -5 << "00-5";
    QTest::newRow("-123") << -123 << "-123";
    QTest::newRow("-12345") << -12345 << "2345";
    QTest::newRow("lowest") << INT_MIN << "3648";
}

void TestRecordsWindow::scoreShowsAsItsLastFourCharacters()
{
    QFETCH(int, score);
    QFETCH(QString, shown);
    TForm2 form(Pictures::instance());
    MainStandIn main;
    for (int rank = 1; rank <= 5; ++rank) {
        HighScores t = freshTable();
        t.HiScore[rank] = score;
        form.fill(t, main);
        QCOMPARE(scoreLabel(form, rank)->text(), shown);
    }
}

void TestRecordsWindow::namesAndGameCountShowExactlyAsStored()
{
    TForm2 form(Pictures::instance());
    MainStandIn main;
    form.fill(freshTable(), main);
    for (int rank = 1; rank <= 5; ++rank) {
        QCOMPARE(scoreLabel(form, rank)->text(), QStringLiteral("000%1").arg(6 - rank));
        QCOMPARE(nameLabel(form, rank)->text(), QStringLiteral("Rv-nq%1").arg(rank));
    }
    QCOMPARE(labelNamed(form, QStringLiteral("lb_tp"))->text(), QStringLiteral("0"));

    const std::string longName = "とても長い名前のプレイヤーです、右の端で切れます";
    const std::string markup = "<i>斜体</i>";
    form.fill(table({ 99999, 50, 50, 0, 0 }, { longName, "", markup, " 空白 ", "Rv-nq5" }, 1234), main);
    QCOMPARE(nameLabel(form, 1)->text(), QString::fromStdString(longName));
    QVERIFY(nameLabel(form, 1)->geometry().right() >= form.width());
    QCOMPARE(form.size(), QSize(144, 200));
    QCOMPARE(nameLabel(form, 2)->text(), QString());
    // A name is text, never markup: the tags show as typed.
    QCOMPARE(nameLabel(form, 3)->text(), QString::fromStdString(markup));
    QVERIFY(nameLabel(form, 3)->sizeHint().width()
        >= QFontMetrics(nameLabel(form, 3)->font()).horizontalAdvance(QString::fromStdString(markup)));
    QCOMPARE(nameLabel(form, 4)->text(), QStringLiteral(" 空白 "));
    QCOMPARE(scoreLabel(form, 1)->text(), QStringLiteral("9999"));
    QCOMPARE(labelNamed(form, QStringLiteral("lb_tp"))->text(), QStringLiteral("1234"));
    // A label that was long before fits its new text again at the next filling.
    form.fill(freshTable(), main);
    QVERIFY(nameLabel(form, 1)->geometry().right() < form.width());
}

void TestRecordsWindow::windowOpensAgainstTheMainWindowsRightEdge_data()
{
    QTest::addColumn<QPoint>("mainAt");
    QTest::newRow("top left") << QPoint(0, 0);
    QTest::newRow("moved") << QPoint(230, 140);
    QTest::newRow("at the screen's right edge") << QPoint(900, 500);
}

void TestRecordsWindow::windowOpensAgainstTheMainWindowsRightEdge()
{
    QFETCH(QPoint, mainAt);
    TForm2 form(Pictures::instance());
    MainStandIn main;
    main.move(17, 23);
    form.fill(freshTable(), main);
    main.move(mainAt);
    form.fill(freshTable(), main);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QRect outer = main.frameGeometry();
    QCOMPARE(form.frameGeometry().topLeft(), QPoint(outer.left() + outer.width(), outer.top()));
}

void TestRecordsWindow::okClosesTheWindowWithoutTouchingTheTable()
{
    TForm2 form(Pictures::instance());
    MainStandIn main;
    const HighScores t = table({ 12, 9, 3, 2, 1 }, { "a", "b", "c", "d", "e" }, 8);
    HighScores copy = t;
    form.fill(copy, main);
    bool wasModal = false;
    QTimer::singleShot(0, &form, [&] {
        wasModal = QApplication::activeModalWidget() == &form;
        QTest::mouseClick(okButton(form), Qt::LeftButton);
    });
    form.exec();
    QVERIFY(wasModal);
    QVERIFY(!form.isVisible());
    QCOMPARE(copy.HiScore, t.HiScore);
    QCOMPARE(copy.HiName, t.HiName);
    QCOMPARE(copy.PlayCount, t.PlayCount);
}

void TestRecordsWindow::labelsDrawTransparentlyOverTheBackground()
{
    TForm2 form(Pictures::instance());
    MainStandIn main;
    form.fill(table({ 8888, 4, 3, 2, 1 }, { "WWWW", "b", "c", "d", "e" }, 77), main);
    const QImage shot = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage& background = Pictures::instance().recordsBackground;

    // Between and around the letters the background picture shows through, untouched; an
    // opaque label would cover its whole rectangle with the window colour instead.
    const auto showsBackground = [&](QPoint p) { return shot.pixel(p) == background.pixel(p); };
    for (const QLabel* label : { scoreLabel(form, 1), nameLabel(form, 1), labelNamed(form, QStringLiteral("Label6")),
             labelNamed(form, QStringLiteral("lb_tp")) }) {
        const QRect r = label->geometry().intersected(shot.rect());
        const QColor text = label->palette().color(QPalette::WindowText);
        int backgroundPixels = 0;
        int textPixels = 0;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                backgroundPixels += showsBackground(QPoint(x, y));
                textPixels += shot.pixelColor(x, y) == text;
            }
        }
        const QByteArray name = label->objectName().toLatin1();
        QVERIFY2(backgroundPixels > r.width() * r.height() / 3, name);
        QVERIFY2(textPixels > 10, name);
    }
    QVERIFY(showsBackground(QPoint(0, 0)));
    QVERIFY(showsBackground(QPoint(143, 30)));
    QVERIFY(showsBackground(QPoint(20, 100)));
}

void TestRecordsWindow::patternOnShowIsHiddenOnTimeWhileTheWindowIsOpen()
{
    ShellRig rig;
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
    rig.find<QAction>("N1")->trigger();
    QTest::mouseClick(rig.find<QPushButton>("Button1"), Qt::LeftButton);
    QVERIFY(rig.game.Showing);
    QElapsedTimer shown;
    shown.start();

    // Watch from inside the records window's own loop: the hide and the idle screens must
    // go on there, and only then is the window closed.
    auto* records = topLevel<TForm2>("Form2");
    QVERIFY(records);
    qint64 hiddenAfterMs = -1;
    bool openWhenHidden = false;
    long long idleCallsWhileOpen = 0;
    long long idleCallsAtOpen = -1;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (idleCallsAtOpen < 0 && records->isVisible())
            idleCallsAtOpen = rig.idleCalls;
        if (rig.game.Showing)
            return;
        hiddenAfterMs = shown.elapsed();
        openWhenHidden = records->isVisible() && QApplication::activeModalWidget() == records;
        idleCallsWhileOpen = rig.idleCalls - idleCallsAtOpen;
        watch.stop();
        okButton(*records)->click();
    });
    watch.start();
    QTimer::singleShot(10000, records, [records] { records->close(); });
    rig.find<QAction>("K1")->trigger();

    QVERIFY(openWhenHidden);
    QVERIFY2(hiddenAfterMs >= 2900, qPrintable(QString::number(hiddenAfterMs)));
    QVERIFY(idleCallsWhileOpen > 0);
    QCOMPARE(rig.cell(13)->canvas().pixelColor(16, 16), QColor(0, 128, 0));
    QVERIFY(rig.find<QPushButton>("Button2")->isEnabled());
    QVERIFY(rig.errors.isEmpty());
}

QTEST_MAIN(TestRecordsWindow)
#include "test_records_window.moc"
