#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "framework/Level.h"
#include "framework/Stage.h"

namespace GameTools {
class XMLNode;
}

namespace GameFramework {

class ProfileBase;

// The game's progression: stages in file order, each with its levels in file
// order, read from "data\levels\levels.xml" (top element "levels", its child
// elements the stages, theirs the levels; names and attributes are free).
// The game's subclass makes the records and may read their nodes' attributes;
// its constructor calls Load. The manager owns every record; pointers handed
// out stay valid until the next Load or the destructor.
class LevelManagerBase {
public:
    virtual ~LevelManagerBase();
    LevelManagerBase();
    LevelManagerBase(const LevelManagerBase&) = delete;
    LevelManagerBase& operator=(const LevelManagerBase&) = delete;

    // The stage record of a position, for starting its level; resourceFiles
    // (may be null) receives resource lists the level needs beyond the game's
    // own. The base has no records of its own to give: null, list untouched.
    virtual Stage* GetStage(const Level& position, std::vector<std::string>* resourceFiles);
    // Reads the levels file, replacing what was loaded. A missing, malformed
    // or empty file (no stage, or a stage without levels) is fatal: logged
    // with "PROGRAM ABORTING: " and FatalError thrown.
    virtual void Load();

    // The successor of a position: the next level of its stage, else the
    // first of the next stage; the last level is its own successor. A
    // position outside the loaded levels gives (0, 0).
    Level NextPosition(const Level& position) const;
    // The last level of the last stage (false outside the loaded levels).
    bool IsLastLevel(const Level& position) const;

    // Checked access: null or 0 outside the loaded ranges.
    uint32_t GetStageCount() const { return static_cast<uint32_t>(stages.size()); }
    Stage* GetStageAt(uint32_t stageIndex) const;
    uint32_t GetLevelCount(uint32_t stageIndex) const;
    uint32_t GetTotalLevelCount() const;
    Level* GetLevel(const Level& position) const;
    bool IsValidPosition(const Level& position) const;
    // The last level of the last stage, (0, 0) when nothing is loaded.
    Level GetLastPosition() const;

    // A profile whose current position lies outside the loaded levels (a
    // damaged or outdated file) plays from (0, 0): moved, logged and saved.
    // True when it was moved. The game base calls it where a level starts.
    bool RepairPosition(ProfileBase* profile) const;

    static const char* const kFileName;

protected:
    virtual Stage* CreateStage() = 0;
    virtual Level* CreateLevel() = 0;
    // The base sets the stage's level count to 0; Load stores the real count
    // afterwards. The level hook is empty. Both exist for subclasses that keep
    // attributes of the stage's or level's element.
    virtual void ReadStage(Stage* stage, GameTools::XMLNode* node);
    virtual void ReadLevel(Level* level, GameTools::XMLNode* node);

    void Clear();

    std::vector<Stage*> stages;
    std::vector<std::vector<Level*>> levels;
};

} // namespace GameFramework
