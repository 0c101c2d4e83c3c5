#include "AdminFixture.h"
#include "admin/PermissionReport.h"
#include "admin/ReportMenu.h"
#include "admin/ReportRenderer.h"
#include "admin/frmReportPreview.h"
#include "support/Gallery.h"
#include "widgets/GlyphButton.h"

#include <QAccessible>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTest>

namespace {

// Runs one of poppler's tools; a missing tool fails the test that needs it.
QByteArray Poppler(const QString& tool, const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        qWarning("%s is missing: install poppler-utils (scripts/bootstrap)", qPrintable(tool));
        return {};
    }
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        qWarning("%s failed: %s", qPrintable(tool), process.readAllStandardError().constData());
        return {};
    }
    return process.readAllStandardOutput();
}

// The text of a PDF file with its layout, one entry per page.
QStringList PdfPages(const QString& file) {
    QStringList pages =
        QString::fromUtf8(Poppler(QStringLiteral("pdftotext"),
                                  {QStringLiteral("-layout"), file, QStringLiteral("-")}))
            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QStringList Lines(const QString& page) {
    QStringList lines;
    for (const QString& line : page.split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty())
            lines.append(line.trimmed());
    return lines;
}

// "Program  Principal  Status" as pdftotext lays out one row: the columns collapse to
// runs of spaces.
QString RowLine(const PermissionReport::Row& row) {
    return row.program + QStringLiteral("|") + row.principal + QStringLiteral("|") + row.status;
}
QString Collapse(const QString& line) {
    return line.trimmed().replace(QRegularExpression(QStringLiteral(" {2,}")), QStringLiteral("|"));
}

Recordset Rules(const QList<QVariantList>& rows) {
    return Recordset(
        {QStringLiteral("PrgName"), QStringLiteral("ObjectName"), QStringLiteral("Status")}, rows);
}

QString Pages(const QList<ReportPage>& pages) {
    QStringList parts;
    for (const auto& page : pages)
        parts.append(QStringLiteral("%1:%2%3")
                         .arg(page.firstRow)
                         .arg(page.rowCount)
                         .arg(page.reportFooter ? QStringLiteral("F") : QString()));
    return parts.join(QLatin1Char(' '));
}

// Every control of a window, and the accessible name of each that has none.
QStringList Unnamed(QWidget* window) {
    QStringList unnamed;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(widget) ||
                             qobject_cast<QLabel*>(widget) || widget->focusPolicy() != Qt::NoFocus;
        if (!control || !widget->isVisibleTo(window))
            continue;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
        if (!face || face->text(QAccessible::Name).trimmed().isEmpty())
            unnamed.append(QString::fromLatin1(widget->metaObject()->className()) + ' ' +
                           widget->objectName() + " in " +
                           widget->parentWidget()->metaObject()->className());
    }
    return unnamed;
}

} // namespace

class tst_permissionreports : public QObject {
    Q_OBJECT

    QTemporaryDir mOut;

    QString Export(frmReportPreview& preview, const QString& name) {
        const QString file = mOut.filePath(name);
        return preview.ExportPdf(file) ? file : QString();
    }

private slots:
    void initTestCase() {
        // The long date is written as the user's locale writes it.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY(mOut.isValid());
    }

    void statusWords_data() {
        QTest::addColumn<QVariant>("status");
        QTest::addColumn<QString>("shown");
        QTest::newRow("allow") << QVariant(1) << "Allowed";
        QTest::newRow("deny") << QVariant(0) << "Denied";
        QTest::newRow("null") << QVariant(QMetaType(QMetaType::Int)) << "N/A";
        QTest::newRow("other non-zero") << QVariant(-1) << "Allowed";
        QTest::newRow("true") << QVariant(true) << "Allowed";
        QTest::newRow("false") << QVariant(false) << "Denied";
        QTest::newRow("zero as text") << QVariant(QStringLiteral("0")) << "Denied";
        QTest::newRow("not a number") << QVariant(QStringLiteral("yes")) << "N/A";
    }
    void statusWords() {
        QFETCH(QVariant, status);
        QFETCH(QString, shown);
        QCOMPARE(StatusText(status), shown);
    }

    // Page 1 holds 8000 of rows below the report header, later pages 9000; the report
    // footer needs 500 after the last row.
    void pagination_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("pages");
        QTest::newRow("no rules") << 0 << "0:0F";
        QTest::newRow("footer fits") << 7 << "0:7F";
        QTest::newRow("footer alone on page 2") << 8 << "0:8 8:0F";
        QTest::newRow("one row over") << 9 << "0:8 8:1F";
        QTest::newRow("second page full with footer") << 16 << "0:8 8:8F";
        QTest::newRow("second page full without footer") << 17 << "0:8 8:9 17:0F";
        QTest::newRow("three pages") << 20 << "0:8 8:9 17:3F";
    }
    void pagination() {
        QFETCH(int, rows);
        QFETCH(QString, pages);
        const ReportSections sections{1000, 500, 500, 500};
        QCOMPARE(Pages(PaginateReport(QList<int>(rows, 1000), sections, 10000)), pages);
    }

    void tallRowsGetTheirOwnPage() {
        const ReportSections sections{1000, 500, 500, 500};
        QCOMPARE(Pages(PaginateReport({1000, 20000, 1000}, sections, 10000)), "0:1 1:1 2:1F");
    }

    // Both reports, with rules in an order no sort gives and one without a status.
    void reportText_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("caption");
        QTest::newRow("by group") << int(PermissionReport::ByGroup) << "Permission Listing Group..."
                                  << "Group Name";
        QTest::newRow("by user") << int(PermissionReport::ByUser) << "Permission Listing User..."
                                 << "User Name";
    }
    void reportText() {
        QFETCH(int, kind);
        QFETCH(QString, title);
        QFETCH(QString, caption);
        TestContext t;
        Recordset rs = Rules({{"Zebra Paint", "Staff", 1},
                              {"Atlas", "Accounts", 0},
                              {"Mail", "Staff", QVariant(QMetaType(QMetaType::Int))},
                              {"Atlas", "Staff", 1}});
        PermissionReport report(PermissionReport::Kind(kind), rs);
        report.printedOn = QDate(2026, 3, 3);
        frmReportPreview preview(t.ctx, report, nullptr);
        QCOMPARE(preview.windowTitle(), QStringLiteral("Permission By Program"));
        QCOMPARE(preview.objectName(), report.Name());

        const QString file = mOut.filePath(report.Name() + ".pdf");
        t.prompt->files.enqueue(file);
        preview.cmdExport_Click();
        const QStringList pages = PdfPages(file);
        QCOMPARE(pages.size(), 1);
        const QStringList lines = Lines(pages.first());
        QCOMPARE(lines.value(0), title);
        QCOMPARE(Collapse(lines.value(1)), "Program Name|" + caption + "|Permission");
        QStringList rows;
        for (const QString& line : lines.mid(2, 4))
            rows.append(Collapse(line));
        QCOMPARE(rows, QStringList({"Zebra Paint|Staff|Allowed", "Atlas|Accounts|Denied",
                                    "Mail|Staff|N/A", "Atlas|Staff|Allowed"}));
        QCOMPARE(Collapse(lines.value(6)), "Printed On :|Tuesday, March 3, 2026");
        QCOMPARE(lines.value(7), "1");
        QCOMPARE(lines.size(), 8);
        QCOMPARE(Messages(*t.prompt),
                 QStringList("The report was saved as " + QDir::toNativeSeparators(file) +
                             ".|Permission By Program|Information"));

        // The first page for a person to look at.
        const QString gallery = qEnvironmentVariable("ORV_BUILD_DIR") + "/gallery";
        QDir().mkpath(gallery);
        Poppler("pdftoppm", {"-png", "-r", "60", "-f", "1", "-l", "1", "-singlefile", file,
                             gallery + '/' + report.Name() + "-page1"});
        QVERIFY(QFileInfo::exists(gallery + '/' + report.Name() + "-page1.png"));
    }

    // Hundreds of rules: captions and a page number on every page, the title on the first
    // and "Printed On :" on the last only, every rule once and in order; the printer's
    // output matches the exported file.
    void manyRules_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("by group") << int(PermissionReport::ByGroup);
        QTest::newRow("by user") << int(PermissionReport::ByUser);
    }
    void manyRules() {
        QFETCH(int, kind);
        TestContext t;
        QList<QVariantList> rows;
        for (int i = 0; i < 300; ++i)
            rows.append({QStringLiteral("Program %1").arg(299 - i, 3, 10, QLatin1Char('0')),
                         QStringLiteral("Principal %1").arg(i % 17), i % 3 ? 1 : 0});
        Recordset rs = Rules(rows);
        PermissionReport report(PermissionReport::Kind(kind), rs);
        frmReportPreview preview(t.ctx, report, nullptr);

        const QString exported = Export(preview, report.Name() + "-many.pdf");
        QVERIFY(!exported.isEmpty());
        const QStringList pages = PdfPages(exported);
        QVERIFY2(pages.size() >= 5, qPrintable(QString::number(pages.size())));

        QStringList seen;
        for (qsizetype p = 0; p < pages.size(); ++p) {
            const QStringList lines = Lines(pages.at(p));
            const bool first = p == 0, last = p == pages.size() - 1;
            QCOMPARE(lines.contains(report.Title()), first);
            QCOMPARE(lines.filter("Program Name").size(), 1);
            QCOMPARE(lines.last(), QString::number(p + 1));
            QCOMPARE(lines.filter("Printed On :").size(), last ? 1 : 0);
            for (const QString& line : lines.filter(QRegularExpression("^Program \\d{3}")))
                seen.append(Collapse(line));
        }
        QStringList expected;
        for (const auto& row : report.Rows())
            expected.append(RowLine(row));
        QCOMPARE(seen, expected);

        preview.show();
        QTRY_COMPARE(preview.PageCount(), int(pages.size()));
        preview.cmdLast->click();
        QCOMPARE(preview.lblPage->text(), QStringLiteral("Page %1 of %1").arg(pages.size()));

        const QString printed = mOut.filePath(report.Name() + "-printed.pdf");
        preview.choosePrinter = [&printed](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printed);
            return true;
        };
        preview.cmdPrint_Click();
        QCOMPARE(PdfPages(printed), pages);
    }

    // Names as the directory gives them, through the catalogue and the side menu.
    void principalNamesShownExactly_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("name");
        QTest::newRow("quotes") << "H17"
                                << R"(O'Neil "ops")";
        QTest::newRow("percent") << "H17"
                                 << "100% _staff";
        QTest::newRow("backslash") << "H18"
                                   << R"(CORP\jürgen)";
        QTest::newRow("letters") << "H18"
                                 << "Łucja Ødegård";
        QTest::newRow("cyrillic") << "H17"
                                  << "Дмитрий";
    }
    void principalNamesShownExactly() {
        QFETCH(QString, key);
        QFETCH(QString, name);
        AdminFixture f;
        const int principalKind = key == "H17" ? CatalogStore::KindGroup : CatalogStore::KindUser;
        QVERIFY(f.store().AddProgram("Editor", "", "/bin/true", "", "", ""));
        QVERIFY(principalKind == CatalogStore::KindGroup ? f.store().AddGroup(name)
                                                         : f.store().AddUser(name, "S-1-5-21-9"));
        QVERIFY(f.store().AddPermission(name, 0, "Editor", principalKind));

        RegisterReportWindows(f.t.ctx, *f.main);
        f.main->NavPane1_ItemClick(key);
        const auto previews = f.main->findChildren<frmReportPreview*>();
        QCOMPARE(previews.size(), 1);
        QCOMPARE(previews.first()->Report().Rows().value(0).principal, name);
        const QString file = Export(*previews.first(), QStringLiteral("names.pdf"));
        QVERIFY(!file.isEmpty());
        const QStringList rows =
            Lines(PdfPages(file).value(0)).filter(QRegularExpression("^Editor "));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(Collapse(rows.first()), "Editor|" + name + "|Denied");
    }

    // A name longer than its column wraps inside it; no character is lost.
    void longNamesWrap() {
        TestContext t;
        const QString name = QStringLiteral("Regional-Accounts-Payable-And-Receivable-Staff "
                                            "of the northern offices");
        Recordset rs = Rules({{"Atlas", name, 1}, {"Mail", "Staff", 0}});
        frmReportPreview preview(t.ctx, PermissionReport(PermissionReport::ByGroup, rs), nullptr);
        const QString file = Export(preview, "long.pdf");
        QVERIFY(!file.isEmpty());
        // The lines of the first row, less its program and status, hold the whole name.
        const QStringList lines = Lines(PdfPages(file).value(0));
        const qsizetype first = lines.indexOf(QRegularExpression("Atlas .*"));
        const qsizetype next = lines.indexOf(QRegularExpression("Mail .*"));
        QVERIFY2(first > 0 && next > first + 1, qPrintable(lines.join('\n')));
        QString wrapped = lines.mid(first, next - first).join(QString());
        wrapped.remove(QRegularExpression("^Atlas")).remove("Allowed").remove(' ');
        QCOMPARE(wrapped, QString(name).remove(' '));
        QCOMPARE(Collapse(lines.at(next)), "Mail|Staff|Denied");
    }

    // The file name asked for: cancelled, without a suffix, in a folder that is not there.
    void exportFile_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("message");
        QTest::newRow("cancelled") << ""
                                   << ""
                                   << "";
        QTest::newRow("no suffix") << "plain"
                                   << "plain.pdf"
                                   << "The report was saved as %1.|Permission By "
                                      "Program|Information";
        QTest::newRow("missing folder")
            << "missing/out.pdf"
            << ""
            << "The report could not be saved as %1: No such file or directory. Choose a "
               "folder you may write to and export again.|Error|Critical";
    }
    void exportFile() {
        QFETCH(QString, answer);
        QFETCH(QString, written);
        QFETCH(QString, message);
        TestContext t;
        Recordset rs = Rules({{"Atlas", "Staff", 1}});
        frmReportPreview preview(t.ctx, PermissionReport(PermissionReport::ByUser, rs), nullptr);
        const QDir dir(t.dir.path());
        if (!answer.isEmpty())
            t.prompt->files.enqueue(dir.filePath(answer));
        preview.cmdExport_Click();
        QCOMPARE(t.prompt->transcript.value(0).kind, QStringLiteral("SaveFileName"));
        QVERIFY(t.prompt->lastSuggested.endsWith("/Permission By User.pdf"));
        const QString target = dir.filePath(written.isEmpty() ? answer : written);
        QCOMPARE(Messages(*t.prompt),
                 message.isEmpty() ? QStringList()
                                   : QStringList(message.arg(QDir::toNativeSeparators(target))));
        QCOMPARE(!written.isEmpty() && QFileInfo(target).size() > 0, !written.isEmpty());
    }

    // A printer that refuses the job, or a catalogue that cannot be read, is told to the
    // user; nothing else happens.
    void printFailureIsShown() {
        TestContext t;
        Recordset rs = Rules({{"Atlas", "Staff", 1}});
        frmReportPreview preview(t.ctx, PermissionReport(PermissionReport::ByGroup, rs), nullptr);
        const QString target = QDir(t.dir.path()).filePath("missing/printed.pdf");
        preview.choosePrinter = [&target](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(target);
            return true;
        };
        preview.cmdPrint_Click();
        QCOMPARE(Messages(*t.prompt),
                 QStringList("The report could not be printed on \"" +
                             QDir::toNativeSeparators(target) +
                             "\". Check that the printer is ready (or that the file can be "
                             "written) and print again.|Error|Critical"));
    }

    void damagedCatalogueOpensNoReport() {
        AdminFixture f;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "saboteur");
            db.setDatabaseName(f.t.ctx.paths.DatabaseFile());
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec("DROP TABLE permissions"));
            db.close();
        }
        QSqlDatabase::removeDatabase("saboteur");
        QVERIFY(!PrintPermissionsByUser(f.t.ctx, f.main.get()));
        QCOMPARE(f.prompt().transcript.size(), 1);
        QCOMPARE(f.prompt().transcript.first().title, QStringLiteral("Error"));
        QCOMPARE(f.prompt().transcript.first().icon, PromptIcon::Critical);
        QVERIFY(!f.prompt().transcript.first().text.isEmpty());
        QVERIFY(f.main->findChildren<frmReportPreview*>().isEmpty());
    }

    // Each click opens another preview beside the main window, none modal; closing one
    // deletes it and leaves the others.
    void previewsStayOpenBesideTheMainWindow() {
        AdminFixture f;
        QVERIFY(f.store().AddProgram("Editor", "", "/bin/true", "", "", ""));
        QVERIFY(f.store().AddGroup("Staff"));
        QVERIFY(f.store().AddPermission("Staff", 1, "Editor", CatalogStore::KindGroup));
        RegisterReportWindows(f.t.ctx, *f.main);
        f.main->show();
        for (const char* key : {"H17", "H17", "H18"})
            f.main->NavPane1_ItemClick(key);
        const auto previews = f.main->findChildren<frmReportPreview*>();
        QCOMPARE(previews.size(), 3);
        QStringList names;
        for (frmReportPreview* preview : previews) {
            names.append(preview->objectName());
            QVERIFY(preview->isWindow());
            QVERIFY(preview->isVisible());
            QCOMPARE(preview->windowModality(), Qt::NonModal);
            QCOMPARE(preview->parentWidget(), f.main.get());
            QVERIFY2(Unnamed(preview).isEmpty(), qPrintable(Unnamed(preview).join(", ")));
        }
        QCOMPARE(names, QStringList({"rptPermissionByGroup", "rptPermissionByGroup",
                                     "rptPermissionByUser"}));
        QVERIFY(!QApplication::activeModalWidget());
        SaveToGallery(previews.first(), "rptPermissionByGroup-preview");

        QPointer<frmReportPreview> closed = previews.first();
        closed->cmdClose->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(closed.isNull());
        QCOMPARE(f.main->findChildren<frmReportPreview*>().size(), 2);
    }
};

QTEST_MAIN(tst_permissionreports)
#include "tst_permissionreports.moc"
