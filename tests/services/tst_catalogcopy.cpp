// tessaro-orvane-copy: SQLite -> PostgreSQL -> SQLite gives the same catalogue, pictures byte
// for byte; a target that is not empty is refused and left as it was. On an SQLite run the
// middle catalogue is a second SQLite file.
#include "services/CatalogStore.h"
#include "support/PostgresTest.h"

#include <QBuffer>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString WritePng(const QString& file, QColor colour) {
    QImage image(12, 9, QImage::Format_ARGB32);
    image.fill(colour);
    image.setPixelColor(3, 4, Qt::transparent);
    image.save(file, "PNG");
    return file;
}

// Everything a catalogue holds, in listing order, pictures as bytes.
QStringList Dump(CatalogStore& store) {
    QStringList lines;
    const auto all = [&lines](Recordset rs, const QString& kind) {
        for (; !rs.IsEOF(); rs.MoveNext()) {
            QStringList values;
            for (const QString& field : rs.FieldNames()) {
                const QVariant value = rs.Fields(field);
                values.append(value.typeId() == QMetaType::QByteArray
                                  ? QString::fromLatin1(value.toByteArray().toHex())
                                  : value.toString());
            }
            lines.append(kind + u' ' + values.join(u'|'));
        }
    };
    all(store.GetPrograms(), QStringLiteral("program"));
    all(store.GetPermissionsByGroup(), QStringLiteral("group rule"));
    all(store.GetPermissionsByUser(), QStringLiteral("user rule"));
    all(store.GetUserPermissions(QStringLiteral("ann"), QStringLiteral("S-1-5-21-1")),
        QStringLiteral("rules of ann"));
    all(store.GetGroupPermissions(QStringLiteral("Staff")), QStringLiteral("rules of Staff"));
    all(store.GetFolders(), QStringLiteral("folder"));
    all(store.GetThemes(), QStringLiteral("theme"));
    lines.append(QStringLiteral("default ") + store.GetDefaultTheme());
    return lines;
}

} // namespace

class tst_catalogcopy : public QObject {
    Q_OBJECT

private:
    QString Copy(const QString& from, const QString& to, int* exitCode) {
        QProcess copy;
        copy.setProcessChannelMode(QProcess::MergedChannels);
        copy.start(QStringLiteral(ORV_COPY_TOOL), {from, to});
        if (!copy.waitForFinished(120000))
            return QStringLiteral("no answer");
        *exitCode = copy.exitCode();
        return QString::fromLocal8Bit(copy.readAll());
    }

private slots:
    void roundTripKeepsEverything() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString first = dir.filePath(QStringLiteral("first.mdb"));
        const QString last = dir.filePath(QStringLiteral("last.mdb"));
        QString middle;
        QString error;
        QVERIFY2(FreshPostgresDatabase(QStringLiteral("orv_catalogcopy"), middle, error),
                 qPrintable(error));
        if (middle.isEmpty())
            middle = dir.filePath(QStringLiteral("middle.mdb"));

        QStringList original;
        {
            CatalogStore store;
            store.OpenDatabase(first);
            const QString icon = WritePng(dir.filePath(QStringLiteral("i.png")), Qt::red);
            QVERIFY(store.AddProgram(QStringLiteral("Editor"), QStringLiteral("Writes \"text\""),
                                     QStringLiteral("/bin/ed"), icon, QStringLiteral("/tmp"),
                                     QStringLiteral("-p ' x'")));
            QVERIFY(store.AddProgram(QStringLiteral("Äpfel"), {}, QStringLiteral("/bin/true"), {},
                                     {}, {}));
            QVERIFY(store.AddProgram(QStringLiteral("Gone"), {}, {}, {}, {}, {}));
            QVERIFY(store.DeleteProgram(QStringLiteral("Gone")));
            QVERIFY(store.AddUser(QStringLiteral("ann"), QStringLiteral("S-1-5-21-1")));
            QVERIFY(store.AddGroup(QStringLiteral("Staff")));
            QVERIFY(store.AddPermission(QStringLiteral("Staff"), 1, QStringLiteral("Äpfel"), 2));
            QVERIFY(store.AddPermission(QStringLiteral("ann"), 0, QStringLiteral("Editor"), 1));
            QVERIFY(store.AddPermission(QStringLiteral("Staff"), 0, QStringLiteral("Editor"), 2));
            QVERIFY(store.AddFolder(QStringLiteral(" Docs "), QStringLiteral("/srv/docs")));
            QVERIFY(store.AddFolder(QStringLiteral("Docs"), {}));
            QVERIFY(store.CreateTheme(QStringLiteral("Blue"),
                                      WritePng(dir.filePath(QStringLiteral("s.png")), Qt::blue), {},
                                      WritePng(dir.filePath(QStringLiteral("u.png")), Qt::green)));
            QVERIFY(store.SetDefaultTheme(QStringLiteral("Blue")));
            original = Dump(store);
        }
        QVERIFY(original.size() > 10);
        int exitCode = -1;
        QString output = Copy(first, middle, &exitCode);
        QVERIFY2(exitCode == 0, qPrintable(output));
        output = Copy(middle, last, &exitCode);
        QVERIFY2(exitCode == 0, qPrintable(output));
        QVERIFY2(output.contains(QStringLiteral("Copied 2 programs, 3 rules, 2 folder entries and "
                                                "2 themes")),
                 qPrintable(output));
        CatalogStore copied;
        copied.OpenDatabase(last);
        QCOMPARE(Dump(copied), original);
        // New rows come after the copied ones, as they would have in the original.
        QVERIFY(copied.AddFolder(QStringLiteral("New"), {}));
        QCOMPARE(copied.GetFolders().Rows().last().at(0).toString(), QStringLiteral("New"));
        QVERIFY(copied.AddProgram(QStringLiteral("Gone"), {}, {}, {}, {}, {}));
        QVERIFY(copied.GetProgramId(QStringLiteral("Gone")) >
                copied.GetProgramId(QStringLiteral("Editor")));

        // Into a catalogue that holds something: refused, nothing copied.
        const QStringList before = Dump(copied);
        output = Copy(first, last, &exitCode);
        QCOMPARE(exitCode, 1);
        QVERIFY2(output.contains(QStringLiteral("is not empty")), qPrintable(output));
        QCOMPARE(Dump(copied), before);
    }

    void badArgumentsAreRefused_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("expected");
        QTest::newRow("missing source file")
            << QStringLiteral("missing.mdb") << QStringLiteral("does not exist");
        QTest::newRow("source not a catalogue")
            << QStringLiteral("plain.txt") << QStringLiteral("is not a Tessaro Orvane catalogue");
    }
    void badArgumentsAreRefused() {
        QFETCH(QString, from);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QFile plain(dir.filePath(QStringLiteral("plain.txt")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.write("not a database, not at all, just some text that SQLite cannot read\n");
        plain.close();
        const QString target = dir.filePath(QStringLiteral("new.mdb"));
        int exitCode = -1;
        const QString output = Copy(dir.filePath(from), target, &exitCode);
        QCOMPARE(exitCode, 1);
        QVERIFY2(output.contains(expected), qPrintable(output));
        QVERIFY(!QFile::exists(target));
    }
};

QTEST_GUILESS_MAIN(tst_catalogcopy)
#include "tst_catalogcopy.moc"
