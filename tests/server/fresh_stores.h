// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "entry_store.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <string>

namespace zorvat::rank::testing {

// Empty stores of either kind for one test each: a new SQLite file, or a new database on the
// private PostgreSQL server that the test set-up started.
class FreshStores {
public:
    static QStringList kinds() { return { "sqlite", "postgres" }; }

    /** A new, empty store of `kind`. */
    std::unique_ptr<EntryStore> make(const QString& kind);
    /** Another store on the same data as the last one made (as after a restart). */
    std::unique_ptr<EntryStore> reopen(const QString& kind);
    /** The SQLite file of the last SQLite store made. */
    std::string sqlitePath() const { return m_sqlitePath; }

    /** The private server's connection string for database `dbname`. */
    static std::string postgresConninfo(const std::string& dbname);

private:
    QTemporaryDir m_folder;
    int m_made = 0;
    std::string m_sqlitePath;
    std::string m_postgres;
};

} // namespace zorvat::rank::testing
