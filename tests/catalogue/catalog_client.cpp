// A second program on a catalogue, for the tests of what one program sees of another:
//   catalog_client hold FILE IMMEDIATE|EXCLUSIVE MS   takes SQLite's write lock for MS ms
//   catalog_client open FILE                          opens it through CatalogStore
//   catalog_client churn CATALOGUE ID OPS             OPS random changes to the programs
//       "W<ID>-n" and their rules for the group "Staff", and to the rule of the group "G<ID>"
//       for the program "Shared"; then one line per program and rule that its acknowledged
//       changes left: "program NAME DESCRIPTION", "rule GROUP PROGRAM STATUS", and "done
//       ACKNOWLEDGED FAILED"
// It writes one line per step to standard output: "uid N" first, then "locked" and
// "released", or "opened N" (N programs) or "error NUMBER DESCRIPTION".
#include "catalogue/CatalogStore.h"
#include "platform/OrvError.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <cstdio>
#include <iterator>
#include <map>
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

int Churn(const QString& catalogue, int id, int operations) {
    CatalogStore store;
    try {
        store.OpenDatabase(catalogue);
    } catch (const OrvError& error) {
        Say(QStringLiteral("error %1 %2").arg(error.Number()).arg(error.Description()));
        return 1;
    }
    const QString group = QStringLiteral("G%1").arg(id);
    const QString staff = QStringLiteral("Staff");
    const QString shared = QStringLiteral("Shared");
    QRandomGenerator random(static_cast<quint32>(id) * 7919u + 1u);
    std::map<QString, QString> programs;              // name -> description
    std::map<std::pair<QString, QString>, int> rules; // (group, program) -> status
    int next = 0;
    int acknowledged = 0;
    int failed = 0;
    const auto anyProgram = [&]() -> QString {
        if (programs.empty())
            return {};
        auto it = programs.begin();
        std::advance(it, random.bounded(static_cast<int>(programs.size())));
        return it->first;
    };
    for (int op = 0; op < operations; ++op) {
        try {
            const int kind = random.bounded(programs.empty() ? 1 : 6);
            const QString name = anyProgram();
            const QString text = QStringLiteral("d%1-%2").arg(id).arg(op);
            const int status = random.bounded(2);
            if (kind == 0) {
                const QString added = QStringLiteral("W%1-%2").arg(id).arg(next++);
                if (store.AddProgram(added, text, QStringLiteral("/bin/true"), {}, {}, {}))
                    programs[added] = text;
            } else if (kind == 1) {
                store.GetProgram(name);
                if (store.ModifyProgram(name, name, text, QStringLiteral("/bin/true"), {}, {}))
                    programs[name] = text;
            } else if (kind == 2) {
                if (store.DeleteProgram(name)) {
                    programs.erase(name);
                    rules.erase({staff, name});
                }
            } else if (kind == 3) {
                if (store.AddPermission(staff, status, name, CatalogStore::KindGroup))
                    rules[{staff, name}] = status;
            } else if (kind == 4) {
                if (store.DeletePermission(store.GetObjectId(staff, CatalogStore::KindGroup),
                                           store.GetProgramId(name)))
                    rules.erase({staff, name});
            } else {
                if (store.AddPermission(group, status, shared, CatalogStore::KindGroup))
                    rules[{group, shared}] = status;
            }
            ++acknowledged;
        } catch (const OrvError& error) {
            // Nothing was changed: every change is one statement or one transaction.
            ++failed;
            std::fprintf(stderr, "%s\n", qPrintable(error.Description()));
        }
    }
    for (const auto& [name, description] : programs)
        Say(QStringLiteral("program %1 %2").arg(name, description));
    for (const auto& [key, status] : rules)
        Say(QStringLiteral("rule %1 %2 %3").arg(key.first, key.second).arg(status));
    Say(QStringLiteral("done %1 %2").arg(acknowledged).arg(failed));
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
    if (args.size() == 5 && args.at(1) == QLatin1String("churn"))
        return Churn(args.at(2), args.at(3).toInt(), args.at(4).toInt());
    Say(QStringLiteral("usage: catalog_client hold FILE IMMEDIATE|EXCLUSIVE MS | open FILE | "
                       "churn CATALOGUE ID OPS"));
    return 2;
}
