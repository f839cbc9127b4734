// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace zorvat::testing {

// A private folder for one settings file: written by hand as a fixture, read back as bytes.
class SettingsFolder {
public:
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    QString iniPath() const { return filePath(QStringLiteral("Zorvat.ini")); }

    /** Removes the settings file, so each test starts without one. */
    void clear() const { QFile::remove(iniPath()); }

    /** Writes the settings file with exactly these bytes. */
    void put(const QByteArray& bytes) const
    {
        QFile file(iniPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    /** The settings file's bytes, or "<missing>". */
    QByteArray contents() const
    {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

private:
    QTemporaryDir m_dir;
};

} // namespace zorvat::testing
