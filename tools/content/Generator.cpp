#include "tools/content/Generator.h"

#include <filesystem>
#include <stdexcept>

#include "tools/content/ContentCheck.h"
#include "tools/content/Modules.h"

namespace Content {

namespace {

typedef void (*Module)(ContentSet&, const Options&);

// In order: a module may use what the ones above it added.
const Module kModules[] = {
    AddPublisher,
    AddResourceLists,
    AddAudio,
    AddTexts,
    AddCatalogue,
    AddWindows,
    AddRelaxWindow,
    AddLogos,
    AddPictures,
    AddPuzzles,
    AddGameObjects,
    AddFonts,
    AddFontTable,
    AddConsole,
    AddBackground,
    AddCursors,
};

} // namespace

void Generate(ContentSet& set, const Options& options)
{
    for (Module m : kModules)
        if (m)
            m(set, options);
    const std::vector<std::string> faults = FindContentFaults(set);
    if (faults.empty())
        return;
    std::string text = "the content would not load cleanly:";
    for (const std::string& f : faults)
        text += "\n  " + f;
    throw std::runtime_error(text);
}

bool GenerateTo(const std::string& programFolder, const Options& options, std::string* error)
{
    ContentSet set;
    try {
        Generate(set, options);
    } catch (const std::exception& e) {
        if (error)
            *error = e.what();
        return false;
    }
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(programFolder) / "data", ec);
    if (ec) {
        if (error)
            *error = "cannot remove the old data folder: " + ec.message();
        return false;
    }
    return set.Write(programFolder, options.allLoose, error);
}

} // namespace Content
