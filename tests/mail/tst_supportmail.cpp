#include "SmtpTestServer.h"
#include "admin/AdminFixture.h"
#include "mail/MailSender.h"
#include "mail/MailSettings.h"
#include "mail/SupportMenu.h"
#include "mail/frmEmailSupport.h"
#include "support/DataRow.h"
#include "support/Gallery.h"
#include "support/TestFiles.h"
#include "widgets/GlyphButton.h"
#include "widgets/ProgressBar.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>

namespace {

const int kRoot = RegistryStore::HKEY_LOCAL_MACHINE_;
const QString kSupport = QStringLiteral("support@example.test");
const QString kRefused = QStringLiteral("nobody@example.test");
const QString kRefusedAfterData = QStringLiteral("strict@example.test");

void Set(TestContext& t, const QString& name, const QString& value) {
    t.ctx.registry->SetValue(kRoot, RegistryStore::kSettingsKey, name, value);
}

// An administrator's context whose mail goes to `port` on loopback without TLS.
std::unique_ptr<TestContext> MailContext(quint16 port) {
    auto t = std::make_unique<TestContext>();
    t->ctx.gIsAdmin = true;
    t->ctx.registry->CreateKey(kRoot, RegistryStore::kSettingsKey);
    Set(*t, "MailServer", "127.0.0.1");
    Set(*t, "MailPort", QString::number(port));
    Set(*t, "MailSecurity", "none");
    Set(*t, "SupportAddress", kSupport);
    return t;
}

void Fill(frmEmailSupport& window, const QString& from, const QString& name, const QString& subject,
          const QString& message) {
    window.txtFrom->setText(from);
    window.txtFromName->setText(name);
    window.txtSubject->setText(subject);
    window.txtMessage->setPlainText(message);
}

// Sends and waits until the mail has told its outcome.
bool SendAndWait(frmEmailSupport& window, int timeoutMs = 20000) {
    window.cmdSend_Click();
    QSignalSpy finished(window.Mail(), &MailSender::Finished);
    return finished.wait(timeoutMs) || finished.size() > 0;
}

} // namespace

class tst_supportmail : public QObject {
    Q_OBJECT

    std::unique_ptr<SmtpTestServer> server;

private Q_SLOTS:
    void initTestCase() {
        server = std::make_unique<SmtpTestServer>(QStringList{kRefused}, "mailer", "s3cret pw",
                                                  QStringList{kRefusedAfterData});
        QVERIFY2(server->Error().isEmpty(), qPrintable(server->Error()));
    }
    void cleanupTestCase() { server.reset(); }

    void loadsIdle() {
        auto t = MailContext(server->Port());
        frmEmailSupport window(t->ctx);
        QVERIFY(window.prgBarSending->isHidden());
        Fill(window, "ada@example.test", "Ada Lovelace", "Bug/Error",
             "The launcher shows no programs after the update.\nSteps: start it.");
        QVERIFY(!SaveToGallery(&window, "frmEmailSupport-idle").isEmpty());
    }

    // What the user typed arrives as one well-formed message: the envelope and headers carry
    // the trimmed fields, the body every character and line break, whatever the encoding.
    void sentMessageArrivesWhole_data() {
        AddColumns<QString, QString, QString, QString>("from", "name", "subject", "message");
        QTest::addColumn<QByteArray>("rawBody"); // as it arrives after the headers, when given
        const QString longSubject =
            QStringLiteral("The launcher stops answering when a program with a very long "
                           "description is added from the catalogue list window");
        AddRow("plain text, blanks and a leading dot", "  ada@example.test  ", " Ada Lovelace ",
               "  Printer jam  ", "Line one\n  indented  \n.leading dot\n\nend",
               QByteArray("Line one\r\n  indented  \r\n.leading dot\r\n\r\nend\r\n"));
        AddRow("non-ASCII name and long subject", "zoe@example.test", "Zoë Ångström-Øster",
               QString::fromUtf8("Größenänderung – ☃ geht nicht 🎉 ") + longSubject,
               "Grüße\r\naus Köln\n", QByteArray("Gr=C3=BC=C3=9Fe\r\naus K=C3=B6ln\r\n"));
        AddRow("long ASCII subject, name with quotes", "pat@example.test",
               "Pat \"the admin\" O'Brien, Jr.", longSubject, "Trailing blanks stay  ",
               QByteArray("Trailing blanks stay  \r\n"));
        AddRow("line longer than SMTP carries", "long@example.test", "", "Long line",
               QString(1200, 'x') + "\n.\n", QByteArray());
        AddRow("empty fields", "empty@example.test", "", "", "", QByteArray());
    }
    void sentMessageArrivesWhole() {
        QFETCH(QString, from);
        QFETCH(QString, name);
        QFETCH(QString, subject);
        QFETCH(QString, message);
        QFETCH(QByteArray, rawBody);
        auto t = MailContext(server->Port());
        frmEmailSupport window(t->ctx);
        window.show();
        Fill(window, from, name, subject, message);
        window.cmdSend_Click();
        QSignalSpy progress(window.Mail(), &MailSender::Progress);
        QVERIFY(window.prgBarSending->isVisible());
        QCOMPARE(window.prgBarSending->value(), 1);

        const QJsonObject mail = server->NextMessage();
        QVERIFY2(!mail.isEmpty(), qPrintable(Messages(*t->prompt).join('\n')));
        QCOMPARE(mail["mail_from"].toString(), from.trimmed());
        QCOMPARE(mail["rcpt_tos"].toArray(), QJsonArray{kSupport});
        QCOMPARE(mail["from_address"].toString(), from.trimmed());
        QCOMPARE(mail["from_name"].toString(), name.trimmed());
        QCOMPARE(mail["subject"].toString(), subject.trimmed());
        QCOMPARE(mail["defects"].toArray(), QJsonArray());
        QString body = mail["body"].toString();
        body.replace("\r\n", "\n");
        QString typed = message;
        typed.replace("\r\n", "\n");
        if (!typed.endsWith('\n'))
            typed += '\n'; // a message ends with a line end
        QCOMPARE(body, typed);

        const QByteArray raw = mail["raw"].toString().toLatin1();
        const qsizetype split = raw.indexOf("\r\n\r\n");
        QVERIFY(split > 0);
        if (!rawBody.isEmpty())
            QCOMPARE(raw.mid(split + 4), rawBody);
        QList<QByteArray> lines = raw.left(split + 2).split('\n');
        lines.removeLast(); // after the last line end
        for (const QByteArray& line : lines) {
            QVERIFY2(line.endsWith('\r') && !line.chopped(1).contains('\r'), line.constData());
            QVERIFY2(line.size() <= 79, line.constData()); // 78 and the CR
            for (const char c : line)
                QVERIFY2(c > 0, line.constData());
        }
        for (const QByteArray& line : raw.mid(split + 4).split('\n'))
            QVERIFY(line.size() <= 77); // quoted-printable lines, or short plain ones
        const QString headers = QString::fromLatin1(raw.left(split));
        QVERIFY(headers.contains(QRegularExpression(
            R"(^Date: (Mon|Tue|Wed|Thu|Fri|Sat|Sun), \d\d (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|)"
            R"(Sep|Oct|Nov|Dec) \d{4} \d\d:\d\d:\d\d [+-]\d{4}\r$)",
            QRegularExpression::MultilineOption)));
        QVERIFY(headers.contains(QRegularExpression(R"(^Message-ID: <[^@<>\s]+@[^@<>\s]+>\r$)",
                                                    QRegularExpression::MultilineOption)));
        QVERIFY(headers.contains("\r\nMIME-Version: 1.0\r\n"));
        QVERIFY(headers.contains("\r\nContent-Type: text/plain; charset=UTF-8\r\n"));

        QTRY_COMPARE(Messages(*t->prompt), QStringList{"Message has been sent|Sent|Information"});
        QVERIFY(!window.isVisible());
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QVERIFY(!progress.isEmpty());
        QCOMPARE(progress.last().at(0).toInt(), 100);
        for (qsizetype i = 1; i < progress.size(); ++i)
            QVERIFY(progress.at(i).at(0).toInt() > progress.at(i - 1).at(0).toInt());
    }

    // Whatever stops the mail, the user reads two boxes, the second with the reason in the
    // server's or libcurl's words, and keeps his fields for another try. A server's refusal
    // is quoted alone, with nothing of libcurl's after it. A line break in a header field
    // never reaches the server; the user is told which field.
    void failureShowsTwoBoxesAndKeepsFields_data() {
        QTest::addColumn<QStringList>("settings"); // name=value pairs over the working ones
        QTest::addColumn<QString>("reason");       // in the second box
        QTest::addColumn<bool>("whole");           // the reason is all the second box says
        QTest::addColumn<bool>("reachesServer");
        QTest::addColumn<QStringList>("fields"); // from, name and subject; empty: plain ones
        AddRow("recipient refused", QStringList{"SupportAddress=" + kRefused},
               "550 5.1.1 <nobody@example.test>: Recipient address rejected: no such mailbox here",
               true, true, QStringList());
        // libcurl sums up a refusal after the data as "Weird server reply".
        AddRow("message refused after its data", QStringList{"SupportAddress=" + kRefusedAfterData},
               "554 5.7.1 Message refused: the content breaks this site's policy", true, true,
               QStringList());
        AddRow("wrong password", QStringList{"MailUser=mailer", "MailPasswordFile=%pw"},
               "535 5.7.8 Authentication credentials invalid", true, true, QStringList());
        AddRow("STARTTLS not offered", QStringList{"MailSecurity=starttls"}, "STARTTLS", false,
               true, QStringList());
        AddRow("fresh install", QStringList{"MailServer=", "MailPort=", "SupportAddress="},
               "No mail server configured", false, false, QStringList());
        AddRow("no support address", QStringList{"SupportAddress="},
               "No support address configured", false, false, QStringList());
        AddRow("port not a number", QStringList{"MailPort=25x"}, "\"MailPort\" in ", false, false,
               QStringList());
        AddRow("unknown security", QStringList{"MailSecurity=tls"},
               "must be none, starttls or smtps", false, false, QStringList());
        AddRow("password file missing",
               QStringList{"MailUser=mailer", "MailPasswordFile=/nonexistent/pw"},
               "The mail password file /nonexistent/pw cannot be read", false, false,
               QStringList());
        const auto refused = [](const char* tag, const QStringList& fields, const QString& why) {
            AddRow(tag, QStringList(), why, true, false, fields);
        };
        const QString subject = "The subject contains a line break. Nothing was sent.";
        const QString address = "The sender address contains a line break. Nothing was sent.";
        refused("CR LF in subject",
                {"ada@example.test", "Ada", "Hello\r\nBcc: victim@example.test"}, subject);
        refused("LF in name", {"ada@example.test", "Ada\nBcc: victim@example.test", "Hi"},
                "The sender name contains a line break. Nothing was sent.");
        refused("CR in address", {"ada@example.test\rRCPT TO:<victim@example.test>", "Ada", "Hi"},
                address);
        refused("angle bracket in address", {"ada@example.test> SIZE=1", "Ada", "Hi"},
                "The sender address \"ada@example.test> SIZE=1\" contains \"<\" or \">\". "
                "Nothing was sent.");
    }
    void failureShowsTwoBoxesAndKeepsFields() {
        QFETCH(QStringList, settings);
        QFETCH(QString, reason);
        QFETCH(bool, whole);
        QFETCH(bool, reachesServer);
        QFETCH(QStringList, fields);
        if (fields.isEmpty())
            fields = QStringList{"ada@example.test", "Ada", "Subject"};
        auto t = MailContext(server->Port());
        const QString passwordFile = t->dir.filePath("password");
        QVERIFY(WriteFile(passwordFile, "wrong\n"));
        for (const QString& pair : settings) {
            QString value = pair.section('=', 1);
            value.replace("%pw", passwordFile);
            Set(*t, pair.section('=', 0, 0), value);
        }
        const int connections = server->Connections();
        frmEmailSupport window(t->ctx);
        window.show();
        Fill(window, fields.at(0), fields.at(1), fields.at(2), "Body");
        QVERIFY(SendAndWait(window));

        const QStringList boxes = Messages(*t->prompt);
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes.at(0), QStringLiteral("Failed to send, error follows|Error|Critical"));
        if (whole)
            QCOMPARE(boxes.at(1), reason + "|Error|Critical");
        QVERIFY2(boxes.at(1).contains(reason), qPrintable(boxes.at(1)));
        QVERIFY(boxes.at(1).endsWith("|Error|Critical"));
        QVERIFY(window.isVisible());
        QCOMPARE(window.cmdCancel->Caption(), QStringLiteral("Done"));
        QVERIFY(window.prgBarSending->isHidden());
        QVERIFY(window.cmdSend->isEnabled());
        QCOMPARE(window.txtFrom->text(), fields.at(0));
        QCOMPARE(window.txtMessage->toPlainText(), QStringLiteral("Body"));
        QTest::qWait(200);
        QCOMPARE(server->Connections() > connections, reachesServer);
    }

    // A server is a host name or an IP address; an IPv6 address goes into the URL in brackets.
    void serverAddressGoesIntoUrl_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("url"); // empty: refused
        AddRow("name", "mail.example.test", "smtp://mail.example.test:2525");
        AddRow("IPv6", "2001:db8::7", "smtp://[2001:db8::7]:2525");
        AddRow("IPv6 with zone", "fe80::1%eth0", "smtp://[fe80::1%eth0]:2525");
        AddRow("zone with a slash", "fe80::1%eth0/x", "");
        AddRow("space", "mail example", "");
        AddRow("NUL after an address", QStringLiteral("192.0.2.7") + QChar(0) + "x", "");
    }
    void serverAddressGoesIntoUrl() {
        QFETCH(QString, host);
        QFETCH(QString, url);
        auto t = MailContext(2525);
        Set(*t, "MailServer", host);
        QString error;
        const auto settings = ReadMailSettings(*t->ctx.registry, error);
        QCOMPARE(settings ? settings->Url() : QString(), url);
        QCOMPARE(error.contains("is not a host name or address"), url.isEmpty());
    }

    // The right password logs in; the password stays out of the settings file.
    void logsInWithPasswordFromItsFile() {
        auto t = MailContext(server->Port());
        const QString passwordFile = t->dir.filePath("password");
        QVERIFY(WriteFile(passwordFile, "s3cret pw\n"));
        Set(*t, "MailUser", "mailer");
        Set(*t, "MailPasswordFile", passwordFile);
        frmEmailSupport window(t->ctx);
        Fill(window, "ada@example.test", "Ada", "Login", "Body");
        window.cmdSend_Click();
        QVERIFY(!server->NextMessage().isEmpty());
        QTRY_VERIFY(server->Events().contains("AUTH mailer s3cret pw"));
        QVERIFY(!ReadAll(t->ctx.registry->File()).contains("s3cret"));
    }

    // A server that never answers ends in a failure within the timeout, while the window goes
    // on handling its events.
    void silentServerFailsInTime() {
        QTcpServer silent; // accepts connections into its backlog, never greets
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        auto t = MailContext(silent.serverPort());
        Set(*t, "MailTimeout", "2");
        frmEmailSupport window(t->ctx);
        window.show();
        Fill(window, "ada@example.test", "Ada", "Subject", "Body");
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(50);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(SendAndWait(window, 15000));
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(elapsed >= 1900 && elapsed < 8000, qPrintable(QString::number(elapsed)));
        QVERIFY2(ticks >= 20, qPrintable(QString::number(ticks))); // not frozen
        const QStringList boxes = Messages(*t->prompt);
        QCOMPARE(boxes.size(), 2);
        QVERIFY2(boxes.at(1).contains("timeout"), qPrintable(boxes.at(1)));
    }

    // Closing the window during a send stops it at once; nothing more is shown.
    void cancelDuringSendStopsQuietly() {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        auto t = MailContext(silent.serverPort()); // the server would keep it waiting 30 s
        auto window = std::make_unique<frmEmailSupport>(t->ctx);
        Fill(*window, "ada@example.test", "Ada", "Bug/Error", "It broke.");
        window->show();
        window->cmdSend_Click();
        QVERIFY(window->prgBarSending->isVisible());
        QVERIFY(!window->cmdSend->isEnabled());
        QVERIFY(!SaveToGallery(window.get(), "frmEmailSupport-sending").isEmpty());
        QElapsedTimer clock;
        clock.start();
        window->cmdCancel_Click();
        QVERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Rejected));
        QTest::qWait(300);
        window.reset(); // waits for the mail's thread
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(t->prompt->transcript.isEmpty());
    }

    // The bug report item of the side menu opens the window modally with the subject filled
    // in (the keyboard walk of tst_keyboard opens both support items).
    void bugReportItemFillsTheSubject() {
        auto t = MailContext(server->Port());
        frmMain main(t->ctx);
        RegisterSupportWindows(t->ctx, main);
        QString seen = "not shown";
        bool modal = false;
        QTimer::singleShot(50, [&] {
            auto* window = qobject_cast<frmEmailSupport*>(QApplication::activeModalWidget());
            if (!window)
                return;
            seen = window->txtSubject->text();
            modal = window->isModal() && window->parentWidget() == &main;
            window->cmdCancel_Click();
        });
        main.NavPane1_ItemClick("H2");
        QCOMPARE(seen, QStringLiteral("Bug/Error"));
        QVERIFY(modal);
    }
};

QTEST_MAIN(tst_supportmail)
#include "tst_supportmail.moc"
