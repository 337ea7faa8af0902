#include "tools/formats/CatalogueWriter.h"

namespace ContentTools {

std::string WriteLevelsXml(const std::vector<int>& levelsPerStage)
{
    std::string text = "<levels>\n";
    for (size_t s = 0; s < levelsPerStage.size(); ++s) {
        text += "  <stage>\n";
        for (int l = 0; l < levelsPerStage[s]; ++l)
            text += "    <level/>\n";
        text += "  </stage>\n";
    }
    text += "</levels>\n";
    return text;
}

// Element texts, which the shared element writer does not produce, so these
// few lines are written directly.
std::string WriteThemesXml(int themeCost, int pictureCost)
{
    return "<content>\n  <theme_cost>" + std::to_string(themeCost) + "</theme_cost>\n  <picture_cost>" +
           std::to_string(pictureCost) + "</picture_cost>\n</content>\n";
}

std::string WritePuzzleXml(int puzzleCost)
{
    return "<content>\n  <puzzle_cost>" + std::to_string(puzzleCost) + "</puzzle_cost>\n</content>\n";
}

} // namespace ContentTools
