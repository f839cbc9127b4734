// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "file_bytes.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace zorvat::testing {

/** Where the tests that save hundreds of times make their folders: memory-backed storage when the
    machine has it, so that flushing to the disk costs nothing. */
inline QString fastFolderTemplate()
{
    const QString memory = QStringLiteral("/dev/shm");
    const QString base = QFileInfo(memory).isDir() && QFileInfo(memory).isWritable() ? memory : QDir::tempPath();
    return base + QStringLiteral("/zorvat-XXXXXX");
}

// A private folder for one settings file: written by hand as a fixture, read back as bytes.
class SettingsFolder {
public:
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    QString iniPath() const { return filePath(QStringLiteral("Zorvat.ini")); }

    /** Removes the settings file, so each test starts without one. */
    void clear() const { QFile::remove(iniPath()); }

    /** Writes the settings file with exactly these bytes. */
    void put(const QByteArray& bytes) const { putFile(iniPath(), bytes); }

    /** The settings file's bytes, or "<missing>". */
    QByteArray contents() const { return fileBytes(iniPath()); }

private:
    QTemporaryDir m_dir;
};

} // namespace zorvat::testing
