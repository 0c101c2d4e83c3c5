// A second program on a catalogue, for the tests of what one program sees of another:
//   catalog_client hold FILE IMMEDIATE|EXCLUSIVE MS   takes SQLite's write lock for MS ms
//   catalog_client open FILE                          opens it through CatalogStore
// It writes one line per step to standard output: "uid N" first, then "locked" and
// "released", or "opened N" (N programs) or "error NUMBER DESCRIPTION".
#include "platform/OrvError.h"
#include "services/CatalogStore.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <cstdio>
#include <unistd.h>

namespace {

void Say(const QString& line) {
    std::fprintf(stdout, "%s\n", qPrintable(line));
    std::fflush(stdout);
}

int Hold(const QString& file, const QString& mode, int ms) {
    int status = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("h"));
        db.setDatabaseName(file);
        QSqlQuery query(db);
        if (!db.open() || !query.exec(QStringLiteral("BEGIN %1").arg(mode))) {
            Say(QStringLiteral("error 0 %1").arg(query.lastError().text()));
            return 1;
        }
        Say(QStringLiteral("locked"));
        QThread::msleep(static_cast<unsigned long>(ms));
        status = query.exec(QStringLiteral("COMMIT")) ? 0 : 1;
        Say(QStringLiteral("released"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("h"));
    return status;
}

int Open(const QString& file) {
    try {
        CatalogStore store;
        store.OpenDatabase(file);
        Say(QStringLiteral("opened %1").arg(store.GetPrograms().RecordCount()));
    } catch (const OrvError& error) {
        Say(QStringLiteral("error %1 %2").arg(error.Number()).arg(error.Description()));
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    Say(QStringLiteral("uid %1").arg(geteuid()));
    if (args.size() == 5 && args.at(1) == QLatin1String("hold"))
        return Hold(args.at(2), args.at(3), args.at(4).toInt());
    if (args.size() == 3 && args.at(1) == QLatin1String("open"))
        return Open(args.at(2));
    Say(QStringLiteral("usage: catalog_client hold FILE IMMEDIATE|EXCLUSIVE MS | open FILE"));
    return 2;
}
