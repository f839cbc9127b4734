// SPDX-License-Identifier: GPL-3.0-or-later
#include "ranking_question_box.h"
#include "x_server.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

using namespace zorvat;
using namespace zorvat::testing;

namespace {

QPushButton* buttonNamed(const QMessageBox& box, const QString& text)
{
    for (QAbstractButton* button : box.buttons()) {
        if (button->text() == text)
            return qobject_cast<QPushButton*>(button);
    }
    return nullptr;
}

} // namespace

// The ranking question on a real X display of a desktop whose button convention puts "No"
// before "Yes" (GNOME's): the box keeps "はい" on the left all the same.
class TestRankingQuestion : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void thisDesktopsOwnBoxesPutNoFirst();
    void yesStandsLeftOfNoWithTheQuestionsCaptionIconAndKeys_data();
    void yesStandsLeftOfNoWithTheQuestionsCaptionIconAndKeys();
};

void TestRankingQuestion::thisDesktopsOwnBoxesPutNoFirst()
{
    // Without this the next test could not tell a fixed order from the desktop's own.
    QMessageBox box(QMessageBox::Question, QStringLiteral("確認"), QStringLiteral("?"));
    QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QVERIFY(no->geometry().right() < yes->geometry().left());
}

void TestRankingQuestion::yesStandsLeftOfNoWithTheQuestionsCaptionIconAndKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("answer");
    QTest::newRow("Enter answers yes") << int(Qt::Key_Return) << true;
    QTest::newRow("Escape answers no") << int(Qt::Key_Escape) << false;
}

void TestRankingQuestion::yesStandsLeftOfNoWithTheQuestionsCaptionIconAndKeys()
{
    QFETCH(int, key);
    QFETCH(bool, answer);
    RankingQuestionBox question;
    QRect yesAt;
    QRect noAt;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString defaultText;
    QString escapeText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        QVERIFY(QTest::qWaitForWindowExposed(box));
        QPushButton* yes = buttonNamed(*box, QStringLiteral("はい(&Y)"));
        QPushButton* no = buttonNamed(*box, QStringLiteral("いいえ(&N)"));
        QVERIFY(yes && no);
        yesAt = QRect(yes->mapTo(box, QPoint(0, 0)), yes->size());
        noAt = QRect(no->mapTo(box, QPoint(0, 0)), no->size());
        caption = box->windowTitle();
        icon = box->icon();
        defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
        escapeText = box->escapeButton() ? box->escapeButton()->text() : QString();
        QTest::keyClick(box, Qt::Key(key));
    });
    // Closed by hand should the box not be found, so that a failure does not hang the test.
    QTimer::singleShot(10000, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    QCOMPARE(question.ask("スコア:2点をインターネットランキング申請しますか?"), answer);
    QVERIFY2(yesAt.right() < noAt.left(),
        qPrintable(QStringLiteral("はい at x %1, いいえ at x %2").arg(yesAt.left()).arg(noAt.left())));
    QCOMPARE(yesAt.top(), noAt.top());
    QCOMPARE(caption, QStringLiteral("確認"));
    QCOMPARE(icon, QMessageBox::Question);
    QCOMPARE(defaultText, QStringLiteral("はい(&Y)"));
    QCOMPARE(escapeText, QStringLiteral("いいえ(&N)"));
}

int main(int argc, char* argv[])
{
    QTemporaryDir logs;
    XServer display;
    if (!display.start(QSize(800, 600), QDir(logs.path()).filePath(QStringLiteral("xvfb.log")))) {
        std::fprintf(stderr, "%s\n", qPrintable(display.error()));
        return 1;
    }
    // GNOME as the desktop, with whatever platform theme Qt picks for it there.
    qputenv("DISPLAY", display.display().toUtf8());
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    for (const char* name : { "QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE", "DBUS_SESSION_BUS_ADDRESS" })
        qunsetenv(name);
    QApplication application(argc, argv);
    TestRankingQuestion test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_ranking_question.moc"
