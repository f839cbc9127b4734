// SPDX-License-Identifier: GPL-3.0-or-later
// The ranking server over loopback, as browsers and abusers reach it.
#include "fresh_stores.h"
#include "check_code.h"
#include "http_client.h"
#include "running_server.h"
#include "text_codec.h"

#include <QtTest>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>

using namespace zorvat;
using namespace zorvat::rank;
using namespace zorvat::rank::testing;
using namespace std::chrono_literals;

namespace {

const char* const FormType = "application/x-www-form-urlencoded";
const std::string Rank = "/zorvat/rank.cgi";

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
std::string gamePost(int score, const std::string& name, const std::string& comment = "よろしく", int play = 1,
    InternetRank::CheckNumbers check = InternetRank::builtInCheckNumbers())
{
    return "sc=" + std::to_string(score) + "&play=" + std::to_string(play)
        + "&pass=" + std::to_string(InternetRank::CheckCode(score, check)) + "&name=" + escaped(*toCp932(name))
        + "&com=" + escaped(*toCp932(comment)) + "&B1=" + escaped(*toCp932("送信"));
}

std::int64_t storedTotal(EntryStore& store)
{
    return store.top(1).total;
}

// A store that fails on demand, as one held up by a lock or a lost connection does.
class FlakyStore : public EntryStore {
public:
    explicit FlakyStore(EntryStore& store)
        : m_store(store)
    {
    }
    Registration add(const Submission& entry, const std::string& address, std::int64_t unixTime) override
    {
        fail();
        std::unique_lock lock(m_mutex);
        ++m_waiting;
        m_released.wait(lock, [&] { return !m_holding; });
        --m_waiting;
        return m_store.add(entry, address, unixTime);
    }
    Ranking top(std::int64_t limit) override
    {
        fail();
        return m_store.top(limit);
    }
    void check() override
    {
        fail();
        m_store.check();
    }
    std::optional<std::string> banned(const std::string& address) override { return m_store.banned(address); }

    /** Holds posts back from the store until released, as a long lock does. */
    void hold(bool holding)
    {
        const std::lock_guard lock(m_mutex);
        m_holding = holding;
        m_released.notify_all();
    }
    int waiting()
    {
        const std::lock_guard lock(m_mutex);
        return m_waiting;
    }

    std::atomic<bool> failing = false;

private:
    void fail()
    {
        if (failing)
            throw StoreFailure("canceling statement due to lock timeout\nCONTEXT: while locking entries\n");
    }

    EntryStore& m_store;
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_holding = false;
    int m_waiting = 0;
};

} // namespace

class TestRankServer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void acceptedPostIsStoredAndAnsweredWithItsRank();
    void checkCodeIsTheOneTheHostChose();
    void utf8PostsAreReadAsUtf8();
    void refusedPostsStoreNothingAndSayWhy_data();
    void refusedPostsStoreNothingAndSayWhy();
    void hostileNamesAreEscapedOnTheRankingPage();
    void rankingJsonHonoursItsLimit();
    void unknownPathsAndTheBareFolderAreAnswered();
    void requestsOutsideTheRulesAreAnsweredOnce_data();
    void requestsOutsideTheRulesAreAnsweredOnce();
    void rateLimitCountsTheAddressTheProxyNames();
    void storeFailuresAnswer503AndStoreNothing();
    void postsWaitingLongForTheStoreAreAnswered503AndNotStored();
    void healthAndMetricsTellTheHostHowItGoes();
    void concurrentPostsAreAllStoredOnce();
    void slowConnectionsFromManyAddressesLeaveOthersServed();
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
    m_server.reset();
    m_server = std::make_unique<RunningServer>(*m_store, options);
    return *m_server;
}

void TestRankServer::checkCodeIsTheOneTheHostChose()
{
    ServerOptions options;
    options.check = { 41, 3 };
    HttpConnection client(start(options).port());
    const Fields form { { "Content-Type", FormType } };
    QCOMPARE(client.request("POST", Rank, gamePost(7, "built", "", 1), form).status, 400);
    QCOMPARE(client.request("POST", Rank, gamePost(7, "community", "", 1, options.check), form).status, 200);
    QCOMPARE(storedTotal(*m_store), 1);
}

void TestRankServer::acceptedPostIsStoredAndAnsweredWithItsRank()
{
    RunningServer& server = start();
    HttpConnection client(server.port());
    const Fields form { { "Content-Type", FormType } };
    QCOMPARE(client.request("POST", Rank, gamePost(30, "一番"), form).status, 200);
    const HttpReply answer = client.request("POST", Rank, gamePost(12, "山田　太郎", "がんばった！", 4), form);
    QCOMPARE(answer.status, 200);
    QCOMPARE(answer.header("Content-Type"), std::string("text/html; charset=utf-8"));
    QVERIFY(answer.body.find("登録しました") != std::string::npos);
    QVERIFY(answer.body.find("2位") != std::string::npos);
    QVERIFY(answer.body.find("href=\"/zorvat/?new=2#e2\"") != std::string::npos);

    const HttpReply page = client.request("GET", "/zorvat/?new=2");
    QCOMPARE(page.status, 200);
    QVERIFY(page.body.find("<meta charset=\"utf-8\">") != std::string::npos);
    QVERIFY(page.body.find("<tr id=\"e2\" class=\"new\"><td class=\"rank\">2</td><td class=\"name\">山田　太郎</td>"
                           "<td class=\"score\">12点</td><td class=\"play\">4</td>"
                           "<td class=\"comment\">がんばった！</td>")
        != std::string::npos);
    QCOMPARE(client.request("GET", Rank).body.find("山田　太郎") != std::string::npos, true);
    const HttpReply head = client.request("HEAD", "/zorvat/");
    QCOMPARE(head.status, 200);
    QVERIFY(std::stoul(head.header("Content-Length")) > 1000);

    const HttpReply json = client.request("GET", "/zorvat/ranking.json");
    QCOMPARE(json.header("Content-Type"), std::string("application/json; charset=utf-8"));
    QVERIFY(json.body.find(R"({"rank":2,"name":"山田　太郎","score":12,"play":4,"comment":"がんばった！","time":")")
        != std::string::npos);
    QVERIFY(json.body.rfind("{\"total\":2,", 0) == 0);
}

void TestRankServer::utf8PostsAreReadAsUtf8()
{
    RunningServer& server = start();
    const std::string body
        = "sc=5&play=0&pass=" + std::to_string(InternetRank::CheckCode(5)) + "&name=" + escaped("花子") + "&com=";
    QCOMPARE(
        postForm(server.port(), Rank, body, { { "Content-Type", "application/x-www-form-urlencoded; charset=UTF-8" } })
            .status,
        200);
    QCOMPARE(m_store->top(1).entries.at(0).name, std::string("花子"));
}

void TestRankServer::refusedPostsStoreNothingAndSayWhy_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reason");

    const QByteArray pass12 = QByteArray::fromStdString(std::to_string(InternetRank::CheckCode(12)));
    const QByteArray utf8 = "application/x-www-form-urlencoded; charset=UTF-8";
    QTest::newRow("forged pass") << QByteArray("sc=9999&play=1&pass=" + pass12 + "&name=x&com=") << QByteArray(FormType)
                                 << 400 << "チェックコード";
    QTest::newRow("negative score") << QByteArray("sc=-12&play=1&pass=-437&name=x&com=") << QByteArray(FormType) << 400
                                    << "スコア";
    QTest::newRow("score not a number") << QByteArray("sc=abc&play=1&pass=7&name=x&com=") << QByteArray(FormType) << 400
                                        << "スコア";
    QTest::newRow("name missing") << QByteArray("sc=12&play=1&pass=" + pass12 + "&com=") << QByteArray(FormType) << 400
                                  << "name";
    QTest::newRow("garbage") << QByteArray("\x00\xff%%garbage&&==", 16) << QByteArray(FormType) << 400 << "形式";
    QTest::newRow("oversized body") << QByteArray(9000, 'a') << QByteArray(FormType) << 413 << "大きすぎ";
    QTest::newRow("not a form") << QByteArray("{\"sc\":12}") << QByteArray("application/json") << 415 << "形式";
    QTest::newRow("name turned around") << QByteArray("sc=12&play=1&pass=" + pass12 + "&name=%E2%80%AEabc&com=") << utf8
                                        << 400 << "名前に使えない文字";
    QTest::newRow("comment isolated") << QByteArray("sc=12&play=1&pass=" + pass12 + "&name=a&com=%E2%81%A6x") << utf8
                                      << 400 << "一言に使えない文字";
    QTest::newRow("name of invisible characters, as a browser writes them")
        << QByteArray("sc=12&play=1&pass=" + pass12 + "&name=%26%238203%3B%26%2365279%3B&com=") << QByteArray(FormType)
        << 400 << "目に見える文字";
}

void TestRankServer::refusedPostsStoreNothingAndSayWhy()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, contentType);
    QFETCH(int, status);
    QFETCH(QString, reason);
    RunningServer& server = start();
    const HttpReply answer
        = postForm(server.port(), Rank, body.toStdString(), { { "Content-Type", contentType.toStdString() } });
    QCOMPARE(answer.status, status);
    QVERIFY(answer.body.find("登録できませんでした") != std::string::npos);
    QVERIFY2(answer.body.find(reason.toStdString()) != std::string::npos, answer.body.c_str());
    QCOMPARE(storedTotal(*m_store), 0);
}

void TestRankServer::hostileNamesAreEscapedOnTheRankingPage()
{
    RunningServer& server = start();
    QCOMPARE(postForm(server.port(), Rank, gamePost(1, "<script>x</script>", "\"><img src=x onerror=y>")).status, 200);
    const HttpReply page = get(server.port(), "/zorvat/");
    QVERIFY(page.body.find("<script>") == std::string::npos);
    QVERIFY(page.body.find("<img") == std::string::npos);
    QVERIFY(page.body.find("&lt;script&gt;x&lt;/script&gt;") != std::string::npos);
    QVERIFY(page.body.find("&quot;&gt;&lt;img src=x onerror=y&gt;") != std::string::npos);
    QVERIFY(page.header("Content-Security-Policy").find("default-src 'none'") != std::string::npos);
}

void TestRankServer::rankingJsonHonoursItsLimit()
{
    RunningServer& server = start();
    static_cast<SqlStore&>(*m_store).import(std::vector<RankedEntry>(150, RankedEntry { 0, 0, 3, 1, "n", "", 1 }));
    HttpConnection client(server.port());
    const auto count = [&](const std::string& query) {
        const HttpReply res = client.request("GET", "/zorvat/ranking.json" + query);
        if (res.status != 200)
            return -res.status;
        int n = 0;
        for (std::size_t at = res.body.find("\"rank\":"); at != std::string::npos;
             at = res.body.find("\"rank\":", at + 1))
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
    HttpConnection client(server.port());
    const HttpReply missing = client.request("GET", "/zorvat/admin");
    QCOMPARE(missing.status, 404);
    QVERIFY(missing.body.find("ページが見つかりません") != std::string::npos);
    QCOMPARE(client.request("GET", "/other/rank.cgi").status, 404);
    QCOMPARE(client.request("GET", "/metrics").status, 404); // only when the host asks for it
    const HttpReply bare = client.request("GET", "/zorvat");
    QCOMPARE(bare.status, 308);
    QCOMPARE(bare.header("Location"), std::string("/zorvat/"));
    QCOMPARE(client.request("GET", "/zorvat/%72anking.json").status, 200);
}

void TestRankServer::requestsOutsideTheRulesAreAnsweredOnce_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("allow");
    QTest::addColumn<bool>("closes");

    const QByteArray get = "GET /zorvat/ranking.json HTTP/1.1\r\nHost: x\r\n";
    const auto padded
        = [&](int size) { return get + "X-Pad: " + QByteArray(size - get.size() - 11, 'a') + "\r\n\r\n"; };
    const QByteArray post
        = "POST /zorvat/rank.cgi HTTP/1.1\r\nHost: x\r\nContent-Type: application/x-www-form-urlencoded\r\n";
    QTest::newRow("malformed request line, then more")
        << QByteArray("GARBAGE\r\n\r\n").repeated(100) << 400 << QByteArray() << true;
    QTest::newRow("request line and headers of 16 KB") << padded(16384) << 200 << QByteArray() << false;
    QTest::newRow("a byte more") << padded(16385) << 431 << QByteArray() << true;
    QTest::newRow("body of 8 KB and a byte")
        << post + "Content-Length: 8193\r\n\r\n" + QByteArray(8193, 'a') << 413 << QByteArray() << true;
    QTest::newRow("two lengths") << post + "Content-Length: 3\r\nContent-Length: 5\r\n\r\nsc=12" << 400 << QByteArray()
                                 << true;
    QTest::newRow("the same length twice")
        << post + "Content-Length: 5\r\nContent-Length: 5\r\n\r\nsc=12" << 400 << QByteArray() << true;
    QTest::newRow("a list of lengths") << post + "Content-Length: 5, 5\r\n\r\nsc=12" << 400 << QByteArray() << true;
    for (const char* method : { "PUT", "DELETE", "OPTIONS", "PATCH" }) {
        QTest::addRow("%s on rank.cgi", method)
            << QByteArray(method) + " /zorvat/rank.cgi HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n"
            << 405 << QByteArray("GET, HEAD, POST") << false;
    }
    QTest::newRow("2,500 ranges") << get + "Range: bytes=0-" + QByteArray(",0-").repeated(2499) + "\r\n\r\n"
                                  << 200 << QByteArray() << false;
}

void TestRankServer::requestsOutsideTheRulesAreAnsweredOnce()
{
    QFETCH(QByteArray, request);
    QFETCH(int, status);
    QFETCH(QByteArray, allow);
    QFETCH(bool, closes);
    RunningServer& server = start();
    HttpConnection connection(server.port());
    QVERIFY(connection.send(request.toStdString()));
    const HttpReply reply = connection.receive();
    QCOMPARE(reply.status, status);
    QCOMPARE(reply.header("Allow"), allow.toStdString());
    QVERIFY(reply.header("Content-Range").empty());
    if (closes) {
        QCOMPARE(connection.receive(5s).status, 0);
        QVERIFY(connection.closedWithin(5s));
    } else {
        QCOMPARE(connection.request("GET", "/zorvat/").status, 200);
    }
}

void TestRankServer::rateLimitCountsTheAddressTheProxyNames()
{
    ServerOptions options;
    options.rateLimit = 3;
    options.trustForwarded = true;
    RunningServer& server = start(options);
    const auto post = [&](const std::string& body, const Fields& forwarded = {}) {
        return postForm(server.port(), Rank, body, forwarded);
    };
    // Refused posts take no place.
    QCOMPARE(post("sc=1&play=1&pass=0&name=x&com=").status, 400);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(post(gamePost(i, "a")).status, 200);
    const HttpReply limited = post(gamePost(9, "a"));
    QCOMPARE(limited.status, 429);
    QCOMPARE(limited.header("Retry-After"), std::string("60"));
    QVERIFY(limited.body.find("しばらくしてから") != std::string::npos);

    // Behind the proxy each player has an allowance of their own: the address the proxy added
    // last, whatever the player wrote before it.
    const std::string player = "203.0.113.9";
    const std::vector<Fields> forwarded = {
        { { "X-Forwarded-For", "198.51.100.1" }, { "X-Forwarded-For", player } },
        { { "X-Forwarded-For", "198.51.100.2, " + player } },
        { { "X-Forwarded-For", "198.51.100.3" }, { "x-forwarded-for", "198.51.100.4, " + player } },
        { { "X-Forwarded-For", "198.51.100.5" }, { "X-Forwarded-For", player } },
    };
    for (std::size_t i = 0; i < forwarded.size(); ++i)
        QCOMPARE(post(gamePost(10 + static_cast<int>(i), "b"), forwarded[i]).status, i < 3 ? 200 : 429);
    QCOMPARE(storedTotal(*m_store), 6);
}

void TestRankServer::storeFailuresAnswer503AndStoreNothing()
{
    FlakyStore flaky(*m_store);
    ServerOptions options;
    options.rateLimit = 2;
    std::FILE* log = std::tmpfile();
    std::optional<RunningServer> server(std::in_place, flaky, options, log);
    const int port = server->port();
    flaky.failing = true;
    for (int i = 0; i < 3; ++i) {
        const HttpReply refused = postForm(port, Rank, gamePost(i, "x"));
        QCOMPARE(refused.status, 503);
        QCOMPARE(refused.header("Retry-After"), std::string("5"));
        QVERIFY(refused.body.find("しばらくしてから") != std::string::npos);
    }
    for (const char* path : { "/zorvat/", "/zorvat/ranking.json", "/zorvat/healthz" }) {
        const HttpReply reply = get(port, path);
        QCOMPARE(reply.status, 503);
        QCOMPARE(reply.header("Retry-After"), std::string("5"));
    }
    flaky.failing = false;
    // The failed posts gave their places back.
    QCOMPARE(postForm(port, Rank, gamePost(1, "y")).status, 200);
    QCOMPARE(postForm(port, Rank, gamePost(2, "y")).status, 200);
    QCOMPARE(postForm(port, Rank, gamePost(3, "y")).status, 429);
    QCOMPARE(storedTotal(*m_store), 2);
    QCOMPARE(get(port, "/zorvat/healthz").body, std::string("ok\n"));

    // Each failure is one line of the log, however many lines the store's message had.
    server.reset();
    std::rewind(log);
    char line[512];
    int failures = 0;
    while (std::fgets(line, sizeof line, log)) {
        QVERIFY2(std::strncmp(line, "CONTEXT", 7) != 0, line);
        failures += std::strstr(line, "store failure: canceling statement") != nullptr;
    }
    std::fclose(log);
    QCOMPARE(failures, 6);
}

void TestRankServer::postsWaitingLongForTheStoreAreAnswered503AndNotStored()
{
    FlakyStore held(*m_store);
    ServerOptions options;
    options.limits.storeThreads = 1;
    options.limits.storeQueueWait = 200ms;
    std::optional<RunningServer> server(std::in_place, held, options);
    held.hold(true);
    std::atomic<int> first = 0;
    std::thread posting([&] { first = postForm(server->port(), Rank, gamePost(1, "first")).status; });
    QTRY_COMPARE(held.waiting(), 1);
    const HttpReply queued = postForm(server->port(), Rank, gamePost(2, "second"));
    QCOMPARE(queued.status, 503);
    QCOMPARE(queued.header("Retry-After"), std::string("5"));
    held.hold(false);
    posting.join();
    QCOMPARE(first.load(), 200);
    server.reset();
    const Ranking ranking = m_store->top(10);
    QCOMPARE(ranking.total, 1);
    QCOMPARE(ranking.entries.at(0).name, std::string("first"));
}

void TestRankServer::healthAndMetricsTellTheHostHowItGoes()
{
    ServerOptions options;
    options.metrics = true;
    options.trustForwarded = true;
    RunningServer& server = start(options);
    QCOMPARE(get(server.port(), "/zorvat/healthz").body, std::string("ok\n"));
    QCOMPARE(postForm(server.port(), Rank, gamePost(5, "a")).status, 200);
    QCOMPARE(postForm(server.port(), Rank, "sc=x").status, 400);
    HttpConnection watcher(server.port());
    const auto metrics = [&] { return watcher.request("GET", "/metrics"); };
    QCOMPARE(metrics().header("Content-Type"), std::string("text/plain; version=0.0.4; charset=utf-8"));
    for (const char* line : {
             "zorvat_rank_posts_accepted_total 1\n",
             "zorvat_rank_posts_refused_total{reason=\"invalid\"} 1\n",
             "zorvat_rank_requests_total{status=\"400\"} 1\n",
             "zorvat_rank_store_seconds_count{call=\"add\"} 1\n",
             "zorvat_rank_store_seconds_bucket{call=\"check\",le=\"+Inf\"} 1\n",
             "zorvat_rank_open_connections 1\n",
         })
        QTRY_VERIFY2(metrics().body.find(line) != std::string::npos, line);
    // Passed on by a proxy on the host's machine for a player elsewhere.
    QCOMPARE(watcher.request("GET", "/metrics", {}, { { "X-Forwarded-For", "203.0.113.9" } }).status, 404);
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
            std::optional<HttpConnection> client;
            for (int p = 0; p < Posts; ++p) {
                if (!client)
                    client.emplace(server.port());
                const HttpReply res = client->request("POST", Rank,
                    gamePost(p, std::to_string(c) + "-" + std::to_string(p)), { { "Content-Type", FormType } });
                if (res.status == 200)
                    ++accepted;
                else
                    qWarning("post failed: %d", res.status);
                // The server closes a connection after its share of requests.
                if (res.header("Connection") == "close")
                    client.reset();
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

void TestRankServer::slowConnectionsFromManyAddressesLeaveOthersServed()
{
    ServerOptions options;
    options.limits.maxPerAddress = 8;
    options.limits.requestTimeout = 2s;
    RunningServer& server = start(options);
    // 25 addresses, each holding as many connections as it may, with a request that never ends,
    // and trying one more.
    std::vector<HttpConnection> held;
    std::vector<HttpConnection> extra;
    for (int a = 1; a <= 25; ++a) {
        const std::string source = "127.0.1." + std::to_string(a);
        for (int c = 0; c < 8; ++c) {
            held.emplace_back(server.port(), source.c_str());
            QVERIFY(held.back().send("GET /zorvat/ HTTP/1.1\r\nHost: x\r\n"));
        }
        extra.emplace_back(server.port(), source.c_str());
    }
    for (int i = 0; i < 5; ++i)
        QCOMPARE(get(server.port(), "/zorvat/").status, 200);
    // Each address's extra connection was turned away at once.
    for (HttpConnection& connection : extra)
        QCOMPARE(connection.receive(5s).status, 503);
    // The others are dropped when their request's time is up.
    for (HttpConnection& connection : held)
        QVERIFY(connection.closedWithin(10s));
    QCOMPARE(get(server.port(), "/zorvat/").status, 200);
}

void TestRankServer::clientTricklingItsRequestIsDropped()
{
    ServerOptions options;
    options.limits.requestTimeout = 1s;
    RunningServer& server = start(options);
    HttpConnection connection(server.port());
    const std::string request = "POST /zorvat/rank.cgi HTTP/1.1\r\nHost: x\r\nContent-Length: 100\r\n\r\n";
    std::size_t sent = 0;
    bool dropped = false;
    QElapsedTimer timer;
    timer.start();
    // One byte every 100 ms: each read is quick, but the request as a whole never arrives in time.
    while (!dropped && timer.elapsed() < 10'000) {
        const char byte = sent < request.size() ? request[sent] : 'x';
        dropped = !connection.send(std::string_view(&byte, 1)) || connection.closedWithin(100ms);
        ++sent;
    }
    QVERIFY(dropped);
    QVERIFY2(timer.elapsed() < 5'000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(get(server.port(), "/zorvat/").status, 200);
}

QTEST_GUILESS_MAIN(TestRankServer)
#include "test_rank_server.moc"
