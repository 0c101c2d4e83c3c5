#pragma once

#include <QString>
#include <QTest>

// What a plain user meets (a read-only catalogue, a folder or a settings file he may not
// write) cannot be seen as root, which ignores file modes. A test function that needs a plain
// user starts with ORV_AS_TEST_ACCOUNT(): run as root, it runs itself (the current function
// and data row) again as the unprivileged account kTestAccount and passes or fails with it;
// run as anyone else, the function body runs as it is.
inline const char* const kTestAccount = "orvane-test";
// A second plain account, for what another user of the machine could do to the first one's
// files.
inline const char* const kPeerAccount = "orvane-peer";

// Runs the current test function and data row of this executable as kTestAccount; returns
// whether it passed, with what it printed in `output`.
bool RunAsTestAccount(QString& output);
bool RunningAsRoot();

#define ORV_AS_TEST_ACCOUNT()                                                                      \
    do {                                                                                           \
        if (RunningAsRoot()) {                                                                     \
            QString output_;                                                                       \
            QVERIFY2(RunAsTestAccount(output_), qPrintable(output_));                              \
            return;                                                                                \
        }                                                                                          \
    } while (false)
