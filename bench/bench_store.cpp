// SPDX-License-Identifier: GPL-3.0-or-later
// The ranking stores on their own, without HTTP, at a million entries of two shapes: scores spread
// uniformly over 0..2,000,000,000 (anyone may post any score), and heavy ties (200,000 entries
// sharing the score that the posts then land on). SQLite always; PostgreSQL when
// $ZORVAT_BENCH_POSTGRES names a server where this user may create databases (one is made for
// each shape and dropped after it).
#include "postgres_store.h"
#include "sqlite_store.h"

#include <pqxx/pqxx>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <thread>
#include <sys/resource.h>
#include <unistd.h>

using namespace zorvat::rank;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int Entries = 1'000'000;
constexpr int Ties = 200'000;
constexpr std::int32_t TiedScore = 1'000'000'000;
constexpr int Threads = 16;
constexpr auto PostDuration = std::chrono::seconds(4);

struct Shape {
    const char* name;
    bool ties;
};

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// p50 and p99 of `count` calls of `call`, in milliseconds.
void latency(const char* what, int count, const std::function<void(int)>& call)
{
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        call(i);
        times.push_back(ms(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    std::printf("  %-34s p50 %8.2f ms  p99 %8.2f ms  (%d calls)\n", what, times[times.size() / 2],
        times[times.size() * 99 / 100], count);
    std::fflush(stdout);
}

// What this process has used of the processors, in seconds: the store's own cost, whatever else
// the machine runs at the same time.
double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::int32_t postedScore(const Shape& shape, std::mt19937& random)
{
    return shape.ties ? TiedScore : std::uniform_int_distribution<std::int32_t>(0, 2'000'000'000)(random);
}

void fill(SqlStore& store, const Shape& shape)
{
    std::mt19937 random(15);
    std::vector<RankedEntry> entries;
    entries.reserve(Entries);
    for (int i = 0; i < Entries; ++i) {
        const std::int32_t score
            = shape.ties && i % (Entries / Ties) == 0 ? TiedScore : postedScore({ "", false }, random);
        entries.push_back({ i, 0, score, i % 500, "プレイヤー" + std::to_string(i), "よろしく", 1'700'000'000,
            "203.0.113." + std::to_string(i % 250) });
    }
    const auto start = Clock::now();
    store.import(std::move(entries));
    std::printf("  %d entries loaded in %.1f s\n", Entries, ms(Clock::now() - start) / 1000);
}

void measure(SqlStore& store, const Shape& shape)
{
    fill(store, shape);
    latency("top(100), the page", 300, [&](int) { store.top(100); });
    latency("top(1000), the JSON", 100, [&](int) { store.top(1000); });
    std::mt19937 random(7);
    latency("add, one client", 200, [&](int i) {
        store.add({ postedScore(shape, random), i, "一人" + std::to_string(i), "" }, "198.51.100.1", 1'800'000'000);
    });

    std::atomic<long> posted = 0;
    const double cpuBefore = cpuSeconds();
    const auto end = Clock::now() + PostDuration;
    std::vector<std::thread> clients;
    for (int c = 0; c < Threads; ++c) {
        clients.emplace_back([&, c] {
            std::mt19937 own(c);
            const std::string address = "198.51.100." + std::to_string(c + 2);
            for (int i = 0; Clock::now() < end; ++i) {
                store.add({ postedScore(shape, own), i, "同時" + std::to_string(c), "" }, address, 1'800'000'000);
                ++posted;
            }
        });
    }
    for (std::thread& client : clients)
        client.join();
    std::printf("  %-34s %8.0f /s  (%.3f ms of this process's CPU each)\n", "posts, 16 threads",
        posted / std::chrono::duration<double>(PostDuration).count(), (cpuSeconds() - cpuBefore) * 1000 / posted);
    std::fflush(stdout);
}

} // namespace

int main()
{
    const Shape shapes[] = { { "spread scores", false }, { "heavy ties", true } };
    const auto folder = std::filesystem::temp_directory_path() / ("zorvat-bench-store-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    for (const Shape& shape : shapes) {
        std::printf("SQLite, %s\n", shape.name);
        SqliteStore store((folder / (std::string(shape.ties ? "ties" : "spread") + ".sqlite")).string());
        measure(store, shape);
    }
    std::filesystem::remove_all(folder);

    const char* conninfo = std::getenv("ZORVAT_BENCH_POSTGRES");
    if (!conninfo)
        return 0;
    for (const Shape& shape : shapes) {
        std::printf("PostgreSQL, %s\n", shape.name);
        const std::string dbname
            = std::string("zorvat_bench_") + (shape.ties ? "ties_" : "spread_") + std::to_string(getpid());
        pqxx::connection admin(conninfo);
        pqxx::nontransaction(admin).exec("CREATE DATABASE " + dbname);
        {
            PostgresStore store(std::string(conninfo) + " dbname=" + dbname, 16);
            measure(store, shape);
        }
        pqxx::nontransaction(admin).exec("DROP DATABASE " + dbname);
    }
}
