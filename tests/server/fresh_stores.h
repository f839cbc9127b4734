// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sql_store.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <string>

namespace zorvat::rank::testing {

// A plain connection to a store's data beside the store's own, as another program would have:
// for laying out old tables and for holding locks.
class RawConnection {
public:
    virtual ~RawConnection() = default;
    virtual void execute(const std::string& sql) = 0;
};

// Empty stores of either kind for one test each: a new SQLite file, or a new database on the
// private PostgreSQL server that the test set-up started.
class FreshStores {
public:
    static QStringList kinds() { return { "sqlite", "postgres" }; }

    /** A new, empty store of `kind`. */
    std::unique_ptr<SqlStore> make(const QString& kind, StoreTimeouts timeouts = {});
    /** A new database of `kind` without tables, for `connect` to lay out and `reopen` to open. */
    void makeBare(const QString& kind);
    /** Another store on the same data as the last one made (as after a restart, or a second process). */
    std::unique_ptr<SqlStore> reopen(const QString& kind, StoreTimeouts timeouts = {});
    /** A connection of its own to the last data made. */
    std::unique_ptr<RawConnection> connect(const QString& kind) const;
    /** The options that name the last store made of `kind` on zorvat-rank's command line. */
    QStringList storeArguments(const QString& kind) const
    {
        return { kind == "sqlite" ? "--db" : "--postgres",
            QString::fromStdString(kind == "sqlite" ? m_sqlitePath : m_postgres) };
    }
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
