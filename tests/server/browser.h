// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <string>

namespace zorvat::rank::testing {

/** A TCP port on the loopback address that nobody listens on at the moment. */
int freePort();

// Headless Chromium driven through chromedriver's WebDriver protocol.
class Browser {
public:
    /** Keeps its profile in `profile`; `arguments` go to Chromium after the usual headless ones. */
    explicit Browser(const QString& profile, const QStringList& arguments = {});
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;
    ~Browser();

    /** Whether chromedriver and Chromium are both installed. */
    static bool installed();
    bool started() const { return !m_session.empty() && m_session != "/session/"; }

    void open(const QString& url);
    /** The WebDriver id of the first element matching `css`; "" when there is none. */
    QString element(const QString& css);
    void type(const QString& css, const QString& text);
    void click(const QString& css);
    QString source();
    QByteArray screenshot();

    /** Opens the game's ranking page `pageFile`, types the name and the comment into it and sends it,
        as a player does; true once the server's answer says the entry is registered (within 20 s). */
    bool sendRankingPage(const QString& pageFile, const QString& name, const QString& comment);

private:
    QJsonObject call(const char* method, const std::string& path, const QJsonObject& body);

    int m_port;
    QProcess m_process;
    std::string m_session;
};

} // namespace zorvat::rank::testing
