#pragma once

#include <QString>

class RegistryStore;

// Where the catalogue is: the SQLite file in the application folder, or, when the settings
// value "CatalogUri" names one, a shared PostgreSQL catalogue
// ("postgresql://user@host:port/database?sslmode=verify-full"). The address never holds the
// password: it comes from libpq's own password file (~/.pgpass or a "passfile" parameter) or
// from the file named by "CatalogPasswordFile", whose first line is the password.
struct CatalogAddress {
    QString path;     // file or address, for CatalogStore::OpenDatabase
    QString password; // empty unless CatalogPasswordFile gave one
    // CatalogTimeout: seconds a statement may take on the server (CatalogStore::SetServerTimeout)
    int timeoutSeconds = 30;
};

inline constexpr char kCatalogUriValue[] = "CatalogUri";
inline constexpr char kCatalogTimeoutValue[] = "CatalogTimeout";
inline constexpr char kCatalogPasswordFileValue[] = "CatalogPasswordFile";

// Why `uri` (a postgresql:// address) may not be used: it holds a password, which anyone who
// may read the settings or see the command line could see. Empty when it holds none.
QString PasswordInAddressProblem(const QString& uri, const QString& where);

// Throws OrvError when the address holds a password or the password file cannot be trusted
// or read. A machine without the settings key uses `sqliteFile`.
CatalogAddress ResolveCatalogAddress(RegistryStore& settings, const QString& sqliteFile);

// Why `file` may not hold the catalogue's password, or an empty string: it must be a file
// of root's that no one else may write and that not every user may read (give the launcher's
// users its group, mode 0640).
QString UntrustedPasswordFileReason(const QString& file);
