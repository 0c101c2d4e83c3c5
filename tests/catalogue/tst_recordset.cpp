#include "catalogue/Recordset.h"
#include "platform/OrvError.h"
#include "support/Errors.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestRecordset : public QObject {
    Q_OBJECT

private slots:
    // By name in any letter case, and by a column found once, the field of whichever record
    // is current; a null field stays null.
    void readsFieldsByNameAndColumn() {
        Recordset rs({u"Program_Name"_s, u"Status"_s}, {{u"Editor"_s, 1}, {u"Mail"_s, QVariant()}});
        const qsizetype status = rs.FieldIndex(u"STATUS"_s);
        const qsizetype name = rs.FieldIndex(u"program_name"_s);
        QCOMPARE(status, 1);
        QCOMPARE(name, 0);
        QCOMPARE(rs.RecordCount(), 2);
        QVERIFY(!rs.IsEOF());
        QCOMPARE(rs.Fields(u"program_name"_s).toString(), u"Editor"_s);
        QCOMPARE(rs.Fields(u"STATUS"_s).toInt(), 1);
        QCOMPARE(rs.Field(name).toString(), u"Editor"_s);
        QCOMPARE(rs.Field(status).toInt(), 1);
        rs.MoveNext();
        QCOMPARE(rs.Fields(u"Program_Name"_s).toString(), u"Mail"_s);
        QCOMPARE(rs.Field(name).toString(), u"Mail"_s);
        QVERIFY(rs.Fields(u"Status"_s).isNull());
        QVERIFY(!rs.Fields(u"Status"_s).isValid());
        QVERIFY(rs.Field(status).isNull());
        rs.MoveNext();
        QVERIFY(rs.IsEOF());
        QCOMPARE(ErrorNumberOf([&] { rs.Field(name); }), ErrorNumber::NoCurrentRecord);
        rs.MoveFirst();
        QCOMPARE(rs.Fields(u"Program_Name"_s).toString(), u"Editor"_s);
        Recordset blank({u"A"_s, u"B"_s}, {{1, QString()}});
        QCOMPARE(blank.Fields(u"B"_s).toString(), QString()); // empty, not null
    }

    // Past the last record, and on none, 3021; an unknown field 3265, even without a record.
    void errors() {
        Recordset empty({u"A"_s}, {});
        QCOMPARE(empty.RecordCount(), 0);
        QVERIFY(empty.IsEOF());
        QCOMPARE(ErrorNumberOf([&] { empty.Fields(u"A"_s); }), ErrorNumber::NoCurrentRecord);
        QCOMPARE(ErrorNumberOf([&] { empty.MoveNext(); }), ErrorNumber::NoCurrentRecord);
        Recordset one({u"A"_s}, {{1}});
        QCOMPARE(ErrorNumberOf([&] { one.Fields(u"B"_s); }), ErrorNumber::ItemNotFound);
        QCOMPARE(ErrorNumberOf([&] { one.FieldIndex(u"B"_s); }), ErrorNumber::ItemNotFound);
        one.MoveNext();
        QCOMPARE(ErrorNumberOf([&] { one.Fields(u"A"_s); }), ErrorNumber::NoCurrentRecord);
        QCOMPARE(ErrorNumberOf([&] { one.MoveNext(); }), ErrorNumber::NoCurrentRecord);
        QCOMPARE(ErrorNumberOf([&] { one.Fields(u"B"_s); }), ErrorNumber::ItemNotFound);
    }

    void defaultAndClosedRecordsetsAreEmpty() {
        Recordset none;
        QCOMPARE(none.RecordCount(), 0);
        QVERIFY(none.IsEOF());
        Recordset rs({u"A"_s}, {{1}, {2}});
        rs.Close();
        QCOMPARE(rs.RecordCount(), 0);
        QVERIFY(rs.IsEOF());
    }
};

QTEST_GUILESS_MAIN(TestRecordset)
#include "tst_recordset.moc"
