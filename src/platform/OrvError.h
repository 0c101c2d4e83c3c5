#pragma once

#include <QString>
#include <exception>

// A run-time error with the number, description and source that message boxes show.
// Routines that trap errors catch it; an untrapped one reaches ReportFatalError.
class OrvError : public std::exception {
public:
    OrvError(long number, QString description, QString source = {})
        : mNumber(number), mDescription(std::move(description)), mSource(std::move(source)),
          mWhat(mDescription.toUtf8()) {}

    long Number() const { return mNumber; }
    const QString& Description() const { return mDescription; }
    const QString& Source() const { return mSource; }
    const char* what() const noexcept override { return mWhat.constData(); }

private:
    long mNumber;
    QString mDescription;
    QString mSource;
    QByteArray mWhat;
};

// Error numbers the program raises itself.
namespace ErrorNumber {
constexpr long NoCurrentRecord = 3021;
constexpr long ItemNotFound = 3265;
constexpr long DatabaseOpen = 3049;
constexpr long DatabaseWrite = 3051;
constexpr long FileNotFound = 53;
constexpr long PermissionDenied = 70;
constexpr long NoMapping = 1332;
constexpr long SettingsWrite = 5;
constexpr long SettingsUntrusted = 75; // "Path/File access error"
} // namespace ErrorNumber
