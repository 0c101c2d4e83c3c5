#include "ctl/Orvanectl.h"
#include "platform/BrokenPipes.h"

int main(int argc, char* argv[]) {
    IgnoreBrokenPipes();
    return orvanectl::Main(argc, argv);
}
