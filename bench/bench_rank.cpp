// SPDX-License-Identifier: GPL-3.0-or-later
// The ranking server under load over loopback: accepted posts per second with their latency for
// SQLite (posts committed together, and one commit per post for comparison) and PostgreSQL
// (when $ZORVAT_BENCH_POSTGRES names a database), and the ranking page with a million entries.
#include "postgres_store.h"
#include "check_code.h"
#include "rank_server.h"
#include "sqlite_store.h"

#include <httplib.h>
#include <pqxx/pqxx>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

using namespace zorvat;
using namespace zorvat::rank;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int Clients = 16;
constexpr auto Duration = std::chrono::seconds(5);

struct Load {
    double perSecond;
    double p50Ms;
    double p99Ms;
    long failures;
};

// `Clients` keep-alive clients sending `request` as fast as answers come, for `Duration`.
template <class Request> Load measure(int port, Request request)
{
    std::vector<std::vector<double>> latencies(Clients);
    std::atomic<long> failures = 0;
    const auto end = Clock::now() + Duration;
    std::vector<std::thread> threads;
    for (int c = 0; c < Clients; ++c) {
        threads.emplace_back([&, c] {
            httplib::Client client("127.0.0.1", port);
            client.set_keep_alive(true);
            client.set_tcp_nodelay(true);
            for (int i = 0; Clock::now() < end; ++i) {
                const auto start = Clock::now();
                const auto res = request(client, c, i);
                const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                if (res && res->status == 200)
                    latencies[c].push_back(ms);
                else
                    ++failures;
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    std::vector<double> all;
    for (const auto& l : latencies)
        all.insert(all.end(), l.begin(), l.end());
    std::sort(all.begin(), all.end());
    const auto at = [&](double q) { return all.empty() ? 0.0 : all[static_cast<std::size_t>(q * (all.size() - 1))]; };
    return { all.size() / std::chrono::duration<double>(Duration).count(), at(0.5), at(0.99), failures.load() };
}

ServerOptions benchOptions()
{
    ServerOptions options;
    options.host = "127.0.0.1";
    options.port = 0;
    options.rateLimit = 0;
    options.limits.maxPerAddress = 64;
    return options;
}

Load posts(EntryStore& store)
{
    RankServer server(store, benchOptions(), nullptr);
    const int port = server.bind();
    std::thread running([&] { server.run(); });
    const Load load = measure(port, [](httplib::Client& client, int c, int i) {
        const int score = (c * 7919 + i * 104729) % 100;
        const std::string body = "sc=" + std::to_string(score) + "&play=" + std::to_string(i)
            + "&pass=" + std::to_string(InternetRank::CheckCode(score)) + "&name=%8ER%93c" + std::to_string(c)
            + "&com=%82%E6%82%EB%82%B5%82%AD&B1=%91%97%90M";
        return client.Post("/zorvat/rank.cgi", body, "application/x-www-form-urlencoded");
    });
    server.stop();
    running.join();
    return load;
}

Load rankingPage(EntryStore& store)
{
    RankServer server(store, benchOptions(), nullptr);
    const int port = server.bind();
    std::thread running([&] { server.run(); });
    const Load load = measure(port, [](httplib::Client& client, int, int) { return client.Get("/zorvat/"); });
    server.stop();
    running.join();
    return load;
}

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

void row(const char* what, const Load& load)
{
    std::printf("%-52s %9.0f /s  p50 %6.2f ms  p99 %6.2f ms  failed %ld\n", what, load.perSecond, load.p50Ms,
        load.p99Ms, load.failures);
    std::fflush(stdout);
}

} // namespace

int main()
{
    const auto folder = std::filesystem::temp_directory_path() / ("zorvat-bench-rank-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::printf("%d keep-alive clients over loopback, %lld s each; every post is committed before its answer\n",
        Clients, static_cast<long long>(Duration.count()));
    {
        SqliteStore store((folder / "grouped.sqlite").string());
        row("posts, SQLite, posts arriving together committed together", posts(store));
    }
    {
        SqliteStore store((folder / "single.sqlite").string(), 1);
        row("posts, SQLite, one commit per post", posts(store));
    }
    if (const char* conninfo = std::getenv("ZORVAT_BENCH_POSTGRES")) {
        PostgresStore store(conninfo, 16);
        row("posts, PostgreSQL", posts(store));
    }
    {
        SqliteStore store((folder / "million.sqlite").string());
        const auto start = Clock::now();
        fill(store, 1'000'000);
        std::printf(
            "1,000,000 entries loaded in %.1f s\n", std::chrono::duration<double>(Clock::now() - start).count());
        row("ranking page, SQLite, 1,000,000 entries", rankingPage(store));
    }
    if (const char* conninfo = std::getenv("ZORVAT_BENCH_POSTGRES")) {
        // Entries are imported into an empty store only: the page is measured in a database of its own.
        const std::string page = "zorvat_bench_page_" + std::to_string(getpid());
        pqxx::connection admin(conninfo);
        pqxx::nontransaction(admin).exec("CREATE DATABASE " + page);
        PostgresStore store(std::string(conninfo) + " dbname=" + page, 16);
        fill(store, 1'000'000);
        row("ranking page, PostgreSQL, 1,000,000 entries", rankingPage(store));
    }
    std::filesystem::remove_all(folder);
}
