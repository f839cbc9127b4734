// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_bytes.h"
#include "rank_page_file.h"
#include "rank_settings.h"
#include "rank_target.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sstream>

using namespace zorvat::InternetRank;
using zorvat::testing::fileBytes;

namespace {

const QByteArray Env = "http://env.example/rank.cgi";
const QByteArray Home = "url=https://home.example/rank.cgi\ncheck_multiplier=41\ncheck_offset=3\n";
const QByteArray School = "url=http://school.example/rank.cgi\ncheck_multiplier=52\n";
const QByteArray Club = "url=http://club.example/rank.cgi\n";
using Files = QList<QByteArray>; // the ranking.conf of the home folder and of two system folders
const int M = CheckMultiplier;
const int O = CheckOffset;

} // namespace

// The player's home folder and two system folders in a private place; the environment made up.
class TestRankTarget : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pageCarriesTheAddressAndNumbersOfTheFirstSourceNamingAnAddress_data();
    void pageCarriesTheAddressAndNumbersOfTheFirstSourceNamingAnAddress();
    void badValuePassesItsSourceOverWithOneLine_data();
    void badValuePassesItsSourceOverWithOneLine();

private:
    RankTarget find(QByteArray env, const Files& files);
    QString conf(const char* folder) const { return m_dir.filePath(QLatin1String(folder) + "/zorvat/ranking.conf"); }

    QTemporaryDir m_dir;
    std::ostringstream m_warnings;
};

RankTarget TestRankTarget::find(QByteArray env, const Files& files)
{
    const char* folders[] = { "home", "etc1", "etc2" };
    for (int i = 0; i < 3; ++i) {
        QFile::remove(conf(folders[i]));
        QDir().mkpath(QFileInfo(conf(folders[i])).path());
        if (!files.value(i).isEmpty())
            zorvat::testing::putFile(conf(folders[i]), files[i]);
    }
    // A relative folder is no folder of XDG_CONFIG_DIRS.
    const QByteArray dirs = "etc0:" + QFile::encodeName(m_dir.filePath("etc1") + ':' + m_dir.filePath("etc2"));
    m_warnings.str({});
    return findRankTarget(
        [&](const char* name) -> const char* {
            return name == std::string_view("ZORVAT_RANK_URL") ? env.constData()
                : name == std::string_view("XDG_CONFIG_DIRS")  ? dirs.constData()
                                                               : nullptr;
        },
        QFile::encodeName(m_dir.filePath("home")).toStdString(), m_warnings);
}

void TestRankTarget::pageCarriesTheAddressAndNumbersOfTheFirstSourceNamingAnAddress_data()
{
    QTest::addColumn<QByteArray>("env");
    QTest::addColumn<Files>("files");
    QTest::addColumn<QByteArray>("url");
    QTest::addColumn<int>("pass"); // of a score of 12
    QTest::newRow("nothing set: the build's") << QByteArray() << Files() << QByteArray(RankUrl) << 12 * M + O;
    QTest::newRow("environment first, build's numbers") << Env << Files { Home, School } << Env << 12 * M + O;
    QTest::newRow("home before the system")
        << QByteArray() << Files { Home, School, Club } << QByteArray("https://home.example/rank.cgi") << 12 * 41 + 3;
    QTest::newRow("system folders in order, a number left out")
        << QByteArray() << Files { "# none\n", School, Club } << QByteArray("http://school.example/rank.cgi")
        << 12 * 52 + O;
    QTest::newRow("comments, blanks, CR LF, byte order mark")
        << QByteArray()
        << Files { "\xEF\xBB\xBF# ours\r\n\r\n url = https://a.example/r.cgi?k=1 \r\ncheck_offset=0\r\n" }
        << QByteArray("https://a.example/r.cgi?k=1") << 12 * M;
}

void TestRankTarget::pageCarriesTheAddressAndNumbersOfTheFirstSourceNamingAnAddress()
{
    QFETCH(QByteArray, env);
    QFETCH(Files, files);
    QFETCH(QByteArray, url);
    QFETCH(int, pass);
    const RankTarget target = find(env, files);
    QCOMPARE(m_warnings.str(), std::string());

    const QString startFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.path()));
    WriteRankPage(12, 3, target);
    const QList<QByteArray> page = fileBytes(QStringLiteral("intsc.htm")).split('\n');
    QDir::setCurrent(startFolder);
    QCOMPARE(page.value(13), "\"" + url + "\">\r");
    QCOMPARE(page.value(16), R"(  <INPUT TYPE="hidden" NAME="pass" VALUE=")" + QByteArray::number(pass) + "\" >\r");
}

void TestRankTarget::badValuePassesItsSourceOverWithOneLine_data()
{
    QTest::addColumn<QByteArray>("env");
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<QByteArray>("url");
    QTest::addColumn<QString>("warning"); // %1: the home folder's ranking.conf
    const QString notUrl = "is not an http:// or https:// address in printable ASCII without blanks, quotes, <, > or "
                           "backslashes";
    const QByteArray school = "http://school.example/rank.cgi";
    const std::pair<const char*, const char*> badUrls[] = { { "ftp", "ftp://x/rank.cgi" }, { "no host", "http://" },
        { "blank", "http://x/a b" }, { "double quote", "http://x/\"" }, { "single quote", "http://x/'" },
        { "tag", "http://x/<b>" }, { "backslash", "http://x\\y" }, { "control character", "http://x/\x1b" },
        { "not ASCII", "http://\xe4\xbe\x8b.jp/" } };
    for (const auto& [what, bad] : badUrls)
        QTest::addRow("environment: %s", what)
            << QByteArray(bad) << QByteArray() << school << "zorvat: ZORVAT_RANK_URL " + notUrl + "; it is not used\n";
    const QString passedOver = QStringLiteral("zorvat: %1:2: %2; the file is not used\n");
    const auto file = [&](const char* name, const char* conf, const QString& why) {
        QTest::newRow(name) << QByteArray() << QByteArray(conf) << school << passedOver.arg("%1", why);
    };
    file("url in quotes", "#\nurl=\"http://x/\"\n", "url " + notUrl);
    file("multiplier of 3 digits", "url=http://x/\ncheck_multiplier=100\n",
        "check_multiplier is not a number from 10 to 99");
    file("multiplier 09", "url=http://x/\ncheck_multiplier=09\n", "check_multiplier is not a number from 10 to 99");
    file("offset of 2 digits", "url=http://x/\ncheck_offset=10\n", "check_offset is not a number from 0 to 9");
    QTest::newRow("numbers without an address")
        << QByteArray() << QByteArray("check_offset=1\n") << school
        << QStringLiteral("zorvat: %1: check numbers without a url; the file is not used\n");
    QTest::newRow("unknown key ignored, file used")
        << QByteArray() << QByteArray("url=http://x/\ncheck_multipler=41\n") << QByteArray("http://x/")
        << QStringLiteral("zorvat: %1:2: not a url=, check_multiplier= or check_offset= line; it is ignored\n");
}

void TestRankTarget::badValuePassesItsSourceOverWithOneLine()
{
    QFETCH(QByteArray, env);
    QFETCH(QByteArray, home);
    QFETCH(QByteArray, url);
    QFETCH(QString, warning);
    QCOMPARE(QByteArray::fromStdString(find(env, { home, School }).url), url);
    QCOMPARE(QString::fromStdString(m_warnings.str()), warning.replace(QLatin1String("%1"), conf("home")));
}

QTEST_GUILESS_MAIN(TestRankTarget)
#include "test_rank_target.moc"
