#pragma once
#include <cstdint>
#include <string>

#include "framework/GameBase.h"

namespace KorvaneEngine {
class GUIWindow;
}

namespace Puzzle {

class Content;
class GameData;
class GUIBackground;
class GUIMenuWindowManager;
class GUIRelaxWindow;
class ProfileManager;

// The picture-puzzle game: the engine settings, the default volumes, the
// sound table and the factories of its managers and windows. The constructor
// runs the whole start-up (GameBase::Init) with these overrides in force; a
// KorvaneEngine::Error from it propagates with everything made so far deleted.
//
// Every factory makes its object but the auxiliary window's: the game has
// none, and the base skips a null window.
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

    // The menu window manager and the relax window take part in the frame's
    // window steps; the handlers below add the music and the cursor. The
    // relax window, which the base does not know, is dispatched, reset and
    // updated after the base's windows.
    void DispatchWindowEvents() override;
    void ResetWindowEvents() override;
    void UpdateWindows() override;
    void HandleLogosWindow() override;
    void HandleGameLogicLoadingWindow() override;
    void HandleStartGameLogicWindow() override;
    void HandleGameLogicWindow() override;
    void HandleGameLogicPauseWindow() override;
    // The base's, with the arrow and its sparkles over the pause window.
    void PauseLevelForFocusLoss() override;
    void HandleGameLogicMenuWindow() override;
    void HandleGameLogicMenuExitWindow() override;
    void HandleGameLogicRestartWindow() override;
    void HandleGameLogicGameExitWindow() override;
    void HandleGameLogicWon() override;
    void ReturnToStartGameLogic() override;
    void HandleGameLogicLost() override;
    void HandleLevelCompleteWindow() override;
    void HandleStageCompleteWindow() override;
    // Game over's code 25 offers relax mode (the relax window shown with
    // mode 25); its answer (20) goes back to game over, shown with mode 26.
    void HandleGameOverWindow() override;
    virtual void HandleRelaxWindow();

    // The base's banner, then the help on the cheat keys.
    void ShowCheatBanner() override;
    float GetDefaultMusicVolume() override;
    float GetDefaultSoundVolume() override;

    uint32_t GetNextGameTrack() const { return nextGameTrack; }
    GUIMenuWindowManager* GetMenuWindowManager() const { return menuWindowManager; }
    GUIBackground* GetBackground() const { return background; }
    GUIRelaxWindow* GetRelaxWindow() const { return relaxWindow; }
    Content* GetContent() const { return content; }
    // The parent of every menu window.
    KorvaneEngine::GUIWindow* GetWindowRoot() const { return windowRoot; }

private:
    GameData* Data() const;
    // The game cursor's sparkles, and its arrow (cursor 0) when arrow is set.
    void SetCursorEffects(bool visible, bool arrow);
    // Back from play to the menus: all music out, the menu track in.
    void RestartMenuMusic();
    ProfileManager* PuzzleProfiles() const;

    GUIBackground* background = nullptr;
    GUIMenuWindowManager* menuWindowManager = nullptr;
    Content* content = nullptr;
    GUIRelaxWindow* relaxWindow = nullptr;
    // 0: the next level plays track 1 ("game0"); 1: track 2.
    uint32_t nextGameTrack = 0;
    // The menus' parent: the background's top container.
    KorvaneEngine::GUIWindow* windowRoot = nullptr;
};

} // namespace Puzzle
