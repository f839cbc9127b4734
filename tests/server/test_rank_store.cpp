// SPDX-License-Identifier: GPL-3.0-or-later
// One set of tests for both stores, run against a SQLite file and a real PostgreSQL server, so that
// a ranking behaves the same whichever store the host chose.
#include "fresh_stores.h"
#include "postgres_store.h"
#include "sqlite_store.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <mutex>
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

// The ranking as the entries themselves give it (shown ones by score, then by earlier entry),
// against what the store's counts answer for the page, the totals and the host's list.
void compareWithTheEntries(SqlStore& store)
{
    std::vector<RankedEntry> shown;
    for (const RankedEntry& e : store.exportEntries()) {
        if (!e.hidden)
            shown.push_back(e);
    }
    std::stable_sort(shown.begin(), shown.end(), [](const auto& a, const auto& b) { return a.score > b.score; });
    const Ranking top = store.top(std::int64_t(shown.size()) + 1);
    QCOMPARE(top.total, std::int64_t(shown.size()));
    QCOMPARE(top.entries.size(), shown.size());
    std::map<std::int64_t, std::int64_t> ranks;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        QCOMPARE(top.entries[i].id, shown[i].id);
        ranks[shown[i].id] = std::int64_t(i) + 1;
    }
    for (const RankedEntry& e : store.list())
        QCOMPARE(e.rank, e.hidden ? 0 : ranks.at(e.id));
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
    void importedEntriesKeepOrderTimesAddressesAndHiddenFlags_data() { bothStores_data(); }
    void importedEntriesKeepOrderTimesAddressesAndHiddenFlags();
    void firstReleaseTablesAreUpgradedWithTheirEntries_data() { bothStores_data(); }
    void firstReleaseTablesAreUpgradedWithTheirEntries();
    void moderationKeepsRanksAndTotalsExactWhilePostsArrive_data() { bothStores_data(); }
    void moderationKeepsRanksAndTotalsExactWhilePostsArrive();
    void versionGrowsWithEveryChangeTheRankingShows_data() { bothStores_data(); }
    void versionGrowsWithEveryChangeTheRankingShows();
    void resentPostIsAnsweredWithTheStoredEntry_data();
    void resentPostIsAnsweredWithTheStoredEntry();
    void identicalPostsArrivingTogetherAreStoredOnce_data() { bothStores_data(); }
    void identicalPostsArrivingTogetherAreStoredOnce();
    void lockedStoreFailsFastAndStoresNothing_data() { bothStores_data(); }
    void lockedStoreFailsFastAndStoresNothing();
    void backupUnderLoadHoldsEveryAcknowledgedEntry_data() { bothStores_data(); }
    void backupUnderLoadHoldsEveryAcknowledgedEntry();
    void bansCoverAddressesAndBlocks_data();
    void bansCoverAddressesAndBlocks();
    void bansPersistAndReachOtherProcesses_data() { bothStores_data(); }
    void bansPersistAndReachOtherProcesses();

    void unreachableStoresFailWithAReason();
    void sqliteLogIsCopiedIntoTheFileWhileTheStoreIsOpen();

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
    // One writer numbers the entries 1, 2, ... in commit order, so an answer's total names the
    // entries committed with it, and its rank is its place among them.
    const std::vector<RankedEntry> stored = store->exportEntries();
    std::set<std::int64_t> ids;
    for (const auto& client : registrations) {
        for (const Registration& r : client) {
            const RankedEntry& own = stored.at(std::size_t(r.id - 1));
            const auto ahead = std::count_if(stored.begin(), stored.begin() + r.total,
                [&](const RankedEntry& e) { return e.score > own.score || (e.score == own.score && e.id < own.id); });
            QCOMPARE(r.rank, ahead + 1);
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

void TestRankStore::importedEntriesKeepOrderTimesAddressesAndHiddenFlags()
{
    QFETCH(QString, kind);
    std::vector<RankedEntry> entries(1000);
    for (int i = 0; i < 1000; ++i) {
        RankedEntry& e = entries[std::size_t(i)];
        e = { i + 1, 0, i % 10, i, "bulk" + std::to_string(i), "c", 1000 + i, "198.51.100." + std::to_string(i % 3) };
        e.hidden = i % 7 == 0;
    }
    std::reverse(entries.begin(), entries.end()); // the order is the ids', not the list's
    const auto store = m_stores.make(kind);
    store->import(entries);
    std::reverse(entries.begin(), entries.end());
    const std::vector<RankedEntry> back = store->exportEntries();
    QCOMPARE(back.size(), entries.size());
    for (std::size_t i = 0; i < back.size(); ++i) {
        QCOMPARE(back[i].name, entries[i].name);
        QCOMPARE(back[i].time, entries[i].time);
        QCOMPARE(back[i].address, entries[i].address);
        QCOMPARE(back[i].hidden, entries[i].hidden);
    }
    const auto shownFrom5
        = std::count_if(entries.begin(), entries.end(), [](const RankedEntry& e) { return !e.hidden && e.score >= 5; });
    const Registration r = store->add(entry(5, "single"), "192.0.2.1", 2000);
    QCOMPARE(r.rank, shownFrom5 + 1);
    compareWithTheEntries(*store);
    QVERIFY_THROWS_EXCEPTION(StoreRefusal, store->import(entries));
    QCOMPARE(store->forgetAddresses(1500), 500); // posted before 1500: the first 500
    QCOMPARE(store->exportEntries().at(499).address, "");
    QCOMPARE(store->exportEntries().at(500).address, entries[500].address);
}

void TestRankStore::firstReleaseTablesAreUpgradedWithTheirEntries()
{
    QFETCH(QString, kind);
    m_stores.makeBare(kind);
    const auto old = m_stores.connect(kind);
    const std::string id = kind == "sqlite" ? "INTEGER PRIMARY KEY" : "BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY";
    old->execute("CREATE TABLE entries (id " + id
        + ", score INTEGER NOT NULL, play INTEGER NOT NULL, "
          "name TEXT NOT NULL, comment TEXT NOT NULL, created BIGINT NOT NULL);"
          "CREATE INDEX entries_by_rank ON entries (score DESC, id);"
          "CREATE TABLE scores (score INTEGER PRIMARY KEY, n BIGINT NOT NULL);"
          "INSERT INTO entries (score, play, name, comment, created) VALUES "
          "(10, 1, 'a', '', 100), (30, 2, 'b', 'x', 101), (10, 3, 'c', '', 102);"
          "INSERT INTO scores VALUES (10, 2), (30, 1)");
    {
        const auto store = m_stores.reopen(kind);
        QCOMPARE(namesOf(store->top(10)), (std::vector<std::string> { "b", "a", "c" }));
        const Registration d = store->add(entry(10, "d"), "192.0.2.1", 200);
        QCOMPARE(d.rank, 4);
        QCOMPARE(d.total, 4);
        QCOMPARE(store->hide({ d.id - 3 }), 1); // "a"
        QCOMPARE(store->list("c").at(0).rank, 2);
    }
    const auto again = m_stores.reopen(kind); // a second start changes nothing
    QCOMPARE(again->list().at(0).address, "192.0.2.1");
    QCOMPARE(again->list().at(1).address, "");
    compareWithTheEntries(*again);
    old->execute("UPDATE schema_version SET version = version + 1");
    QVERIFY_THROWS_EXCEPTION(StoreRefusal, m_stores.reopen(kind));
}

void TestRankStore::versionGrowsWithEveryChangeTheRankingShows()
{
    QFETCH(QString, kind);
    const auto store = m_stores.make(kind);
    const auto other = m_stores.reopen(kind); // another server process: its changes count as well
    const std::int64_t kept = store->add(entry(5, "kept"), "192.0.2.1", 100).id;
    const std::int64_t id = store->add(entry(3, "moderated"), "192.0.2.1", 100).id;
    struct Step {
        const char* what;
        std::function<void()> change;
        bool shows;
    };
    const Step steps[] = {
        { "post", [&] { other->add(entry(4, "posted"), "192.0.2.2", 200); }, true },
        { "resend", [&] { other->add(entry(4, "posted"), "192.0.2.2", 201); }, false },
        { "hide", [&] { other->hide({ id }); }, true },
        { "post as many as hidden", [&] { store->add(entry(3, "same total"), "192.0.2.3", 300); }, true },
        { "show again", [&] { other->unhide({ id }); }, true },
        { "delete", [&] { other->remove({ kept }); }, true },
        { "forget addresses", [&] { other->forgetAddresses(1'000); }, false },
        { "ban", [&] { other->ban("192.0.2.9", "", 400); }, false },
    };
    std::int64_t last = *store->version();
    for (const Step& step : steps) {
        step.change();
        const std::int64_t now = *store->version();
        QVERIFY2(step.shows ? now > last : now == last, step.what);
        last = now;
    }
}

void TestRankStore::moderationKeepsRanksAndTotalsExactWhilePostsArrive()
{
    QFETCH(QString, kind);
    const auto store = m_stores.make(kind);
    const auto other = m_stores.reopen(kind); // a second server process on the same data
    std::vector<std::int64_t> ids;
    for (int i = 0; i < 200; ++i)
        ids.push_back(store->add(entry(i % 7, "seed" + std::to_string(i)), "192.0.2.1", i).id);
    std::vector<std::thread> posters;
    for (int c = 0; c < 4; ++c) {
        posters.emplace_back([&, c] {
            for (int p = 0; p < 60; ++p)
                (c % 2 ? *store : *other)
                    .add(entry(p % 9, std::to_string(c) + "-" + std::to_string(p)), "192.0.2.2", p);
        });
    }
    for (int round = 0; round < 20; ++round) {
        const std::int64_t id = ids[std::size_t(round * 9)];
        QCOMPARE(store->hide({ id, id + 1 }), 2);
        QCOMPARE(other->hide({ id }), 0);
        QCOMPARE(other->unhide({ id + 1, id + 1 }), 1);
        QCOMPARE(store->remove({ id + 2, -5 }), 1);
    }
    for (std::thread& poster : posters)
        poster.join();
    compareWithTheEntries(*store);
    compareWithTheEntries(*other);
    QCOMPARE(store->top(1).total, 200 - 20 - 20 + 4 * 60);
}

void TestRankStore::resentPostIsAnsweredWithTheStoredEntry_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<int>("later");
    QTest::addColumn<bool>("resent");
    for (const QString& kind : FreshStores::kinds()) {
        const auto row
            = [&](const char* name) -> QTestData& { return QTest::newRow(qPrintable(kind + ": " + name)) << kind; };
        row("same address, same game") << "192.0.2.1"
                                       << "gg" << 60 << true;
        row("other address") << "192.0.2.2"
                             << "gg" << 60 << false;
        row("changed comment") << "192.0.2.1"
                               << "gg!" << 60 << false;
        row("eleven minutes later") << "192.0.2.1"
                                    << "gg" << 660 << false;
    }
}

void TestRankStore::resentPostIsAnsweredWithTheStoredEntry()
{
    QFETCH(QString, kind);
    QFETCH(QString, address);
    QFETCH(QString, comment);
    QFETCH(int, later);
    QFETCH(bool, resent);
    const auto store = m_stores.make(kind);
    store->add(entry(50, "best"), "192.0.2.9", 1000);
    const Registration first = store->add(entry(20, "me", 3, "gg"), "192.0.2.1", 1000);
    store->add(entry(20, "tie"), "192.0.2.9", 1001);
    const Registration again
        = store->add(entry(20, "me", 3, comment.toStdString()), address.toStdString(), 1000 + later);
    QCOMPARE(again.resent, resent);
    QCOMPARE(again.id == first.id, resent);
    QCOMPARE(again.rank, resent ? 2 : 4);
    QCOMPARE(again.total, resent ? 3 : 4);
    QCOMPARE(store->top(10).total, resent ? 3 : 4);
}

void TestRankStore::identicalPostsArrivingTogetherAreStoredOnce()
{
    QFETCH(QString, kind);
    const auto store = m_stores.make(kind);
    const auto other = m_stores.reopen(kind);
    std::vector<Registration> answers(8);
    std::vector<std::thread> senders;
    for (std::size_t c = 0; c < answers.size(); ++c)
        senders.emplace_back([&, c] { answers[c] = (c % 2 ? *store : *other).add(entry(7, "twice"), "192.0.2.1", 5); });
    for (std::thread& sender : senders)
        sender.join();
    QCOMPARE(store->top(10).total, 1);
    for (const Registration& r : answers) {
        QCOMPARE(r.id, answers[0].id);
        QCOMPARE(r.rank, 1);
    }
}

void TestRankStore::lockedStoreFailsFastAndStoresNothing()
{
    QFETCH(QString, kind);
    StoreTimeouts quick;
    quick.statement = std::chrono::milliseconds(1000);
    quick.lock = quick.queue = std::chrono::milliseconds(300);
    const auto store = m_stores.make(kind, quick);
    store->add(entry(1, "before"), "192.0.2.1", 1);
    const auto holder = m_stores.connect(kind);
    holder->execute(kind == "sqlite" ? "BEGIN EXCLUSIVE; DELETE FROM bans"
                                     : "BEGIN; LOCK TABLE entries, counts IN ACCESS EXCLUSIVE MODE");
    const auto failsOrAnswersFast = [&](auto call, bool mustFail) {
        QElapsedTimer timer;
        timer.start();
        bool failed = false;
        try {
            call();
        } catch (const StoreFailure&) {
            failed = true;
        }
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed()) + " ms"));
        QVERIFY(failed || !mustFail);
    };
    // Readers of the SQLite file read past a writer's lock; PostgreSQL's wait for the table.
    failsOrAnswersFast([&] { store->add(entry(2, "locked out"), "192.0.2.1", 2); }, true);
    failsOrAnswersFast([&] { store->top(10); }, kind == "postgres");
    failsOrAnswersFast([&] { store->check(); }, kind == "postgres");
    holder->execute("ROLLBACK");
    QCOMPARE(store->add(entry(3, "after"), "192.0.2.1", 3).total, 2);
}

void TestRankStore::backupUnderLoadHoldsEveryAcknowledgedEntry()
{
    QFETCH(QString, kind);
    const auto store = m_stores.make(kind);
    const std::string file = m_stores.sqlitePath() + ".backup";
    if (kind == "postgres") {
        try {
            store->backup(file);
            QFAIL("a PostgreSQL store made a backup of its own");
        } catch (const StoreRefusal& refusal) {
            QVERIFY(std::string(refusal.what()).find("pg_dump") != std::string::npos);
        }
        return;
    }
    std::mutex acknowledgedMutex;
    std::set<std::int64_t> acknowledged;
    std::atomic<bool> stop = false;
    std::vector<std::thread> posters;
    for (int c = 0; c < 4; ++c) {
        posters.emplace_back([&, c] {
            for (int p = 0; !stop; ++p) {
                const auto id
                    = store->add(entry(p % 50, std::to_string(c) + "-" + std::to_string(p)), "192.0.2.1", p).id;
                const std::lock_guard lock(acknowledgedMutex);
                acknowledged.insert(id);
            }
        });
    }
    const auto acknowledgedCount = [&] {
        const std::lock_guard lock(acknowledgedMutex);
        return acknowledged.size();
    };
    QTRY_VERIFY_WITH_TIMEOUT(acknowledgedCount() > 300, 10'000);
    std::set<std::int64_t> before;
    {
        const std::lock_guard lock(acknowledgedMutex);
        before = acknowledged;
    }
    store->backup(file);
    stop = true;
    for (std::thread& poster : posters)
        poster.join();
    SqliteStore copy(file);
    std::set<std::int64_t> copied;
    for (const RankedEntry& e : copy.exportEntries())
        copied.insert(e.id);
    QVERIFY(std::includes(copied.begin(), copied.end(), before.begin(), before.end()));
    compareWithTheEntries(copy);
}

void TestRankStore::bansCoverAddressesAndBlocks_data()
{
    QTest::addColumn<QString>("ban");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("covered");
    QTest::newRow("the address") << "192.0.2.7"
                                 << "192.0.2.7" << true;
    QTest::newRow("a longer address") << "192.0.2.7"
                                      << "192.0.2.70" << false;
    QTest::newRow("in the block") << "192.0.2.0/24"
                                  << "192.0.2.255" << true;
    QTest::newRow("next block") << "192.0.2.0/24"
                                << "192.0.3.0" << false;
    QTest::newRow("block written with host bits") << "192.0.2.77/25"
                                                  << "192.0.2.1" << true;
    QTest::newRow("IPv4 as IPv6 names it") << "192.0.2.0/24"
                                           << "::ffff:192.0.2.9" << true;
    QTest::newRow("IPv6 block") << "2001:db8::/32"
                                << "2001:db8:ffff::1" << true;
    QTest::newRow("outside the IPv6 block") << "2001:db8::/32"
                                            << "2001:db9::1" << false;
    QTest::newRow("no address") << "192.0.2.0/24"
                                << "unknown" << false;
}

void TestRankStore::bansCoverAddressesAndBlocks()
{
    QFETCH(QString, ban);
    QFETCH(QString, address);
    QFETCH(bool, covered);
    const std::string block = AddressBans::canonical(ban.toStdString());
    const AddressBans bans({ { "198.51.100.0/24", "other", 0 }, { block, "why", 0 } });
    QCOMPARE(bans.match(address.toStdString()) != nullptr, covered);
    QCOMPARE(AddressBans::canonical(block), block);
}

void TestRankStore::bansPersistAndReachOtherProcesses()
{
    QFETCH(QString, kind);
    const auto store = m_stores.make(kind);
    const auto other = m_stores.reopen(kind);
    QCOMPARE(other->banned("192.0.2.9"), std::nullopt);
    store->ban("192.0.2.0/24", "荒らし", 10);
    QCOMPARE(store->banned("192.0.2.9"), std::optional<std::string>("荒らし"));
    QTRY_VERIFY_WITH_TIMEOUT(other->banned("192.0.2.9").has_value(), 5000);
    QCOMPARE(m_stores.reopen(kind)->bans().at(0).prefix, "192.0.2.0/24");
    QVERIFY(other->unban("192.0.2.0/24"));
    QVERIFY(!other->unban("192.0.2.0/24"));
    QTRY_VERIFY_WITH_TIMEOUT(!store->banned("192.0.2.9").has_value(), 5000);
    for (const char* notAnAddress : { "", "192.0.2", "192.0.2.0/33", "example.org", "::1/129" })
        QVERIFY_THROWS_EXCEPTION(StoreRefusal, store->ban(notAnAddress, "", 1));
}

void TestRankStore::unreachableStoresFailWithAReason()
{
    QVERIFY_THROWS_EXCEPTION(StoreFailure, SqliteStore("/nonexistent-folder/x/ranking.sqlite"));
    QVERIFY_THROWS_EXCEPTION(StoreFailure, PostgresStore(FreshStores::postgresConninfo("no_such_database")));
}

void TestRankStore::sqliteLogIsCopiedIntoTheFileWhileTheStoreIsOpen()
{
    // Commits go to the write-ahead log first; the file itself only grows when the log is copied
    // into it, which no commit waits for, and the log starts again once copied instead of growing
    // without end: these posts would leave more than 15 MB of it.
    const auto store = m_stores.make("sqlite");
    const QString file = QString::fromStdString(m_stores.sqlitePath());
    const qint64 empty = QFileInfo(file).size();
    for (int i = 0; i < 600; ++i)
        store->add(entry(i * 3'000'000, std::string(200, 'x'), i), "192.0.2.1", i);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(file).size() > empty, 5000);
    QVERIFY(QFileInfo(file + "-wal").size() < 8 * 1024 * 1024);
    QCOMPARE(store->top(1).total, 600);
}

QTEST_GUILESS_MAIN(TestRankStore)
#include "test_rank_store.moc"
