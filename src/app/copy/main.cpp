// tessaro-orvane-copy FROM TO: copies a whole catalogue into a new, empty one, for example
// from the embedded SQLite file to a shared PostgreSQL server or back. FROM and TO are each a
// catalogue file or a postgresql:// address; a server's password comes from libpq's password
// file (~/.pgpass or PGPASSFILE), never from the address. The source is opened to be read
// only.
#include "catalogue/CatalogAddress.h"
#include "catalogue/CatalogStore.h"
#include "platform/BrokenPipes.h"
#include "platform/OrvError.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

bool IsServer(const QString& catalogue) {
    return CatalogStore::IsServerAddress(catalogue);
}

int Usage() {
    std::fprintf(stderr, "usage: tessaro-orvane-copy FROM TO\n"
                         "  FROM, TO: a catalogue file (Orvane.mdb) or an address\n"
                         "  postgresql://user@host:port/database[?sslmode=...]\n"
                         "  TO must be a new or empty catalogue.\n");
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    IgnoreBrokenPipes();
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3)
        return Usage();
    const QString from = args.at(1);
    const QString to = args.at(2);
    for (const QString& catalogue : {from, to}) {
        const QString problem =
            IsServer(catalogue) ? PasswordInAddressProblem(catalogue, QStringLiteral("The address"))
                                : QString();
        if (!problem.isEmpty()) {
            std::fprintf(stderr, "tessaro-orvane-copy: %s\n", qPrintable(problem));
            return 1;
        }
    }
    // Opening a missing file would make it a new, empty catalogue.
    if (!IsServer(from) && !QFileInfo(from).isFile()) {
        std::fprintf(stderr, "tessaro-orvane-copy: the catalogue %s does not exist.\n",
                     qPrintable(from));
        return 1;
    }
    const bool newFile = !IsServer(to) && !QFileInfo::exists(to);
    try {
        // The source is only read: never created, upgraded or repaired by a copy.
        CatalogStore source;
        source.OpenReadOnly(from);
        CatalogStore target;
        target.OpenDatabase(to);
        source.CopyInto(target);
        std::printf("Copied %lld programs, %lld rules, %lld folder entries and %lld themes from "
                    "%s to %s.\n",
                    static_cast<long long>(target.GetPrograms().RecordCount()),
                    static_cast<long long>(target.GetPermissionsByGroup().RecordCount() +
                                           target.GetPermissionsByUser().RecordCount()),
                    static_cast<long long>(target.GetFolders().RecordCount()),
                    static_cast<long long>(target.GetThemes().RecordCount()), qPrintable(from),
                    qPrintable(to));
        return 0;
    } catch (const OrvError& error) {
        // The stores are closed here; a file made only for the copy goes again.
        if (newFile)
            QFile::remove(to);
        std::fprintf(stderr, "tessaro-orvane-copy: %s\n", qPrintable(error.Description()));
        return 1;
    }
}
