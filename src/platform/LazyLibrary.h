#pragma once

#include <QLibrary>
#include <QString>
#include <QStringList>

// A shared library loaded when the program first needs it rather than at every start, and the
// table of the functions the program calls in it (`Api`, a struct of function pointers). Once
// loaded it stays loaded for the rest of the run: nothing unloads it.
//
// A library's Get() keeps one as a static local, so that its first call loads it:
//
//     void ResolveAll(LazyLibrary<Api>& library, Api& api) {
//         library.Resolve("c_function", api.function); // one line a function
//     }
//     static const LazyLibrary<Api> loaded({"file", 1, "What", "Remedy"}, ResolveAll);
//     return loaded.Get(error);
template <class Api> class LazyLibrary {
public:
    // Which library, and how its failure to load reads.
    struct Source {
        QString fileName; // as QLibrary takes it: a base name or a soname
        int version;      // the major version of the file name; -1 when the name holds it
        QString what;     // the library as the messages name it
        QString remedy;   // what to do when it is missing; may be empty
    };
    // Names each function of the table with Resolve.
    using ResolveAll = void (*)(LazyLibrary&, Api&);
    // Run once every function was found: why the library cannot be used, empty when it can.
    using Start = QString (*)(const Api&);

    // Loads the library and fills the table. On failure the error says that `what` could not
    // be loaded, the loader's reason and the remedy; or which functions `what` lacks; or what
    // `start` reported.
    LazyLibrary(const Source& source, ResolveAll resolveAll, Start start = nullptr)
        : mLibrary(source.fileName, source.version) {
        if (!mLibrary.load()) {
            mError = QStringLiteral("%1 could not be loaded (%2). %3")
                         .arg(source.what, mLibrary.errorString(), source.remedy);
            return;
        }
        resolveAll(*this, mApi);
        if (!mMissing.isEmpty())
            mError = QStringLiteral("%1 lacks functions this program needs: %2")
                         .arg(source.what, mMissing.join(QStringLiteral(", ")));
        else if (start)
            mError = start(mApi);
    }
    LazyLibrary(const LazyLibrary&) = delete;
    LazyLibrary& operator=(const LazyLibrary&) = delete;

    // Fills `function` with the library's `name`, noting it when the library lacks it.
    template <class F> void Resolve(const char* name, F& function) {
        function = reinterpret_cast<F>(mLibrary.resolve(name));
        if (!function)
            mMissing << QString::fromLatin1(name);
    }

    // The table, or null with `why` when the library cannot be used.
    const Api* Get(QString& why) const {
        why = mError;
        return mError.isEmpty() ? &mApi : nullptr;
    }

private:
    QLibrary mLibrary;
    Api mApi{};
    QString mError;
    QStringList mMissing;
};
