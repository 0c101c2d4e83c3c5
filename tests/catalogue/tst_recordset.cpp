#include "catalogue/Recordset.h"
#include "platform/OrvError.h"
#include "support/Errors.h"

#include <QTest>

class TestRecordset : public QObject {
    Q_OBJECT

private slots:
    void readsFieldsByNameInAnyCase() {
        Recordset rs({QStringLiteral("Program_Name"), QStringLiteral("Status")},
                     {{QStringLiteral("Editor"), 1}, {QStringLiteral("Mail"), 0}});
        QCOMPARE(rs.RecordCount(), 2);
        QVERIFY(!rs.IsEOF());
        QCOMPARE(rs.Fields(QStringLiteral("program_name")).toString(), QStringLiteral("Editor"));
        QCOMPARE(rs.Fields(QStringLiteral("STATUS")).toInt(), 1);
        rs.MoveNext();
        QCOMPARE(rs.Fields(QStringLiteral("Program_Name")).toString(), QStringLiteral("Mail"));
        rs.MoveNext();
        QVERIFY(rs.IsEOF());
        rs.MoveFirst();
        QCOMPARE(rs.Fields(QStringLiteral("Program_Name")).toString(), QStringLiteral("Editor"));
    }

    void nullFieldsStayNull() {
        Recordset rs({QStringLiteral("A"), QStringLiteral("B")}, {{QVariant(), QString()}});
        QVERIFY(rs.Fields(QStringLiteral("A")).isNull());
        QVERIFY(!rs.Fields(QStringLiteral("A")).isValid());
        QCOMPARE(rs.Fields(QStringLiteral("B")).toString(), QString());
    }

    void noCurrentRecordIs3021() {
        Recordset empty({QStringLiteral("A")}, {});
        QCOMPARE(empty.RecordCount(), 0);
        QVERIFY(empty.IsEOF());
        QCOMPARE(ErrorNumberOf([&] { empty.Fields(QStringLiteral("A")); }),
                 ErrorNumber::NoCurrentRecord);
        QCOMPARE(ErrorNumberOf([&] { empty.MoveNext(); }), ErrorNumber::NoCurrentRecord);

        Recordset one({QStringLiteral("A")}, {{1}});
        one.MoveNext();
        QCOMPARE(ErrorNumberOf([&] { one.Fields(QStringLiteral("A")); }),
                 ErrorNumber::NoCurrentRecord);
        QCOMPARE(ErrorNumberOf([&] { one.MoveNext(); }), ErrorNumber::NoCurrentRecord);
    }

    void unknownFieldIs3265() {
        Recordset rs({QStringLiteral("A")}, {{1}});
        QCOMPARE(ErrorNumberOf([&] { rs.Fields(QStringLiteral("B")); }), ErrorNumber::ItemNotFound);
        // The unknown name wins over the missing record, as in ADO.
        rs.MoveNext();
        QCOMPARE(ErrorNumberOf([&] { rs.Fields(QStringLiteral("B")); }), ErrorNumber::ItemNotFound);
    }

    // A column found once reads the field of whichever record is current.
    void readsFieldsByColumn() {
        Recordset rs({QStringLiteral("Program_Name"), QStringLiteral("Status")},
                     {{QStringLiteral("Editor"), 1}, {QStringLiteral("Mail"), QVariant()}});
        const qsizetype status = rs.FieldIndex(QStringLiteral("STATUS"));
        const qsizetype name = rs.FieldIndex(QStringLiteral("program_name"));
        QCOMPARE(status, 1);
        QCOMPARE(name, 0);
        QCOMPARE(rs.Field(name).toString(), QStringLiteral("Editor"));
        QCOMPARE(rs.Field(status).toInt(), 1);
        rs.MoveNext();
        QCOMPARE(rs.Field(name).toString(), QStringLiteral("Mail"));
        QVERIFY(rs.Field(status).isNull());
        rs.MoveNext();
        QCOMPARE(ErrorNumberOf([&] { rs.Field(name); }), ErrorNumber::NoCurrentRecord);
        QCOMPARE(ErrorNumberOf([&] { rs.FieldIndex(QStringLiteral("B")); }),
                 ErrorNumber::ItemNotFound);
    }

    void defaultAndClosedRecordsetsAreEmpty() {
        Recordset none;
        QCOMPARE(none.RecordCount(), 0);
        QVERIFY(none.IsEOF());
        Recordset rs({QStringLiteral("A")}, {{1}, {2}});
        rs.Close();
        QCOMPARE(rs.RecordCount(), 0);
        QVERIFY(rs.IsEOF());
    }
};

QTEST_GUILESS_MAIN(TestRecordset)
#include "tst_recordset.moc"
