// SPDX-License-Identifier: GPL-3.0-or-later
#include "fresh_stores.h"

#include "postgres_store.h"
#include "sqlite_connection.h"
#include "sqlite_store.h"

#include <QFile>

#include <pqxx/pqxx>
#include <unistd.h>

namespace zorvat::rank::testing {

namespace {

class RawSqlite : public RawConnection {
public:
    explicit RawSqlite(const std::string& path)
        : m_connection(path, std::chrono::milliseconds(0))
    {
    }
    void execute(const std::string& sql) override { m_connection.execute(sql); }

private:
    SqliteConnection m_connection;
};

class RawPostgres : public RawConnection {
public:
    explicit RawPostgres(const std::string& conninfo)
        : m_connection(conninfo)
    {
    }
    void execute(const std::string& sql) override { pqxx::nontransaction(m_connection).exec(sql); }

private:
    pqxx::connection m_connection;
};

} // namespace

std::string FreshStores::postgresConninfo(const std::string& dbname)
{
    QFile file(ZORVAT_TEST_POSTGRES_CONNINFO);
    if (!file.open(QIODevice::ReadOnly))
        throw StoreFailure("no private PostgreSQL server: " + file.fileName().toStdString() + " is missing");
    std::string conninfo = file.readAll().trimmed().toStdString();
    return conninfo.substr(0, conninfo.rfind("dbname=")) + "dbname=" + dbname;
}

void FreshStores::makeBare(const QString& kind)
{
    const std::string name = "store" + std::to_string(getpid()) + "_" + std::to_string(++m_made);
    if (kind == "sqlite") {
        m_sqlitePath = m_folder.filePath(QString::fromStdString(name + ".sqlite")).toStdString();
    } else {
        pqxx::connection admin(postgresConninfo("postgres"));
        pqxx::nontransaction(admin).exec("CREATE DATABASE " + name);
        m_postgres = postgresConninfo(name);
    }
}

std::unique_ptr<SqlStore> FreshStores::make(const QString& kind, StoreTimeouts timeouts)
{
    makeBare(kind);
    return reopen(kind, timeouts);
}

std::unique_ptr<SqlStore> FreshStores::reopen(const QString& kind, StoreTimeouts timeouts)
{
    if (kind == "sqlite")
        return std::make_unique<SqliteStore>(m_sqlitePath, 256, timeouts);
    return std::make_unique<PostgresStore>(m_postgres, 8, timeouts);
}

std::unique_ptr<RawConnection> FreshStores::connect(const QString& kind) const
{
    if (kind == "sqlite")
        return std::make_unique<RawSqlite>(m_sqlitePath);
    return std::make_unique<RawPostgres>(m_postgres);
}

} // namespace zorvat::rank::testing
