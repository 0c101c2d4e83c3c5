// The principal picker over a directory of 10,000 users and 500 groups. Prints the time to
// open the picker (load, lay out, first paint), the time of listing the same accounts
// straight from the directory backend (the calls the picker makes, without the window), and
// their ratio; then the time of one keystroke in the filter box and, for comparison, the cost
// of one SID query per user.
//
//   bench_picker [--runs N]
//
// The backend is LocalDirectory, the C library's passwd and group databases. The accounts are
// written to passwd and group files in a temporary directory and served by nss_wrapper: the
// program starts itself again with the wrapper preloaded.

#include "access/AccessEvaluation.h"
#include "admin/PrincipalList.h"
#include "admin/frmAddSecurity.h"
#include "common/BestMs.h"
#include "directory/LocalDirectory.h"
#include "support/TestContext.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int kUsers = 10000;
constexpr int kGroups = 500;
constexpr char kChildFlag[] = "ORV_BENCH_PICKER_CHILD";

bool WriteAccounts(const QString& dir) {
    QFile passwd(dir + "/passwd"), group(dir + "/group");
    if (!passwd.open(QIODevice::WriteOnly) || !group.open(QIODevice::WriteOnly))
        return false;
    QByteArray users, groups;
    for (int u = 0; u < kUsers; ++u)
        users += QStringLiteral("user%1:x:%2:%3:User %1:/home/user%1:/bin/sh\n")
                     .arg(u, 5, 10, QLatin1Char('0'))
                     .arg(20000 + u)
                     .arg(30000 + u % kGroups)
                     .toUtf8();
    for (int g = 0; g < kGroups; ++g)
        groups += QStringLiteral("group%1:x:%2:user%3\n")
                      .arg(g, 3, 10, QLatin1Char('0'))
                      .arg(30000 + g)
                      .arg(g, 5, 10, QLatin1Char('0'))
                      .toUtf8();
    return passwd.write(users) == users.size() && group.write(groups) == groups.size();
}

// Starts this program again with the wrapper serving the accounts; returns its status.
int RunWithAccounts(const QStringList& arguments) {
    const QString wrapper = QStringLiteral(ORV_NSS_WRAPPER);
    if (wrapper.isEmpty() || !QFileInfo::exists(wrapper)) {
        std::fprintf(stderr, "bench_picker needs nss_wrapper (the Debian package "
                             "libnss-wrapper, installed by scripts/bootstrap).\n");
        return 1;
    }
    QTemporaryDir dir;
    if (!dir.isValid() || !WriteAccounts(dir.path())) {
        std::fprintf(stderr, "bench_picker: cannot write the account files\n");
        return 1;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kChildFlag, "1");
    env.insert("LD_PRELOAD", wrapper);
    env.insert("NSS_WRAPPER_PASSWD", dir.filePath("passwd"));
    env.insert("NSS_WRAPPER_GROUP", dir.filePath("group"));
    // A sanitizer build wants its runtime first; the wrapper goes before it.
    const QString asan = env.value("ASAN_OPTIONS");
    env.insert("ASAN_OPTIONS",
               (asan.isEmpty() ? QString() : asan + ':') + "verify_asan_link_order=0");
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), arguments.mid(1));
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit)
        return 1;
    return child.exitCode();
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({"runs", "timed runs of each measurement (best is shown)", "N", "5"});
    parser.addHelpOption();
    parser.process(app);
    if (qEnvironmentVariableIsEmpty(kChildFlag))
        return RunWithAccounts(QCoreApplication::arguments());
    const int runs = std::max(1, parser.value("runs").toInt());

    TestContext t;
    t.ctx.directory = std::make_unique<LocalDirectory>();
    DirectoryService& directory = *t.ctx.directory;
    const qsizetype users = directory.GetUsersWithSids({}, false).size();
    const qsizetype groups = directory.GetGroups({}, false).size();
    if (users != kUsers || groups != kGroups) {
        std::fprintf(stderr,
                     "bench_picker: the directory lists %lld users and %lld groups, "
                     "not the %d and %d written; nss_wrapper is not in effect\n",
                     static_cast<long long>(users), static_cast<long long>(groups), kUsers,
                     kGroups);
        return 1;
    }

    qsizetype listed = 0;
    const double backend = BestMs(runs, [&] {
        const QString domain = modMain::GetDomain(t.ctx);
        listed = directory.GetGroups(domain, false).size() +
                 directory.GetUsersWithSids(domain, false).size();
    });

    qsizetype shown = 0;
    const double picker = BestMs(runs, [&] {
        frmAddSecurity window(t.ctx, nullptr);
        window.show();
        QCoreApplication::processEvents();
        shown = window.lstPer->Count();
        window.close();
    });

    frmAddSecurity window(t.ctx, nullptr);
    window.show();
    QCoreApplication::processEvents();
    int narrowed = 0;
    const double keystroke = BestMs(runs, [&] {
        window.txtFilter->clear();
        window.txtFilter->setText(QStringLiteral("user0999"));
        QCoreApplication::processEvents();
        narrowed = window.lstPer->Count();
    });

    const double perUser = BestMs(1, [&] {
        for (const QString& user : directory.GetUsers({}, false))
            directory.GetAccountSid({}, user, false);
    });

    if (shown != listed || listed != kUsers + kGroups || narrowed != 10) {
        std::fprintf(stderr,
                     "bench_picker: the picker shows %lld of %lld accounts, the filter "
                     "%d\n",
                     static_cast<long long>(shown), static_cast<long long>(listed), narrowed);
        return 1;
    }
    std::printf("accounts: %d users, %d groups (best of %d runs)\n", kUsers, kGroups, runs);
    std::printf("directory backend, groups + users with SIDs: %8.2f ms\n", backend);
    std::printf("picker opened (load, layout, first paint):   %8.2f ms\n", picker);
    std::printf("ratio picker / backend:                      %8.2f (goal <= 2)\n",
                picker / backend);
    std::printf("one filter keystroke over all accounts:      %8.2f ms\n", keystroke);
    std::printf("for comparison, one SID query per user:      %8.2f ms\n", perUser);
    return 0;
}
