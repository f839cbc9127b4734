// SPDX-License-Identifier: GPL-3.0-or-later
// The zorvat-rank program itself: stopping on a signal, and losing no acknowledged post when it
// is killed outright in the middle of a load.
#include "check_code.h"
#include "sqlite_store.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <httplib.h>

#include <atomic>
#include <csignal>
#include <mutex>
#include <set>
#include <thread>

using namespace zorvat;
using namespace zorvat::rank;

namespace {

std::string post(int score, const std::string& name)
{
    return "sc=" + std::to_string(score) + "&play=1&pass=" + std::to_string(InternetRank::CheckCode(score))
        + "&name=" + name + "&com=";
}

// The program on a free loopback port of its own choosing, read off its first log line.
class ServerProcess {
public:
    explicit ServerProcess(const QString& db)
    {
        m_process.setProgram(ZORVAT_RANK_PROGRAM);
        m_process.setArguments(
            { "--listen", "127.0.0.1:0", "--db", db, "--rate-limit", "0", "--max-per-address", "64" });
        m_process.setReadChannel(QProcess::StandardError);
        m_process.start();
    }
    ~ServerProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    int port()
    {
        static const QRegularExpression listening("listening on 127\\.0\\.0\\.1:(\\d+)");
        while (m_port == 0 && m_process.waitForReadyRead(10'000)) {
            m_log += m_process.readAllStandardError();
            const auto match = listening.match(QString::fromUtf8(m_log));
            if (match.hasMatch())
                m_port = match.captured(1).toInt();
        }
        return m_port;
    }
    QProcess& process() { return m_process; }
    QByteArray log()
    {
        m_log += m_process.readAllStandardError();
        return m_log;
    }

private:
    QProcess m_process;
    QByteArray m_log;
    int m_port = 0;
};

} // namespace

class TestRankProcess : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void stopSignalFinishesAndExitsCleanly();
    void killedUnderLoadKeepsEveryAcknowledgedPost();

private:
    QTemporaryDir m_folder;
};

void TestRankProcess::stopSignalFinishesAndExitsCleanly()
{
    ServerProcess server(m_folder.filePath("signal.sqlite"));
    const int port = server.port();
    QVERIFY(port > 0);
    httplib::Client client("127.0.0.1", port);
    QCOMPARE(client.Post("/zorvat/rank.cgi", post(3, "secretname"), "application/x-www-form-urlencoded")->status, 200);
    QCOMPARE(client.Get("/zorvat/?new=1")->status, 200);

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
    std::mutex mutex;
    std::set<std::string> acknowledged;
    {
        ServerProcess server(db);
        const int port = server.port();
        QVERIFY(port > 0);
        std::atomic<bool> killed = false;
        std::vector<std::thread> clients;
        for (int c = 0; c < 8; ++c) {
            clients.emplace_back([&, c] {
                httplib::Client client("127.0.0.1", port);
                client.set_keep_alive(true);
                client.set_tcp_nodelay(true);
                for (int p = 0; !killed && p < 100'000; ++p) {
                    const std::string name = "c" + std::to_string(c) + "p" + std::to_string(p);
                    const auto res
                        = client.Post("/zorvat/rank.cgi", post(p % 50, name), "application/x-www-form-urlencoded");
                    if (res && res->status == 200) {
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
    ServerProcess restarted(db);
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

QTEST_GUILESS_MAIN(TestRankProcess)
#include "test_rank_process.moc"
