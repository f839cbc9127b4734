// SPDX-License-Identifier: GPL-3.0-or-later
#include "fresh_stores.h"

#include "postgres_store.h"
#include "sqlite_store.h"

#include <QFile>

#include <pqxx/pqxx>
#include <unistd.h>

namespace zorvat::rank::testing {

std::string FreshStores::postgresConninfo(const std::string& dbname)
{
    QFile file(ZORVAT_TEST_POSTGRES_CONNINFO);
    if (!file.open(QIODevice::ReadOnly))
        throw StoreFailure("no private PostgreSQL server: " + file.fileName().toStdString() + " is missing");
    std::string conninfo = file.readAll().trimmed().toStdString();
    return conninfo.substr(0, conninfo.rfind("dbname=")) + "dbname=" + dbname;
}

std::unique_ptr<EntryStore> FreshStores::make(const QString& kind)
{
    const std::string name = "store" + std::to_string(getpid()) + "_" + std::to_string(++m_made);
    if (kind == "sqlite") {
        m_sqlitePath = m_folder.filePath(QString::fromStdString(name + ".sqlite")).toStdString();
    } else {
        pqxx::connection admin(postgresConninfo("postgres"));
        pqxx::nontransaction(admin).exec("CREATE DATABASE " + name);
        m_postgres = postgresConninfo(name);
    }
    return reopen(kind);
}

std::unique_ptr<EntryStore> FreshStores::reopen(const QString& kind)
{
    if (kind == "sqlite")
        return std::make_unique<SqliteStore>(m_sqlitePath);
    return std::make_unique<PostgresStore>(m_postgres);
}

} // namespace zorvat::rank::testing
