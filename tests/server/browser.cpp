// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser.h"

#include "http_client.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QThread>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zorvat::rank::testing {

namespace {

const char* const ChromiumProgram = "/usr/bin/chromium";

} // namespace

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

Browser::Browser(const QString& profile, const QStringList& arguments)
    : m_port(freePort())
{
    m_process.setProgram("chromedriver");
    m_process.setArguments({ "--port=" + QString::number(m_port) });
    m_process.start();
    for (int i = 0; i < 100 && get(m_port, "/status").status == 0; ++i)
        QThread::msleep(100);
    QJsonArray args { "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
        "--disable-background-networking", "--disable-component-update", "--disable-sync", "--lang=ja",
        "--window-size=800,900", "--user-data-dir=" + profile };
    for (const QString& argument : arguments)
        args.append(argument);
    const QJsonObject options { { "binary", ChromiumProgram }, { "args", args } };
    const QJsonObject session = call("POST", "/session",
        { { "capabilities", QJsonObject { { "alwaysMatch", QJsonObject { { "goog:chromeOptions", options } } } } } });
    m_session = "/session/" + session["sessionId"].toString().toStdString();
}

Browser::~Browser()
{
    if (!m_session.empty())
        HttpConnection(m_port).request("DELETE", m_session);
    m_process.kill();
    m_process.waitForFinished();
}

bool Browser::installed()
{
    return QFileInfo(ChromiumProgram).isExecutable() && !QStandardPaths::findExecutable("chromedriver").isEmpty();
}

void Browser::open(const QString& url)
{
    call("POST", m_session + "/url", { { "url", url } });
}

QString Browser::element(const QString& css)
{
    const QJsonObject found = call("POST", m_session + "/element", { { "using", "css selector" }, { "value", css } });
    return found.isEmpty() ? QString() : found.begin()->toString();
}

void Browser::type(const QString& css, const QString& text)
{
    call("POST", m_session + "/element/" + element(css).toStdString() + "/value", { { "text", text } });
}

void Browser::click(const QString& css)
{
    call("POST", m_session + "/element/" + element(css).toStdString() + "/click", {});
}

QString Browser::source()
{
    return call("GET", m_session + "/source", {}).value("value").toString();
}

QByteArray Browser::screenshot()
{
    return QByteArray::fromBase64(call("GET", m_session + "/screenshot", {}).value("value").toString().toLatin1());
}

// The "value" of the answer (wrapped as {"value": ...} when it is no object).
QJsonObject Browser::call(const char* method, const std::string& path, const QJsonObject& body)
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

bool Browser::sendRankingPage(const QString& pageFile, const QString& name, const QString& comment)
{
    const auto within20s = [](const auto& done) {
        for (int tries = 0; tries < 200; ++tries) {
            if (done())
                return true;
            QThread::msleep(100);
        }
        return false;
    };
    open("file://" + pageFile);
    if (!within20s([&] { return !element("input[name=name]").isEmpty(); }))
        return false;
    type("input[name=name]", name);
    type("input[name=com]", comment);
    click("input[name=B1]");
    return within20s([&] { return source().contains("登録しました"); });
}

} // namespace zorvat::rank::testing
