#pragma once

#include <QList>
#include <QStringList>
#include <QVariant>

// Rows materialised at query time, read the way the windows read ADO recordsets: a current
// record moved with MoveFirst/MoveNext, fields by name. A null field stays a null QVariant.
class Recordset {
public:
    Recordset() = default;
    Recordset(QStringList fieldNames, QList<QVariantList> rows);

    // The number of records; it never changes while the recordset is open.
    long RecordCount() const { return static_cast<long>(mRows.size()); }
    void MoveFirst() { mPosition = 0; }
    void MoveNext();
    bool IsEOF() const { return mPosition >= mRows.size(); }
    // The named field of the current record. Throws OrvError 3021 when there is no current
    // record and 3265 when the recordset has no such field.
    QVariant Fields(const QString& name) const;
    // The column of a field, found once for a loop over the records, and the value of that
    // column in the current record: a by-name lookup on every row compares every field name.
    // FieldIndex throws 3265 for an unknown name, Field 3021 when there is no current record.
    qsizetype FieldIndex(const QString& name) const;
    const QVariant& Field(qsizetype column) const;
    void Close();

    const QStringList& FieldNames() const { return mFieldNames; }
    const QList<QVariantList>& Rows() const { return mRows; }

private:
    QStringList mFieldNames;
    QList<QVariantList> mRows;
    qsizetype mPosition = 0;
};
