// SPDX-License-Identifier: GPL-3.0-or-later
// The whole way with a real browser: the game's own ranking page, opened in headless Chromium,
// filled in in Japanese and sent to the server; the entry then shows on the ranking page.
#include "browser.h"
#include "fresh_stores.h"
#include "http_client.h"
#include "rank_page.h"
#include "running_server.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace zorvat;
using namespace zorvat::rank;
using namespace zorvat::rank::testing;

class TestRankBrowser : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void gamePageSentFromTheBrowserShowsOnTheRanking();
};

void TestRankBrowser::gamePageSentFromTheBrowserShowsOnTheRanking()
{
    FreshStores stores;
    const auto store = stores.make("sqlite");
    RunningServer server(*store, {});
    QTemporaryDir folder;
    QFile page(folder.filePath("intsc.htm"));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write(QByteArray::fromStdString(InternetRank::rankPageBytes(17, 5, server.url("/zorvat/rank.cgi"))));
    page.close();

    Browser browser(folder.filePath("profile"));
    QVERIFY2(browser.started(), "chromedriver did not start Chromium");
    QVERIFY(browser.sendRankingPage(page.fileName(), "山田太郎", "また遊びます！"));
    QVERIFY(browser.source().contains("1位"));

    const Ranking ranking = store->top(10);
    QCOMPARE(ranking.total, 1);
    QCOMPARE(QString::fromStdString(ranking.entries.at(0).name), QString("山田太郎"));
    QCOMPARE(QString::fromStdString(ranking.entries.at(0).comment), QString("また遊びます！"));
    QCOMPARE(ranking.entries.at(0).score, 17);
    QCOMPARE(ranking.entries.at(0).play, 5);

    browser.click("a");
    QTRY_VERIFY_WITH_TIMEOUT(browser.source().contains("class=\"new\""), 20'000);
    const QString shown = browser.source();
    QVERIFY(shown.contains("山田太郎"));
    QVERIFY(shown.contains("17点"));
    QVERIFY(shown.contains("<td class=\"play\">5</td>"));
    // Kept for a person to look at.
    QFile shot(QStringLiteral(ZORVAT_TEST_ARTEFACTS "/ranking_page.png"));
    if (shot.open(QIODevice::WriteOnly))
        shot.write(browser.screenshot());
}

QTEST_GUILESS_MAIN(TestRankBrowser)
#include "test_rank_browser.moc"
