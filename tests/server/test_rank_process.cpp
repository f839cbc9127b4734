// SPDX-License-Identifier: GPL-3.0-or-later
// The zorvat-rank program itself: stopping on a signal, losing no acknowledged post when it is
// killed outright in the middle of a load, staying small and calm under attack, and taking its
// settings from a configuration file and its PostgreSQL connection from libpq's environment.
#include "check_code.h"
#include "fresh_stores.h"
#include "http_client.h"
#include "server_process.h"
#include "sqlite_store.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <pqxx/pqxx>

#include <atomic>
#include <csignal>
#include <ctime>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <thread>

using namespace zorvat;
using namespace zorvat::rank;
using namespace zorvat::rank::testing;
using namespace std::chrono_literals;

namespace {

// What the server may take at its peak under attack; AddressSanitizer's bookkeeping adds its own.
#ifdef __SANITIZE_ADDRESS__
constexpr double MemoryBoundMegabytes = 256;
#else
constexpr double MemoryBoundMegabytes = 64;
#endif

std::string post(int score, const std::string& name)
{
    return "sc=" + std::to_string(score) + "&play=1&pass=" + std::to_string(InternetRank::CheckCode(score))
        + "&name=" + name + "&com=";
}

} // namespace

class TestRankProcess : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void stopSignalFinishesAndExitsCleanly();
    void killedUnderLoadKeepsEveryAcknowledgedPost();
    void attacksLeaveTheServerSmall();
    void outOfDescriptorsNoPostIsStoredUnlessAccepted();
    void settingsComeFromTheConfigFileAndLibpqsEnvironment();
    void oldClientAddressesAreForgottenByTheServer();

private:
    QTemporaryDir m_folder;
};

void TestRankProcess::stopSignalFinishesAndExitsCleanly()
{
    ServerProcess server({ "--db", m_folder.filePath("signal.sqlite") });
    const int port = server.port();
    QVERIFY(port > 0);
    HttpConnection client(port);
    QCOMPARE(client
                 .request("POST", "/zorvat/rank.cgi", post(3, "secretname"),
                     { { "Content-Type", "application/x-www-form-urlencoded" } })
                 .status,
        200);
    QCOMPARE(client.request("GET", "/zorvat/?new=1").status, 200);

    kill(static_cast<pid_t>(server.process().processId()), SIGTERM);
    QVERIFY(server.process().waitForFinished(10'000));
    QCOMPARE(server.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.process().exitCode(), 0);

    // One line per request: address, method, path, status, milliseconds; nothing the player typed.
    const QString log = QString::fromUtf8(server.log());
    QVERIFY2(
        QRegularExpression(R"(^127\.0\.0\.1 POST /zorvat/rank\.cgi 200 \d+\.\d$)", QRegularExpression::MultilineOption)
            .match(log)
            .hasMatch(),
        qPrintable(log));
    QVERIFY(
        log.contains(QRegularExpression(R"(^127\.0\.0\.1 GET /zorvat/ 200 )", QRegularExpression::MultilineOption)));
    QVERIFY(!log.contains("secretname"));
}

void TestRankProcess::killedUnderLoadKeepsEveryAcknowledgedPost()
{
    const QString db = m_folder.filePath("killed.sqlite");
    const QStringList arguments { "--db", db, "--rate-limit", "0", "--max-per-address", "64" };
    std::mutex mutex;
    std::set<std::string> acknowledged;
    {
        ServerProcess server(arguments);
        const int port = server.port();
        QVERIFY(port > 0);
        std::atomic<bool> killed = false;
        std::vector<std::thread> clients;
        for (int c = 0; c < 8; ++c) {
            clients.emplace_back([&, c] {
                for (int p = 0; !killed && p < 100'000; ++p) {
                    const std::string name = "c" + std::to_string(c) + "p" + std::to_string(p);
                    if (postForm(port, "/zorvat/rank.cgi", post(p % 50, name)).status == 200) {
                        const std::lock_guard lock(mutex);
                        acknowledged.insert(name);
                    }
                }
            });
        }
        QTRY_VERIFY_WITH_TIMEOUT(acknowledged.size() >= 500, 20'000);
        kill(static_cast<pid_t>(server.process().processId()), SIGKILL);
        QVERIFY(server.process().waitForFinished(10'000));
        killed = true;
        for (std::thread& client : clients)
            client.join();
    }

    // The program starts again on the same file, and every acknowledged post is in it.
    ServerProcess restarted(arguments);
    QVERIFY(restarted.port() > 0);
    SqliteStore store(db.toStdString());
    const Ranking ranking = store.top(1'000'000);
    std::set<std::string> stored;
    for (const RankedEntry& e : ranking.entries)
        QVERIFY2(stored.insert(e.name).second, e.name.c_str());
    for (const std::string& name : acknowledged)
        QVERIFY2(stored.count(name), name.c_str());
    QVERIFY(stored.size() >= acknowledged.size());
}

void TestRankProcess::attacksLeaveTheServerSmall()
{
    ServerProcess server({ "--db", m_folder.filePath("attacked.sqlite"), "--rate-limit", "0" });
    const int port = server.port();
    QVERIFY(port > 0);
    for (int i = 0; i < 300; ++i)
        QCOMPARE(postForm(port, "/zorvat/rank.cgi", post(i, "n" + std::to_string(i))).status, 200);
    HttpConnection client(port);

    // Thousands of ranges over the largest answer: the whole answer, once.
    const HttpReply ranged = client.request("GET", "/zorvat/ranking.json?limit=1000", {},
        { { "Range", "bytes=0-" + QByteArray(",0-").repeated(2499).toStdString() } });
    QCOMPARE(ranged.status, 200);
    QVERIFY(ranged.body.rfind("{\"total\":300,", 0) == 0);

    // Header lines without end: 8 MB on one connection, then 400 MB on each of four at once.
    const auto endlessHeader = [port](std::size_t megabytes) {
        HttpConnection connection(port);
        const std::string line = "X-Pad: " + std::string(1 << 20, 'a') + "\r\n";
        bool sending = connection.send("GET /zorvat/ HTTP/1.1\r\nHost: x\r\n");
        for (std::size_t sent = 0; sending && sent < megabytes; ++sent)
            sending = connection.send(line);
        connection.send("\r\n");
        return connection.receive(10s).status;
    };
    const int eight = endlessHeader(8);
    QVERIFY2(eight == 431 || eight == 0, qPrintable(QString::number(eight))); // 0: the refusal was cut off
    std::vector<std::thread> floods;
    std::atomic<int> answered = 0;
    for (int i = 0; i < 4; ++i)
        floods.emplace_back([&] { answered += endlessHeader(400) == 200; });
    for (std::thread& flood : floods)
        flood.join();
    QCOMPARE(answered.load(), 0);
    QCOMPARE(client.request("GET", "/zorvat/").status, 200);
    QVERIFY2(server.peakMegabytes() < MemoryBoundMegabytes, qPrintable(QString::number(server.peakMegabytes())));
}

void TestRankProcess::outOfDescriptorsNoPostIsStoredUnlessAccepted()
{
    const QString db = m_folder.filePath("descriptors.sqlite");
    ServerProcess server({ "--db", db, "--rate-limit", "0", "--max-per-address", "1000" }, {}, 90);
    const int port = server.port();
    QVERIFY(port > 0);
    // 64 clients posting at once, each post on a new connection.
    std::mutex mutex;
    std::set<std::string> accepted;
    std::set<std::string> refused;
    std::vector<std::thread> clients;
    for (int c = 0; c < 64; ++c) {
        clients.emplace_back([&, c] {
            for (int p = 0; p < 20; ++p) {
                const std::string name = "c" + std::to_string(c) + "p" + std::to_string(p);
                const int status = postForm(port, "/zorvat/rank.cgi", post(p, name)).status;
                const std::lock_guard lock(mutex);
                (status == 200 ? accepted : refused).insert(name);
            }
        });
    }
    for (std::thread& client : clients)
        client.join();
    QVERIFY(!accepted.empty());

    // Connections that take every descriptor and wait cost no time: the server neither spins on a
    // full descriptor table nor on the connections it holds.
    std::vector<HttpConnection> idle;
    for (int i = 0; i < 200; ++i)
        idle.emplace_back(port);
    const long long before = server.cpuTicks();
    QElapsedTimer window;
    window.start();
    QTRY_VERIFY_WITH_TIMEOUT(window.hasExpired(1000), 5000);
    const long long ticks = server.cpuTicks() - before;
    QVERIFY2(ticks < 20, qPrintable(QString::number(ticks)));
    idle.clear();

    kill(static_cast<pid_t>(server.process().processId()), SIGTERM);
    QVERIFY(server.process().waitForFinished(10'000));
    SqliteStore store(db.toStdString());
    std::set<std::string> stored;
    for (const RankedEntry& e : store.top(1'000'000).entries)
        stored.insert(e.name);
    for (const std::string& name : accepted)
        QVERIFY2(stored.count(name), name.c_str());
    for (const std::string& name : refused)
        QVERIFY2(!stored.count(name), name.c_str());
}

void TestRankProcess::settingsComeFromTheConfigFileAndLibpqsEnvironment()
{
    // The private server's folder and user as libpq's environment; the database by name only.
    const std::string dbname = "rank_process_" + std::to_string(getpid());
    const std::string conninfo = FreshStores::postgresConninfo("postgres");
    pqxx::connection admin(conninfo);
    pqxx::nontransaction(admin).exec("CREATE DATABASE " + dbname);
    const QRegularExpression words(R"(host=(\S+) user=(\S+))");
    const auto match = words.match(QString::fromStdString(conninfo));
    QVERIFY(match.hasMatch());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PGHOST", match.captured(1));
    environment.insert("PGUSER", match.captured(2));

    const QString config = m_folder.filePath("zorvat-rank.conf");
    std::ofstream(config.toStdString()) << "# the ranking of the test\n\nmetrics\npostgres dbname=" << dbname
                                        << "\nrate-limit 1\n";
    ServerProcess server({ "--config", config, "--rate-limit", "2" }, environment);
    const int port = server.port();
    QVERIFY2(port > 0, server.log().constData());
    for (int i = 0; i < 3; ++i)
        QCOMPARE(postForm(port, "/zorvat/rank.cgi", post(i, "pg")).status, i < 2 ? 200 : 429);
    QCOMPARE(get(port, "/metrics").status, 200);
    QVERIFY(!server.log().contains("warning"));

    // A password on the command line works, with a warning that everyone can read it.
    ServerProcess exposed(
        { "--postgres", QString::fromStdString("dbname=" + dbname + " password=secret") }, environment);
    QVERIFY(exposed.port() > 0);
    QVERIFY(exposed.log().contains("warning: the PostgreSQL password on the command line"));
}

void TestRankProcess::oldClientAddressesAreForgottenByTheServer()
{
    const QString db = m_folder.filePath("retention.sqlite");
    const std::int64_t now = std::time(nullptr);
    constexpr std::int64_t Day = 86'400;
    {
        SqliteStore store(db.toStdString());
        store.import({ { 0, 0, 5, 1, "old", "", now - 31 * Day, "192.0.2.1" },
            { 0, 0, 6, 1, "recent", "", now - 29 * Day, "192.0.2.2" } });
    }
    ServerProcess server({ "--db", db });
    QVERIFY(server.port() > 0);
    QTRY_VERIFY_WITH_TIMEOUT(
        server.log().contains("forgot the client addresses of 1 entries older than 30 days"), 10'000);
    SqliteStore store(db.toStdString());
    std::map<std::string, std::string> addresses;
    for (const RankedEntry& e : store.list())
        addresses[e.name] = e.address;
    QCOMPARE(addresses, (std::map<std::string, std::string> { { "old", "" }, { "recent", "192.0.2.2" } }));
}

QTEST_GUILESS_MAIN(TestRankProcess)
#include "test_rank_process.moc"
