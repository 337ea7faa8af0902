// Writes the game's data folder: PelloriaContent <program folder> [--loose]
// [--variant <name>]. With --icon <file> it writes only the program's icon,
// which the build compiles into the program's resources; with --cursors
// <folder> only the system cursors (cursor_<id>.cur), likewise.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/content/CursorArt.h"
#include "tools/content/Generator.h"
#include "tools/content/ProgramIcon.h"
#include "tools/formats/ByteWriter.h"

namespace {

const char kUsage[] =
    "usage: PelloriaContent <program folder> [--loose] [--variant <name>]\n"
    "       PelloriaContent --icon <file>\n"
    "       PelloriaContent --cursors <folder>\n";

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--icon") == 0) {
        if (!ContentTools::SaveBytes(argv[2], Content::MakeProgramIcon())) {
            std::fprintf(stderr, "PelloriaContent: cannot write \"%s\"\n", argv[2]);
            return 1;
        }
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--cursors") == 0) {
        for (const auto& c : Content::MakeSystemCursors()) {
            const std::string path = std::string(argv[2]) + "/cursor_" + std::to_string(c.first) + ".cur";
            if (!ContentTools::SaveBytes(path, c.second)) {
                std::fprintf(stderr, "PelloriaContent: cannot write \"%s\"\n", path.c_str());
                return 1;
            }
        }
        return 0;
    }
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
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (folder.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::string error;
    if (!Content::GenerateTo(folder, options, &error)) {
        std::fprintf(stderr, "PelloriaContent: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
