#include "framework/LevelManagerBase.h"

#include <memory>

#include "engine/foundation/Error.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/XMLNode.h"
#include "engine/foundation/XMLParser.h"
#include "framework/ProfileBase.h"

using namespace KorvaneEngine;

namespace GameFramework {

const char* const LevelManagerBase::kFileName = "data\\levels\\levels.xml";

namespace {

std::string FormatError() { return std::string("Incorrect \"") + LevelManagerBase::kFileName + "\" file format"; }

// Records made so far, released unless the load completes.
struct PartialLoad {
    std::vector<Stage*> stages;
    std::vector<std::vector<Level*>> levels;
    ~PartialLoad()
    {
        for (auto& list : levels)
            for (Level* l : list)
                delete l;
        for (Stage* s : stages)
            delete s;
    }
};

} // namespace

LevelManagerBase::LevelManagerBase() {}

LevelManagerBase::~LevelManagerBase() { Clear(); }

void LevelManagerBase::Clear()
{
    for (auto& list : levels)
        for (Level* l : list)
            delete l;
    levels.clear();
    for (Stage* s : stages)
        delete s;
    stages.clear();
}

Stage* LevelManagerBase::GetStage(const Level&, std::vector<std::string>*) { return nullptr; }

void LevelManagerBase::ReadStage(Stage* stage, GameTools::XMLNode*) { stage->levelCount = 0; }

void LevelManagerBase::ReadLevel(Level*, GameTools::XMLNode*) {}

void LevelManagerBase::Load()
{
    MessageManager* log = MessageManager::Instance();
    try {
        std::unique_ptr<GameTools::XMLNode> document(new GameTools::XMLNode());
        try {
            GameTools::XMLParser().ParseFile(document.get(), kFileName);
        } catch (const FileError& e) {
            // The parser's text says what went wrong but not in which file.
            if (log)
                log->LogError(e.GetMessage());
            throw FileError(FormatError());
        }
        GameTools::XMLNode* top = document->GetChild("levels");
        if (!top || top->GetChildList().empty())
            throw FileError(FormatError());

        PartialLoad load;
        uint32_t total = 0;
        for (GameTools::XMLNode* stageNode : top->GetChildList()) {
            const uint32_t i = static_cast<uint32_t>(load.stages.size());
            load.levels.emplace_back();
            Stage* stage = CreateStage();
            stage->stageIndex = i;
            load.stages.push_back(stage);
            ReadStage(stage, stageNode);
            // Every stage must hold a level: the successor of a stage's last
            // level and the last position of the map are taken from the counts.
            if (stageNode->GetChildList().empty())
                throw FileError(FormatError());
            stage->levelCount = static_cast<uint32_t>(stageNode->GetChildList().size());
            for (GameTools::XMLNode* levelNode : stageNode->GetChildList()) {
                Level* level = CreateLevel();
                load.levels.back().push_back(level);
                level->stageIndex = i;
                level->levelIndex = static_cast<uint32_t>(load.levels.back().size() - 1);
                ReadLevel(level, levelNode);
            }
            total += stage->levelCount;
        }
        Clear();
        stages.swap(load.stages);
        levels.swap(load.levels);
        if (log)
            log->LogMessage("\nLevel Manager: Found " + std::to_string(stages.size()) + " stages with " +
                            std::to_string(total) + " levels...");
    } catch (const FileError& e) {
        if (log)
            log->LogFatal(e.GetMessage());
        throw FatalError(e.GetMessage());
    }
}

Stage* LevelManagerBase::GetStageAt(uint32_t stageIndex) const
{
    return stageIndex < stages.size() ? stages[stageIndex] : nullptr;
}

uint32_t LevelManagerBase::GetLevelCount(uint32_t stageIndex) const
{
    return stageIndex < levels.size() ? static_cast<uint32_t>(levels[stageIndex].size()) : 0;
}

uint32_t LevelManagerBase::GetTotalLevelCount() const
{
    uint32_t total = 0;
    for (const auto& list : levels)
        total += static_cast<uint32_t>(list.size());
    return total;
}

Level* LevelManagerBase::GetLevel(const Level& position) const
{
    if (position.stageIndex >= levels.size())
        return nullptr;
    const auto& list = levels[position.stageIndex];
    return position.levelIndex < list.size() ? list[position.levelIndex] : nullptr;
}

bool LevelManagerBase::IsValidPosition(const Level& position) const { return GetLevel(position) != nullptr; }

Level LevelManagerBase::GetLastPosition() const
{
    if (levels.empty() || levels.back().empty())
        return Level();
    return Level(static_cast<uint32_t>(levels.size() - 1), static_cast<uint32_t>(levels.back().size() - 1));
}

bool LevelManagerBase::IsLastLevel(const Level& position) const
{
    return IsValidPosition(position) && position.stageIndex + 1 == stages.size() &&
           position.levelIndex + 1 == GetLevelCount(position.stageIndex);
}

Level LevelManagerBase::NextPosition(const Level& position) const
{
    if (!IsValidPosition(position))
        return Level();
    if (position.levelIndex + 1 != GetLevelCount(position.stageIndex))
        return Level(position.stageIndex, position.levelIndex + 1);
    if (!IsLastLevel(position))
        return Level(position.stageIndex + 1, 0);
    return position;
}

} // namespace GameFramework

namespace GameFramework {

bool LevelManagerBase::RepairPosition(ProfileBase* profile) const
{
    if (!profile || IsValidPosition(profile->GetCurrentPosition()))
        return false;
    // Levels removed since the profile was saved: a repair of the player's
    // data, so a warning, as every other.
    const Level& bad = profile->GetCurrentPosition();
    if (MessageManager* log = MessageManager::Instance())
        log->LogWarning("Profile \"" + profile->GetFileName() + "\": level " + std::to_string(bad.stageIndex) + "-" +
                        std::to_string(bad.levelIndex) + " is not in the levels file, the game goes on from the first "
                        "level");
    profile->SetCurrentPosition(Level());
    profile->Save();
    return true;
}

} // namespace GameFramework
