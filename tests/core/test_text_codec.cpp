// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_codec.h"

#include <QtTest>

using namespace zorvat;

class TestTextCodec : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void steppingTakesALeadByteWithItsPartner_data();
    void steppingTakesALeadByteWithItsPartner();
    void utf16ReadsBothByteOrdersAndWritesBackUnitForUnit_data();
    void utf16ReadsBothByteOrdersAndWritesBackUnitForUnit();
    void utf16WriteReplacesBrokenUtf8();
};

void TestTextCodec::steppingTakesALeadByteWithItsPartner_data()
{
    QTest::addColumn<QByteArray>("cp932");
    QTest::addColumn<QList<int>>("starts");
    QTest::newRow("empty") << QByteArray() << QList<int> {};
    QTest::newRow("ASCII and half-width katakana") << QByteArray("a\xb1z") << QList<int> { 0, 1, 2 };
    // 山田 then "!": the second byte of 田 (0x63) is no character of its own.
    QTest::newRow("double-byte characters") << QByteArray("\x8e\x52\x93\x63!") << QList<int> { 0, 2, 4 };
    // 0x81 0x81 is one character whose second byte looks like a lead byte.
    QTest::newRow("second byte in the lead range") << QByteArray("\x81\x81\x81\x40") << QList<int> { 0, 2 };
    QTest::newRow("lone lead byte at the end") << QByteArray("a\x8e") << QList<int> { 0, 1 };
}

void TestTextCodec::steppingTakesALeadByteWithItsPartner()
{
    QFETCH(QByteArray, cp932);
    QFETCH(QList<int>, starts);
    const std::string_view text(cp932.constData(), static_cast<std::size_t>(cp932.size()));
    QList<int> stepped;
    for (std::size_t i = 0; i < text.size(); i += cp932CharLength(text, i))
        stepped << static_cast<int>(i);
    QCOMPARE(stepped, starts);
    QCOMPARE(static_cast<int>(lastCp932CharStart(text)), starts.isEmpty() ? 0 : starts.last());
}

void TestTextCodec::utf16ReadsBothByteOrdersAndWritesBackUnitForUnit_data()
{
    QTest::addColumn<QByteArray>("littleEndian");
    QTest::addColumn<QByteArray>("utf8");
    QTest::newRow("ASCII") << QByteArray("t\0p\0", 4) << QByteArray("tp");
    QTest::newRow("Japanese") << QByteArray("\x71\x5c\x30\x75", 4) << QByteArray("山田");
    QTest::newRow("surrogate pair") << QByteArray("\x3d\xd8\x00\xde", 4) << QByteArray("\xf0\x9f\x98\x80");
    // Kept as its three-byte form so that saving gives the same unit back.
    QTest::newRow("lone surrogate") << QByteArray("\x00\xdc", 2) << QByteArray("\xed\xb0\x80");
}

void TestTextCodec::utf16ReadsBothByteOrdersAndWritesBackUnitForUnit()
{
    QFETCH(QByteArray, littleEndian);
    QFETCH(QByteArray, utf8);
    QByteArray bigEndian = littleEndian;
    for (qsizetype i = 0; i + 1 < bigEndian.size(); i += 2)
        std::swap(bigEndian[i], bigEndian[i + 1]);
    for (const auto& [order, bytes] :
        { std::pair { std::endian::little, littleEndian }, std::pair { std::endian::big, bigEndian } }) {
        const std::string text = fromUtf16(bytes.toStdString(), order);
        QCOMPARE(QByteArray::fromStdString(text), utf8);
        QCOMPARE(QByteArray::fromStdString(toUtf16(text, order)), bytes);
        // An odd last byte is no character.
        QCOMPARE(QByteArray::fromStdString(fromUtf16((bytes + 'x').toStdString(), order)), utf8);
    }
}

void TestTextCodec::utf16WriteReplacesBrokenUtf8()
{
    QCOMPARE(QByteArray::fromStdString(toUtf16("a\xff", std::endian::little)), QByteArray("a\0\xfd\xff", 4));
}

QTEST_GUILESS_MAIN(TestTextCodec)
#include "test_text_codec.moc"
