#pragma once
#include <cstdint>
#include <string>

#include "framework/Level.h"

namespace KorvaneEngine {
class Controls;
class Engine;
struct EngineSettings;
class GUISoundManager;
class TextureManager;
} // namespace KorvaneEngine

namespace GameTools {
class DataKeeper;
}

namespace GUITools {
class GUIFontTool;
class GUITextTool;
class GUIToolManager;
} // namespace GUITools

namespace GameFramework {

class GameLogicBase;
class HighScoreEntry;
class ProfileBase;
class HighScoresTable;
class LanguageManager;
class LevelManagerBase;
class ProfileManagerBase;
class SoundController;
class Tutorial;
struct LevelResult;
struct Stage;

class GUIFrameworkWindow;
class GUIGameCursorBase;
class GUILogosWindowBase;
class GUILoadingWindowBase;
class GUIWelcomeWindowBase;
class GUIExitWindowBase;
class GUIMainMenuWindowBase;
class GUIProfilesWindowBase;
class GUINewProfileWindowBase;
class GUIRenameProfileWindowBase;
class GUIDeleteProfileWindowBase;
class GUIProfileNameConflictWindowBase;
class GUIStartGameLogicWindowBase;
class GUIContinueGameLogicWindowBase;
class GUIHighScoresWindowBase;
class GUIOptionsWindowBase;
class GUIHelpWindowBase;
class GUIGameLogicWindowBase;
class GUIGameLogicPauseWindowBase;
class GUIGameLogicMenuWindowBase;
class GUIGameLogicMenuExitWindowBase;
class GUIGameLogicRestartWindowBase;
class GUIGameLogicGameExitWindowBase;
class GUILevelCompleteWindowBase;
class GUIStageCompleteWindowBase;
class GUIGameCompleteWindowBase;
class GUIGameOverWindowBase;

// The application object of a game on the framework: it owns the engine, the
// framework services and every screen, and runs one frame per idle pass of
// the main loop. A game derives from it, implements the factories and calls
// Init at the end of its own constructor (so that Init runs with the game's
// overrides in force).
//
// Its definitions lie by concern: GameBase.cpp (construction, start-up and
// shut-down), GameBase_Frame.cpp (one frame: focus, display modes, the access
// code), GameBase_WindowFlow.cpp (the window events and every handler) and
// GameBase_Console.cpp (the console commands and the cheat banner).
//
// Members are null until their creator ran; the windows, the game cursor, the
// game logic and the profile manager stay null until their classes exist
// (their factories give null), and every use of them is skipped.
class GameBase {
public:
    // No service exists after the constructor; Init makes them. The user data
    // folder is <application data>\<company>\<title> (the log and the .ini
    // live there); Init appends the publisher for the player files.
    GameBase(const std::string& companyName, const std::string& gameTitle, uint32_t version,
             const std::string& registryKeyPath, const std::string& programDirectory,
             const std::string& publisherName);
    // Deletes every member that exists, the engine last. After a start-up
    // that did not complete, the configuration file is left as it was.
    virtual ~GameBase();
    GameBase(const GameBase&) = delete;
    GameBase& operator=(const GameBase&) = delete;

    // One frame of the application.
    virtual void Update();
    // The engine, then the framework services, the start-up windows and the
    // sounds. A KorvaneEngine::Error from any step propagates.
    virtual void Init();
    virtual void FillEngineSettings(KorvaneEngine::EngineSettings& settings);
    virtual void SetupGUIResolution();
    virtual void RegisterConsoleCommands();
    virtual void CreateConsole();
    virtual void RegisterSounds();
    virtual void CreateWindows();

    virtual LevelManagerBase* CreateLevelManager() = 0;
    virtual ProfileManagerBase* CreateProfileManager() = 0;
    virtual GameTools::DataKeeper* CreateGameData() = 0;
    virtual GUIGameCursorBase* CreateGameCursor() = 0;
    virtual GUILogosWindowBase* CreateLogosWindow() = 0;
    virtual GUILoadingWindowBase* CreateGameLoadingWindow() = 0;
    virtual GUILoadingWindowBase* CreateGameLogicLoadingWindow() = 0;
    virtual GUIFrameworkWindow* CreateAuxiliaryWindow() = 0;
    virtual GUIWelcomeWindowBase* CreateWelcomeWindow() = 0;
    virtual GUIExitWindowBase* CreateExitWindow() = 0;
    virtual GUIMainMenuWindowBase* CreateMainMenuWindow() = 0;
    virtual GUIProfilesWindowBase* CreateProfilesWindow() = 0;
    virtual GUINewProfileWindowBase* CreateNewProfileWindow() = 0;
    virtual GUIRenameProfileWindowBase* CreateRenameProfileWindow() = 0;
    virtual GUIDeleteProfileWindowBase* CreateDeleteProfileWindow() = 0;
    virtual GUIProfileNameConflictWindowBase* CreateProfileNameConflictWindow() = 0;
    virtual GUIStartGameLogicWindowBase* CreateStartGameLogicWindow() = 0;
    virtual GUIContinueGameLogicWindowBase* CreateContinueGameLogicWindow() = 0;
    virtual GUIHighScoresWindowBase* CreateHighScoresWindow() = 0;
    virtual GUIOptionsWindowBase* CreateOptionsWindow() = 0;
    virtual GUIHelpWindowBase* CreateHelpWindow() = 0;
    virtual GUIGameLogicWindowBase* CreateGameLogicWindow() = 0;
    virtual GUIGameLogicPauseWindowBase* CreateGameLogicPauseWindow() = 0;
    virtual GUIGameLogicMenuWindowBase* CreateGameLogicMenuWindow() = 0;
    virtual GUIGameLogicMenuExitWindowBase* CreateGameLogicMenuExitWindow() = 0;
    virtual GUIGameLogicRestartWindowBase* CreateGameLogicRestartWindow() = 0;
    virtual GUIGameLogicGameExitWindowBase* CreateGameLogicGameExitWindow() = 0;
    virtual GUILevelCompleteWindowBase* CreateLevelCompleteWindow() = 0;
    virtual GUIStageCompleteWindowBase* CreateStageCompleteWindow() = 0;
    virtual GUIGameCompleteWindowBase* CreateGameCompleteWindow() = 0;
    virtual GUIGameOverWindowBase* CreateGameOverWindow() = 0;
    virtual GameTools::DataKeeper* CreateGameLogicData(const Stage& stage, const Level& level) = 0;
    virtual GameLogicBase* CreateGameLogic(const Stage& stage, const Level& level, int32_t carryOver) = 0;

    virtual LevelResult* CreateLevelResult();
    virtual void FillLevelResult(LevelResult* result);
    virtual void HandleConsoleCommands();
    virtual void ShowCheatBanner();
    virtual float GetDefaultMusicVolume();
    virtual float GetDefaultSoundVolume();
    virtual void ResetVideoMode();
    // The frame's answer to the focus leaving a level in play: the level
    // paused, the play screen inactive under the pause window (mode 1), the
    // music paused. It stays paused until the pause window resumes it.
    virtual void PauseLevelForFocusLoss();
    virtual void DispatchWindowEvents();
    virtual void ResetWindowEvents();
    virtual void UpdateWindows();
    virtual void HandleLogosWindow();
    virtual void HandleGameLoadingWindow();
    virtual void HandleWelcomeWindow();
    virtual void HandleExitWindow();
    virtual void HandleMainMenuWindow();
    virtual void HandleProfilesWindow();
    virtual void HandleGameLogicLoadingWindow();
    virtual void HandleNewProfileWindow();
    virtual void HandleRenameProfileWindow();
    virtual void HandleDeleteProfileWindow();
    virtual void HandleProfileNameConflictWindow();
    virtual void HandleStartGameLogicWindow();
    virtual void HandleContinueGameLogicWindow();
    virtual void HandleHighScoresWindow();
    virtual void HandleOptionsWindow();
    virtual void HandleHelpWindow();
    virtual void HandleGameLogicWindow();
    virtual void HandleGameLogicPauseWindow();
    virtual void HandleGameLogicMenuWindow();
    virtual void HandleGameLogicMenuExitWindow();
    virtual void HandleGameLogicRestartWindow();
    virtual void HandleGameLogicGameExitWindow();
    virtual void HandleGameLogicWon();
    virtual void ReturnToStartGameLogic();
    virtual void HandleGameLogicLost();
    virtual void HandleLevelCompleteWindow();
    virtual void HandleStageCompleteWindow();
    virtual void HandleGameCompleteWindow();
    virtual void HandleGameOverWindow();

    // "audio\<folder>\<name>.wav" when that file is in the data folder (on
    // disk or in a pack), else the same name with ".ogg".
    std::string GetAudioFileName(const std::string& folder, const std::string& name) const;
    // The main loop's end test: the engine's "exit" command is pending.
    bool IsExitRequested() const;

    KorvaneEngine::Engine* GetEngine() const { return engine; }
    SoundController* GetSoundController() const { return soundController; }
    LanguageManager* GetLanguageManager() const { return languageManager; }
    GUITools::GUIToolManager* GetGUIToolManager() const { return guiToolManager; }
    GameTools::DataKeeper* GetGameData() const { return gameData; }
    LevelManagerBase* GetLevelManager() const { return levelManager; }
    ProfileManagerBase* GetProfileManager() const { return profileManager; }
    HighScoresTable* GetHighScoresTable() const { return highScoresTable; }
    Tutorial* GetTutorial() const { return tutorial; }
    const std::string& GetUserDataFolder() const { return userDataFolder; }
    const std::string& GetRegistryKeyPath() const { return registryKeyPath; }
    const std::string& GetProgramDirectory() const { return programDirectory; }
    bool IsInitialised() const { return initialised; }
    bool IsPausedByFocusLoss() const { return pausedByFocusLoss; }
    // The language every language-dependent part is made for (the language
    // manager's; "en" before Init has made it).
    std::string GetLanguageCode() const;

    // The text that turns cheat mode on, and the control of each of its
    // distinct characters, in the order they are polled.
    static const char* const kAccessCode;
    struct AccessKey {
        char character;
        const char* control;
    };
    static const AccessKey kAccessKeys[];
    static const int kAccessKeyCount;

    // One step of typing the access code into buffer (the frame's typing
    // buffer): appends the character of the first of the code's controls that
    // went down this frame, keeps the typed text while it can still become the
    // code, and starts over otherwise. True in the frame the whole code has
    // been typed (the buffer is then empty again).
    static bool TypeAccessCode(const KorvaneEngine::Controls& controls, std::string& buffer);

protected:
    // Without focus: a level in play, not yet paused by the focus loss, with
    // no tutorial running and a pause window to resume it from.
    bool CanPauseLevelForFocusLoss() const;
    // The frame without focus: the level timer stopped, the window, display,
    // clock and sound kept alive, the music paused once, 100 ms asleep.
    void IdleWithoutFocus();

    // The window flow's steps.
    ProfileBase* CurrentProfile() const;
    // The level position of the level in play, (0, 0) without one.
    Level GameLogicPosition() const;
    // Hides from and shows to with the mode; nothing (false) when to is null.
    bool SwitchWindow(GUIFrameworkWindow* from, GUIFrameworkWindow* to, int32_t mode);
    // Hides the play screen and deletes the level in play.
    void EndLevel();
    // An in-game dialog over the play screen, which stops taking input, and
    // the level paused; and back.
    void PauseForWindow(GUIFrameworkWindow* overlay, int32_t mode);
    void ResumeFromWindow(GUIFrameworkWindow* overlay);
    // The start-game window's "play": the level of the current player's
    // position is loaded through the level-loading window.
    void StartLevel();
    void SetGameCursorVisible(bool visible);

    std::string companyName;
    std::string gameTitle;
    uint32_t version;
    std::string publisherName;
    std::string registryKeyPath;
    std::string programDirectory;
    std::string userDataFolder;
    KorvaneEngine::Engine* engine = nullptr;
    KorvaneEngine::TextureManager* textureManager = nullptr;
    KorvaneEngine::GUISoundManager* guiSoundManager = nullptr;
    LanguageManager* languageManager = nullptr;
    SoundController* soundController = nullptr;
    GUITools::GUIToolManager* guiToolManager = nullptr;
    GUITools::GUIFontTool* fontTool = nullptr;
    GUITools::GUITextTool* textTool = nullptr;
    GameTools::DataKeeper* gameData = nullptr;
    GameTools::DataKeeper* currentGameLogicData = nullptr;
    GameTools::DataKeeper* previousGameLogicData = nullptr;
    LevelManagerBase* levelManager = nullptr;
    ProfileManagerBase* profileManager = nullptr;
    HighScoresTable* highScoresTable = nullptr;
    Tutorial* tutorial = nullptr;
    GUIFrameworkWindow* auxiliaryWindow = nullptr;
    GUIGameCursorBase* gameCursor = nullptr;
    GUILogosWindowBase* logosWindow = nullptr;
    GUILoadingWindowBase* gameLoadingWindow = nullptr;
    GUILoadingWindowBase* gameLogicLoadingWindow = nullptr;
    GUIWelcomeWindowBase* welcomeWindow = nullptr;
    GUIExitWindowBase* exitWindow = nullptr;
    GUIMainMenuWindowBase* mainMenuWindow = nullptr;
    GUIProfilesWindowBase* profilesWindow = nullptr;
    GUINewProfileWindowBase* newProfileWindow = nullptr;
    GUIRenameProfileWindowBase* renameProfileWindow = nullptr;
    GUIDeleteProfileWindowBase* deleteProfileWindow = nullptr;
    GUIProfileNameConflictWindowBase* profileNameConflictWindow = nullptr;
    GUIStartGameLogicWindowBase* startGameLogicWindow = nullptr;
    GUIContinueGameLogicWindowBase* continueGameLogicWindow = nullptr;
    GUIHighScoresWindowBase* highScoresWindow = nullptr;
    GUIOptionsWindowBase* optionsWindow = nullptr;
    GUIHelpWindowBase* helpWindow = nullptr;
    GUIGameLogicWindowBase* gameLogicWindow = nullptr;
    GUIGameLogicPauseWindowBase* gameLogicPauseWindow = nullptr;
    GUIGameLogicMenuWindowBase* gameLogicMenuWindow = nullptr;
    GUIGameLogicMenuExitWindowBase* gameLogicMenuExitWindow = nullptr;
    GUIGameLogicRestartWindowBase* gameLogicRestartWindow = nullptr;
    GUIGameLogicGameExitWindowBase* gameLogicGameExitWindow = nullptr;
    GUILevelCompleteWindowBase* levelCompleteWindow = nullptr;
    GUIStageCompleteWindowBase* stageCompleteWindow = nullptr;
    GUIGameCompleteWindowBase* gameCompleteWindow = nullptr;
    GUIGameOverWindowBase* gameOverWindow = nullptr;
    GameLogicBase* gameLogic = nullptr;
    bool pausedByFocusLoss = false;
    // The level timer's paused state from before the focus went, given back
    // when it returns.
    bool logicPauseToRestore = false;
    uint32_t windowModeChangeFrames = 0;
    std::string accessCodeBuffer;
    // Storage of "d_show_statistics", read by the in-game window.
    bool showStatistics = false;
    // Set when Init has run to its end: only then may the exit save the .ini.
    bool initialised = false;
};

} // namespace GameFramework
