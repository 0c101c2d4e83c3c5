#include "catalogue/CatalogStore.h"

#include "catalogue/CatalogState.h"

using namespace catalog;

namespace {

// The catalogue's tables with their columns, parents before children. Keys are copied too:
// they fix the insertion orders that the listings follow.
struct TableCopy {
    const char* table;
    const char* key;
    QList<Col> cols; // Bytes for pictures; Text carries every other value unchanged
    const char* columns;
};

const TableCopy kTables[] = {
    {"programs",
     "program_id",
     {Col::Text, Col::Text, Col::Text, Col::Text, Col::Text, Col::Text, Col::Text, Col::Bytes,
      Col::Text, Col::Text},
     "program_id, program_name, name_key, description, exe_path, start_in_dir, startup_parms,"
     " icon, added_date, row_version"},
    {"principals",
     "object_id",
     {Col::Text, Col::Text, Col::Text, Col::Text},
     "object_id, object_name, object_kind, object_sid"},
    {"permissions",
     "permission_id",
     {Col::Text, Col::Text, Col::Text, Col::Text},
     "permission_id, object_id, program_id, status"},
    {"folders",
     "folder_id",
     {Col::Text, Col::Text, Col::Text},
     "folder_id, folder_name, folder_path"},
    {"themes",
     "theme_id",
     {Col::Text, Col::Text, Col::Bytes, Col::Bytes, Col::Bytes, Col::Text},
     "theme_id, theme_name, logo_splash, logo_setup, logo_addremove, is_default"},
};

// Integers travel as text between the engines: both take '12' for an integer column.
QVariant Bound(const QVariant& value, Col col) {
    if (col == Col::Bytes)
        return value.toByteArray().isEmpty() ? NullBytes() : value;
    return value.isNull() ? QVariant() : QVariant(value.toString());
}

} // namespace

void CatalogStore::CopyInto(CatalogStore& target) {
    Db();
    target.Db();
    State& from = *mState;
    State& to = *target.mState;
    const QString what =
        QStringLiteral("Copying the catalogue %1 into %2").arg(from.label, to.label);
    State::Transaction transaction(to, what);
    QStringList held;
    for (const TableCopy& t : kTables) {
        const auto row =
            to.First(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(t.table)), {},
                     QStringLiteral("Counting the rows of the target"));
        const qint64 count = row ? row->at(0).toLongLong() : 0;
        if (QLatin1String(t.table) == QLatin1String("themes")) {
            const auto bare =
                to.First(QStringLiteral("SELECT count(*) FROM themes WHERE theme_name = ? AND"
                                        " logo_splash IS NULL AND logo_setup IS NULL AND"
                                        " logo_addremove IS NULL"),
                         {kDefaultTheme}, QStringLiteral("Counting the rows of the target"));
            if (count - (bare ? bare->at(0).toLongLong() : 0) > 0)
                held.append(QStringLiteral("%1 themes").arg(count));
        } else if (count > 0) {
            held.append(QStringLiteral("%1 %2").arg(count).arg(QLatin1String(t.table)));
        }
    }
    if (!held.isEmpty())
        throw OrvError(ErrorNumber::DatabaseWrite,
                       QStringLiteral("The catalogue %1 is not empty (%2): a copy goes only into a "
                                      "new catalogue. Nothing was copied.")
                           .arg(to.label, held.join(u", ")),
                       kSource);
    // The new catalogue's own default theme gives way to the copied themes.
    to.Write(QStringLiteral("DELETE FROM themes"), {}, what);
    for (const TableCopy& t : kTables) {
        const QString columns = QLatin1String(t.columns);
        // A source of the first schema is read as it is: its programs are at their first version.
        QString read = columns;
        if (from.schemaVersion < 2)
            read.replace(QStringLiteral("row_version"), QStringLiteral("1"));
        const Recordset rows =
            from.Select(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                            .arg(read, QLatin1String(t.table), QLatin1String(t.key)),
                        {}, columns.split(QStringLiteral(", ")), t.cols,
                        QStringLiteral("Reading the %1 to copy").arg(QLatin1String(t.table)));
        QStringList marks;
        for (qsizetype i = 0; i < t.cols.size(); ++i)
            marks.append(QStringLiteral("?"));
        const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                   .arg(QLatin1String(t.table), columns, marks.join(u", "));
        for (const QVariantList& row : rows.Rows()) {
            QVariantList values;
            for (qsizetype c = 0; c < t.cols.size(); ++c)
                values.append(Bound(row.at(c), t.cols.at(c)));
            to.Write(insert, values, what);
        }
        to.KeysCopied(QLatin1String(t.table), QLatin1String(t.key), what);
    }
    transaction.Commit();
}
