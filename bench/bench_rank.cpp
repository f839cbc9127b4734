// SPDX-License-Identifier: GPL-3.0-or-later
// The ranking server under load over loopback, beside a trivial server on the same network library
// under the same load: accepted posts per second with their latency for SQLite (posts committed
// together, and one commit per post for comparison) and PostgreSQL (when $ZORVAT_BENCH_POSTGRES
// names a database), and the ranking page and its JSON with a million entries.
#include "http_load.h"
#include "postgres_store.h"
#include "check_code.h"
#include "rank_server.h"
#include "sqlite_store.h"
#include "trivial_server.h"

#include <pqxx/pqxx>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>
#include <unistd.h>

using namespace zorvat;
using namespace zorvat::rank;
using namespace zorvat::bench;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int Clients = 16;
constexpr std::chrono::seconds Duration(5);

// The game's page as a browser posts it, a different player and score each time.
std::string gamePost(int c, int i)
{
    const int score = (c * 7919 + i * 104729) % 100;
    const std::string body = "sc=" + std::to_string(score) + "&play=" + std::to_string(i)
        + "&pass=" + std::to_string(InternetRank::CheckCode(score)) + "&name=%8ER%93c" + std::to_string(c)
        + "&com=%82%E6%82%EB%82%B5%82%AD&B1=%91%97%90M";
    return requestText("POST", "/zorvat/rank.cgi", body);
}

Load served(EntryStore& store, const RequestText& request)
{
    ServerOptions options;
    options.host = "127.0.0.1";
    options.port = 0;
    options.rateLimit = 0;
    options.limits.maxPerAddress = 64;
    RankServer server(store, options, nullptr);
    const int port = server.bind();
    std::thread running([&] { server.run(); });
    const Load load = measure(port, Clients, Duration, request);
    server.stop();
    running.join();
    return load;
}

// A store that keeps nothing and answers at once: what the server costs without a store.
class NullStore : public EntryStore {
public:
    Registration add(const Submission&, const std::string&, std::int64_t) override { return { ++m_id, 1, m_id }; }
    Ranking top(std::int64_t) override { return {}; }
    void check() override { }
    std::optional<std::string> banned(const std::string&) override { return std::nullopt; }

private:
    std::atomic<std::int64_t> m_id = 0;
};

void fill(EntryStore& store, int count)
{
    std::mt19937 random(15);
    // Scores as players make them: most low, few high.
    std::geometric_distribution<int> score(0.08);
    std::vector<RankedEntry> entries;
    for (int i = 0; i < count; ++i)
        entries.push_back({ i, 0, std::min(score(random), 200), i % 500, "プレイヤー" + std::to_string(i), "よろしく",
            1'700'000'000, {} });
    static_cast<SqlStore&>(store).import(entries);
}

void row(const char* what, const Load& load, const Load* trivial = nullptr)
{
    std::printf("%-52s %9.0f /s  p50 %6.2f ms  p99 %6.2f ms  failed %ld", what, load.perSecond, load.p50Ms, load.p99Ms,
        load.failures);
    if (trivial)
        std::printf("  %.2f of the trivial server", load.perSecond / trivial->perSecond);
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

int main()
{
    const auto folder = std::filesystem::temp_directory_path() / ("zorvat-bench-rank-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::printf("%d keep-alive clients over loopback, %lld s each; every post is committed before its answer\n",
        Clients, static_cast<long long>(Duration.count()));
    Load trivial;
    {
        TrivialServer server;
        trivial = measure(server.port(), Clients, Duration, gamePost);
        row("posts, trivial server on the same network library", trivial);
    }
    {
        NullStore store;
        row("posts, no store (the server's own cost)", served(store, gamePost), &trivial);
    }
    {
        SqliteStore store((folder / "grouped.sqlite").string());
        row("posts, SQLite, posts arriving together committed together", served(store, gamePost), &trivial);
    }
    {
        SqliteStore store((folder / "single.sqlite").string(), 1);
        row("posts, SQLite, one commit per post", served(store, gamePost), &trivial);
    }
    const char* conninfo = std::getenv("ZORVAT_BENCH_POSTGRES");
    if (conninfo) {
        PostgresStore store(conninfo, 16);
        row("posts, PostgreSQL", served(store, gamePost), &trivial);
    }
    const auto page = [](int, int) { return requestText("GET", "/zorvat/"); };
    const auto json = [](int, int) { return requestText("GET", "/zorvat/ranking.json?limit=1000"); };
    {
        SqliteStore store((folder / "million.sqlite").string());
        const auto start = Clock::now();
        fill(store, 1'000'000);
        std::printf(
            "1,000,000 entries loaded in %.1f s\n", std::chrono::duration<double>(Clock::now() - start).count());
        row("ranking page, SQLite, 1,000,000 entries", served(store, page));
        row("ranking.json?limit=1000, SQLite, 1,000,000 entries", served(store, json));
    }
    if (conninfo) {
        // Entries are imported into an empty store only: the page is measured in a database of its own.
        const std::string database = "zorvat_bench_page_" + std::to_string(getpid());
        pqxx::connection admin(conninfo);
        pqxx::nontransaction(admin).exec("CREATE DATABASE " + database);
        PostgresStore store(std::string(conninfo) + " dbname=" + database, 16);
        fill(store, 1'000'000);
        row("ranking page, PostgreSQL, 1,000,000 entries", served(store, page));
        row("ranking.json?limit=1000, PostgreSQL, 1,000,000 entries", served(store, json));
    }
    std::filesystem::remove_all(folder);
}
