// SPDX-License-Identifier: GPL-3.0-or-later
// The ranking as a host puts it on the internet: zorvat-rank with its settings and nginx in
// front of it, both from the configuration the project ships, over HTTPS with a certificate made
// for the test. The game's page posts from a browser through the proxy, a player cannot claim
// another address past the rate limit, and what the proxy answers itself (parts of pages,
// oversized requests, the metrics) never reaches the ranking.
#include "browser.h"
#include "check_code.h"
#include "http_client.h"
#include "rank_page.h"
#include "server_process.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace zorvat;
using namespace zorvat::rank;
using namespace zorvat::rank::testing;

namespace {

constexpr int RateLimit = 3;
// Every answer of the ranking carries it; nginx's own answers do not.
const char* const RankingMark = "X-Content-Type-Options";

QString program(const char* name)
{
    const QString found = QStandardPaths::findExecutable(name);
    return found.isEmpty() ? QStandardPaths::findExecutable(name, { "/usr/sbin", "/sbin" }) : found;
}

std::string gamePost(int score, const std::string& name)
{
    return "sc=" + std::to_string(score) + "&play=1&pass=" + std::to_string(InternetRank::CheckCode(score))
        + "&name=" + name + "&com=";
}

std::string postRequest(const std::string& body, const std::string& headers = {})
{
    return "POST /zorvat/rank.cgi HTTP/1.1\r\nHost: rank.example.org\r\nConnection: close\r\n"
           "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: "
        + std::to_string(body.size()) + "\r\n" + headers + "\r\n" + body;
}

std::string getRequest(const std::string& target, const std::string& headers = {})
{
    return "GET " + target + " HTTP/1.1\r\nHost: rank.example.org\r\nConnection: close\r\n" + headers + "\r\n";
}

// One request over HTTPS, the bytes exactly as given, through openssl's own client; the answer
// as it came.
HttpReply overTls(int port, const std::string& request)
{
    QProcess client;
    client.start("openssl", { "s_client", "-quiet", "-connect", "127.0.0.1:" + QString::number(port) });
    client.write(QByteArray::fromStdString(request));
    client.closeWriteChannel();
    if (!client.waitForFinished(20'000))
        client.kill();
    const std::string text = client.readAllStandardOutput().toStdString();
    HttpReply reply;
    const std::size_t end = text.find("\r\n\r\n");
    if (text.rfind("HTTP/1.1 ", 0) != 0 || end == std::string::npos)
        return reply;
    reply.status = std::stoi(text.substr(9, 3));
    for (std::size_t at = text.find("\r\n") + 2; at < end;) {
        const std::size_t next = text.find("\r\n", at);
        const std::string line = text.substr(at, next - at);
        const std::size_t colon = line.find(':');
        reply.headers.emplace_back(line.substr(0, colon), line.substr(line.find_first_not_of(' ', colon + 1)));
        at = next + 2;
    }
    reply.body = text.substr(end + 4);
    return reply;
}

} // namespace

class TestRankProxy : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void gamePageSentThroughTheProxyShowsOnTheRanking();
    void addressesClaimedByAClientDoNotEscapeTheRateLimit();
    void proxyAnswersWhatTheRankingMustNotSee_data();
    void proxyAnswersWhatTheRankingMustNotSee();

private:
    QString startNginx(const QString& nginx);

    QTemporaryDir m_folder;
    std::unique_ptr<ServerProcess> m_rank;
    QProcess m_nginx;
    int m_https = 0;
    int m_http = 0;
};

void TestRankProxy::initTestCase()
{
    const QString nginx = program("nginx");
    if (nginx.isEmpty() || program("openssl").isEmpty() || !Browser::installed())
        QSKIP("needs nginx, openssl, chromium and chromedriver");
    QVERIFY(m_folder.isValid());
    // The settings shipped for hosts, the test's own store and limit over them.
    m_rank = std::make_unique<ServerProcess>(
        QStringList { "--config", ZORVAT_RANK_CONF, "--db", m_folder.filePath("rank.sqlite"), "--trust-forwarded",
            "--rate-limit", QString::number(RateLimit), "--metrics" });
    QVERIFY(m_rank->port() > 0);
    QProcess certificate;
    certificate.setStandardErrorFile(QProcess::nullDevice());
    certificate.start("openssl",
        { "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=rank.example.org", "-keyout",
            m_folder.filePath("key.pem"), "-out", m_folder.filePath("cert.pem"), "-batch" });
    QVERIFY(certificate.waitForFinished(60'000) && certificate.exitCode() == 0);
    const QString failure = startNginx(nginx);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

// The shipped file as it is, its addresses and certificate paths changed for a test that runs as
// any user; each change must find its line exactly once, or the test would check something else.
QString TestRankProxy::startNginx(const QString& nginx)
{
    QFile shipped(ZORVAT_NGINX_CONF);
    if (!shipped.open(QIODevice::ReadOnly))
        return "cannot read " + shipped.fileName();
    QString conf = QString::fromUtf8(shipped.readAll());
    m_https = freePort();
    m_http = freePort();
    const QString https = QString::number(m_https);
    const QList<std::pair<QString, QString>> changes {
        { "listen 443 ssl http2;", "listen 127.0.0.1:" + https + " ssl http2;" },
        { "listen [::]:443 ssl http2;", "" },
        { "listen 80;", "listen 127.0.0.1:" + QString::number(m_http) + ";" },
        { "listen [::]:80;", "" },
        { "server 127.0.0.1:8080;", "server 127.0.0.1:" + QString::number(m_rank->port()) + ";" },
        { "https://$host$request_uri", "https://$host:" + https + "$request_uri" },
        { "/etc/ssl/rank.example.org/fullchain.pem", m_folder.filePath("cert.pem") },
        { "/etc/ssl/rank.example.org/privkey.pem", m_folder.filePath("key.pem") },
        { "root /var/www/html;", "root " + m_folder.path() + ";" },
    };
    for (const auto& [from, to] : changes) {
        if (conf.count(from) != 1)
            return "the shipped nginx configuration no longer has \"" + from + "\" once";
        conf.replace(from, to);
    }
    QFile site(m_folder.filePath("zorvat-rank.conf"));
    if (!site.open(QIODevice::WriteOnly) || site.write(conf.toUtf8()) < 0)
        return "cannot write " + site.fileName();
    site.close();
    // nginx's own files in the test's folder, as the system's are root's; one process alone, so
    // that nothing stays behind whichever way the test ends.
    QFile main(m_folder.filePath("nginx.conf"));
    if (!main.open(QIODevice::WriteOnly))
        return "cannot write " + main.fileName();
    main.write(QString(R"(daemon off;
master_process off;
pid FOLDER/nginx.pid;
error_log FOLDER/error.log;
events {}
http {
    access_log FOLDER/access.log;
    client_body_temp_path FOLDER/body;
    proxy_temp_path FOLDER/proxy;
    fastcgi_temp_path FOLDER/fastcgi;
    uwsgi_temp_path FOLDER/uwsgi;
    scgi_temp_path FOLDER/scgi;
    include FOLDER/zorvat-rank.conf;
}
)")
                   .replace("FOLDER", m_folder.path())
                   .toUtf8());
    main.close();
    m_nginx.setProcessChannelMode(QProcess::MergedChannels);
    m_nginx.start(nginx, { "-p", m_folder.path(), "-e", m_folder.filePath("error.log"), "-c", main.fileName() });
    for (int i = 0; i < 100 && get(m_http, "/").status == 0; ++i) {
        if (m_nginx.waitForFinished(100))
            return "nginx did not start: " + QString::fromUtf8(m_nginx.readAll());
    }
    return get(m_http, "/").status == 0 ? "nginx does not answer" : QString();
}

void TestRankProxy::cleanupTestCase()
{
    if (m_nginx.state() != QProcess::NotRunning) {
        m_nginx.terminate();
        if (!m_nginx.waitForFinished(5000))
            m_nginx.kill();
    }
}

void TestRankProxy::gamePageSentThroughTheProxyShowsOnTheRanking()
{
    // A game built with an http:// address: the proxy moves the post to HTTPS, body and all.
    QFile page(m_folder.filePath("intsc.htm"));
    QVERIFY(page.open(QIODevice::WriteOnly));
    const std::string url = "http://127.0.0.1:" + std::to_string(m_http) + "/zorvat/rank.cgi";
    page.write(QByteArray::fromStdString(InternetRank::rankPageBytes(23, 4, url)));
    page.close();

    Browser browser(m_folder.filePath("profile"), { "--ignore-certificate-errors" });
    QVERIFY2(browser.started(), "chromedriver did not start Chromium");
    QVERIFY(browser.sendRankingPage(page.fileName(), "佐藤花子", "プロキシ越しです"));

    browser.click("a");
    QTRY_VERIFY_WITH_TIMEOUT(browser.source().contains("class=\"new\""), 20'000);
    const QString shown = browser.source();
    QVERIFY(shown.contains("佐藤花子"));
    QVERIFY(shown.contains("23点"));
    const HttpReply json = overTls(m_https, getRequest("/zorvat/ranking.json"));
    QCOMPARE(json.status, 200);
    QVERIFY(QString::fromStdString(json.body).contains("プロキシ越しです"));
}

void TestRankProxy::addressesClaimedByAClientDoNotEscapeTheRateLimit()
{
    const std::vector<std::string> claims {
        "X-Forwarded-For: 198.51.100.1\r\n",
        "X-Forwarded-For: 198.51.100.2\r\nX-Forwarded-For: 198.51.100.3\r\n",
        "X-Forwarded-For: 127.0.0.1, 198.51.100.4\r\n",
        "X-Forwarded-For: 198.51.100.5\r\n",
    };
    HttpReply last;
    for (std::size_t i = 0; i < claims.size(); ++i)
        last = overTls(m_https, postRequest(gamePost(static_cast<int>(i), "claim"), claims[i]));
    // The ranking's own refusal, not the proxy's.
    QCOMPARE(last.status, 429);
    QVERIFY(!last.header(RankingMark).empty());
    QTRY_VERIFY(m_rank->log().contains("127.0.0.1 POST /zorvat/rank.cgi 429"));
    QVERIFY2(!m_rank->log().contains("198.51.100."), m_rank->log().constData());
}

void TestRankProxy::proxyAnswersWhatTheRankingMustNotSee_data()
{
    QTest::addColumn<std::string>("request");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("fromRanking");
    QTest::addColumn<std::string>("bodyEnd");

    QTest::newRow("health") << getRequest("/zorvat/healthz") << 200 << true << std::string("ok\n");
    QTest::newRow("part of a page") << getRequest("/zorvat/", "Range: bytes=0-9\r\n") << 200 << true
                                    << std::string("</html>\n");
    QTest::newRow("part if unchanged") << getRequest("/zorvat/", "Range: bytes=5-\r\nIf-Range: \"x\"\r\n") << 200
                                       << true << std::string("</html>\n");
    QTest::newRow("oversized body") << postRequest(std::string(9000, 'a')) << 413 << false << std::string();
    QTest::newRow("oversized header") << getRequest("/zorvat/", "X-Long: " + std::string(9000, 'a') + "\r\n") << 400
                                      << false << std::string();
    QTest::newRow("metrics") << getRequest("/metrics") << 404 << false << std::string();
    QTest::newRow("outside the folder") << getRequest("/rank.cgi") << 404 << false << std::string();
}

void TestRankProxy::proxyAnswersWhatTheRankingMustNotSee()
{
    QFETCH(std::string, request);
    QFETCH(int, status);
    QFETCH(bool, fromRanking);
    QFETCH(std::string, bodyEnd);
    const HttpReply reply = overTls(m_https, request);
    QCOMPARE(reply.status, status);
    QCOMPARE(!reply.header(RankingMark).empty(), fromRanking);
    QVERIFY(reply.header("Content-Range").empty());
    QVERIFY(reply.body.size() >= bodyEnd.size());
    QCOMPARE(reply.body.substr(reply.body.size() - bodyEnd.size()), bodyEnd);
}

QTEST_GUILESS_MAIN(TestRankProxy)
#include "test_rank_proxy.moc"
