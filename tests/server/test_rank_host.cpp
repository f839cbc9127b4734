// SPDX-License-Identifier: GPL-3.0-or-later
// The host's commands of the zorvat-rank program on SQLite and PostgreSQL stores, while a server
// runs on the same store.
#include "check_code.h"
#include "entry_exchange.h"
#include "error.h"
#include "fresh_stores.h"
#include "http_client.h"
#include "running_server.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <fstream>

using namespace zorvat;
using namespace zorvat::rank;
using namespace zorvat::rank::testing;

namespace {

const std::string Rank = "/zorvat/rank.cgi";

struct Ran {
    int code = -1;
    QString out;
    QString err;
};

std::string post(int score, const std::string& name)
{
    return "sc=" + std::to_string(score) + "&play=1&pass=" + std::to_string(InternetRank::CheckCode(score))
        + "&name=" + name + "&com=";
}

std::int64_t shownTotal(int port)
{
    const std::string body = get(port, "/zorvat/ranking.json").body;
    return std::stoll(body.substr(body.find(':') + 1));
}

// A failure is told on one line of standard error, and nothing else.
bool saysWhyInOneLine(const Ran& ran, const QString& what)
{
    return ran.out.isEmpty() && ran.err.startsWith("zorvat-rank: ") && ran.err.count('\n') == 1
        && ran.err.contains(what);
}

} // namespace

class TestRankHost : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bothStores_data();
    void commandsModerateWhatTheRunningServerShows_data() { bothStores_data(); }
    void commandsModerateWhatTheRunningServerShows();
    void bannedAddressesPostInVainUntilTheBanIsLifted_data() { bothStores_data(); }
    void bannedAddressesPostInVainUntilTheBanIsLifted();
    void copiesImportIntoAnEmptyStoreAsTheyWere_data();
    void copiesImportIntoAnEmptyStoreAsTheyWere();
    void commandsThatCannotDoTheirJobSayWhyInOneLine_data();
    void commandsThatCannotDoTheirJobSayWhyInOneLine();
    void helpListsTheCommands();
    void exportsAreReadStrictly_data();
    void exportsAreReadStrictly();

private:
    Ran host(const QStringList& arguments);

    QTemporaryDir m_folder;
    FreshStores m_stores;
};

Ran TestRankHost::host(const QStringList& arguments)
{
    QProcess process;
    process.setWorkingDirectory(m_folder.path());
    process.start(ZORVAT_RANK_PROGRAM, arguments);
    if (!process.waitForFinished(60'000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return { process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
        QString::fromUtf8(process.readAllStandardError()) };
}

void TestRankHost::bothStores_data()
{
    QTest::addColumn<QString>("kind");
    for (const QString& kind : FreshStores::kinds())
        QTest::newRow(qPrintable(kind)) << kind;
}

void TestRankHost::commandsModerateWhatTheRunningServerShows()
{
    QFETCH(QString, kind);
    const auto store = m_stores.make(kind);
    store->import({ { 0, 0, 50, 2, "山田\x1b[2J\u202e", "やあ\tね", 1'700'000'000, "192.0.2.7" } });
    RunningServer server(*store, {});
    for (int i = 1; i <= 3; ++i)
        QCOMPARE(postForm(server.port(), Rank, post(10 * i, "p" + std::to_string(i))).status, 200);
    const QStringList db = m_stores.storeArguments(kind);

    // Stored texts reach the terminal with their control characters and tabs written out.
    const Ran listed = host(QStringList { "list" } + db);
    QCOMPARE(listed.code, 0);
    const QStringList lines = listed.out.split('\n');
    QCOMPARE(lines.size(), 6);
    QCOMPARE(lines[0], "id\trank\tname\tscore\tgames\tcomment\ttime\taddress");
    QVERIFY(lines[1].startsWith("4\t2\tp3\t30\t1\t\t"));
    QVERIFY(lines[1].endsWith("\t127.0.0.1"));
    QVERIFY2(lines[4].startsWith("1\t1\t山田\\x1b[2J\\u202e\t50\t2\tやあ\\x09ね\t"), qPrintable(lines[4]));

    const Ran json = host(QStringList { "list", "--json", "--limit", "2", "--name", "p" } + db);
    const QJsonArray entries = QJsonDocument::fromJson(json.out.toUtf8()).array();
    QCOMPARE(entries.size(), 2);
    const QJsonObject newest = entries[0].toObject();
    QCOMPARE(
        newest.keys(), QStringList({ "address", "comment", "games", "hidden", "id", "name", "rank", "score", "time" }));
    QCOMPARE(newest["id"].toInt(), 4);
    QCOMPARE(newest["rank"].toInt(), 2);
    QCOMPARE(newest["address"].toString(), "127.0.0.1");
    QCOMPARE(entries[1].toObject()["name"].toString(), "p2");

    struct Step {
        QStringList args;
        int code;
        QString said;
        std::int64_t total;
    };
    const Step steps[] = {
        { { "hide", "1", "3" }, 0, "2 entries hidden\n", 2 },
        { { "hide", "2", "99", "98" }, 1, "there are no entries 98, 99; nothing changed", 2 },
        { { "unhide", "1", "3", "4", "3" }, 0, "2 entries shown again (1 already shown)\n", 4 },
        { { "delete", "2" }, 0, "1 entry deleted\n", 3 },
        { { "delete", "2" }, 1, "there is no entry 2", 3 },
        { { "forget-addresses", "--older-than", "1" }, 0, "forgot the addresses of 1 entry posted before", 3 },
    };
    for (const Step& step : steps) {
        const Ran ran = host(step.args + db);
        QCOMPARE(ran.code, step.code);
        QVERIFY2(step.code ? saysWhyInOneLine(ran, step.said) : ran.out.startsWith(step.said), qPrintable(ran.out));
        QCOMPARE(shownTotal(server.port()), step.total);
        if (step.args[0] == "hide" && step.code == 0)
            QVERIFY(host(QStringList { "list" } + db).out.contains("\n3\thidden\tp2\t"));
    }
    QCOMPARE(store->list("山田").at(0).address, std::string());
}

void TestRankHost::bannedAddressesPostInVainUntilTheBanIsLifted()
{
    QFETCH(QString, kind);
    const auto store = m_stores.make(kind);
    ServerOptions options;
    options.metrics = true;
    RunningServer server(*store, options);
    // The store named by a configuration file, before the command's name.
    const QString config = m_folder.filePath("ban-" + kind + ".conf");
    const QStringList db = m_stores.storeArguments(kind);
    std::ofstream(config.toStdString()) << db[0].mid(2).toStdString() << " " << db[1].toStdString() << "\n";
    const QStringList named { "--config", config };

    const Ran banned = host(named + QStringList { "ban", "127.0.0.1/8", "--reason", "荒らし" });
    QCOMPARE(banned.code, 0);
    QVERIFY(banned.out.startsWith("banned 127.0.0.0/8"));
    QTRY_VERIFY(store->banned("127.0.0.1"));
    const HttpReply refused = postForm(server.port(), Rank, post(10, "x"));
    QCOMPARE(refused.status, 403);
    QVERIFY(refused.body.find("このアドレスからの送信は受け付けていません") != std::string::npos);
    QCOMPARE(shownTotal(server.port()), 0);
    QVERIFY(get(server.port(), "/metrics").body.find("zorvat_rank_posts_refused_total{reason=\"banned\"} 1")
        != std::string::npos);
    QVERIFY(host(named + QStringList { "bans" }).out.contains("\n127.0.0.0/8\t"));

    QCOMPARE(host(named + QStringList { "unban", "127.0.0.0/8" }).code, 0);
    QTRY_VERIFY(!store->banned("127.0.0.1"));
    QCOMPARE(postForm(server.port(), Rank, post(10, "x")).status, 200);
    QVERIFY(saysWhyInOneLine(host(named + QStringList { "unban", "127.0.0.0/8" }), "no ban on 127.0.0.0/8"));
}

void TestRankHost::copiesImportIntoAnEmptyStoreAsTheyWere_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("to");
    QTest::newRow("SQLite backup into PostgreSQL") << "sqlite"
                                                   << "backup"
                                                   << "postgres";
    QTest::newRow("PostgreSQL export into SQLite") << "postgres"
                                                   << "export"
                                                   << "sqlite";
    QTest::newRow("SQLite listing into SQLite") << "sqlite"
                                                << "list"
                                                << "sqlite";
}

void TestRankHost::copiesImportIntoAnEmptyStoreAsTheyWere()
{
    QFETCH(QString, from);
    QFETCH(QString, how);
    QFETCH(QString, to);
    const auto store = m_stores.make(from);
    store->import({ { 0, 0, 7, 1, "\"引用\"\\", "<b>&", 1'600'000'000, "2001:db8::1", true },
        { 0, 0, 9, 3, "後", "", 1'600'000'001, "", false }, { 0, 0, 7, 2, "同点", "x", 1'600'000'002, "", false } });
    store->ban("192.0.2.0/24", "理由", 1'600'000'000);
    const QStringList source = m_stores.storeArguments(from);
    const QString file = m_folder.filePath(QString("copy-%1-%2").arg(from, how));
    if (how == "list") {
        std::ofstream(file.toStdString()) << host(QStringList { "list", "--json" } + source).out.toStdString();
    } else {
        const Ran made = host(QStringList { how, file } + source);
        QVERIFY2(made.code == 0, qPrintable(made.err));
    }

    m_stores.makeBare(to);
    const QStringList target = m_stores.storeArguments(to);
    const Ran imported = host(QStringList { "import", file } + target);
    QVERIFY2(imported.code == 0, qPrintable(imported.err));
    QCOMPARE(host(QStringList { "list", "--json" } + target).out, host(QStringList { "list", "--json" } + source).out);
    if (how != "list")
        QCOMPARE(host(QStringList { "bans" } + target).out, host(QStringList { "bans" } + source).out);
    QVERIFY(saysWhyInOneLine(host(QStringList { "import", file } + target), "empty store only"));
}

void TestRankHost::commandsThatCannotDoTheirJobSayWhyInOneLine_data()
{
    QTest::addColumn<QString>("kind"); // of the store made for the command, "" for none
    QTest::addColumn<QString>("sql"); // run on that store first
    QTest::addColumn<QStringList>("args"); // STORE stands for its SQLite file
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("said");

    const QString none;
    QTest::newRow("unknown command") << none << none << QStringList { "frobnicate" } << 2 << "unknown command";
    QTest::newRow("no id") << "sqlite" << none << QStringList { "hide" } << 2 << "needs more arguments";
    QTest::newRow("id not a number") << "sqlite" << none << QStringList { "delete", "7x" } << 2
                                     << "not an entry id: 7x";
    QTest::newRow("limit not a number") << "sqlite" << none << QStringList { "list", "--limit", "ten" } << 2
                                        << "--limit needs a number";
    QTest::newRow("server's option") << "sqlite" << none << QStringList { "list", "--listen", "127.0.0.1:0" } << 2
                                     << "list takes no --listen";
    QTest::newRow("no address") << "sqlite" << none << QStringList { "ban", "192.0.2.300" } << 1 << "not an address";
    QTest::newRow("no store") << none << none << QStringList { "list", "--db", "missing.sqlite" } << 1
                              << "no ranking store missing.sqlite";
    QTest::newRow("store unreachable") << none << none
                                       << QStringList { "bans", "--postgres", "host=/nonexistent dbname=x" } << 1
                                       << "PostgreSQL";
    QTest::newRow("neither backup nor export") << "sqlite" << none << QStringList { "import", "garbage.txt" } << 1
                                               << "garbage.txt is neither a SQLite backup nor a JSON export";
    QTest::newRow("PostgreSQL backup") << "postgres" << none << QStringList { "backup", "pg.sqlite" } << 1 << "pg_dump";
    QTest::newRow("backup over the store")
        << "sqlite" << none << QStringList { "backup", "STORE" } << 1 << "another file than the store";
    QTest::newRow("later schema") << "sqlite"
                                  << "UPDATE schema_version SET version = 999" << QStringList { "list" } << 1
                                  << "written by a later zorvat-rank";
}

void TestRankHost::commandsThatCannotDoTheirJobSayWhyInOneLine()
{
    QFETCH(QString, kind);
    QFETCH(QString, sql);
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, said);
    std::ofstream(m_folder.filePath("garbage.txt").toStdString()) << "{\"entries\": [1, 2";
    if (!kind.isEmpty()) {
        m_stores.make(kind)->import({ { 0, 0, 1, 1, "n", "", 1, "" } });
        if (!sql.isEmpty())
            m_stores.connect(kind)->execute(sql.toStdString());
        args.replaceInStrings("STORE", QString::fromStdString(m_stores.sqlitePath()));
        args += m_stores.storeArguments(kind);
    }
    const Ran ran = host(args);
    QCOMPARE(ran.code, code);
    QVERIFY2(saysWhyInOneLine(ran, said), qPrintable(ran.err));
    QVERIFY(!QFile::exists(m_folder.filePath("missing.sqlite")));
    if (!kind.isEmpty() && sql.isEmpty())
        QCOMPARE(m_stores.reopen(kind)->top(1).total, 1);
}

void TestRankHost::helpListsTheCommands()
{
    for (const char* asked : { "help", "--help" }) {
        const Ran ran = host({ asked });
        QCOMPARE(ran.code, 0);
        for (const char* command : { "list", "hide ID", "unhide ID", "delete ID", "ban ADDRESS", "unban ADDRESS",
                 "bans", "forget-addresses", "backup FILE", "export [FILE]", "import FILE" })
            QVERIFY2(ran.out.contains(QString("\n  ") + command), command);
    }
}

void TestRankHost::exportsAreReadStrictly_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("error"); // "" when it reads
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("time");

    const auto entry = [](const QByteArray& name, const QByteArray& score, const QByteArray& time) {
        return "{\"entries\":[{\"id\":1,\"name\":" + name + ",\"score\":" + score
            + ",\"games\":0,\"comment\":\"\",\"time\":" + time + "}]}";
    };
    const QByteArray leap = "\"2024-02-29T23:59:59Z\"";
    QTest::newRow("escapes") << entry(R"("a\"\\\/\b\n\t\u00e9\ud83d\ude00")", "1", leap) << ""
                             << "a\"\\/\b\n\té😀" << qint64(1'709'251'199);
    QTest::newRow("seconds") << entry("\"x\"", "1", "5") << ""
                             << "x" << qint64(5);
    QTest::newRow("lone surrogate") << entry(R"("\ud800x")", "1", leap) << "lone surrogate"
                                    << "" << qint64(0);
    QTest::newRow("not UTF-8") << entry("\"\xff\"", "1", leap) << "not UTF-8"
                               << "" << qint64(0);
    QTest::newRow("raw tab") << entry("\"a\tb\"", "1", leap) << "control character"
                             << "" << qint64(0);
    QTest::newRow("no such day") << entry("\"x\"", "1", "\"2023-02-29T00:00:00Z\"") << "no time such as"
                                 << "" << qint64(0);
    QTest::newRow("score past 32 bits") << entry("\"x\"", "2147483648", leap) << "\"score\""
                                        << "" << qint64(0);
    QTest::newRow("score with a fraction") << entry("\"x\"", "1.5", leap) << "\"score\""
                                           << "" << qint64(0);
    QTest::newRow("leading zero") << entry("\"x\"", "01", leap) << "a value expected"
                                  << "" << qint64(0);
    QTest::newRow("name missing") << QByteArray(R"([{"id":1}])") << "entry 1 has no \"name\""
                                  << "" << qint64(0);
    QTest::newRow("nested too deep") << QByteArray(100, '[') << "nested too deep"
                                     << "" << qint64(0);
    QTest::newRow("more after the end") << QByteArray("[] []") << "more after the end"
                                        << "" << qint64(0);
}

void TestRankHost::exportsAreReadStrictly()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, error);
    QFETCH(QString, name);
    QFETCH(qint64, time);
    try {
        const Exchange exchange = exchangeFromJson(json.toStdString());
        QVERIFY2(error.isEmpty(), "read what it should have refused");
        QCOMPARE(QString::fromStdString(exchange.entries.at(0).name), name);
        QCOMPARE(exchange.entries.at(0).time, time);
    } catch (const Error& e) {
        QVERIFY2(!error.isEmpty() && QString(e.what()).contains(error), e.what());
    }
}

QTEST_GUILESS_MAIN(TestRankHost)
#include "test_rank_host.moc"
