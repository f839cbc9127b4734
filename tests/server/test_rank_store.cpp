// SPDX-License-Identifier: GPL-3.0-or-later
// One set of tests for both stores, run against a SQLite file and a real PostgreSQL server, so that
// a ranking behaves the same whichever store the host chose.
#include "fresh_stores.h"
#include "postgres_store.h"
#include "sqlite_store.h"

#include <QtTest>

#include <set>
#include <thread>

using namespace zorvat::rank;
using namespace zorvat::rank::testing;

namespace {

Submission entry(std::int32_t score, const std::string& name, std::int32_t play = 1, const std::string& comment = {})
{
    return { score, play, name, comment };
}

std::vector<std::string> namesOf(const Ranking& ranking)
{
    std::vector<std::string> names;
    for (const RankedEntry& e : ranking.entries)
        names.push_back(e.name);
    return names;
}

} // namespace

class TestRankStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bothStores_data();
    void emptyStoreHasNoEntries_data() { bothStores_data(); }
    void emptyStoreHasNoEntries();
    void entriesRankByScoreThenByEarlierEntry_data() { bothStores_data(); }
    void entriesRankByScoreThenByEarlierEntry();
    void textsAndNumbersComeBackExactly_data() { bothStores_data(); }
    void textsAndNumbersComeBackExactly();
    void concurrentPostsAreAllStoredOnce_data() { bothStores_data(); }
    void concurrentPostsAreAllStoredOnce();
    void entriesSurviveReopening_data() { bothStores_data(); }
    void entriesSurviveReopening();
    void manyEntriesAddedAtOnceCountLikeSingleOnes_data() { bothStores_data(); }
    void manyEntriesAddedAtOnceCountLikeSingleOnes();

    void unreachableStoresFailWithAReason();

private:
    FreshStores m_stores;
};

void TestRankStore::bothStores_data()
{
    QTest::addColumn<QString>("kind");
    for (const QString& kind : FreshStores::kinds())
        QTest::newRow(qPrintable(kind)) << kind;
}

void TestRankStore::emptyStoreHasNoEntries()
{
    QFETCH(QString, kind);
    const auto store = m_stores.make(kind);
    const Ranking ranking = store->top(100);
    QCOMPARE(ranking.total, 0);
    QVERIFY(ranking.entries.empty());
}

void TestRankStore::entriesRankByScoreThenByEarlierEntry()
{
    QFETCH(QString, kind);
    const auto store = m_stores.make(kind);
    QCOMPARE(store->add(entry(10, "a"), "192.0.2.1", 100).rank, 1);
    QCOMPARE(store->add(entry(30, "b"), "192.0.2.1", 101).rank, 1);
    const Registration c = store->add(entry(10, "c"), "192.0.2.1", 102);
    QCOMPARE(c.rank, 3); // behind the earlier 10
    QCOMPARE(c.total, 3);
    QCOMPARE(store->add(entry(20, "d"), "192.0.2.1", 103).rank, 2);
    QCOMPARE(store->add(entry(0, "e"), "192.0.2.1", 104).rank, 5);

    const Ranking all = store->top(100);
    QCOMPARE(all.total, 5);
    QCOMPARE(namesOf(all), (std::vector<std::string> { "b", "d", "a", "c", "e" }));
    for (std::size_t i = 0; i < all.entries.size(); ++i)
        QCOMPARE(all.entries[i].rank, std::int64_t(i + 1));
    QCOMPARE(all.entries[2].id, store->top(100).entries[2].id);
    QVERIFY(all.entries[2].id < all.entries[3].id);

    const Ranking best = store->top(2);
    QCOMPARE(best.total, 5);
    QCOMPARE(namesOf(best), (std::vector<std::string> { "b", "d" }));
}

void TestRankStore::textsAndNumbersComeBackExactly()
{
    QFETCH(QString, kind);
    const auto store = m_stores.make(kind);
    const std::string name = "山田\xF0\x9F\x98\x80'\"\\";
    const std::string comment = "'); DROP TABLE entries; -- ＃　<b>";
    const Registration r = store->add(entry(2147483647, name, 2147483647, comment), "192.0.2.1", 4102444800);
    const RankedEntry e = store->top(1).entries.at(0);
    QCOMPARE(e.id, r.id);
    QCOMPARE(e.name, name);
    QCOMPARE(e.comment, comment);
    QCOMPARE(e.score, 2147483647);
    QCOMPARE(e.play, 2147483647);
    QCOMPARE(e.time, 4102444800);
}

void TestRankStore::concurrentPostsAreAllStoredOnce()
{
    QFETCH(QString, kind);
    const auto store = m_stores.make(kind);
    constexpr int Clients = 16;
    constexpr int Posts = 200;
    std::vector<std::vector<Registration>> registrations(Clients);
    std::vector<std::thread> clients;
    for (int c = 0; c < Clients; ++c) {
        clients.emplace_back([&, c] {
            for (int p = 0; p < Posts; ++p)
                registrations[c].push_back(
                    store->add(entry(p % 37, std::to_string(c) + "-" + std::to_string(p)), "192.0.2.1", 1));
        });
    }
    for (std::thread& client : clients)
        client.join();

    const Ranking ranking = store->top(Clients * Posts + 10);
    QCOMPARE(ranking.total, Clients * Posts);
    const std::vector<std::string> names = namesOf(ranking);
    QCOMPARE(std::set<std::string>(names.begin(), names.end()).size(), std::size_t(Clients * Posts));
    std::set<std::int64_t> ids;
    for (const auto& client : registrations) {
        for (const Registration& r : client) {
            QVERIFY(r.rank >= 1 && r.rank <= r.total);
            ids.insert(r.id);
        }
    }
    QCOMPARE(ids.size(), std::size_t(Clients * Posts));
    for (std::size_t i = 1; i < ranking.entries.size(); ++i)
        QVERIFY(ranking.entries[i - 1].score >= ranking.entries[i].score);
}

void TestRankStore::entriesSurviveReopening()
{
    QFETCH(QString, kind);
    {
        const auto store = m_stores.make(kind);
        store->add(entry(5, "before"), "192.0.2.1", 1);
    }
    const auto store = m_stores.reopen(kind);
    QCOMPARE(store->add(entry(7, "after"), "192.0.2.1", 2).rank, 1);
    QCOMPARE(namesOf(store->top(10)), (std::vector<std::string> { "after", "before" }));
}

void TestRankStore::manyEntriesAddedAtOnceCountLikeSingleOnes()
{
    QFETCH(QString, kind);
    const auto store = m_stores.make(kind);
    std::vector<Submission> many;
    for (int i = 0; i < 1000; ++i)
        many.push_back(entry(i % 10, "bulk" + std::to_string(i)));
    store->addAll(many, 1);
    const Registration r = store->add(entry(5, "single"), "192.0.2.1", 2);
    QCOMPARE(r.total, 1001);
    QCOMPARE(r.rank, 4 * 100 + 100 + 1); // 9..6 and the earlier 5s before it
    const Ranking top = store->top(3);
    QCOMPARE(top.total, 1001);
    QCOMPARE(namesOf(top), (std::vector<std::string> { "bulk9", "bulk19", "bulk29" }));
}

void TestRankStore::unreachableStoresFailWithAReason()
{
    QVERIFY_THROWS_EXCEPTION(StoreFailure, SqliteStore("/nonexistent-folder/x/ranking.sqlite"));
    QVERIFY_THROWS_EXCEPTION(StoreFailure, PostgresStore(FreshStores::postgresConninfo("no_such_database")));
}

QTEST_GUILESS_MAIN(TestRankStore)
#include "test_rank_store.moc"
