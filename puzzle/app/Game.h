#pragma once
#include <cstdint>
#include <string>

#include "framework/GameBase.h"

namespace Puzzle {

class Content;
class GUIBackground;
class GUIMenuWindowManager;
class GUIRelaxWindow;

// The picture-puzzle game: the engine settings, the default volumes, the
// sound table and the factories of its managers and windows. The constructor
// runs the whole start-up (GameBase::Init) with these overrides in force; a
// KorvaneEngine::Error from it propagates with everything made so far deleted.
//
// Factories of classes that do not exist yet give null; the base skips them.
class Game : public GameFramework::GameBase {
public:
    Game(const std::string& companyName, const std::string& gameTitle, uint32_t version,
         const std::string& registryKeyPath, const std::string& programDirectory, const std::string& publisherName);
    ~Game() override;

    // The base's, at 1024 x 768, with the program's icon (group 101) and a
    // stencil buffer asked of the display.
    void FillEngineSettings(KorvaneEngine::EngineSettings& settings) override;
    void RegisterConsoleCommands() override;
    // The twelve GUI sounds (once the GUI sound manager exists), the three
    // music tracks and the twenty-seven effects of SoundTable.h.
    void RegisterSounds() override;
    void CreateWindows() override;

    GameFramework::LevelManagerBase* CreateLevelManager() override;
    GameFramework::ProfileManagerBase* CreateProfileManager() override;
    // A GameData in the game's language with the background's and the game
    // objects' resource lists; a missing list is fatal.
    GameTools::DataKeeper* CreateGameData() override;
    GameFramework::GUIGameCursorBase* CreateGameCursor() override;
    GameFramework::GUILogosWindowBase* CreateLogosWindow() override;
    GameFramework::GUILoadingWindowBase* CreateGameLoadingWindow() override;
    GameFramework::GUILoadingWindowBase* CreateGameLogicLoadingWindow() override;
    // The puzzle game has no auxiliary window.
    GameFramework::GUIFrameworkWindow* CreateAuxiliaryWindow() override;
    GameFramework::GUIWelcomeWindowBase* CreateWelcomeWindow() override;
    GameFramework::GUIExitWindowBase* CreateExitWindow() override;
    GameFramework::GUIMainMenuWindowBase* CreateMainMenuWindow() override;
    GameFramework::GUIProfilesWindowBase* CreateProfilesWindow() override;
    GameFramework::GUINewProfileWindowBase* CreateNewProfileWindow() override;
    GameFramework::GUIRenameProfileWindowBase* CreateRenameProfileWindow() override;
    GameFramework::GUIDeleteProfileWindowBase* CreateDeleteProfileWindow() override;
    GameFramework::GUIProfileNameConflictWindowBase* CreateProfileNameConflictWindow() override;
    GameFramework::GUIStartGameLogicWindowBase* CreateStartGameLogicWindow() override;
    GameFramework::GUIContinueGameLogicWindowBase* CreateContinueGameLogicWindow() override;
    GameFramework::GUIHighScoresWindowBase* CreateHighScoresWindow() override;
    GameFramework::GUIOptionsWindowBase* CreateOptionsWindow() override;
    GameFramework::GUIHelpWindowBase* CreateHelpWindow() override;
    GameFramework::GUIGameLogicWindowBase* CreateGameLogicWindow() override;
    GameFramework::GUIGameLogicPauseWindowBase* CreateGameLogicPauseWindow() override;
    GameFramework::GUIGameLogicMenuWindowBase* CreateGameLogicMenuWindow() override;
    GameFramework::GUIGameLogicMenuExitWindowBase* CreateGameLogicMenuExitWindow() override;
    GameFramework::GUIGameLogicRestartWindowBase* CreateGameLogicRestartWindow() override;
    GameFramework::GUIGameLogicGameExitWindowBase* CreateGameLogicGameExitWindow() override;
    GameFramework::GUILevelCompleteWindowBase* CreateLevelCompleteWindow() override;
    GameFramework::GUIStageCompleteWindowBase* CreateStageCompleteWindow() override;
    GameFramework::GUIGameCompleteWindowBase* CreateGameCompleteWindow() override;
    GameFramework::GUIGameOverWindowBase* CreateGameOverWindow() override;
    GameTools::DataKeeper* CreateGameLogicData(const GameFramework::Stage& stage,
                                               const GameFramework::Level& level) override;
    GameFramework::GameLogicBase* CreateGameLogic(const GameFramework::Stage& stage, const GameFramework::Level& level,
                                                  int32_t carryOver) override;

    // The base's banner, then the help on the cheat keys.
    void ShowCheatBanner() override;
    float GetDefaultMusicVolume() override;
    float GetDefaultSoundVolume() override;

    uint32_t GetNextGameTrack() const { return nextGameTrack; }
    Content* GetContent() const { return content; }

private:
    GUIBackground* background = nullptr;
    GUIMenuWindowManager* menuWindowManager = nullptr;
    Content* content = nullptr;
    GUIRelaxWindow* relaxWindow = nullptr;
    // 0: the next level plays track 1 ("game0"); 1: track 2.
    uint32_t nextGameTrack = 0;
};

} // namespace Puzzle
