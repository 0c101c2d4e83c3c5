#include "catalogue/Recordset.h"

#include "platform/OrvError.h"

Recordset::Recordset(QStringList fieldNames, QList<QVariantList> rows)
    : mFieldNames(std::move(fieldNames)), mRows(std::move(rows)) {}

void Recordset::MoveNext() {
    if (IsEOF())
        throw OrvError(ErrorNumber::NoCurrentRecord,
                       QStringLiteral("Either BOF or EOF is True, or the current record has been "
                                      "deleted. Requested operation requires a current record."),
                       QStringLiteral("Recordset"));
    ++mPosition;
}

QVariant Recordset::Fields(const QString& name) const {
    return Field(FieldIndex(name));
}

qsizetype Recordset::FieldIndex(const QString& name) const {
    qsizetype column = mFieldNames.size() - 1;
    while (column >= 0 && mFieldNames.at(column).compare(name, Qt::CaseInsensitive) != 0)
        --column;
    if (column < 0)
        throw OrvError(ErrorNumber::ItemNotFound,
                       QStringLiteral("Item cannot be found in the collection corresponding to "
                                      "the requested name or ordinal: %1")
                           .arg(name),
                       QStringLiteral("Recordset"));
    return column;
}

const QVariant& Recordset::Field(qsizetype column) const {
    if (IsEOF())
        throw OrvError(ErrorNumber::NoCurrentRecord,
                       QStringLiteral("Either BOF or EOF is True, or the current record has been "
                                      "deleted. Requested operation requires a current record."),
                       QStringLiteral("Recordset"));
    return mRows.at(mPosition).at(column);
}

void Recordset::Close() {
    mRows.clear();
    mPosition = 0;
}
