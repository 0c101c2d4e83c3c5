#pragma once

#include <QApplication>

class OrvError;

// The one place an untrapped error ends up: it is shown (as the platform's run-time error
// box would show it) and written to standard error, and the program ends with status 1.
[[noreturn]] void ReportFatalError(const OrvError& error);
[[noreturn]] void ReportFatalError(const std::exception& error);

// Routes exceptions that escape an event handler to ReportFatalError instead of letting
// them unwind through Qt's event loop.
class OrvApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
};
