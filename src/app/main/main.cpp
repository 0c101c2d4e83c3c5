#include "app/modMain.h"
#include "platform/BrokenPipes.h"

int main(int argc, char* argv[]) {
    IgnoreBrokenPipes();
    return modMain::Run(argc, argv);
}
