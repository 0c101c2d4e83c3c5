#include "platform/BrokenPipes.h"

#include <csignal>

void IgnoreBrokenPipes() {
#ifndef _WIN32
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

void RestoreBrokenPipesInChild() {
#ifndef _WIN32
    std::signal(SIGPIPE, SIG_DFL);
#endif
}
