// SPDX-License-Identifier: GPL-3.0-or-later
#include "error.h"
#include "file_calls.h"
#include "high_scores.h"
#include "ini_file.h"
#include "records_fakes.h"
#include "score_keeper.h"
#include "settings_folder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace zorvat;
using namespace zorvat::testing;

namespace {

// The game's records on the settings folder's file, read as start-up reads them.
struct Keeper {
    explicit Keeper(const SettingsFolder& folder)
        : records(folder.iniPath().toStdString(), InternetRank::builtInRankTarget(), prompt, question, desktop, files)
    {
        records.load();
    }
    const HighScores& table() const { return records.table(); }

    FakePrompt prompt;
    FakeQuestion question;
    FakeOpener desktop;
    FileCalls files;
    ScoreKeeper records;
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
    void everyGameEndReadsTheFileAgainAndCountsOnFromIt();
    void gameEndKeepsCommentsAndOtherSectionsByteForByte();
    void failedSaveStopsThereButTheGameIsCounted();
    void endOfGameAsksThenWritesAndOpensThePageWithTheCountSoFar();

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
    Keeper k(m_folder);
    k.records.hiscchk(0);
    QCOMPARE(k.prompt.asked, 0);
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
    Keeper k(m_folder);
    k.records.hiscchk(score);
    QCOMPARE(k.prompt.asked, asked);
    QCOMPARE(scores(k.table()), table);
    QCOMPARE(::names(k.table()), names);
    QCOMPARE(k.table().PlayCount, 1);

    const HighScores reread = loaded();
    QCOMPARE(scores(reread), table);
    QCOMPARE(::names(reread), names);
    QCOMPARE(reread.PlayCount, 1);
}

void TestHighScores::cancelledOrEmptyNameSurvivesARestartAsEmpty()
{
    Keeper k(m_folder);
    k.prompt.answer = "";
    k.records.hiscchk(9);
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
    Keeper k(m_folder);
    k.prompt.answer = name.toStdString();
    k.records.hiscchk(9);
    QCOMPARE(QString::fromStdString(loaded().HiName[1]), name);
}

void TestHighScores::hexadecimalGameCountIsReadAndRewrittenInDecimalAndWrapsAtTheLimit()
{
    m_folder.put("[pass]\r\ntp=0x10\r\n");
    Keeper k(m_folder);
    QCOMPARE(k.table().PlayCount, 16);
    k.records.hiscchk(0);
    QVERIFY(m_folder.contents().startsWith("[pass]\r\ntp=17\r\n[hs_sc]\r\n"));

    m_folder.put("[pass]\r\ntp=$7FFFFFFF\r\n");
    k.records.load();
    k.records.hiscchk(0);
    QCOMPARE(k.table().PlayCount, INT32_MIN);
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
    Keeper k(m_folder);
    QCOMPARE(scores(k.table()), Table({ 1, 8, 3, 2, 1 }));
    k.records.hiscchk(5);
    QCOMPARE(k.prompt.asked, 1);
    QCOMPARE(scores(k.table()), Table({ 5, 1, 8, 3, 2 }));
    QCOMPARE(names(k.table()), QStringList({ "New", "Rv-nq1", "Rv-nq2", "Rv-nq3", "Rv-nq4" }));
}

void TestHighScores::everyGameEndReadsTheFileAgainAndCountsOnFromIt()
{
    Keeper k(m_folder);
    for (int game = 1; game <= 3; ++game) {
        // Another copy of the game saved meanwhile: its entries and its count stay.
        const QByteArray other = QByteArray(DefaultFile)
                                     .replace("sc1=5", "sc1=99")
                                     .replace("name5=Rv-nq5", "name5=Other")
                                     .replace("tp=1", "tp=" + QByteArray::number(10 * game));
        m_folder.put(other);
        k.records.hiscchk(0);
        QCOMPARE(k.table().PlayCount, 10 * game + 1);
        QCOMPARE(k.table().HiScore[1], 99);
        QCOMPARE(m_folder.contents(),
            QByteArray(other).replace(
                "tp=" + QByteArray::number(10 * game), "tp=" + QByteArray::number(10 * game + 1)));
    }
    QCOMPARE(k.prompt.asked, 0);
}

void TestHighScores::gameEndKeepsCommentsAndOtherSectionsByteForByte()
{
    // As the desktop's profile functions leave a file that another program and a person also
    // edited: a comment, a foreign section, a Shift-JIS name, a blank line, keys in other cases.
    m_folder.put("; Zorvat\r\n[HS_SC]\r\nSC1=7\r\nsc2 = 6\r\n\r\n[other]\r\nkey=\x8e\x52\r\n"
                 "[name]\r\nname1=\x8e\x52\x93\x63\r\n[pass]\r\ntp=41\r\n");
    Keeper k(m_folder);
    QCOMPARE(QString::fromStdString(k.table().HiName[1]), QStringLiteral("山田"));
    k.prompt.answer = "太郎";
    k.records.hiscchk(6);
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
    Keeper k(m_folder);
    try {
        k.records.hiscchk(9);
        QFAIL("the save went through");
    } catch (const Error& e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Zorvat.ini に書き込めません"));
    }
    QCOMPARE(k.table().PlayCount, 4);
    QCOMPARE(k.table().HiScore[1], 9);
    QCOMPARE(m_folder.contents(), QByteArray("[pass]\r\ntp=3\r\n"));
    QVERIFY(QFile::setPermissions(m_folder.iniPath(), QFile::ReadOwner | QFile::WriteOwner));

    // The next save that goes through brings the game whose save failed along.
    k.records.hiscchk(0);
    QCOMPARE(loaded().PlayCount, 5);
    QCOMPARE(loaded().HiScore[1], 9);
    QCOMPARE(loaded().HiName[1], std::string("New"));
    QCOMPARE(k.prompt.asked, 1);
}

void TestHighScores::endOfGameAsksThenWritesAndOpensThePageWithTheCountSoFar()
{
    m_folder.put("[pass]\r\ntp=41\r\n");
    const QString startFolder = QDir::currentPath();
    QTemporaryDir pageFolder;
    QVERIFY(QDir::setCurrent(pageFolder.path()));
    Keeper k(m_folder);
    k.question.answerYes = true;
    const bool agreed = k.records.ConfirmRanking("スコア：12点をインターネットランキング申請しますか？");
    k.records.WriteRankPage(12);
    k.records.OpenRankPage();
    k.records.hiscchk(12);
    QFile page(QStringLiteral("intsc.htm"));
    const bool pageRead = page.open(QIODevice::ReadOnly);
    const QByteArray pageBytes = page.readAll();
    const QString pagePath = QFileInfo(page).absoluteFilePath();
    QDir::setCurrent(startFolder);

    QVERIFY(agreed);
    QCOMPARE(k.question.messages, std::vector<std::string> { "スコア：12点をインターネットランキング申請しますか？" });
    QVERIFY(pageRead);
    QVERIFY(pageBytes.contains("NAME=\"sc\" VALUE=\"12\" >"));
    QVERIFY(pageBytes.contains("NAME=\"play\" VALUE=\"41\" >"));
    QCOMPARE(k.desktop.opened, QStringList { pagePath });
    QCOMPARE(k.table().PlayCount, 42);
}

QTEST_GUILESS_MAIN(TestHighScores)
#include "test_high_scores.moc"
