// SPDX-License-Identifier: GPL-3.0-or-later
// The ranking server over loopback, as browsers and abusers reach it.
#include "fresh_stores.h"
#include "check_code.h"
#include "running_server.h"
#include "text_codec.h"

#include <QtTest>

#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <set>
#include <sys/socket.h>
#include <unistd.h>

using namespace zorvat;
using namespace zorvat::rank;
using namespace zorvat::rank::testing;

namespace {

const char* const FormType = "application/x-www-form-urlencoded";

std::string escaped(const std::string& bytes)
{
    std::string out;
    for (const unsigned char c : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%%%02X", c);
        out += std::isalnum(c) ? std::string(1, static_cast<char>(c)) : std::string(hex);
    }
    return out;
}

// The body a browser sends from the game's page: the typed texts in code page 932.
std::string gamePost(int score, const std::string& name, const std::string& comment = "よろしく", int play = 1)
{
    return "sc=" + std::to_string(score) + "&play=" + std::to_string(play)
        + "&pass=" + std::to_string(InternetRank::CheckCode(score)) + "&name=" + escaped(*toCp932(name))
        + "&com=" + escaped(*toCp932(comment)) + "&B1=" + escaped(*toCp932("送信"));
}

std::int64_t storedTotal(EntryStore& store)
{
    return store.top(1).total;
}

// A raw loopback connection from `source` (any 127.x.y.z), for clients that misbehave.
int rawConnection(const char* source, int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in from {};
    from.sin_family = AF_INET;
    inet_pton(AF_INET, source, &from.sin_addr);
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
    if (bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0
        || connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

} // namespace

class TestRankServer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void acceptedPostIsStoredAndAnsweredWithItsRank();
    void utf8PostsAreReadAsUtf8();
    void refusedPostsStoreNothingAndSayWhy_data();
    void refusedPostsStoreNothingAndSayWhy();
    void hostileNamesAreEscapedOnTheRankingPage();
    void rankingJsonHonoursItsLimit();
    void unknownPathsAndTheBareFolderAreAnswered();
    void rateLimitRefusesPostsPastTheLimitPerAddress();
    void concurrentPostsAreAllStoredOnce();
    void floodFromOneAddressLeavesOthersServed();
    void clientTricklingItsRequestIsDropped();

private:
    RunningServer& start(ServerOptions options = {});

    FreshStores m_stores;
    std::unique_ptr<EntryStore> m_store;
    std::unique_ptr<RunningServer> m_server;
};

void TestRankServer::init()
{
    m_store = m_stores.make("sqlite");
}

void TestRankServer::cleanup()
{
    m_server.reset();
    m_store.reset();
}

RunningServer& TestRankServer::start(ServerOptions options)
{
    m_server = std::make_unique<RunningServer>(*m_store, options);
    return *m_server;
}

void TestRankServer::acceptedPostIsStoredAndAnsweredWithItsRank()
{
    RunningServer& server = start();
    auto client = server.client();
    QCOMPARE(client.Post("/zorvat/rank.cgi", gamePost(30, "一番"), FormType)->status, 200);
    const auto answer = client.Post("/zorvat/rank.cgi", gamePost(12, "山田　太郎", "がんばった！", 4), FormType);
    QCOMPARE(answer->status, 200);
    QCOMPARE(answer->get_header_value("Content-Type"), std::string("text/html; charset=utf-8"));
    QVERIFY(answer->body.find("登録しました") != std::string::npos);
    QVERIFY(answer->body.find("2位") != std::string::npos);
    QVERIFY(answer->body.find("href=\"/zorvat/?new=2#e2\"") != std::string::npos);

    const auto page = client.Get("/zorvat/?new=2");
    QCOMPARE(page->status, 200);
    QVERIFY(page->body.find("<meta charset=\"utf-8\">") != std::string::npos);
    QVERIFY(page->body.find("<tr id=\"e2\" class=\"new\"><td class=\"rank\">2</td><td class=\"name\">山田　太郎</td>"
                            "<td class=\"score\">12点</td><td class=\"play\">4</td>"
                            "<td class=\"comment\">がんばった！</td>")
        != std::string::npos);
    QCOMPARE(client.Get("/zorvat/rank.cgi")->body.find("山田　太郎") != std::string::npos, true);

    const auto json = client.Get("/zorvat/ranking.json");
    QCOMPARE(json->get_header_value("Content-Type"), std::string("application/json; charset=utf-8"));
    QVERIFY(json->body.find(R"({"rank":2,"name":"山田　太郎","score":12,"play":4,"comment":"がんばった！","time":")")
        != std::string::npos);
    QVERIFY(json->body.rfind("{\"total\":2,", 0) == 0);
}

void TestRankServer::utf8PostsAreReadAsUtf8()
{
    RunningServer& server = start();
    const std::string body
        = "sc=5&play=0&pass=" + std::to_string(InternetRank::CheckCode(5)) + "&name=" + escaped("花子") + "&com=";
    QCOMPARE(server.client().Post("/zorvat/rank.cgi", body, "application/x-www-form-urlencoded; charset=UTF-8")->status,
        200);
    QCOMPARE(m_store->top(1).entries.at(0).name, std::string("花子"));
}

void TestRankServer::refusedPostsStoreNothingAndSayWhy_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reason");

    const std::string pass12 = std::to_string(InternetRank::CheckCode(12));
    QTest::newRow("forged pass") << QByteArray(
        "sc=9999&play=1&pass=" + QByteArray::fromStdString(pass12) + "&name=x&com=")
                                 << QByteArray(FormType) << 400 << "チェックコード";
    QTest::newRow("negative score") << QByteArray("sc=-12&play=1&pass=-437&name=x&com=") << QByteArray(FormType) << 400
                                    << "スコア";
    QTest::newRow("score not a number") << QByteArray("sc=abc&play=1&pass=7&name=x&com=") << QByteArray(FormType) << 400
                                        << "スコア";
    QTest::newRow("name missing") << QByteArray("sc=12&play=1&pass=" + QByteArray::fromStdString(pass12) + "&com=")
                                  << QByteArray(FormType) << 400 << "name";
    QTest::newRow("garbage") << QByteArray("\x00\xff%%garbage&&==", 16) << QByteArray(FormType) << 400 << "形式";
    QTest::newRow("oversized body") << QByteArray(9000, 'a') << QByteArray(FormType) << 413 << "大きすぎ";
    QTest::newRow("not a form") << QByteArray("{\"sc\":12}") << QByteArray("application/json") << 415 << "形式";
}

void TestRankServer::refusedPostsStoreNothingAndSayWhy()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, contentType);
    QFETCH(int, status);
    QFETCH(QString, reason);
    RunningServer& server = start();
    const auto answer = server.client().Post("/zorvat/rank.cgi", body.toStdString(), contentType.toStdString());
    QVERIFY(answer);
    QCOMPARE(answer->status, status);
    QVERIFY(answer->body.find("登録できませんでした") != std::string::npos);
    QVERIFY2(answer->body.find(reason.toStdString()) != std::string::npos, answer->body.c_str());
    QCOMPARE(storedTotal(*m_store), 0);
}

void TestRankServer::hostileNamesAreEscapedOnTheRankingPage()
{
    RunningServer& server = start();
    auto client = server.client();
    QCOMPARE(client.Post("/zorvat/rank.cgi", gamePost(1, "<script>x</script>", "\"><img src=x onerror=y>"), FormType)
                 ->status,
        200);
    const std::string page = client.Get("/zorvat/")->body;
    QVERIFY(page.find("<script>") == std::string::npos);
    QVERIFY(page.find("<img") == std::string::npos);
    QVERIFY(page.find("&lt;script&gt;x&lt;/script&gt;") != std::string::npos);
    QVERIFY(page.find("&quot;&gt;&lt;img src=x onerror=y&gt;") != std::string::npos);
    QVERIFY(client.Get("/zorvat/")->get_header_value("Content-Security-Policy").find("default-src 'none'")
        != std::string::npos);
}

void TestRankServer::rankingJsonHonoursItsLimit()
{
    RunningServer& server = start();
    static_cast<SqlStore&>(*m_store).import(std::vector<RankedEntry>(150, RankedEntry { 0, 0, 3, 1, "n", "", 1 }));
    auto client = server.client();
    const auto count = [&](const std::string& query) {
        const auto res = client.Get("/zorvat/ranking.json" + query);
        if (res->status != 200)
            return -res->status;
        int n = 0;
        for (std::size_t at = res->body.find("\"rank\":"); at != std::string::npos;
             at = res->body.find("\"rank\":", at + 1))
            ++n;
        return n;
    };
    QCOMPARE(count(""), 100);
    QCOMPARE(count("?limit=2"), 2);
    QCOMPARE(count("?limit=1000"), 150);
    QCOMPARE(count("?limit=99999999999999999999999"), 150);
    QCOMPARE(count("?limit=0"), -400);
    QCOMPARE(count("?limit=-3"), -400);
    QCOMPARE(count("?limit=ten"), -400);
}

void TestRankServer::unknownPathsAndTheBareFolderAreAnswered()
{
    RunningServer& server = start();
    auto client = server.client();
    const auto missing = client.Get("/zorvat/admin");
    QCOMPARE(missing->status, 404);
    QVERIFY(missing->body.find("ページが見つかりません") != std::string::npos);
    QCOMPARE(client.Get("/other/rank.cgi")->status, 404);
    const auto bare = client.Get("/zorvat");
    QCOMPARE(bare->status, 308);
    QCOMPARE(bare->get_header_value("Location"), std::string("/zorvat/"));
}

void TestRankServer::rateLimitRefusesPostsPastTheLimitPerAddress()
{
    ServerOptions options;
    options.rateLimit = 3;
    options.trustForwarded = true;
    RunningServer& server = start(options);
    auto client = server.client();
    const auto post = [&](const std::string& body, const char* forwardedFor) {
        httplib::Headers headers;
        if (forwardedFor)
            headers.emplace("X-Forwarded-For", forwardedFor);
        return client.Post("/zorvat/rank.cgi", headers, body, FormType);
    };
    // Refused posts take no place.
    QCOMPARE(post("sc=1&play=1&pass=0&name=x&com=", nullptr)->status, 400);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(post(gamePost(i, "a"), nullptr)->status, 200);
    const auto limited = post(gamePost(9, "a"), nullptr);
    QCOMPARE(limited->status, 429);
    QCOMPARE(limited->get_header_value("Retry-After"), std::string("60"));
    QVERIFY(limited->body.find("しばらくしてから") != std::string::npos);
    // Behind a proxy each client has its own allowance: the last address the proxy added.
    QCOMPARE(post(gamePost(9, "b"), "203.0.113.9, 198.51.100.7")->status, 200);
    QCOMPARE(storedTotal(*m_store), 4);
}

void TestRankServer::concurrentPostsAreAllStoredOnce()
{
    ServerOptions options;
    options.rateLimit = 0;
    options.limits.maxPerAddress = 32;
    RunningServer& server = start(options);
    constexpr int Clients = 16;
    constexpr int Posts = 200;
    std::atomic<int> accepted = 0;
    std::vector<std::thread> clients;
    for (int c = 0; c < Clients; ++c) {
        clients.emplace_back([&, c] {
            auto client = server.client();
            client.set_keep_alive(true);
            for (int p = 0; p < Posts; ++p) {
                const auto res = client.Post(
                    "/zorvat/rank.cgi", gamePost(p, std::to_string(c) + "-" + std::to_string(p)), FormType);
                if (res && res->status == 200)
                    ++accepted;
                else
                    qWarning("post failed: %d %d", res ? res->status : -1, int(res.error()));
            }
        });
    }
    for (std::thread& client : clients)
        client.join();
    QCOMPARE(accepted.load(), Clients * Posts);
    const Ranking ranking = m_store->top(Clients * Posts + 1);
    QCOMPARE(ranking.total, Clients * Posts);
    std::set<std::string> names;
    for (const RankedEntry& e : ranking.entries)
        names.insert(e.name);
    QCOMPARE(names.size(), std::size_t(Clients * Posts));
}

void TestRankServer::floodFromOneAddressLeavesOthersServed()
{
    ServerOptions options;
    options.limits.maxConnections = 8;
    options.limits.maxPerAddress = 4;
    RunningServer& server = start(options);
    // Far more connections than the server serves, each holding a request that never ends.
    std::vector<int> flood;
    for (int i = 0; i < 40; ++i) {
        const int fd = rawConnection("127.0.0.2", server.port());
        QVERIFY(fd >= 0);
        const char partial[] = "GET /zorvat/ HTTP/1.1\r\nHost: x\r\n";
        QCOMPARE(send(fd, partial, sizeof partial - 1, MSG_NOSIGNAL), ssize_t(sizeof partial - 1));
        flood.push_back(fd);
    }
    auto client = server.client();
    for (int i = 0; i < 5; ++i) {
        const auto page = client.Get("/zorvat/");
        QVERIFY(page);
        QCOMPARE(page->status, 200);
    }
    // The flood's extra connections were turned away at once.
    int refused = 0;
    for (const int fd : flood) {
        char buffer[64] = {};
        timeval wait { 0, 200'000 };
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        const ssize_t n = recv(fd, buffer, sizeof buffer - 1, 0);
        if (n > 0 && std::string(buffer).rfind("HTTP/1.1 503", 0) == 0)
            ++refused;
        close(fd);
    }
    QVERIFY2(refused >= 30, qPrintable(QString::number(refused)));
}

void TestRankServer::clientTricklingItsRequestIsDropped()
{
    ServerOptions options;
    options.limits.requestTimeout = std::chrono::milliseconds(1000);
    RunningServer& server = start(options);
    const int fd = rawConnection("127.0.0.1", server.port());
    QVERIFY(fd >= 0);
    const std::string request = "POST /zorvat/rank.cgi HTTP/1.1\r\nHost: x\r\nContent-Length: 100\r\n\r\n";
    std::size_t sent = 0;
    bool dropped = false;
    QElapsedTimer timer;
    timer.start();
    // One byte every 100 ms: each read is quick, but the request as a whole never arrives in time.
    while (!dropped && timer.elapsed() < 10'000) {
        const char byte = sent < request.size() ? request[sent] : 'x';
        dropped = send(fd, &byte, 1, MSG_NOSIGNAL) != 1;
        ++sent;
        char buffer[256];
        timeval wait { 0, 100'000 };
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        dropped = dropped || n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
    }
    close(fd);
    QVERIFY(dropped);
    QVERIFY2(timer.elapsed() < 5'000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(server.client().Get("/zorvat/")->status, 200);
}

QTEST_GUILESS_MAIN(TestRankServer)
#include "test_rank_server.moc"
