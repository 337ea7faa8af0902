// Writes the game's data folder: PelloriaContent <program folder> [--loose]
// [--variant <name>].
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/content/Generator.h"

int main(int argc, char** argv)
{
    std::string folder;
    Content::Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--loose") == 0)
            options.allLoose = true;
        else if (std::strcmp(argv[i], "--variant") == 0 && i + 1 < argc)
            options.variant = argv[++i];
        else if (folder.empty() && argv[i][0] != '-')
            folder = argv[i];
        else {
            std::fprintf(stderr, "usage: PelloriaContent <program folder> [--loose] [--variant <name>]\n");
            return 2;
        }
    }
    if (folder.empty()) {
        std::fprintf(stderr, "usage: PelloriaContent <program folder> [--loose] [--variant <name>]\n");
        return 2;
    }
    std::string error;
    if (!Content::GenerateTo(folder, options, &error)) {
        std::fprintf(stderr, "PelloriaContent: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
