#include "catalogue/Recordset.h"
#include "platform/OrvError.h"
#include "support/Errors.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestRecordset : public QObject {
    Q_OBJECT

private slots:
    // By name in any letter case, and by a column found once, the field of whichever record
    // is current; a null field stays null; back to the first record after the last.
    void readsFieldsByNameAndColumn() {
        Recordset rs({u"Program_Name"_s, u"Status"_s}, {{u"Editor"_s, 1}, {u"Mail"_s, QVariant()}});
        const qsizetype status = rs.FieldIndex(u"STATUS"_s);
        QCOMPARE(rs.Fields(u"program_name"_s).toString(), u"Editor"_s);
        QCOMPARE(rs.Field(status).toInt(), 1);
        rs.MoveNext();
        QCOMPARE(rs.Fields(u"PROGRAM_NAME"_s).toString(), u"Mail"_s);
        QVERIFY(rs.Field(status).isNull());
        rs.MoveNext();
        QVERIFY(rs.IsEOF());
        QCOMPARE(ErrorNumberOf([&] { rs.Field(status); }), ErrorNumber::NoCurrentRecord);
        rs.MoveFirst();
        QCOMPARE(rs.Fields(u"Program_Name"_s).toString(), u"Editor"_s);
    }

    // Past the last record, and on none, 3021; an unknown field 3265, even without a record.
    void errors() {
        Recordset empty({u"A"_s}, {});
        QVERIFY(empty.IsEOF());
        QCOMPARE(ErrorNumberOf([&] { empty.Fields(u"A"_s); }), ErrorNumber::NoCurrentRecord);
        QCOMPARE(ErrorNumberOf([&] { empty.MoveNext(); }), ErrorNumber::NoCurrentRecord);
        QCOMPARE(ErrorNumberOf([&] { empty.Fields(u"B"_s); }), ErrorNumber::ItemNotFound);
        QCOMPARE(ErrorNumberOf([&] { empty.FieldIndex(u"B"_s); }), ErrorNumber::ItemNotFound);
    }
};

QTEST_GUILESS_MAIN(TestRecordset)
#include "tst_recordset.moc"
