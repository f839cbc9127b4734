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

namespace {

using Files = QList<QByteArray>; // ranking.conf in the home folder and in two system folders; empty for none
const QByteArray Home = "url=https://home.example/r.cgi\ncheck_multiplier=41\ncheck_offset=3\n";
const QByteArray School = "url=http://school.example/r.cgi\ncheck_multiplier=52\n";
const QString NotUrl = " is not an http:// or https:// address in printable ASCII without blanks, quotes, <, > or "
                       "backslashes";

} // namespace

class TestRankTarget : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pagePostsToTheFirstGoodSourceWithItsNumbers_data();
    void pagePostsToTheFirstGoodSourceWithItsNumbers();

private:
    QTemporaryDir m_dir;
};

void TestRankTarget::pagePostsToTheFirstGoodSourceWithItsNumbers_data()
{
    QTest::addColumn<QByteArray>("env");
    QTest::addColumn<Files>("files");
    QTest::addColumn<QByteArray>("url");
    QTest::addColumn<int>("pass"); // of a score of 12
    QTest::addColumn<QString>("warning"); // %1: the home folder's ranking.conf
    const int build = 12 * CheckMultiplier + CheckOffset;
    const int home = 12 * 41 + 3;
    const int school = 12 * 52 + CheckOffset;
    const QByteArray homeUrl = "https://home.example/r.cgi";
    const QByteArray schoolUrl = "http://school.example/r.cgi";
    QTest::newRow("nothing set: the build's") << QByteArray() << Files() << QByteArray(RankUrl) << build << QString();
    QTest::newRow("environment first, build's numbers")
        << QByteArray("http://e.example/") << Files { Home } << QByteArray("http://e.example/") << build << QString();
    QTest::newRow("home before the system") << QByteArray() << Files { Home, School } << homeUrl << home << QString();
    QTest::newRow("system folders in order, a number left out")
        << QByteArray() << Files { "# none\n", School, Home } << schoolUrl << school << QString();
    QTest::newRow("comments, blanks, CR LF, byte order mark")
        << QByteArray() << Files { "\xEF\xBB\xBF# ours\r\n\r\n url = https://a.example/?k=1 \r\ncheck_offset=0\r\n" }
        << QByteArray("https://a.example/?k=1") << 12 * CheckMultiplier << QString();
    for (const char* bad : { "ftp://x/", "http://", "http://x/a b", "http://x/\"", "http://x/'", "http://x/<b>",
             "http://x\\y", "http://x/\x1b", "http://\xe4\xbe\x8b.jp/" })
        QTest::addRow("environment %s", QByteArray(bad).toPercentEncoding().constData()) << QByteArray(
            bad) << Files { Home } << homeUrl << home << "zorvat: ZORVAT_RANK_URL" + NotUrl + "; it is not used\n";
    const auto badFile = [&](const char* name, const char* conf, const QString& why) {
        QTest::newRow(name) << QByteArray() << Files { conf, School } << schoolUrl << school
                            << QStringLiteral("zorvat: %1:2: %2; the file is not used\n").arg("%1", why);
    };
    badFile("url in quotes", "#\nurl=\"http://x/\"\n", "url" + NotUrl);
    badFile("multiplier of 3 digits", "url=http://x/\ncheck_multiplier=100\n",
        "check_multiplier is not a number from 10 to 99");
    badFile("multiplier 09", "url=http://x/\ncheck_multiplier=09\n", "check_multiplier is not a number from 10 to 99");
    badFile("offset of 2 digits", "url=http://x/\ncheck_offset=10\n", "check_offset is not a number from 0 to 9");
    QTest::newRow("numbers without an address")
        << QByteArray() << Files { "check_offset=1\n", School } << schoolUrl << school
        << QStringLiteral("zorvat: %1: check numbers without a url; the file is not used\n");
    QTest::newRow("unknown key ignored, file used")
        << QByteArray() << Files { "url=http://x/\ncheck_multipler=41\n" } << QByteArray("http://x/") << build
        << QStringLiteral("zorvat: %1:2: not a url=, check_multiplier= or check_offset= line; it is ignored\n");
}

void TestRankTarget::pagePostsToTheFirstGoodSourceWithItsNumbers()
{
    QFETCH(QByteArray, env);
    QFETCH(Files, files);
    QFETCH(QByteArray, url);
    QFETCH(int, pass);
    QFETCH(QString, warning);
    const char* folders[] = { "home", "etc1", "etc2" };
    for (int i = 0; i < 3; ++i) {
        const QString conf = m_dir.filePath(QLatin1String(folders[i]) + "/zorvat/ranking.conf");
        QFile::remove(conf);
        QVERIFY(QDir().mkpath(QFileInfo(conf).path()));
        if (!files.value(i).isEmpty())
            zorvat::testing::putFile(conf, files[i]);
    }
    // A relative folder is no folder of XDG_CONFIG_DIRS.
    const QByteArray dirs = "etc0:" + QFile::encodeName(m_dir.filePath("etc1") + ':' + m_dir.filePath("etc2"));
    const auto environment = [&](std::string_view name) {
        return name == "ZORVAT_RANK_URL" ? env.constData() : name == "XDG_CONFIG_DIRS" ? dirs.constData() : nullptr;
    };
    std::ostringstream warnings;
    const RankTarget target
        = findRankTarget(environment, QFile::encodeName(m_dir.filePath("home")).toStdString(), warnings);
    QCOMPARE(QString::fromStdString(warnings.str()), warning.replace("%1", m_dir.filePath("home/zorvat/ranking.conf")));

    QVERIFY(QDir::setCurrent(m_dir.path()));
    WriteRankPage(12, 3, target);
    const QList<QByteArray> page = zorvat::testing::fileBytes("intsc.htm").split('\n');
    QCOMPARE(page.value(13), "\"" + url + "\">\r");
    QCOMPARE(page.value(16), R"(  <INPUT TYPE="hidden" NAME="pass" VALUE=")" + QByteArray::number(pass) + "\" >\r");
}

QTEST_GUILESS_MAIN(TestRankTarget)
#include "test_rank_target.moc"
