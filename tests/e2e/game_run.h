// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

namespace zorvat::e2e {

// One run of the real game executable, set up as on a machine where it has never run:
// an empty configuration folder, an empty working folder from which it is started, and
// in place of the desktop's document opener a stand-in that only notes what it was
// handed, so that no browser starts.
class GameRun {
public:
    GameRun();
    ~GameRun();
    GameRun(const GameRun&) = delete;
    GameRun& operator=(const GameRun&) = delete;

    /** Starts `executable` on `display`; false (and error()) when it does not start. */
    bool start(const QString& executable, const QString& display);
    /** True while the game runs. */
    bool running() const;
    /** Waits up to `ms` for the game to end; true with its exit code in `exitCode` when it did. */
    bool waitForExit(int ms, int& exitCode);
    /** Ends the game if it still runs. */
    void kill();
    /** Sends the game `signal`, as a logout, "kill" or Ctrl+C in a terminal would. */
    bool sendSignal(int signal);
    /** The settings file the game finds at start-up: none unless this is set before start(). */
    void setSettings(const QByteArray& bytes) { m_settings = bytes; }
    /** An environment variable the game gets on top of the test's own; set before start(). */
    void setEnvironment(const QString& name, const QString& value) { m_environment.insert(name, value); }

    /** The folder the game was started from, where it writes the ranking page. */
    QString workFolder() const;
    /** The settings file as the game should write it. */
    QString settingsFile() const;
    /** The documents handed to the desktop opener so far, one per line, as the opener got them. */
    QByteArray openedDocuments() const;
    /** Everything the game printed. */
    QByteArray output();
    QString error() const { return m_error; }

private:
    bool prepareFolders();

    QTemporaryDir m_root;
    QProcess m_game;
    QByteArray m_output;
    QByteArray m_settings;
    QProcessEnvironment m_environment;
    QString m_error;
};

} // namespace zorvat::e2e
