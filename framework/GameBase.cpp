#include "framework/GameBase.h"

#include "engine/foundation/EngineSettings.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/Paths.h"
#include "engine/foundation/StringUtils.h"
#include "engine/foundation/Window.h"
#include "engine/render/DataKeeper.h"
#include "engine/render/ShaderDescriptor.h"
#include "engine/render/Shader.h"
#include "framework/Engine.h"
#include "framework/GUIContinueGameLogicWindowBase.h"
#include "framework/GUIDeleteProfileWindowBase.h"
#include "framework/GUIExitWindowBase.h"
#include "framework/GUIFrameworkWindow.h"
#include "framework/GUIGameCompleteWindowBase.h"
#include "framework/GUIGameLogicGameExitWindowBase.h"
#include "framework/GUIGameLogicMenuExitWindowBase.h"
#include "framework/GUIGameLogicMenuWindowBase.h"
#include "framework/GUIGameLogicPauseWindowBase.h"
#include "framework/GUIGameLogicRestartWindowBase.h"
#include "framework/GUIGameLogicWindowBase.h"
#include "framework/GUIGameOverWindowBase.h"
#include "framework/GUIHelpWindowBase.h"
#include "framework/GUIHighScoresWindowBase.h"
#include "framework/GUILevelCompleteWindowBase.h"
#include "framework/GUILoadingWindowBase.h"
#include "framework/GUILogosWindowBase.h"
#include "framework/GUIMainMenuWindowBase.h"
#include "framework/GUINewProfileWindowBase.h"
#include "framework/GUIOptionsWindowBase.h"
#include "framework/GUIProfileNameConflictWindowBase.h"
#include "framework/GUIProfilesWindowBase.h"
#include "framework/GUIRenameProfileWindowBase.h"
#include "framework/GUIStageCompleteWindowBase.h"
#include "framework/GUIStartGameLogicWindowBase.h"
#include "framework/GUIWelcomeWindowBase.h"
#include "framework/GameLogicBase.h"
#include "framework/GUIGameCursorBase.h"
#include "framework/HighScoresTable.h"
#include "framework/LanguageManager.h"
#include "framework/LevelManagerBase.h"
#include "framework/ProfileManagerBase.h"
#include "framework/SoundController.h"
#include "framework/Tutorial.h"
#include "gui/Console.h"
#include "gui/GUIFontTool.h"
#include "gui/GUIManager.h"
#include "gui/GUIToolManager.h"
#include "gui/SpriteManager.h"
#include "gui/GUITextTool.h"

namespace GameFramework {

namespace {

const uint32_t kHighScoreCapacity = 10;

template <class T> void DeleteMember(T*& member)
{
    delete member;
    member = nullptr;
}

} // namespace

GameBase::GameBase(const std::string& companyName_, const std::string& gameTitle_, uint32_t version_,
                   const std::string& registryKeyPath_, const std::string& programDirectory_,
                   const std::string& publisherName_)
    : companyName(companyName_), gameTitle(gameTitle_), version(version_), publisherName(publisherName_),
      registryKeyPath(registryKeyPath_), programDirectory(programDirectory_)
{
    userDataFolder = KorvaneEngine::GetAppDataFolder() + "\\" + companyName + "\\" + gameTitle;
}

GameBase::~GameBase()
{
    // A level still in play goes before any window; the windows go in the
    // reverse of the flow's order.
    DeleteMember(gameLogic);
    DeleteMember(levelCompleteWindow);
    DeleteMember(stageCompleteWindow);
    DeleteMember(gameCompleteWindow);
    DeleteMember(gameOverWindow);
    DeleteMember(gameLogicGameExitWindow);
    DeleteMember(gameLogicRestartWindow);
    DeleteMember(gameLogicMenuExitWindow);
    DeleteMember(gameLogicMenuWindow);
    DeleteMember(gameLogicPauseWindow);
    DeleteMember(gameLogicWindow);
    DeleteMember(helpWindow);
    DeleteMember(optionsWindow);
    DeleteMember(highScoresWindow);
    DeleteMember(continueGameLogicWindow);
    DeleteMember(startGameLogicWindow);
    DeleteMember(profileNameConflictWindow);
    DeleteMember(profilesWindow);
    DeleteMember(newProfileWindow);
    DeleteMember(renameProfileWindow);
    DeleteMember(deleteProfileWindow);
    DeleteMember(mainMenuWindow);
    DeleteMember(exitWindow);
    DeleteMember(welcomeWindow);
    DeleteMember(gameLogicLoadingWindow);
    DeleteMember(gameLoadingWindow);
    DeleteMember(logosWindow);
    DeleteMember(gameCursor);
    DeleteMember(auxiliaryWindow);
    DeleteMember(tutorial);
    DeleteMember(highScoresTable);
    DeleteMember(profileManager);
    DeleteMember(levelManager);
    DeleteMember(gameData);
    DeleteMember(currentGameLogicData);
    DeleteMember(previousGameLogicData);
    delete GameTools::SpriteManager::Instance();
    DeleteMember(guiToolManager);
    fontTool = nullptr;
    textTool = nullptr;
    // It restores the keyboard layout it may have switched.
    DeleteMember(languageManager);
    // Unregisters the volumes, which the engine's exit save still writes.
    DeleteMember(soundController);
    if (engine && !initialised)
        engine->SetConfigSaveOnExit(false);
    DeleteMember(engine);
}

void GameBase::Init()
{
    KorvaneEngine::EngineSettings settings;
    FillEngineSettings(settings);
    engine = new KorvaneEngine::Engine(settings);
    textureManager = KorvaneEngine::ShaderManager::Instance()->GetTextureManager();
    guiSoundManager = KorvaneEngine::GUIManager::Instance()->GetSoundManager();
    languageManager = new LanguageManager(registryKeyPath);
    userDataFolder += "\\" + publisherName;
    RegisterConsoleCommands();
    guiToolManager = new GUITools::GUIToolManager(GetLanguageCode());
    fontTool = guiToolManager->GetFontTool();
    textTool = guiToolManager->GetTextTool();
    new GameTools::SpriteManager();
    if (textTool)
        KorvaneEngine::Window::Instance()->SetTitle(KorvaneEngine::WideToNarrow(textTool->GetText("game_title")));
    SetupGUIResolution();
    CreateConsole();
    // The console starts disabled: its key does nothing until the access code
    // is typed.
    if (KorvaneEngine::Console* console = KorvaneEngine::Console::Instance())
        console->SetEnabled(false);
    soundController = new SoundController(GetDefaultMusicVolume(), GetDefaultSoundVolume());
    levelManager = CreateLevelManager();
    profileManager = CreateProfileManager();
    highScoresTable = new HighScoresTable(kHighScoreCapacity, userDataFolder);
    tutorial = new Tutorial(profileManager);
    gameData = CreateGameData();
    if (gameData) {
        gameData->LoadResourceFile("data\\ui\\resources_basic.xml", true);
        gameData->LoadResourceFile("data\\ui\\resources_additional.xml", false);
    }
    gameCursor = CreateGameCursor();
    logosWindow = CreateLogosWindow();
    gameLoadingWindow = CreateGameLoadingWindow();
    RegisterSounds();
    if (logosWindow)
        logosWindow->Show(1);
    initialised = true;
}

std::string GameBase::GetLanguageCode() const
{
    return languageManager ? languageManager->GetLanguage()->code : std::string("en");
}

void GameBase::FillEngineSettings(KorvaneEngine::EngineSettings& s)
{
    s.name = gameTitle;
    s.version = version;
    s.baseDirectory = programDirectory;
    s.saveConfigOnExit = true;
    s.configName = gameTitle;
    s.logEnabled = true;
    s.logReopenPerMessage = false;
    s.logDirectory = userDataFolder;
    s.logFileName = gameTitle;
    s.configDirectory = userDataFolder;
    s.usePacks = true;
    s.dataDirectory = "data";
    s.packCacheLimit = 16u * 1024u * 1024u;
    s.hostWindow = nullptr;
    s.iconId = 0;
    s.overrideVideoMode = false;
    s.videoMode = "1024x768x32";
    s.overrideFullscreen = false;
    s.fullscreenDefault = true;
    s.allowAnyWindowSize = false;
    s.useStencil = false;
    s.centreWindow = true;
    s.windowPosition = KorvaneEngine::Vector2i(0, 0);
    s.use3D = false;
}

void GameBase::SetupGUIResolution()
{
    // The GUI is laid out for 800 x 600 and scaled to the display.
    KorvaneEngine::GUIManager::Instance()->SetScreenSize(800.0f, 600.0f);
}

void GameBase::CreateConsole()
{
    // The game's look: the console picture with its own alpha, the "console"
    // font, cursor "_", prompt "]", separator "^", key "~", alpha 0.95, 308
    // units deep, 1000 units a second.
    engine->CreateConsole(engine->GetWindowTitle(), KorvaneEngine::ShaderDescriptor(true, "ui\\console\\console.jpg",
        "32bit", true), fontTool ? fontTool->GetFontId("console") : -1, 95, 93, 94, "~", 0.95f, 308.0f, 1000.0f);
}

void GameBase::RegisterSounds() {}

void GameBase::CreateWindows()
{
    gameLogicLoadingWindow = CreateGameLogicLoadingWindow();
    auxiliaryWindow = CreateAuxiliaryWindow();
    welcomeWindow = CreateWelcomeWindow();
    exitWindow = CreateExitWindow();
    mainMenuWindow = CreateMainMenuWindow();
    profilesWindow = CreateProfilesWindow();
    newProfileWindow = CreateNewProfileWindow();
    renameProfileWindow = CreateRenameProfileWindow();
    deleteProfileWindow = CreateDeleteProfileWindow();
    profileNameConflictWindow = CreateProfileNameConflictWindow();
    startGameLogicWindow = CreateStartGameLogicWindow();
    continueGameLogicWindow = CreateContinueGameLogicWindow();
    highScoresWindow = CreateHighScoresWindow();
    optionsWindow = CreateOptionsWindow();
    helpWindow = CreateHelpWindow();
    gameLogicWindow = CreateGameLogicWindow();
    gameLogicPauseWindow = CreateGameLogicPauseWindow();
    gameLogicMenuWindow = CreateGameLogicMenuWindow();
    gameLogicMenuExitWindow = CreateGameLogicMenuExitWindow();
    gameLogicRestartWindow = CreateGameLogicRestartWindow();
    gameLogicGameExitWindow = CreateGameLogicGameExitWindow();
    levelCompleteWindow = CreateLevelCompleteWindow();
    stageCompleteWindow = CreateStageCompleteWindow();
    gameCompleteWindow = CreateGameCompleteWindow();
    gameOverWindow = CreateGameOverWindow();
}

float GameBase::GetDefaultMusicVolume() { return 1.0f; }
float GameBase::GetDefaultSoundVolume() { return 1.0f; }

std::string GameBase::GetAudioFileName(const std::string& folder, const std::string& name) const
{
    const std::string base = "audio\\" + folder + "\\" + name + ".";
    KorvaneEngine::FileManager* files = KorvaneEngine::FileManager::Instance();
    if (files && files->FileExists("data\\" + base + "wav"))
        return base + "wav";
    return base + "ogg";
}

bool GameBase::IsExitRequested() const { return engine && engine->IsExitRequested(); }

} // namespace GameFramework
