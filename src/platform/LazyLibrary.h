#pragma once

#include <QLibrary>
#include <QString>
#include <QStringList>

// A shared library loaded when the program first needs it rather than at every start, and the
// table of the functions the program calls in it (`Api`, a struct of function pointers). Once
// loaded it stays loaded for the rest of the run.
template <class Api> struct LazyLibrary {
    Api api{};
    QString error; // why the library cannot be used; empty when it can

    // Loads `library`; on failure `error` says `what` could not be loaded, the loader's reason
    // and `remedy`.
    bool Load(QLibrary& library, const QString& what, const QString& remedy) {
        if (library.load())
            return true;
        error = QStringLiteral("%1 could not be loaded (%2). %3")
                    .arg(what, library.errorString(), remedy);
        return false;
    }
    // Fills `function` with the library's `name`, noting it when the library lacks it.
    template <class F> void Resolve(QLibrary& library, const char* name, F& function) {
        function = reinterpret_cast<F>(library.resolve(name));
        if (!function)
            mMissing << QString::fromLatin1(name);
    }
    // After the functions are resolved: false, with `error` naming those `what` lacks.
    bool Complete(const QString& what) {
        if (!mMissing.isEmpty())
            error = QStringLiteral("%1 lacks functions this program needs: %2")
                        .arg(what, mMissing.join(QStringLiteral(", ")));
        return mMissing.isEmpty();
    }
    // The table, or null with `why` when the library cannot be used.
    const Api* Get(QString& why) const {
        why = error;
        return error.isEmpty() ? &api : nullptr;
    }

private:
    QStringList mMissing;
};
