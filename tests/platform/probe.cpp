// Writes its working directory and arguments, one per line, to the file named by its first
// argument: the launch tests read them back.
#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[]) {
    if (argc < 2)
        return 2;
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr)
        return 3;
    // Written under a temporary name and renamed, so a reader never sees half a file.
    char partial[4096];
    std::snprintf(partial, sizeof partial, "%s.partial", argv[1]);
    std::FILE* out = std::fopen(partial, "w");
    if (out == nullptr)
        return 4;
    std::fprintf(out, "%s\n", cwd);
    for (int i = 2; i < argc; ++i)
        std::fprintf(out, "%s\n", argv[i]);
    if (std::fclose(out) != 0)
        return 5;
    return std::rename(partial, argv[1]) == 0 ? 0 : 6;
}
