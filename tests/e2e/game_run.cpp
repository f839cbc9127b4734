// SPDX-License-Identifier: GPL-3.0-or-later
#include "game_run.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>

#include <csignal>
#include <sys/prctl.h>

namespace zorvat::e2e {

namespace {

constexpr int StartTimeoutMs = 30000;

bool writeFile(const QString& path, const QByteArray& bytes, QFileDevice::Permissions permissions)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.setPermissions(permissions);
}

} // namespace

GameRun::GameRun()
{
    m_game.setProcessChannelMode(QProcess::MergedChannels);
    // A game left behind by a crashed test would keep its display busy.
    m_game.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

GameRun::~GameRun()
{
    kill();
}

QString GameRun::workFolder() const
{
    return m_root.filePath(QStringLiteral("work"));
}

QString GameRun::settingsFile() const
{
    return m_root.filePath(QStringLiteral("config/Zorvat.ini"));
}

bool GameRun::prepareFolders()
{
    if (!m_root.isValid()) {
        m_error = QStringLiteral("no temporary folder: %1").arg(m_root.errorString());
        return false;
    }
    const QDir root(m_root.path());
    for (const char* folder : { "work", "config", "bin", "runtime" }) {
        if (!root.mkpath(QString::fromLatin1(folder))) {
            m_error = QStringLiteral("cannot make %1").arg(root.filePath(QString::fromLatin1(folder)));
            return false;
        }
    }
    if (!m_settings.isNull()
        && !writeFile(settingsFile(), m_settings, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        m_error = QStringLiteral("cannot write the settings file");
        return false;
    }
    QFile::setPermissions(root.filePath(QStringLiteral("runtime")),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QByteArray opener
        = "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" + root.filePath(QStringLiteral("opened.txt")).toUtf8() + "'\n";
    const auto executable = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    if (!writeFile(root.filePath(QStringLiteral("bin/xdg-open")), opener, executable)) {
        m_error = QStringLiteral("cannot write the stand-in document opener");
        return false;
    }
    return true;
}

bool GameRun::start(const QString& executable, const QString& display)
{
    if (!prepareFolders())
        return false;
    const QDir root(m_root.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root.filePath(QStringLiteral("runtime")));
    env.insert(QStringLiteral("PATH"), root.filePath(QStringLiteral("bin")) + ':' + env.value(QStringLiteral("PATH")));
    env.insert(QStringLiteral("BROWSER"), root.filePath(QStringLiteral("bin/xdg-open")));
    env.insert(m_environment);
    m_game.setProcessEnvironment(env);
    m_game.setWorkingDirectory(workFolder());
    m_game.start(executable, QStringList());
    if (!m_game.waitForStarted(StartTimeoutMs)) {
        m_error = QStringLiteral("the game did not start: %1").arg(m_game.errorString());
        return false;
    }
    return true;
}

bool GameRun::running() const
{
    return m_game.state() != QProcess::NotRunning;
}

bool GameRun::waitForExit(int ms, int& exitCode)
{
    if (running() && !m_game.waitForFinished(ms))
        return false;
    exitCode = m_game.exitStatus() == QProcess::NormalExit ? m_game.exitCode() : -1;
    return true;
}

void GameRun::kill()
{
    if (!running())
        return;
    m_game.kill();
    m_game.waitForFinished();
}

bool GameRun::sendSignal(int signal)
{
    return running() && ::kill(static_cast<pid_t>(m_game.processId()), signal) == 0;
}

QByteArray GameRun::openedDocuments() const
{
    QFile file(QDir(m_root.path()).filePath(QStringLiteral("opened.txt")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray GameRun::output()
{
    m_output += m_game.readAll();
    return m_output;
}

} // namespace zorvat::e2e
