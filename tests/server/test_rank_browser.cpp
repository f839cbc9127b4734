// SPDX-License-Identifier: GPL-3.0-or-later
// The whole way with a real browser: the game's own ranking page, opened in headless Chromium,
// filled in in Japanese and sent to the server; the entry then shows on the ranking page.
#include "fresh_stores.h"
#include "http_client.h"
#include "rank_page.h"
#include "running_server.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace zorvat;
using namespace zorvat::rank;
using namespace zorvat::rank::testing;

namespace {

int freePort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
    close(fd);
    return ntohs(addr.sin_port);
}

// Chromium driven through chromedriver's WebDriver protocol.
class Browser {
public:
    explicit Browser(const QString& profile)
        : m_port(freePort())
    {
        m_process.setProgram("chromedriver");
        m_process.setArguments({ "--port=" + QString::number(m_port) });
        m_process.start();
        for (int i = 0; i < 100 && get(m_port, "/status").status == 0; ++i)
            QThread::msleep(100);
        const QJsonArray args { "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
            "--disable-background-networking", "--disable-component-update", "--disable-sync", "--lang=ja",
            "--window-size=800,900", "--user-data-dir=" + profile };
        const QJsonObject options { { "binary", "/usr/bin/chromium" }, { "args", args } };
        const QJsonObject session = call("POST", "/session",
            { { "capabilities",
                QJsonObject { { "alwaysMatch", QJsonObject { { "goog:chromeOptions", options } } } } } });
        m_session = "/session/" + session["sessionId"].toString().toStdString();
    }
    ~Browser()
    {
        if (!m_session.empty())
            HttpConnection(m_port).request("DELETE", m_session);
        m_process.kill();
        m_process.waitForFinished();
    }
    bool started() const { return !m_session.empty() && m_session != "/session/"; }

    void open(const QString& url) { call("POST", m_session + "/url", { { "url", url } }); }
    QString element(const QString& css)
    {
        const QJsonObject found
            = call("POST", m_session + "/element", { { "using", "css selector" }, { "value", css } });
        return found.isEmpty() ? QString() : found.begin()->toString();
    }
    void type(const QString& css, const QString& text)
    {
        call("POST", m_session + "/element/" + element(css).toStdString() + "/value", { { "text", text } });
    }
    void click(const QString& css)
    {
        call("POST", m_session + "/element/" + element(css).toStdString() + "/click", {});
    }
    QString source() { return call("GET", m_session + "/source", {}).value("value").toString(); }
    QByteArray screenshot()
    {
        return QByteArray::fromBase64(call("GET", m_session + "/screenshot", {}).value("value").toString().toLatin1());
    }

private:
    // The "value" of the answer (wrapped as {"value": ...} when it is no object).
    QJsonObject call(const char* method, const std::string& path, const QJsonObject& body)
    {
        const std::string json = QJsonDocument(body).toJson(QJsonDocument::Compact).toStdString();
        const HttpReply res = std::string(method) == "GET"
            ? get(m_port, path)
            : HttpConnection(m_port).request(method, path, json, { { "Content-Type", "application/json" } });
        if (res.status == 0)
            return {};
        const QJsonValue value = QJsonDocument::fromJson(QByteArray::fromStdString(res.body)).object().value("value");
        return value.isObject() ? value.toObject() : QJsonObject { { "value", value } };
    }

    int m_port;
    QProcess m_process;
    std::string m_session;
};

} // namespace

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
    browser.open("file://" + page.fileName());
    QTRY_VERIFY_WITH_TIMEOUT(!browser.element("input[name=name]").isEmpty(), 20'000);
    browser.type("input[name=name]", "山田太郎");
    browser.type("input[name=com]", "また遊びます！");
    browser.click("input[name=B1]");
    QTRY_VERIFY_WITH_TIMEOUT(browser.source().contains("登録しました"), 20'000);
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
