// SPDX-License-Identifier: GPL-3.0-or-later
#include "error_box.h"

#include <QtTest>

using namespace zorvat;

class TestErrorBox : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void errorTextGetsAFullStopWhenItsLastCharacterSortsAfterOne_data();
    void errorTextGetsAFullStopWhenItsLastCharacterSortsAfterOne();
};

void TestErrorBox::errorTextGetsAFullStopWhenItsLastCharacterSortsAfterOne_data()
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

void TestErrorBox::errorTextGetsAFullStopWhenItsLastCharacterSortsAfterOne()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(errorBoxText(text.toStdString()), shown);
}

QTEST_GUILESS_MAIN(TestErrorBox)
#include "test_error_box.moc"
