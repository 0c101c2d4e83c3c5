#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

class Recordset;

// One of the two printable listings of the catalogue's permission rules, read out of the
// recordset the catalogue returns for it. The rows keep the recordset's order: the report
// neither sorts nor groups.
class PermissionReport {
public:
    enum Kind { ByGroup, ByUser };

    struct Row {
        QString program;   // PrgName
        QString principal; // ObjectName
        QString status;    // Status as "Allowed", "Denied" or "N/A"
    };

    // Reads every record of `rs` from the first. Throws OrvError 3265 when a field the report
    // binds is missing, before anything is shown.
    PermissionReport(Kind kind, Recordset& rs);

    Kind kind() const { return mKind; }
    // The report's name ("rptPermissionByGroup"), caption and texts that differ by kind.
    QString Name() const;
    QString Caption() const;
    QString Title() const;
    QString PrincipalCaption() const;
    // Where the detail's status text starts, in twips from the left margin.
    int StatusLeft() const;

    const QList<Row>& Rows() const { return mRows; }

    // The date of the report footer; a null date prints the day the report is rendered.
    QDate printedOn;

private:
    Kind mKind;
    QList<Row> mRows;
};

// The Status field as a true/false value: non-zero "Allowed", zero "Denied", null "N/A".
QString StatusText(const QVariant& status);
