// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_folder.h"
#include "error.h"
#include "high_scores.h"
#include "ini_file.h"
#include "name_prompt.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace zorvat;
using namespace zorvat::testing;

namespace {

// Answers the name prompt with a fixed name and counts how often it was asked.
class FakePrompt : public NamePrompt {
public:
    std::string answer = "New";
    int asked = 0;
    std::string askName() override
    {
        ++asked;
        return answer;
    }
};

using Table = QList<int>;

Table scores(const HighScores& t)
{
    return Table(t.HiScore.begin() + 1, t.HiScore.end());
}

QStringList names(const HighScores& t)
{
    QStringList out;
    for (int r = 1; r <= 5; ++r)
        out << QString::fromStdString(t.HiName[r]);
    return out;
}

const QByteArray DefaultFile
    = "[hs_sc]\r\nsc1=5\r\nsc2=4\r\nsc3=3\r\nsc4=2\r\nsc5=1\r\n"
      "[name]\r\nname1=Rv-nq1\r\nname2=Rv-nq2\r\nname3=Rv-nq3\r\nname4=Rv-nq4\r\nname5=Rv-nq5\r\n"
      "[pass]\r\ntp=1\r\n";

} // namespace

class TestHighScores : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void withoutAFileTheDefaultTableIsRead();
    void firstGameWithoutAFileCreatesItInOrder();
    void gameEndOnTheDefaultTable_data();
    void gameEndOnTheDefaultTable();
    void cancelledOrEmptyNameSurvivesARestartAsEmpty();
    void namesComeBackExactlyAsTyped_data();
    void namesComeBackExactlyAsTyped();
    void hexadecimalGameCountIsReadAndRewrittenInDecimalAndWrapsAtTheLimit();
    void oddValuesOfARankScoreRead_data();
    void oddValuesOfARankScoreRead();
    void tableEditedOutOfOrderIsTakenAsItStands();
    void everyGameRewritesAllKeysAndCountsUp();
    void gameEndKeepsCommentsAndOtherSectionsByteForByte();
    void failedSaveStopsThereButTheGameIsCounted();

private:
    HighScores loaded() const;

    SettingsFolder m_folder;
};

void TestHighScores::init()
{
    m_folder.clear();
}

HighScores TestHighScores::loaded() const
{
    HighScores table;
    table.load(TIniFile(m_folder.iniPath().toStdString()));
    return table;
}

void TestHighScores::withoutAFileTheDefaultTableIsRead()
{
    const HighScores t = loaded();
    QCOMPARE(scores(t), Table({ 5, 4, 3, 2, 1 }));
    QCOMPARE(names(t), QStringList({ "Rv-nq1", "Rv-nq2", "Rv-nq3", "Rv-nq4", "Rv-nq5" }));
    QCOMPARE(t.PlayCount, 0);
    QVERIFY(!QFile::exists(m_folder.iniPath()));
}

void TestHighScores::firstGameWithoutAFileCreatesItInOrder()
{
    HighScores t = loaded();
    FakePrompt prompt;
    TIniFile ini(m_folder.iniPath().toStdString());
    t.hiscchk(0, prompt, ini);
    QCOMPARE(prompt.asked, 0);
    QCOMPARE(m_folder.contents(), DefaultFile);
}

void TestHighScores::gameEndOnTheDefaultTable_data()
{
    QTest::addColumn<int>("score");
    QTest::addColumn<int>("asked");
    QTest::addColumn<Table>("table");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("0 enters nowhere") << 0 << 0 << Table { 5, 4, 3, 2, 1 }
                                      << QStringList { "Rv-nq1", "Rv-nq2", "Rv-nq3", "Rv-nq4", "Rv-nq5" };
    QTest::newRow("1 ties the last and stays out")
        << 1 << 0 << Table { 5, 4, 3, 2, 1 } << QStringList { "Rv-nq1", "Rv-nq2", "Rv-nq3", "Rv-nq4", "Rv-nq5" };
    QTest::newRow("3 goes below the older 3")
        << 3 << 1 << Table { 5, 4, 3, 3, 2 } << QStringList { "Rv-nq1", "Rv-nq2", "Rv-nq3", "New", "Rv-nq4" };
    QTest::newRow("6 takes rank 1") << 6 << 1 << Table { 6, 5, 4, 3, 2 }
                                    << QStringList { "New", "Rv-nq1", "Rv-nq2", "Rv-nq3", "Rv-nq4" };
}

void TestHighScores::gameEndOnTheDefaultTable()
{
    QFETCH(int, score);
    QFETCH(int, asked);
    QFETCH(Table, table);
    QFETCH(QStringList, names);
    HighScores t = loaded();
    FakePrompt prompt;
    TIniFile ini(m_folder.iniPath().toStdString());
    t.hiscchk(score, prompt, ini);
    QCOMPARE(prompt.asked, asked);
    QCOMPARE(scores(t), table);
    QCOMPARE(::names(t), names);
    QCOMPARE(t.PlayCount, 1);

    const HighScores reread = loaded();
    QCOMPARE(scores(reread), table);
    QCOMPARE(::names(reread), names);
    QCOMPARE(reread.PlayCount, 1);
}

void TestHighScores::cancelledOrEmptyNameSurvivesARestartAsEmpty()
{
    HighScores t = loaded();
    FakePrompt prompt;
    prompt.answer = "";
    TIniFile ini(m_folder.iniPath().toStdString());
    t.hiscchk(9, prompt, ini);
    QVERIFY(m_folder.contents().contains("\r\nname1=\r\n"));
    QCOMPARE(loaded().HiName[1], std::string());
    QCOMPARE(loaded().HiName[2], std::string("Rv-nq1"));
}

void TestHighScores::namesComeBackExactlyAsTyped_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("Japanese") << "山田　太郎";
    QTest::newRow("blanks at the ends") << " Bob ";
    QTest::newRow("in quotes") << "'Bob'";
    QTest::newRow("255 bytes") << QString(QStringLiteral("あ")).repeated(127) + "x";
}

void TestHighScores::namesComeBackExactlyAsTyped()
{
    QFETCH(QString, name);
    HighScores t = loaded();
    FakePrompt prompt;
    prompt.answer = name.toStdString();
    TIniFile ini(m_folder.iniPath().toStdString());
    t.hiscchk(9, prompt, ini);
    QCOMPARE(QString::fromStdString(loaded().HiName[1]), name);
}

void TestHighScores::hexadecimalGameCountIsReadAndRewrittenInDecimalAndWrapsAtTheLimit()
{
    m_folder.put("[pass]\r\ntp=0x10\r\n");
    HighScores t = loaded();
    QCOMPARE(t.PlayCount, 16);
    FakePrompt prompt;
    TIniFile ini(m_folder.iniPath().toStdString());
    t.hiscchk(0, prompt, ini);
    QVERIFY(m_folder.contents().startsWith("[pass]\r\ntp=17\r\n[hs_sc]\r\n"));

    m_folder.put("[pass]\r\ntp=$7FFFFFFF\r\n");
    t = loaded();
    t.hiscchk(0, prompt, ini);
    QCOMPARE(t.PlayCount, INT32_MIN);
}

void TestHighScores::oddValuesOfARankScoreRead_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("letters") << QByteArray("abc") << 4;
    QTest::newRow("number then letters") << QByteArray("12abc") << 4;
    QTest::newRow("beyond 32 bits") << QByteArray("3000000000") << 4;
    QTest::newRow("nothing after =") << QByteArray("") << 4;
    QTest::newRow("negative") << QByteArray("-5") << -5;
    QTest::newRow("hexadecimal") << QByteArray("$1A") << 26;
}

void TestHighScores::oddValuesOfARankScoreRead()
{
    QFETCH(QByteArray, value);
    QFETCH(int, expected);
    m_folder.put("[hs_sc]\r\nsc2=" + value + "\r\n");
    QCOMPARE(loaded().HiScore[2], expected);
}

void TestHighScores::tableEditedOutOfOrderIsTakenAsItStands()
{
    m_folder.put("[hs_sc]\r\nsc1=1\r\nsc2=8\r\n");
    HighScores t = loaded();
    QCOMPARE(scores(t), Table({ 1, 8, 3, 2, 1 }));
    FakePrompt prompt;
    TIniFile ini(m_folder.iniPath().toStdString());
    t.hiscchk(5, prompt, ini);
    QCOMPARE(prompt.asked, 1);
    QCOMPARE(scores(t), Table({ 5, 1, 8, 3, 2 }));
    QCOMPARE(names(t), QStringList({ "New", "Rv-nq1", "Rv-nq2", "Rv-nq3", "Rv-nq4" }));
}

void TestHighScores::everyGameRewritesAllKeysAndCountsUp()
{
    HighScores t = loaded();
    FakePrompt prompt;
    TIniFile ini(m_folder.iniPath().toStdString());
    for (int game = 1; game <= 3; ++game) {
        // Changes made to the file behind the running game's back are overwritten.
        m_folder.put(QByteArray(DefaultFile).replace("sc1=5", "sc1=99").replace("name5=Rv-nq5", "name5=Other"));
        t.hiscchk(0, prompt, ini);
        QCOMPARE(t.PlayCount, game);
        QCOMPARE(m_folder.contents(), QByteArray(DefaultFile).replace("tp=1", "tp=" + QByteArray::number(game)));
    }
    QCOMPARE(prompt.asked, 0);
}

void TestHighScores::gameEndKeepsCommentsAndOtherSectionsByteForByte()
{
    // As the desktop's profile functions leave a file that another program and a person also
    // edited: a comment, a foreign section, a Shift-JIS name, a blank line, keys in other cases.
    m_folder.put("; Zorvat\r\n[HS_SC]\r\nSC1=7\r\nsc2 = 6\r\n\r\n[other]\r\nkey=\x8e\x52\r\n"
                 "[name]\r\nname1=\x8e\x52\x93\x63\r\n[pass]\r\ntp=41\r\n");
    HighScores t = loaded();
    QCOMPARE(QString::fromStdString(t.HiName[1]), QStringLiteral("山田"));
    FakePrompt prompt;
    prompt.answer = "太郎";
    TIniFile ini(m_folder.iniPath().toStdString());
    t.hiscchk(6, prompt, ini);
    QCOMPARE(m_folder.contents(),
        QByteArray("; Zorvat\r\n[HS_SC]\r\nSC1=7\r\nsc2=6\r\nsc3=6\r\nsc4=3\r\nsc5=2\r\n\r\n"
                   "[other]\r\nkey=\x8e\x52\r\n"
                   "[name]\r\nname1=\x8e\x52\x93\x63\r\nname2=Rv-nq2\r\nname3=\x91\xbe\x98\x59\r\n"
                   "name4=Rv-nq3\r\nname5=Rv-nq4\r\n[pass]\r\ntp=42\r\n"));
}

void TestHighScores::failedSaveStopsThereButTheGameIsCounted()
{
    m_folder.put("[pass]\r\ntp=3\r\n");
    QVERIFY(QFile::setPermissions(m_folder.iniPath(), QFile::ReadOwner));
    HighScores t = loaded();
    FakePrompt prompt;
    TIniFile ini(m_folder.iniPath().toStdString());
    try {
        t.hiscchk(9, prompt, ini);
        QFAIL("the save went through");
    } catch (const Error& e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Zorvat.ini に書き込めません"));
    }
    QCOMPARE(t.PlayCount, 4);
    QCOMPARE(t.HiScore[1], 9);
    QCOMPARE(m_folder.contents(), QByteArray("[pass]\r\ntp=3\r\n"));
    QVERIFY(QFile::setPermissions(m_folder.iniPath(), QFile::ReadOwner | QFile::WriteOwner));
}

QTEST_GUILESS_MAIN(TestHighScores)
#include "test_high_scores.moc"
