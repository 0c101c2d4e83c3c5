#include "ctl/Orvanectl.h"

int main(int argc, char* argv[]) {
    return orvanectl::Main(argc, argv);
}
