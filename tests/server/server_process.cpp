// SPDX-License-Identifier: GPL-3.0-or-later
#include "server_process.h"

#include <QRegularExpression>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace zorvat::rank::testing {

ServerProcess::ServerProcess(const QStringList& arguments, const QProcessEnvironment& environment, rlim_t descriptors)
{
    m_process.setProgram(ZORVAT_RANK_PROGRAM);
    m_process.setArguments(QStringList { "--listen", "127.0.0.1:0" } + arguments);
    if (!environment.isEmpty())
        m_process.setProcessEnvironment(environment);
    if (descriptors > 0) {
        m_process.setChildProcessModifier([descriptors] {
            const rlimit limit { descriptors, descriptors };
            setrlimit(RLIMIT_NOFILE, &limit);
        });
    }
    m_process.setReadChannel(QProcess::StandardError);
    m_process.start();
}

ServerProcess::~ServerProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

int ServerProcess::port()
{
    static const QRegularExpression listening("listening on 127\\.0\\.0\\.1:(\\d+)");
    while (m_port == 0 && m_process.waitForReadyRead(10'000)) {
        m_log += m_process.readAllStandardError();
        const auto match = listening.match(QString::fromUtf8(m_log));
        if (match.hasMatch())
            m_port = match.captured(1).toInt();
    }
    return m_port;
}

QByteArray ServerProcess::log()
{
    m_log += m_process.readAllStandardError();
    return m_log;
}

double ServerProcess::peakMegabytes()
{
    const auto words = proc("status");
    return std::stod(*(std::find(words.begin(), words.end(), "VmHWM:") + 1)) / 1024;
}

long long ServerProcess::cpuTicks()
{
    const auto words = proc("stat");
    return std::stoll(words.at(13)) + std::stoll(words.at(14));
}

std::vector<std::string> ServerProcess::proc(const char* file)
{
    std::ifstream in("/proc/" + std::to_string(m_process.processId()) + "/" + file);
    return { std::istream_iterator<std::string>(in), {} };
}

} // namespace zorvat::rank::testing
