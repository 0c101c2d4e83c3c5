#include "widgets/FatalError.h"

#include "platform/OrvError.h"
#include "platform/Prompt.h"

#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

namespace {
[[noreturn]] void ShowAndExit(const QString& title, const QString& text) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    std::fflush(stderr);
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr &&
        QGuiApplication::platformName() != QLatin1String("offscreen")) {
        QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
    std::_Exit(1);
}
} // namespace

void ReportFatalError(const OrvError& error) {
    const QString title = error.Source().isEmpty() ? Prompt::kApplicationTitle : error.Source();
    ShowAndExit(
        title,
        QStringLiteral("Run-time error '%1':\n\n%2").arg(error.Number()).arg(error.Description()));
}

void ReportFatalError(const std::exception& error) {
    ShowAndExit(Prompt::kApplicationTitle,
                QStringLiteral("Run-time error:\n\n%1").arg(QString::fromLocal8Bit(error.what())));
}

bool OrvApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const OrvError& error) {
        ReportFatalError(error);
    } catch (const std::exception& error) {
        ReportFatalError(error);
    }
}
