#pragma once
#include <string>

#include "tools/content/ContentSet.h"

namespace Content {

// What to generate. The shipped game uses the defaults; tests ask for smaller
// or plainer variants by name (each module documents the variants it knows and
// ignores the others).
struct Options {
    bool allLoose = false;       // no pack: every file loose under data\ .
    std::string variant = "full";
};

// Runs every content module into the set, in a fixed order, then checks the
// whole set as the engine will read it (ContentCheck.h): a fault throws
// std::runtime_error listing every one.
void Generate(ContentSet& set, const Options& options);

// Generates and writes the data folder of programFolder. The old data folder
// is removed first, so nothing of an earlier run stays behind. False with a
// reason in error.
bool GenerateTo(const std::string& programFolder, const Options& options, std::string* error);

} // namespace Content
