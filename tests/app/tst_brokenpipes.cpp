#include "support/DataRow.h"

#include <QTest>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

extern char** environ;

// Each program writes to a pipe nobody reads any more, as it writes to a directory server that
// dropped its connection: it must end as it decides (a status of its own), never killed by
// SIGPIPE without a word. Each writes its first words to standard error here: the launcher
// without a display, orvanectl and the copy tool on bad usage.
class tst_brokenpipes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void programsOutliveAClosedPipe_data() {
        AddColumns<QString, QStringList>("program", "arguments");
        AddRow("launcher", QStringLiteral(ORV_EXECUTABLE), QStringList{});
        AddRow("orvanectl", QStringLiteral(ORV_CTL), QStringList{u"no-such-command"_s});
        AddRow("copy tool", QStringLiteral(ORV_COPY_TOOL), QStringList{});
    }
    void programsOutliveAClosedPipe() {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        int pipeEnds[2];
        QCOMPARE(pipe(pipeEnds), 0);
        close(pipeEnds[0]); // nobody reads
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
        QList<QByteArray> words{QFile::encodeName(program)};
        for (const QString& argument : arguments)
            words.append(argument.toUtf8());
        std::vector<char*> argv;
        for (QByteArray& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        // No display, so that the launcher says it needs one.
        std::vector<QByteArray> env{"PATH=/usr/bin:/bin", "HOME=/tmp"};
        std::vector<char*> envp;
        for (QByteArray& entry : env)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        pid_t pid = 0;
        QCOMPARE(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(pipeEnds[1]);
        int status = 0;
        QCOMPARE(waitpid(pid, &status, 0), pid);
        QVERIFY2(!WIFSIGNALED(status), qPrintable(u"killed by signal %1"_s.arg(
                                           WIFSIGNALED(status) ? WTERMSIG(status) : 0)));
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) != 0);
    }
};

QTEST_GUILESS_MAIN(tst_brokenpipes)
#include "tst_brokenpipes.moc"
