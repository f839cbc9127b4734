// SPDX-License-Identifier: GPL-3.0-or-later
#include "fonts.h"
#include "name_prompt_dialog.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace zorvat;

namespace {

QLabel* prompt(const NameInputBox& box)
{
    return box.findChild<QLabel*>(QStringLiteral("prompt"));
}

QLineEdit* field(const NameInputBox& box)
{
    return box.findChild<QLineEdit*>(QStringLiteral("field"));
}

QPushButton* okButton(const NameInputBox& box)
{
    return box.findChild<QPushButton*>(QStringLiteral("okButton"));
}

QPushButton* cancelButton(const NameInputBox& box)
{
    return box.findChild<QPushButton*>(QStringLiteral("cancelButton"));
}

// Runs `act` on the name box once its modal loop is running, and returns what askName gave.
QString answerWith(const std::function<void(NameInputBox&)>& act)
{
    QTimer::singleShot(0, [act] {
        auto* box = qobject_cast<NameInputBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        act(*box);
    });
    return QString::fromStdString(NamePromptDialog().askName());
}

} // namespace

class TestNamePrompt : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void boxAsksWithItsCaptionPromptAndButtons();
    void boxIsLaidOutInDialogUnitsOfItsFontInAFixedFrame();
    void boxIsCentredOnTheScreen();
    void okOrEnterGivesTheNameAsTyped();
    void cancelEscOrCloseBoxGiveTheEmptyName_data();
    void cancelEscOrCloseBoxGiveTheEmptyName();

    void fieldKeepsOnlyWhatTheSettingsFileHolds_data();
    void fieldKeepsOnlyWhatTheSettingsFileHolds();
    void inputMethodCommitsReachTheField();
};

void TestNamePrompt::initTestCase()
{
    installFontSubstitutes();
    QApplication::setFont(gameFont(12));
}

void TestNamePrompt::boxAsksWithItsCaptionPromptAndButtons()
{
    const NameInputBox box;
    QCOMPARE(box.windowTitle(), QStringLiteral("ベストタイム更新"));
    QCOMPARE(prompt(box)->text(), QStringLiteral("ベストタイムを更新しました。名前を入力して下さい"));
    QCOMPARE(field(box)->text(), QString());
    QCOMPARE(okButton(box)->text(), QStringLiteral("OK"));
    QCOMPARE(cancelButton(box)->text(), QStringLiteral("ｷｬﾝｾﾙ"));
    QVERIFY(okButton(box)->isDefault());
    QVERIFY(!cancelButton(box)->isDefault());
}

void TestNamePrompt::boxIsLaidOutInDialogUnitsOfItsFontInAFixedFrame()
{
    const NameInputBox box;
    const QFont f = box.font();
    QCOMPARE(f, gameFont(12));
    const QFontMetrics m(f);
    const int average
        = m.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52;
    const auto x = [&](int u) { return qRound(u * average / 4.0); };
    const auto y = [&](int u) { return qRound(u * m.height() / 8.0); };

    QCOMPARE(box.size(), QSize(x(180), y(63)));
    QCOMPARE(box.minimumSize(), box.maximumSize());
    QCOMPARE(prompt(box)->pos(), QPoint(x(8), y(8)));
    QCOMPARE(prompt(box)->size(), prompt(box)->sizeHint());
    QVERIFY(prompt(box)->geometry().right() < box.width());
    QCOMPARE(field(box)->pos(), QPoint(x(8), y(19)));
    QCOMPARE(field(box)->width(), x(164));
    QCOMPARE(okButton(box)->geometry(), QRect(x(38), y(41), x(50), y(14)));
    QCOMPARE(cancelButton(box)->geometry(), QRect(x(92), y(41), x(50), y(14)));
    QVERIFY(!(box.windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
}

void TestNamePrompt::boxIsCentredOnTheScreen()
{
    NameInputBox box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const QPoint offset = box.frameGeometry().center() - box.screen()->geometry().center();
    QVERIFY2(
        offset.manhattanLength() <= 2, qPrintable(QStringLiteral("off by %1, %2").arg(offset.x()).arg(offset.y())));
}

void TestNamePrompt::okOrEnterGivesTheNameAsTyped()
{
    QCOMPARE(answerWith([](NameInputBox& box) {
        QTest::keyClicks(field(box), QStringLiteral(" Bob "));
        QTest::keyClick(field(box), Qt::Key_Return);
    }),
        QStringLiteral(" Bob "));
    QCOMPARE(answerWith([](NameInputBox& box) {
        field(box)->insert(QStringLiteral("山田"));
        okButton(box)->click();
    }),
        QStringLiteral("山田"));
    QCOMPARE(answerWith([](NameInputBox& box) { QTest::keyClick(field(box), Qt::Key_Enter); }), QString());
}

void TestNamePrompt::cancelEscOrCloseBoxGiveTheEmptyName_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("ｷｬﾝｾﾙ") << 0;
    QTest::newRow("Esc") << 1;
    QTest::newRow("close box") << 2;
}

void TestNamePrompt::cancelEscOrCloseBoxGiveTheEmptyName()
{
    QFETCH(int, how);
    QCOMPARE(answerWith([how](NameInputBox& box) {
        field(box)->insert(QStringLiteral("typed"));
        if (how == 0)
            cancelButton(box)->click();
        else if (how == 1)
            QTest::keyClick(field(box), Qt::Key_Escape);
        else
            box.close();
    }),
        QString());
}

void TestNamePrompt::fieldKeepsOnlyWhatTheSettingsFileHolds_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("inserted");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("cursorAfter");

    const QString a254(254, 'a');
    QTest::newRow("Japanese and full-width text") << "" << 0 << "山田　ﾀﾛｳ"
                                                  << "山田　ﾀﾛｳ" << 6;
    QTest::newRow("line breaks and tabs refused") << "ab" << 1 << "x\r\ny\tz"
                                                  << "axyzb" << 4;
    QTest::newRow("characters code page 932 lacks refused") << "" << 0 << "a한🎲é b"
                                                            << "a b" << 3;
    QTest::newRow("wave dash shown as the file keeps it") << "" << 0 << "〜"
                                                          << "～" << 1;
    QTest::newRow("255 single bytes fit") << a254 << 254 << "b" << a254 + "b" << 255;
    QTest::newRow("a double byte past 255 is refused") << a254 << 254 << "あ" << a254 << 254;
    QTest::newRow("a long paste is cut at its end")
        << "xy" << 1 << QString(300, 'z') << "x" + QString(253, 'z') + "y" << 254;
    QTest::newRow("double bytes count two")
        << "" << 0 << QString(QStringLiteral("あ")).repeated(130) << QString(QStringLiteral("あ")).repeated(127) << 127;
}

void TestNamePrompt::fieldKeepsOnlyWhatTheSettingsFileHolds()
{
    QFETCH(QString, before);
    QFETCH(int, cursor);
    QFETCH(QString, inserted);
    QFETCH(QString, after);
    QFETCH(int, cursorAfter);
    const NameInputBox box;
    field(box)->setText(before);
    field(box)->setCursorPosition(cursor);
    field(box)->insert(inserted);
    QCOMPARE(field(box)->text(), after);
    QCOMPARE(field(box)->cursorPosition(), cursorAfter);
}

void TestNamePrompt::inputMethodCommitsReachTheField()
{
    NameInputBox box;
    box.show();
    QVERIFY(field(box)->testAttribute(Qt::WA_InputMethodEnabled));
    QInputMethodEvent composing(QStringLiteral("やまだ"), {});
    QApplication::sendEvent(field(box), &composing);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("山田〜"));
    QApplication::sendEvent(field(box), &commit);
    QCOMPARE(field(box)->text(), QStringLiteral("山田～"));
}

QTEST_MAIN(TestNamePrompt)
#include "test_name_prompt.moc"
