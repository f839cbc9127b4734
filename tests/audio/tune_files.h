// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>

namespace zorvat::testing {

constexpr int Ppq = 480;

inline void big(QByteArray& out, std::uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

/** A controller change on channel 1 at the tune's start, for `tune`'s prelude. */
inline QByteArray controller(int number, int value)
{
    return QByteArray("\x00\xB0", 2) + char(number) + char(value);
}

// A one-track tune of `beats` quarter notes at `bpm`, each a chord of `voices` notes
// held for the whole beat; `prelude` (channel events at tick 0) comes first.
inline QByteArray tune(int beats, int bpm, int voices = 1, const QByteArray& prelude = {})
{
    QByteArray events;
    const std::uint32_t micros = 60000000 / bpm;
    events.append("\x00\xFF\x51\x03", 4);
    big(events, micros, 3);
    events.append("\x00\xC0\x00", 3);
    events.append(prelude);
    for (int b = 0; b < beats; ++b) {
        for (int v = 0; v < voices; ++v)
            events.append(QByteArray { "\x00\x90", 2 } + char(60 + b % 12 + 4 * v) + '\x64');
        for (int v = 0; v < voices; ++v) {
            // The first note-off carries the beat's length (480 as a variable-length number).
            if (v == 0)
                events.append("\x83\x60", 2);
            else
                events.append('\x00');
            events.append(QByteArray { "\x80", 1 } + char(60 + b % 12 + 4 * v) + '\x00');
        }
    }
    events.append("\x00\xFF\x2F\x00", 4);
    QByteArray file("MThd");
    big(file, 6, 4);
    big(file, 0, 2);
    big(file, 1, 2);
    big(file, Ppq, 2);
    file.append("MTrk");
    big(file, static_cast<std::uint32_t>(events.size()), 4);
    return file + events;
}

inline QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& data)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace zorvat::testing
