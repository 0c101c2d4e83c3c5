#include "catalogue/CatalogState.h"

#include <QDateTime>

namespace catalog {

QVariant Convert(const QVariant& value, Col col) {
    if (col == Col::Bytes)
        return value.isNull() ? QVariant(QByteArray()) : QVariant(value.toByteArray());
    if (value.isNull())
        return {};
    switch (col) {
    case Col::Text:
        return value.toString();
    case Col::Int:
        return value.toInt();
    case Col::Date: {
        const QDateTime date = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
        return date.isValid() ? QVariant(date.toLocalTime()) : QVariant();
    }
    case Col::Bytes:
        break;
    }
    return {};
}

QString ErrorText(const QSqlError& error) {
    const QString database = error.databaseText().trimmed();
    return database.isEmpty() ? error.driverText().trimmed() : database;
}

QString BusyText() {
    return QStringLiteral("it is in use by another program, which kept it locked for more than "
                          "%1 seconds. Try again when that program has finished")
        .arg(kBusyTimeoutSeconds);
}

} // namespace catalog

using namespace catalog;

void CatalogStore::State::Fail(long number, const QString& what, const QString& detail) const {
    throw OrvError(
        number,
        QStringLiteral("%1 failed in the catalogue %2: %3").arg(what, label, detail.trimmed()),
        kSource);
}

void CatalogStore::State::Fail(long number, const QString& what, const QSqlError& error) const {
    switch (FaultOf(engine, error)) {
    case Fault::Busy:
        Fail(number, what, BusyText() + u'.');
    case Fault::ReadOnly:
        Fail(number, what,
             QStringLiteral("%1. Only a user who may write the catalogue and its folder can "
                            "change it.")
                 .arg(ErrorText(error)));
    case Fault::Connection:
        Fail(number, what,
             QStringLiteral("the connection to the server was lost (%1). Check that the server "
                            "runs and can be reached, then try again.")
                 .arg(LostConnectionText(error)));
    default:
        Fail(number, what, ErrorText(error));
    }
}

QString CatalogStore::State::LostConnectionText(const QSqlError& error) const {
    if (watchdog && watchdog->Fired())
        return QStringLiteral("it did not answer within %1 seconds: it may be stopped, or the "
                              "network to it cut")
            .arg(std::chrono::duration_cast<std::chrono::seconds>(watchdog->Limit()).count());
    return ErrorText(error);
}

QSqlQuery* CatalogStore::State::TryPrepare(const QString& sql, QSqlError& error) {
    auto found = statements.find(sql);
    if (found != statements.end())
        return found->second.get();
    auto query = std::make_unique<QSqlQuery>(Db());
    query->setForwardOnly(true);
    if (!query->prepare(sql)) {
        error = query->lastError();
        return nullptr;
    }
    return statements.emplace(sql, std::move(query)).first->second.get();
}

QSqlQuery* CatalogStore::State::Unprepared(const QString& sql) {
    auto found = statements.find(sql);
    if (found == statements.end()) {
        auto query = std::make_unique<QSqlQuery>(Db());
        query->setForwardOnly(true);
        found = statements.emplace(sql, std::move(query)).first;
    }
    return found->second.get();
}

QSqlQuery& CatalogStore::State::Prepared(const QString& sql, const QString& what, long number) {
    QSqlError error;
    QSqlQuery* query = TryPrepare(sql, error);
    if (query == nullptr)
        Fail(number, what, error);
    return *query;
}

bool CatalogStore::State::Exec(const QString& sql, const QVariantList& values, const QString& what,
                               long number, QSqlError& error) {
    // A connection lost by an earlier call is opened again before anything else: outside a
    // transaction nothing of this program's is lost with it.
    if (broken && openTransactions == 0)
        Reconnect();
    for (int attempt = 0;; ++attempt) {
        const WatchedStatement watched = Watch();
        // A statement without values goes to a server as it is: prepared there, it would cost
        // two more round trips (PREPARE, and DEALLOCATE when the connection is let go).
        // PostgreSQL prepares on the server, so preparing is the first to meet a lost
        // connection.
        const bool plain = values.isEmpty() && engine == CatalogEngine::Postgres;
        QSqlQuery* query = plain ? Unprepared(sql) : TryPrepare(sql, error);
        if (query != nullptr) {
            for (qsizetype i = 0; i < values.size(); ++i)
                query->bindValue(static_cast<int>(i), values.at(i));
            if (plain ? query->exec(sql) : query->exec())
                return true;
            error = query->lastError();
            query->finish();
        }
        if (FaultOf(engine, error) != Fault::Connection) {
            if (query == nullptr)
                Fail(number, what, error);
            return false;
        }
        broken = true;
        // Asked once more only when the connection was found dropped: a server that stopped
        // answering would make the caller wait as long again.
        if (attempt > 0 || openTransactions > 0 || (watchdog && watchdog->Fired()))
            return false;
        Reconnect();
    }
}
