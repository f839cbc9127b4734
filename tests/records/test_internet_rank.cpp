// SPDX-License-Identifier: GPL-3.0-or-later
#include "lowered_limit.h"
#include "rank_page.h"
#include "rank_page_file.h"
#include "rank_settings.h"
#include "shell_open.h"
#include "shell_rig.h"
#include "text_codec.h"
#include "translation.h"
#include "write_error_text.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

using namespace zorvat;
using namespace zorvat::testing;

namespace {

const InternetRank::RankTarget BuiltIn = InternetRank::builtInRankTarget();

// The page exactly as the ranking server's form expects it, one UTF-8 line per entry.
QStringList expectedLines(int score, int playCount, int checkCode)
{
    const QString sc = QString::number(score);
    return {
        R"(<html><head><title>Rekvan</title></head>)",
        R"(<body bgcolor="#000000" text="#C0C0C0">)",
        R"(<p align="center"><font color="#FF0000" size="6"><strong>Zorvat</strong></font></p>)",
        R"(<p align="center"><font color="#FFFFFF" size="4"><strong>)",
        R"(インターネット・タイムアタック・ランキング　登録フォーム</strong></font></p>)",
        R"(<p align="center">登録する場合はインターネットに接続後</p>)",
        R"(<p align="center">必要事項を入力し送信ボタンを押して下さい。</p>)",
        R"(<p align="center">CGIによりリアルタイムでランキング集計されます。</p>)",
        R"(<p align="center">（注）タイムを書き換えて送信した場合は無効となります。</p>)",
        R"(<p align="center"><font color="#FFFF00" size="4"><strong></strong></font>　</p>)",
        R"(<p align="center"><font color="#FFFF00" size="4"><strong>スコア：)" + sc + "点",
        R"(</strong></font></p>)",
        R"(<FORM METHOD="POST" ACTION=)",
        "\"" + QString::fromLatin1(InternetRank::RankUrl) + "\">",
        R"(  <INPUT TYPE="hidden" NAME="sc" VALUE=")" + sc + "\" >",
        R"(  <INPUT TYPE="hidden" NAME="play" VALUE=")" + QString::number(playCount) + "\" >",
        R"(  <INPUT TYPE="hidden" NAME="pass" VALUE=")" + QString::number(checkCode) + "\" >",
        "\t"
        R"(<p align="center">名前：<input type="text" size="20" name="name"></p>)",
        R"(  <p align="center">一言：<input type="text" size="54" name="com"></p>)",
        R"(  <p align="center"><input type="submit" name="B1" value="送信"></p>)",
        R"(</form></body></html>)",
    };
}

QByteArray readPage()
{
    QFile file(QString::fromLatin1(InternetRank::RankPageName));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no page)");
}

QString writeFailure(std::int32_t score, std::int32_t playCount)
{
    try {
        InternetRank::WriteRankPage(score, playCount, BuiltIn);
    } catch (const Error& error) {
        return QString::fromUtf8(error.what());
    }
    return {};
}

int lowestFreeDescriptor()
{
    const int fd = ::dup(0);
    ::close(fd);
    return fd;
}

} // namespace

class TestInternetRank : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void pageCarriesScoreCountAndCheckCodeInItsFixedLines_data();
    void pageCarriesScoreCountAndCheckCodeInItsFixedLines();
    void pageIsCodePage932WithCrLfAndTheSpacingTheServerExpects();
    void secondWriteReplacesTheFirstCompletely();
    void failedWriteSaysWhyAndLeavesTheOldPageWhole_data();
    void failedWriteSaysWhyAndLeavesTheOldPageWhole();
    void writeErrorTextFollowsTheSystemError_data();
    void writeErrorTextFollowsTheSystemError();
    void shellOpenHandsOnlyExistingDocumentsToTheDesktop();
    void helpMenuOpensReadmeFromTheCurrentFolder();
    void helpInEnglishOpensTheEnglishPageWhereThereIsOne();
    void helpWithoutReadmeDoesNothingVisible();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_startFolder;
    FakeOpener m_desktop;
};

void TestInternetRank::init()
{
    m_startFolder = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    m_desktop = FakeOpener();
}

void TestInternetRank::cleanup()
{
    QDir::setCurrent(m_startFolder);
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_dir.reset();
}

void TestInternetRank::pageCarriesScoreCountAndCheckCodeInItsFixedLines_data()
{
    QTest::addColumn<int>("score");
    QTest::addColumn<int>("playCount");
    QTest::addColumn<int>("checkCode");
    const int m = InternetRank::CheckMultiplier;
    const int o = InternetRank::CheckOffset;
    QTest::newRow("first game, score 0") << 0 << 0 << o;
    QTest::newRow("score 12 after 41 games") << 12 << 41 << 12 * m + o;
    QTest::newRow("score 123456") << 123456 << 7 << 123456 * m + o;
    // The server works in 32-bit signed numbers, so the code wraps for a score no game reaches.
    QTest::newRow("check code wraps") << 2147483647 << 1
                                      << static_cast<int>(static_cast<std::uint32_t>(2147483647) * m + o);
}

void TestInternetRank::pageCarriesScoreCountAndCheckCodeInItsFixedLines()
{
    QFETCH(int, score);
    QFETCH(int, playCount);
    QFETCH(int, checkCode);
    InternetRank::WriteRankPage(score, playCount, BuiltIn);
    const QByteArray page = readPage();

    QByteArray expected;
    qsizetype lineBytes = 0;
    for (const QString& line : expectedLines(score, playCount, checkCode)) {
        const std::string bytes = toCp932OrThrow(line.toStdString());
        expected += QByteArray::fromStdString(bytes) + "\r\n";
        lineBytes += static_cast<qsizetype>(bytes.size());
    }
    QCOMPARE(page, expected);
    QCOMPARE(page.size(), lineBytes + 42);
}

void TestInternetRank::pageIsCodePage932WithCrLfAndTheSpacingTheServerExpects()
{
    InternetRank::WriteRankPage(0, 0, BuiltIn);
    const QByteArray page = readPage();
    QVERIFY(page.startsWith("<html>"));
    QVERIFY(page.endsWith("</form></body></html>\r\n"));
    QCOMPARE(page.count("\r\n"), 21);
    QCOMPARE(page.count('\n'), 21);
    QCOMPARE(page.count('\r'), 21);

    const QList<QByteArray> lines = page.split('\n');
    QVERIFY(lines[4].contains("\x83\x4f\x81\x40\x93\x6f")); // the wide blank between two words
    QVERIFY(lines[9].endsWith("</font>\x81\x40</p>\r"));
    // Line 11 for score 0: スコア：0点
    const QByteArray scoreWord("\x83\x58\x83\x52\x83\x41\x81\x46");
    QCOMPARE(lines[10], R"(<p align="center"><font color="#FFFF00" size="4"><strong>)" + scoreWord + "0\x93\x5f\r");
    QCOMPARE(lines[13], "\"" + QByteArray(InternetRank::RankUrl) + "\">\r");
    QVERIFY(lines[14].endsWith("VALUE=\"0\" >\r"));
    QVERIFY(lines[15].endsWith("VALUE=\"0\" >\r"));
    QVERIFY(lines[16].endsWith(" >\r"));
    QVERIFY(lines[17].startsWith("\t<p align=\"center\">\x96\xbc\x91\x4f\x81\x46<input"));
    QVERIFY(lines[19].contains("value=\"\x91\x97\x90\x4d\""));
}

void TestInternetRank::secondWriteReplacesTheFirstCompletely()
{
    InternetRank::WriteRankPage(123456, 99, BuiltIn);
    InternetRank::WriteRankPage(0, 100, BuiltIn);
    const QByteArray page = readPage();
    QCOMPARE(page, QByteArray::fromStdString(InternetRank::rankPageBytes(0, 100, InternetRank::RankUrl)));
    QVERIFY(page.contains("NAME=\"play\" VALUE=\"100\" >"));
    QCOMPARE(QDir::current().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList { QStringLiteral("intsc.htm") });
}

enum class Obstacle { ReadOnlyPage, ReadOnlyFolder, FolderWherePageGoes, NoFileHandles, DiskFull, FolderRemoved };

void TestInternetRank::failedWriteSaysWhyAndLeavesTheOldPageWhole_data()
{
    QTest::addColumn<Obstacle>("obstacle");
    QTest::addColumn<QString>("text");
    // The box says why, in the system's own words for the error.
    const QString denied = QStringLiteral("ﾌｧｲﾙへのｱｸｾｽが拒否されました");
    QTest::newRow("read-only page") << Obstacle::ReadOnlyPage << denied;
    QTest::newRow("read-only folder without a page yet") << Obstacle::ReadOnlyFolder << denied;
    QTest::newRow("a folder named like the page") << Obstacle::FolderWherePageGoes << denied;
    QTest::newRow("no file handle left") << Obstacle::NoFileHandles << QStringLiteral("ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます");
    QTest::newRow("disk full halfway") << Obstacle::DiskFull << QStringLiteral("ﾃﾞｨｽｸがいっぱいです");
    QTest::newRow("current folder removed") << Obstacle::FolderRemoved << QStringLiteral("ﾌｧｲﾙが見つかりません");
}

void TestInternetRank::failedWriteSaysWhyAndLeavesTheOldPageWhole()
{
    QFETCH(Obstacle, obstacle);
    QFETCH(QString, text);
    const QString page = QString::fromLatin1(InternetRank::RankPageName);
    // A page already there would be written in place in a read-only folder.
    const bool noPage = obstacle == Obstacle::FolderWherePageGoes || obstacle == Obstacle::ReadOnlyFolder;
    if (obstacle == Obstacle::FolderWherePageGoes)
        QVERIFY(QDir::current().mkdir(page));
    else if (!noPage)
        InternetRank::WriteRankPage(7, 3, BuiltIn);
    const QByteArray before = noPage ? QByteArray("(no page)") : readPage();

    QString failure;
    switch (obstacle) {
    case Obstacle::ReadOnlyPage:
        QVERIFY(QFile::setPermissions(page, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        failure = writeFailure(12, 4);
        break;
    case Obstacle::ReadOnlyFolder:
        QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
        failure = writeFailure(12, 4);
        break;
    case Obstacle::FolderWherePageGoes:
        failure = writeFailure(12, 4);
        break;
    case Obstacle::NoFileHandles: {
        LoweredLimit limit(RLIMIT_NOFILE, static_cast<rlim_t>(lowestFreeDescriptor()));
        failure = writeFailure(12, 4);
        break;
    }
    case Obstacle::DiskFull: {
        // The system stops the write at the size limit, as a full disk would, part-way through the page.
        LoweredLimit limit(RLIMIT_FSIZE, 300);
        failure = writeFailure(12, 4);
        break;
    }
    case Obstacle::FolderRemoved: {
        // The current folder was deleted behind the game's back: nothing can be created in it.
        QTemporaryDir doomed;
        QVERIFY(QDir::setCurrent(doomed.path()));
        QVERIFY(QDir(doomed.path()).removeRecursively());
        failure = writeFailure(12, 4);
        QVERIFY(QDir::setCurrent(m_dir->path()));
        break;
    }
    }
    QCOMPARE(failure, text);
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(readPage(), before);
    const QStringList left = QDir::current().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    QCOMPARE(left, obstacle == Obstacle::ReadOnlyFolder ? QStringList() : QStringList { page });
}

void TestInternetRank::writeErrorTextFollowsTheSystemError_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("text");
    QTest::newRow("not found") << ENOENT << QStringLiteral("ﾌｧｲﾙが見つかりません");
    QTest::newRow("name too long") << ENAMETOOLONG << QStringLiteral("不正なﾌｧｲﾙ名です");
    QTest::newRow("system out of handles") << ENFILE << QStringLiteral("ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます");
    QTest::newRow("read-only file system") << EROFS << QStringLiteral("ﾌｧｲﾙへのｱｸｾｽが拒否されました");
    QTest::newRow("no space") << ENOSPC << QStringLiteral("ﾃﾞｨｽｸがいっぱいです");
    QTest::newRow("anything else") << EIO << QStringLiteral("I/O ｴﾗｰ (%1)").arg(EIO);
}

void TestInternetRank::writeErrorTextFollowsTheSystemError()
{
    QFETCH(int, error);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(InternetRank::writeErrorText(error)), text);
}

void TestInternetRank::shellOpenHandsOnlyExistingDocumentsToTheDesktop()
{
    QVERIFY(InternetRank::OpenRankPage(m_desktop) <= 32);
    QVERIFY(m_desktop.opened.isEmpty());

    InternetRank::WriteRankPage(3, 1, BuiltIn);
    QVERIFY(InternetRank::OpenRankPage(m_desktop) > 32);
    QCOMPARE(m_desktop.opened, QStringList { QDir::current().absoluteFilePath(QStringLiteral("intsc.htm")) });

    QVERIFY(QDir::current().mkdir(QStringLiteral("docs")));
    QFile(QStringLiteral("docs/readme.htm")).open(QIODevice::WriteOnly);
    QVERIFY(
        InternetRank::ShellOpen(m_desktop, QStringLiteral("readme.htm"), QString(), QStringLiteral("docs"), 5) > 32);
    QCOMPARE(m_desktop.opened.last(), QDir::current().absoluteFilePath(QStringLiteral("docs/readme.htm")));

    m_desktop.accepts = false;
    QVERIFY(InternetRank::OpenRankPage(m_desktop) <= 32);
}

void TestInternetRank::helpMenuOpensReadmeFromTheCurrentFolder()
{
    QFile readme(QStringLiteral("readme.htm"));
    QVERIFY(readme.open(QIODevice::WriteOnly));
    readme.close();
    ShellRig rig;

    rig.find<QAction>("Help1")->trigger();
    QCOMPARE(rig.opener.opened, QStringList { QDir::current().absoluteFilePath(QStringLiteral("readme.htm")) });
    QVERIFY(rig.errors.isEmpty());
}

void TestInternetRank::helpInEnglishOpensTheEnglishPageWhereThereIsOne()
{
    const Translation english(Language::English);
    QFile(QStringLiteral("readme.htm")).open(QIODevice::WriteOnly);
    InternetRank::OpenReadme(m_desktop);
    QFile(QStringLiteral("readme_en.htm")).open(QIODevice::WriteOnly);
    InternetRank::OpenReadme(m_desktop);
    QCOMPARE(m_desktop.opened,
        QStringList(
            { QDir::current().absoluteFilePath("readme.htm"), QDir::current().absoluteFilePath("readme_en.htm") }));
}

void TestInternetRank::helpWithoutReadmeDoesNothingVisible()
{
    ShellRig rig;
    rig.window.show();
    const auto windowsBefore = QApplication::topLevelWidgets().size();

    // Started elsewhere, the game falls back to the help beside its executable; with none
    // there either, nothing happens.
    const QString besideExecutable = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath("readme.htm");
    rig.find<QAction>("Help1")->trigger();
    QCoreApplication::processEvents();
    if (QFileInfo::exists(besideExecutable))
        QCOMPARE(rig.opener.opened, QStringList { besideExecutable });
    else
        QVERIFY(rig.opener.opened.isEmpty());
    QVERIFY(rig.errors.isEmpty());
    QCOMPARE(QApplication::topLevelWidgets().size(), windowsBefore);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

QTEST_MAIN(TestInternetRank)
#include "test_internet_rank.moc"
