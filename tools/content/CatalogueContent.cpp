// The catalogue's layout and cost files and the progression, from the shared
// table: data\levels\levels.xml, data\themes\themes.xml and each puzzle
// folder's puzzle.xml. The pictures, previews and puzzle files that these
// folders hold are written by the picture and puzzle modules.
#include <string>
#include <vector>

#include "engine/foundation/StringUtils.h"
#include "tools/content/Catalogue.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/content/Modules.h"
#include "tools/formats/CatalogueWriter.h"

namespace Content {

void AddCatalogue(ContentSet& set, const Options&)
{
    std::vector<int> stages(Catalogue::kLevelsPerStage, Catalogue::kLevelsPerStage + Catalogue::kStageCount);
    set.AddText("data\\levels\\levels.xml", ContentTools::WriteLevelsXml(stages));
    set.AddText("data\\themes\\themes.xml", ContentTools::WriteThemesXml(Catalogue::kThemeCost, Catalogue::kPictureCost));
    for (int i = 0; i < Catalogue::kPuzzleCount; ++i)
        set.AddText("data\\puzzles\\" + KorvaneEngine::UnsignedToString(i, 2) + "\\puzzle.xml",
            ContentTools::WritePuzzleXml(Catalogue::kPuzzleCosts[i]));
}

} // namespace Content
