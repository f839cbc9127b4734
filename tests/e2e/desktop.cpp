// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QScreen>

namespace zorvat::e2e {

namespace {

constexpr int ToolTimeoutMs = 20000;

} // namespace

std::optional<QString> Desktop::xdotool(const QStringList& arguments)
{
    QProcess tool;
    // The text to type is handed over in UTF-8, and the tool reads it in its locale's encoding:
    // a UTF-8 locale that every system has, whatever language the test runs in.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral("xdotool"), arguments);
    if (!tool.waitForFinished(ToolTimeoutMs) || tool.exitStatus() != QProcess::NormalExit) {
        tool.kill();
        tool.waitForFinished();
        m_error = QStringLiteral("xdotool %1 did not finish: %2").arg(arguments.join(' '), tool.errorString());
        return std::nullopt;
    }
    // "search" reports a miss with exit code 1 and no output; that is an answer, not a failure.
    if (tool.exitCode() != 0 && arguments.value(0) != QStringLiteral("search")) {
        m_error = QStringLiteral("xdotool %1 failed: %2")
                      .arg(arguments.join(' '), QString::fromLocal8Bit(tool.readAllStandardError()));
        return std::nullopt;
    }
    return QString::fromUtf8(tool.readAllStandardOutput());
}

bool Desktop::click(QPoint at)
{
    // A move that waits for the pointer to arrive waits in vain when it is there already.
    const auto location = xdotool({ QStringLiteral("getmouselocation"), QStringLiteral("--shell") });
    if (location && location->contains(QStringLiteral("X=%1\n").arg(at.x()))
        && location->contains(QStringLiteral("Y=%1\n").arg(at.y())))
        return xdotool({ QStringLiteral("click"), QStringLiteral("1") }).has_value();
    return xdotool({ QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(at.x()),
                       QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1") })
        .has_value();
}

bool Desktop::moveTo(QPoint at)
{
    return xdotool(
        { QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(at.x()), QString::number(at.y()) })
        .has_value();
}

bool Desktop::key(const QString& keys)
{
    return xdotool({ QStringLiteral("key"), keys }).has_value();
}

bool Desktop::type(const QString& text)
{
    // A character outside the keyboard's layout needs a key of its own. Left to itself the
    // typing tool maps a spare key for each such character and takes the mapping back right
    // after the press, and a busy game that looks the key up late reads the wrong character.
    // So every such character gets a spare key first, for good, and the typing finds it there.
    if (!mapSpareKeys(text))
        return false;
    return xdotool({ QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("150"), text }).has_value();
}

bool Desktop::mapSpareKeys(const QString& text)
{
    QStringList wanted;
    for (const char32_t c : text.toUcs4()) {
        const QString keysym = QStringLiteral("U%1").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0')).toUpper();
        if (c > 0x7E && !wanted.contains(keysym))
            wanted << keysym;
    }
    if (wanted.isEmpty())
        return true;

    QProcess table;
    table.start(QStringLiteral("xmodmap"), { QStringLiteral("-pke") });
    if (!table.waitForFinished(ToolTimeoutMs) || table.exitCode() != 0) {
        m_error = QStringLiteral("xmodmap -pke failed: %1").arg(QString::fromLocal8Bit(table.readAllStandardError()));
        return false;
    }
    QStringList mappings;
    const QRegularExpression spare(QStringLiteral("^keycode\\s+(\\d+)\\s*=\\s*$"));
    for (const QString& line : QString::fromLocal8Bit(table.readAllStandardOutput()).split('\n')) {
        const QRegularExpressionMatch m = spare.match(line);
        if (m.hasMatch() && mappings.size() < wanted.size())
            mappings << QStringLiteral("keycode %1 = %2").arg(m.captured(1), wanted.at(mappings.size()));
    }
    if (mappings.size() < wanted.size()) {
        m_error = QStringLiteral("not enough spare keys for %1").arg(text);
        return false;
    }
    QProcess map;
    QStringList arguments;
    for (const QString& mapping : mappings)
        arguments << QStringLiteral("-e") << mapping;
    map.start(QStringLiteral("xmodmap"), arguments);
    if (!map.waitForFinished(ToolTimeoutMs) || map.exitCode() != 0) {
        m_error = QStringLiteral("xmodmap failed: %1").arg(QString::fromLocal8Bit(map.readAllStandardError()));
        return false;
    }
    return true;
}

QString Desktop::focusedTitle()
{
    const auto focused = xdotool({ QStringLiteral("getwindowfocus") });
    if (!focused || focused->trimmed().isEmpty())
        return QString();
    // The root window and the hidden helper windows of a program carry no name; asking
    // for one fails, and that just means no titled window has the focus.
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), { QStringLiteral("getwindowname"), focused->trimmed() });
    if (!tool.waitForFinished(ToolTimeoutMs) || tool.exitCode() != 0)
        return QString();
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

std::optional<QString> Desktop::windowId(const QString& titlePattern)
{
    const auto ids = xdotool(
        { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), titlePattern });
    if (!ids)
        return std::nullopt;
    const QStringList found = ids->split('\n', Qt::SkipEmptyParts);
    if (found.isEmpty())
        return std::nullopt;
    return found.first();
}

std::optional<QRect> Desktop::window(const QString& titlePattern)
{
    const auto id = windowId(titlePattern);
    if (!id)
        return std::nullopt;
    // Where the window really is on the screen, also inside a window manager's frame.
    QProcess tool;
    tool.start(QStringLiteral("xwininfo"), { QStringLiteral("-id"), *id });
    if (!tool.waitForFinished(ToolTimeoutMs) || tool.exitCode() != 0)
        return std::nullopt;
    int values[4] = { -1, -1, -1, -1 };
    const char* names[4] = { "Absolute upper-left X", "Absolute upper-left Y", "Width", "Height" };
    for (const QString& line : QString::fromUtf8(tool.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
        const QString name = line.section(':', 0, 0).trimmed();
        for (int i = 0; i < 4; ++i) {
            if (name == QLatin1String(names[i]))
                values[i] = line.section(':', 1).trimmed().toInt();
        }
    }
    if (values[2] <= 0 || values[3] <= 0)
        return std::nullopt;
    return QRect(values[0], values[1], values[2], values[3]);
}

bool Desktop::moveWindow(const QString& titlePattern, QPoint to)
{
    const auto id = windowId(titlePattern);
    return id
        && xdotool({ QStringLiteral("windowmove"), QStringLiteral("--sync"), *id, QString::number(to.x()),
                       QString::number(to.y()) })
               .has_value();
}

std::optional<QRect> Desktop::frame(const QString& titlePattern)
{
    const auto id = windowId(titlePattern);
    const auto inner = window(titlePattern);
    if (!id || !inner)
        return std::nullopt;
    QProcess tool;
    tool.start(QStringLiteral("xprop"), { QStringLiteral("-id"), *id, QStringLiteral("_NET_FRAME_EXTENTS") });
    if (!tool.waitForFinished(ToolTimeoutMs) || tool.exitCode() != 0)
        return std::nullopt;
    // "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom", or "not found" before framing.
    const QString answer = QString::fromUtf8(tool.readAllStandardOutput());
    const QStringList extents = answer.section('=', 1).split(',', Qt::SkipEmptyParts);
    if (!answer.contains('=') || extents.size() != 4)
        return std::nullopt;
    return inner->adjusted(-extents[0].trimmed().toInt(), -extents[2].trimmed().toInt(), extents[1].trimmed().toInt(),
        extents[3].trimmed().toInt());
}

QImage Desktop::shot()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    m_lastShot = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    return m_lastShot;
}

} // namespace zorvat::e2e
