#pragma once

#include <QStringList>

class QTextStream;

namespace orvanectl {

// Exit statuses.
constexpr int kOk = 0;
constexpr int kRefused = 1;
constexpr int kBadUsage = 2;

// Runs one command line (without the program's name), printing results to `out` and reasons
// to `err`; returns the exit status.
int Run(const QStringList& arguments, QTextStream& out, QTextStream& err);

// The program's entry.
int Main(int argc, char* argv[]);

} // namespace orvanectl
