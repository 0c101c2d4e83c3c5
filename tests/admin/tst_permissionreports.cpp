#include "AdminFixture.h"
#include "access/PermissionReport.h"
#include "access/ReportRenderer.h"
#include "admin/ReportMenu.h"
#include "admin/frmReportPreview.h"
#include "support/DataRow.h"
#include "support/Gallery.h"
#include "widgets/GlyphButton.h"

#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// The output of one of poppler's or fontconfig's tools; a missing tool fails the test that
// needs it.
QByteArray Output(const QString& tool, const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(tool);
    QProcess process;
    if (program.isEmpty())
        qWarning("%s is missing: run scripts/bootstrap", qPrintable(tool));
    else
        process.start(program, arguments);
    if (program.isEmpty() || !process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

// The non-empty lines of each page as pdftotext lays them out, a run of spaces between
// columns written as "|": "Atlas|Staff|Allowed".
QList<QStringList> PdfPages(const QString& file) {
    const QString text = QString::fromUtf8(Output("pdftotext", {"-layout", file, "-"}));
    QList<QStringList> pages;
    for (const QString& page : text.split('\f')) {
        QStringList lines;
        for (const QString& line : page.split('\n'))
            if (!line.trimmed().isEmpty())
                lines.append(line.trimmed().replace(QRegularExpression(" {2,}"), "|"));
        if (!lines.isEmpty())
            pages.append(lines);
    }
    return pages;
}

// pdftotext's words compared with what was written: Arabic comes back in the presentation
// forms of the glyphs drawn (NFKC folds them), wrapped in bidi embedding marks.
QString Readable(const QString& text) {
    QString plain = text.normalized(QString::NormalizationForm_KC);
    plain.remove(QRegularExpression(u"[\u200E\u200F\u202A-\u202E\u2066-\u2069]"_s));
    return plain;
}

// The glyphs the pages draw, in the PDF writer's "<XXXX> Tj" operations of its compressed
// content streams. Glyph 0 is a font's .notdef: the empty box of a character it lacks.
QList<int> DrawnGlyphs(const QString& file) {
    QFile pdf(file);
    if (!pdf.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = pdf.readAll();
    static const QRegularExpression show(u"<([0-9A-F]{4})> Tj"_s);
    QList<int> glyphs;
    for (qsizetype at = bytes.indexOf("stream\n"); at >= 0; at = bytes.indexOf("stream\n", at)) {
        at += 7;
        const qsizetype end = bytes.indexOf("endstream", at);
        if (end < 0)
            break;
        const QByteArray stream = bytes.mid(at, end - at);
        const qsizetype object = bytes.lastIndexOf(" obj", at);
        // qUncompress wants the inflated size first; a guess too small only costs a retry.
        const QByteArray content = bytes.mid(object, at - object).contains("/FlateDecode")
                                       ? qUncompress(QByteArray("\0\0\x10\0", 4) + stream)
                                       : stream;
        for (const auto& match : show.globalMatch(QString::fromLatin1(content)))
            glyphs.append(match.captured(1).toInt(nullptr, 16));
        at = end + 9; // past "endstream"
    }
    return glyphs;
}

// The PostScript names of the fonts the PDF embeds, without their subset prefix; an empty list
// when one of them is not embedded.
QStringList EmbeddedFonts(const QString& file) {
    QStringList fonts;
    const QStringList lines = QString::fromUtf8(Output("pdffonts", {file})).split('\n');
    for (const QString& line : lines.mid(2)) {
        const QStringList columns = line.split(' ', Qt::SkipEmptyParts);
        if (columns.size() < 7)
            continue;
        if (columns.at(columns.size() - 5) != "yes")
            return {};
        fonts.append(columns.first().section('+', -1));
    }
    return fonts;
}

// The PostScript names of the installed fonts that fontconfig says have a glyph for `c`.
QStringList FontsCovering(uint c) {
    const QStringList arguments{"--format=%{postscriptname}\n", u":charset=%1"_s.arg(c, 0, 16)};
    return QString::fromUtf8(Output("fc-list", arguments)).split('\n', Qt::SkipEmptyParts);
}

// A report of the rules `rows` (program, principal, status) as the catalogue lists them.
PermissionReport Report(PermissionReport::Kind kind, const QList<QVariantList>& rows) {
    Recordset rs({"PrgName", "ObjectName", "Status"}, rows);
    return PermissionReport(kind, rs);
}

QString Pages(const QList<ReportPage>& pages) {
    QStringList parts;
    for (const auto& page : pages)
        parts.append(QStringLiteral("%1:%2%3")
                         .arg(page.firstRow)
                         .arg(page.rowCount)
                         .arg(page.reportFooter ? "F" : ""));
    return parts.join(' ');
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
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY(mOut.isValid());
    }

    // Page 1 holds 8000 of rows below the report header, later pages 9000; the report
    // footer needs 500 after the last row.
    void pagination_data() {
        AddColumns<QList<int>, QString>("rows", "pages");
        QTest::newRow("no rules") << QList<int>() << "0:0F";
        QTest::newRow("footer fits") << QList<int>(7, 1000) << "0:7F";
        QTest::newRow("footer alone on page 2") << QList<int>(8, 1000) << "0:8 8:0F";
        QTest::newRow("page 2 full with footer") << QList<int>(16, 1000) << "0:8 8:8F";
        QTest::newRow("page 2 full without footer") << QList<int>(17, 1000) << "0:8 8:9 17:0F";
        QTest::newRow("row taller than a page") << QList<int>{1000, 20000, 1000} << "0:1 1:1 2:1F";
    }
    void pagination() {
        QFETCH(QList<int>, rows);
        QFETCH(QString, pages);
        QCOMPARE(Pages(PaginateReport(rows, ReportSections{1000, 500, 500, 500}, 10000)), pages);
    }

    // Both reports, exported from the preview, with rules in an order no sort gives.
    void reportText_data() {
        AddColumns<int, QString, QString>("kind", "title", "caption");
        AddRow("by group", int(PermissionReport::ByGroup), "Permission Listing Group...",
               "Group Name");
        AddRow("by user", int(PermissionReport::ByUser), "Permission Listing User...", "User Name");
    }
    void reportText() {
        QFETCH(int, kind);
        QFETCH(QString, title);
        QFETCH(QString, caption);
        TestContext t;
        PermissionReport report = Report(PermissionReport::Kind(kind),
                                         {{"Zebra Paint", "Staff", 1},
                                          {"Atlas", "Accounts", 0},
                                          {"Mail", "Staff", QVariant(QMetaType(QMetaType::Int))},
                                          {"Atlas", "Staff", -1}});
        report.printedOn = QDate(2026, 3, 3);
        frmReportPreview preview(t.ctx, report, nullptr);

        const QString file = mOut.filePath(report.Name() + ".pdf");
        t.prompt->files.enqueue(file);
        preview.cmdExport_Click();
        QCOMPARE(PdfPages(file),
                 QList<QStringList>(
                     {{title, "Program Name|" + caption + "|Permission",
                       "Zebra Paint|Staff|Allowed", "Atlas|Accounts|Denied", "Mail|Staff|N/A",
                       "Atlas|Staff|Allowed", "Printed On :|Tuesday, March 3, 2026", "1"}}));

        const QString gallery = GalleryDir() + '/';
        Output("pdftoppm",
               {"-png", "-r", "60", "-singlefile", file, gallery + report.Name() + "-page1"});
        QVERIFY(QFileInfo::exists(gallery + report.Name() + "-page1.png"));
    }

    // Hundreds of rules: captions and page number on every page, the title on the first
    // and "Printed On :" on the last only, every rule once and in order. The printer's PDF
    // output is the exported file's twin. The two kinds differ in their title and caption
    // alone, which reportText reads.
    void manyRules() {
        TestContext t;
        QList<QVariantList> rows;
        QStringList expected;
        for (int i = 0; i < 300; ++i) {
            rows.append({QStringLiteral("Program %1").arg(299 - i, 3, 10, QLatin1Char('0')),
                         QStringLiteral("Principal %1").arg(i % 17), i % 3 ? 1 : 0});
            expected.append(rows.last().at(0).toString() + '|' + rows.last().at(1).toString() +
                            (i % 3 ? "|Allowed" : "|Denied"));
        }
        frmReportPreview preview(t.ctx, Report(PermissionReport::ByUser, rows), nullptr);
        const QList<QStringList> pages = PdfPages(Export(preview, "many.pdf"));
        QVERIFY2(pages.size() >= 5, qPrintable(QString::number(pages.size())));
        QStringList seen;
        for (qsizetype p = 0; p < pages.size(); ++p) {
            const QStringList& lines = pages.at(p);
            QCOMPARE(lines.contains(preview.Report().Title()), p == 0);
            QCOMPARE(lines.filter("Program Name|").size(), 1);
            QCOMPARE(lines.last(), QString::number(p + 1));
            QCOMPARE(lines.filter("Printed On :").size(), p == pages.size() - 1 ? 1 : 0);
            seen += lines.filter(QRegularExpression("^Program \\d{3}\\|"));
        }
        QCOMPARE(seen, expected);

        preview.show();
        QTRY_COMPARE(preview.PageCount(), int(pages.size()));
        QTRY_VERIFY(!preview.cmdPrevious->isEnabled() && preview.cmdNext->isEnabled());
        preview.cmdLast->click();
        QCOMPARE(preview.lblPage->text(), QStringLiteral("Page %1 of %1").arg(pages.size()));
        QVERIFY(preview.cmdPrevious->isEnabled() && !preview.cmdNext->isEnabled());
        const QString printed = mOut.filePath("printed.pdf");
        preview.choosePrinter = [&printed](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printed);
            return true;
        };
        preview.cmdPrint_Click();
        QCOMPARE(PdfPages(printed), pages);
    }

    // Names as the directory gives them, in any script, through the catalogue and the side
    // menu: the PDF carries each name as its text, and draws every character with a glyph of
    // an embedded font that fontconfig says covers it, never a font's empty .notdef box.
    void principalNamesShownExactly_data() {
        AddColumns<QString, QString>("key", "name");
        QTest::addColumn<bool>("textKept"); // pdftotext gives the name back
        AddRow("backslash", "H18", R"(CORP\jürgen)", true);
        AddRow("cyrillic", "H17", "Дмитрий", true);
        AddRow("japanese", "H18", "田中さくら", true);
        AddRow("arabic", "H18", "محمد علي", true);
        AddRow("symbols", "H17", "Sun ☀ flights ✈ ♥", true);
        // Qt's PDF writer maps glyphs back to characters of the Basic Multilingual Plane only:
        // these are drawn, but their text is not in the file.
        AddRow("emoji beyond the first plane", "H17", "Launch 🚀 team 🎉", false);
    }
    void principalNamesShownExactly() {
        QFETCH(QString, key);
        QFETCH(QString, name);
        QFETCH(bool, textKept);
        AdminFixture f;
        const bool group = key == "H17";
        QVERIFY(f.store().AddProgram("Editor", "", "/bin/true", "", "", ""));
        QVERIFY(group ? f.store().AddGroup(name) : f.store().AddUser(name, "S-1-5-21-9"));
        QVERIFY(f.store().AddPermission(name, 0, "Editor",
                                        group ? CatalogStore::KindGroup : CatalogStore::KindUser));
        RegisterReportWindows(f.t.ctx, *f.main);
        f.main->NavPane1_ItemClick(key);
        const auto previews = f.main->findChildren<frmReportPreview*>();
        QCOMPARE(previews.size(), 1);
        const QString file = Export(*previews.first(), "names.pdf");
        if (textKept)
            QCOMPARE(Readable(PdfPages(file).value(0).filter("Editor|").join('\n')),
                     "Editor|" + Readable(name) + "|Denied");

        const QList<int> glyphs = DrawnGlyphs(file);
        QVERIFY(glyphs.size() > name.size());
        QVERIFY(!glyphs.contains(0));
        const QStringList embedded = EmbeddedFonts(file);
        QVERIFY2(!embedded.isEmpty(), "a font is not embedded");
        QList<uint> characters = name.toUcs4();
        std::sort(characters.begin(), characters.end());
        characters.erase(std::unique(characters.begin(), characters.end()), characters.end());
        for (const uint c : characters) {
            const QStringList covering = FontsCovering(c);
            const bool drawnFromOne =
                std::any_of(covering.begin(), covering.end(),
                            [&](const QString& font) { return embedded.contains(font); });
            QVERIFY2(drawnFromOne,
                     qPrintable(u"U+%1: none of %2 is in %3"_s.arg(c, 4, 16, QChar('0'))
                                    .arg(covering.join(", "), embedded.join(", "))));
        }
    }

    // A name longer than its column wraps inside it; no character is lost.
    void longNamesWrap() {
        TestContext t;
        const QString name = "Regional-Accounts-Payable-And-Receivable-Staff of the north";
        const QList<QVariantList> rows{{"Atlas", name, 1}, {"Mail", "Staff", 0}};
        frmReportPreview preview(t.ctx, Report(PermissionReport::ByGroup, rows), nullptr);
        const QStringList lines = PdfPages(Export(preview, "long.pdf")).value(0);
        const qsizetype first = lines.indexOf(QRegularExpression("Atlas\\|.*\\|Allowed"));
        const qsizetype next = lines.indexOf("Mail|Staff|Denied");
        QVERIFY2(first > 0 && next > first + 1, qPrintable(lines.join('\n')));
        const QString wrapped = lines.mid(first, next - first).join(' ');
        QCOMPARE(QString(wrapped).remove(QRegularExpression("^Atlas\\||\\|Allowed| ")),
                 QString(name).remove(' '));
    }

    // Where the report goes: a file name cancelled, without a suffix, in a folder that is
    // not there; a printer that refuses the job.
    void output_data() {
        AddColumns<bool, QString, QString, QString>("print", "answer", "written", "message");
        AddRow("cancelled", false, "", "", "");
        AddRow("no suffix", false, "plain", "plain.pdf",
               "The report was saved as %1.|Permission By Program|Information");
        AddRow("missing folder", false, "missing/out.pdf", "",
               "The report could not be saved as %1: No such file or directory. Choose a "
               "folder you may write to and export again.|Error|Critical");
        AddRow("printer refuses", true, "missing/out.pdf", "",
               "The report could not be printed on \"%1\". Check that the printer is ready (or "
               "that the file can be written) and print again.|Error|Critical");
    }
    void output() {
        QFETCH(bool, print);
        QFETCH(QString, answer);
        QFETCH(QString, written);
        QFETCH(QString, message);
        TestContext t;
        frmReportPreview preview(t.ctx, Report(PermissionReport::ByUser, {{"Atlas", "Staff", 1}}),
                                 nullptr);
        const QString target = QDir(t.dir.path()).filePath(written.isEmpty() ? answer : written);
        if (print) {
            preview.choosePrinter = [&](QPrinter& printer) {
                printer.setOutputFileName(target);
                return true;
            };
            preview.cmdPrint_Click();
        } else {
            if (!answer.isEmpty())
                t.prompt->files.enqueue(QDir(t.dir.path()).filePath(answer));
            preview.cmdExport_Click();
            QVERIFY(t.prompt->lastSuggested.endsWith("/Permission By User.pdf"));
        }
        QCOMPARE(Messages(*t.prompt),
                 message.isEmpty() ? QStringList()
                                   : QStringList(message.arg(QDir::toNativeSeparators(target))));
        QCOMPARE(QFileInfo(target).isFile() && QFileInfo(target).size() > 0, !written.isEmpty());
    }

    void exportProposesAnExistingFolder_data() {
        AddBoolTable("documents", {{"Documents exists", true}, {"no Documents", false}});
    }
    void exportProposesAnExistingFolder() {
        QFETCH(bool, documents);
        TestContext t;
        const QByteArray home = qgetenv("HOME"), config = qgetenv("XDG_CONFIG_HOME");
        const auto restore = qScopeGuard([&] {
            qputenv("HOME", home);
            qputenv("XDG_CONFIG_HOME", config);
        });
        const QString user = t.dir.filePath("home");
        QVERIFY(QDir().mkpath(documents ? user + "/Documents" : user));
        qputenv("HOME", QFile::encodeName(user));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(user + "/.config"));
        frmReportPreview preview(t.ctx, Report(PermissionReport::ByGroup, {{"Atlas", "Staff", 1}}),
                                 nullptr);
        preview.cmdExport_Click(); // answered with no file: nothing is written
        QCOMPARE(t.prompt->lastSuggested,
                 (documents ? user + "/Documents" : user) + "/Permission By Group.pdf");
    }

    void damagedCatalogueOpensNoReport() {
        AdminFixture f;
        QVERIFY(Sabotage(f.t.ctx, "DROP TABLE permissions"));
        QVERIFY(!PrintPermissionsByUser(f.t.ctx, f.main.get()));
        const QStringList messages = Messages(f.prompt());
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().contains(QRegularExpression("^[^|]+\\|Error\\|Critical$")),
                 qPrintable(messages.first()));
        QVERIFY(f.main->findChildren<frmReportPreview*>().isEmpty());
    }

    // Each click opens another preview beside the main window, none modal; closing one deletes
    // it and leaves the others.
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
        QStringList names;
        for (frmReportPreview* preview : previews) {
            names.append(preview->objectName());
            QVERIFY(preview->isWindow() && preview->isVisible());
            QCOMPARE(preview->windowModality(), Qt::NonModal);
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
