#include "framework/GameBase.h"

#include <windows.h>

#include "engine/audio_input/Controls.h"
#include "engine/audio_input/SoundManager.h"
#include "engine/foundation/Config.h"
#include "engine/foundation/EngineSettings.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/Paths.h"
#include "engine/foundation/StringUtils.h"
#include "engine/foundation/TimerManager.h"
#include "engine/foundation/Window.h"
#include "engine/render/DataKeeper.h"
#include "engine/render/ModelManager.h"
#include "engine/render/RenderSystem.h"
#include "engine/render/ShaderDescriptor.h"
#include "engine/render/Shader.h"
#include "engine/render/Texture2D.h"
#include "engine/render/TextureManager.h"
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
#include "framework/Level.h"
#include "framework/LevelResult.h"
#include "framework/ProfileBase.h"
#include "framework/Stage.h"
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

using KorvaneEngine::Config;

namespace {

const uint32_t kHighScoreCapacity = 10;
// Focus loss and display resets pause the music at once; it comes back
// fading in at this speed.
const float kFocusFadeSpeed = 0.5f;
// Without focus a pass only keeps the window, display and sound alive.
const DWORD kUnfocusedSleepMs = 100;
// A switch between window and full screen takes effect this many frames after
// it was asked for, so the frame that asked has been drawn in the old mode.
const uint32_t kModeChangeDelayFrames = 2;

template <class T> void DeleteMember(T*& member)
{
    delete member;
    member = nullptr;
}

} // namespace

const char* const GameBase::kAccessCode = "my own trick";
const GameBase::AccessKey GameBase::kAccessKeys[] = {
    {'m', "M"}, {'y', "Y"}, {' ', "SPACE"}, {'o', "O"}, {'w', "W"}, {'n', "N"},
    {'t', "T"}, {'r', "R"}, {'i', "I"}, {'c', "C"}, {'k', "K"},
};
const int GameBase::kAccessKeyCount = sizeof kAccessKeys / sizeof kAccessKeys[0];

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

void GameBase::RegisterConsoleCommands()
{
    Config* config = Config::Instance();
    const char* const commandsBefore[] = {"d_get_used_video_memory_size", "d_get_manages_occupation",
                                          "d_get_loaded_textures"};
    for (const char* name : commandsBefore)
        config->Register(name, KorvaneEngine::kConfigCommand, false, false, nullptr, "", false);
    config->Register("d_show_statistics", KorvaneEngine::kConfigBool, false, true, &showStatistics, "0", false);
    // Registered here, not only issued: an unknown command reads as pending,
    // and the frame would check the display mode every frame.
    const char* const commandsAfter[] = {"g_update_video_mode", "g_open_map", "g_reset_map", "g_disable_cheats"};
    for (const char* name : commandsAfter)
        config->Register(name, KorvaneEngine::kConfigCommand, false, false, nullptr, "", false);
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

LevelResult* GameBase::CreateLevelResult() { return new LevelResult(); }

void GameBase::FillLevelResult(LevelResult* result)
{
    ProfileBase* profile = CurrentProfile();
    if (!result || !profile || !gameLogic)
        return;
    result->playValue = profile->GetPlayValue();
    const Level position = GameLogicPosition();
    result->stageIndex = position.stageIndex;
    result->levelIndex = position.levelIndex;
    result->time = gameLogic->GetTime();
}
void GameBase::HandleConsoleCommands()
{
    Config* config = Config::Instance();
    if (!config)
        return;
    // A command typed in the console is pending until handled here; twice
    // before a frame is still one action.
    auto issued = [config](const char* name) {
        if (config->IsCommandDone(name))
            return false;
        config->SetCommandDone(name, true);
        return true;
    };
    KorvaneEngine::MessageManager* log = KorvaneEngine::MessageManager::Instance();
    auto print = [log](const std::string& line) {
        if (log)
            log->LogMessage(line);
    };
    using KorvaneEngine::UnsignedToString;

    if (issued("d_get_used_video_memory_size")) {
        const uint32_t bytes = textureManager ? textureManager->GetUsedMemory() : 0;
        print("Video Memory Used: " + KorvaneEngine::FloatToString(bytes / 1048576.0f, 2) + " Mb");
    }
    if (issued("d_get_manages_occupation")) {
        const KorvaneEngine::ShaderManager* shaders = KorvaneEngine::ShaderManager::Instance();
        const KorvaneEngine::ModelManager* models = KorvaneEngine::ModelManager::Instance();
        // Without a sound device there is no sound manager to ask.
        const KorvaneEngine::SoundManager* sounds = KorvaneEngine::SoundManager::Instance();
        print("Shader users count: " + UnsignedToString(shaders ? shaders->GetUserCount() : 0));
        print("Shaders count: " + UnsignedToString(shaders ? shaders->GetShaderCount() : 0));
        print("Textures count: " + UnsignedToString(textureManager ? textureManager->GetTextureCount() : 0));
        print("Models count: " + UnsignedToString(models ? models->GetModelCount() : 0));
        print("Sounds count: " + UnsignedToString(sounds ? sounds->GetSoundCount() : 0));
    }
    if (issued("d_get_loaded_textures") && textureManager) {
        std::vector<KorvaneEngine::Texture2D*> textures;
        textureManager->GetTextures(textures);
        for (size_t i = 0; i < textures.size(); ++i)
            print("Texture " + UnsignedToString(static_cast<uint32_t>(i)) + ": " + textures[i]->GetName() +
                  " (used memory: " + UnsignedToString(textures[i]->GetMemorySize()) + ")");
    }
    ProfileBase* profile = profileManager ? profileManager->GetCurrentProfile() : nullptr;
    if (issued("g_open_map") && profile && levelManager) {
        // Every level open: the last one reached. Without a last level there
        // is nothing to open, and the profile keeps what it has.
        const uint32_t stages = levelManager->GetStageCount();
        const uint32_t levels = stages ? levelManager->GetLevelCount(stages - 1) : 0;
        if (levels == 0) {
            if (log)
                log->LogError("g_open_map: the level list has no last level to open");
        } else {
            profile->SetReachedPosition(Level(stages - 1, levels - 1), false);
            profile->SetCurrentPosition(Level(0, 0));
            profile->Save();
        }
    }
    if (issued("g_reset_map") && profile) {
        profile->SetReachedPosition(Level(0, 0), false);
        profile->SetCurrentPosition(Level(0, 0));
        profile->Save();
        profile->Reset();
        profile->SetSavedGame(false);
        profile->Save();
    }
    if (issued("g_disable_cheats"))
        if (KorvaneEngine::Console* console = KorvaneEngine::Console::Instance())
            console->SetEnabled(false);
}

void GameBase::ShowCheatBanner()
{
    KorvaneEngine::MessageManager* log = KorvaneEngine::MessageManager::Instance();
    if (!log)
        return;
    const char* const lines[] = {
        "",
        "---------------------------------------",
        "- CHEAT MODE ON",
        "---------------------------------------",
        "- Key \"~\" - toggle console",
        "- Console command \"g_disable_cheats\" - cheat mode off",
    };
    for (const char* line : lines)
        log->LogNotice(line);
}
float GameBase::GetDefaultMusicVolume() { return 1.0f; }
float GameBase::GetDefaultSoundVolume() { return 1.0f; }

void GameBase::ResetVideoMode()
{
    // Textures come back on first use: only the device is rebuilt.
    KorvaneEngine::RenderSystem::Instance()->ResetDevice(1);
}

// ---- window events and the window flow ----

ProfileBase* GameBase::CurrentProfile() const { return profileManager ? profileManager->GetCurrentProfile() : nullptr; }

Level GameBase::GameLogicPosition() const
{
    return gameLogic && gameLogic->GetLevel() ? *gameLogic->GetLevel() : Level();
}

bool GameBase::SwitchWindow(GUIFrameworkWindow* from, GUIFrameworkWindow* to, int32_t mode)
{
    // Without the next screen the current one stays as it is.
    if (!to)
        return false;
    if (from)
        from->Hide();
    to->Show(mode);
    return true;
}

void GameBase::EndLevel()
{
    if (gameLogicWindow)
        gameLogicWindow->Hide();
    DeleteMember(gameLogic);
}

void GameBase::PauseForWindow(GUIFrameworkWindow* overlay, int32_t mode)
{
    if (!overlay)
        return;
    if (gameLogicWindow)
        gameLogicWindow->SetActive(false);
    overlay->Show(mode);
    if (gameLogic)
        gameLogic->SetPaused(true);
}

void GameBase::ResumeFromWindow(GUIFrameworkWindow* overlay)
{
    overlay->Hide();
    if (gameLogicWindow)
        gameLogicWindow->SetActive(true);
    if (gameLogic)
        gameLogic->SetPaused(false);
}

void GameBase::DispatchWindowEvents()
{
    if (logosWindow)
        HandleLogosWindow();
    if (gameLoadingWindow)
        HandleGameLoadingWindow();
    if (welcomeWindow)
        HandleWelcomeWindow();
    if (exitWindow)
        HandleExitWindow();
    if (mainMenuWindow)
        HandleMainMenuWindow();
    if (profilesWindow)
        HandleProfilesWindow();
    if (gameLogicLoadingWindow)
        HandleGameLogicLoadingWindow();
    if (newProfileWindow)
        HandleNewProfileWindow();
    if (renameProfileWindow)
        HandleRenameProfileWindow();
    if (deleteProfileWindow)
        HandleDeleteProfileWindow();
    if (profileNameConflictWindow)
        HandleProfileNameConflictWindow();
    if (startGameLogicWindow)
        HandleStartGameLogicWindow();
    if (continueGameLogicWindow)
        HandleContinueGameLogicWindow();
    if (highScoresWindow)
        HandleHighScoresWindow();
    if (optionsWindow)
        HandleOptionsWindow();
    if (helpWindow)
        HandleHelpWindow();
    if (gameLogicWindow)
        HandleGameLogicWindow();
    if (gameLogicPauseWindow)
        HandleGameLogicPauseWindow();
    if (gameLogicMenuWindow)
        HandleGameLogicMenuWindow();
    if (gameLogicMenuExitWindow)
        HandleGameLogicMenuExitWindow();
    if (gameLogicRestartWindow)
        HandleGameLogicRestartWindow();
    if (gameLogicGameExitWindow)
        HandleGameLogicGameExitWindow();
    if (gameLogic && gameLogic->IsStateChanged()) {
        if (gameLogic->GetState() == GameLogicBase::kWon)
            HandleGameLogicWon();
        else if (gameLogic->GetState() == GameLogicBase::kLost)
            HandleGameLogicLost();
    }
    if (levelCompleteWindow)
        HandleLevelCompleteWindow();
    if (stageCompleteWindow)
        HandleStageCompleteWindow();
    if (gameCompleteWindow)
        HandleGameCompleteWindow();
    if (gameOverWindow)
        HandleGameOverWindow();
}

void GameBase::ResetWindowEvents()
{
    GUIFrameworkWindow* const windows[] = {
        logosWindow, gameLoadingWindow, gameLogicLoadingWindow, welcomeWindow, exitWindow, mainMenuWindow,
        profilesWindow, newProfileWindow, renameProfileWindow, deleteProfileWindow, profileNameConflictWindow,
        startGameLogicWindow, continueGameLogicWindow, highScoresWindow, optionsWindow, helpWindow, gameLogicWindow,
        gameLogicPauseWindow, gameLogicMenuWindow, gameLogicMenuExitWindow, gameLogicRestartWindow,
        gameLogicGameExitWindow, levelCompleteWindow, stageCompleteWindow, gameCompleteWindow, gameOverWindow};
    for (GUIFrameworkWindow* w : windows) {
        if (!w)
            continue;
        if (w->IsHandled())
            w->SetEventCode(0);
        w->SetHandled(true);
    }
    if (gameLogic)
        gameLogic->ClearStateChanged();
}

void GameBase::UpdateWindows()
{
    if (tutorial)
        tutorial->Update();
    GUIFrameworkWindow* const before[] = {
        auxiliaryWindow, logosWindow, gameLoadingWindow, welcomeWindow, exitWindow, mainMenuWindow, profilesWindow,
        newProfileWindow, renameProfileWindow, deleteProfileWindow, profileNameConflictWindow, gameLogicLoadingWindow,
        startGameLogicWindow, continueGameLogicWindow, highScoresWindow, optionsWindow, helpWindow, gameLogicWindow,
        gameLogicPauseWindow, gameLogicMenuWindow, gameLogicMenuExitWindow, gameLogicRestartWindow,
        gameLogicGameExitWindow};
    for (GUIFrameworkWindow* w : before)
        if (w)
            w->Update();
    if (gameLogic)
        gameLogic->Update();
    GUIFrameworkWindow* const after[] = {levelCompleteWindow, stageCompleteWindow, gameCompleteWindow, gameOverWindow};
    for (GUIFrameworkWindow* w : after)
        if (w)
            w->Update();
}

void GameBase::HandleLogosWindow()
{
    if (logosWindow->GetEventCode() == 1 && gameLoadingWindow) {
        logosWindow->Hide();
        gameLoadingWindow->ShowWithData(2, gameData);
    }
}

void GameBase::HandleGameLoadingWindow()
{
    if (gameLoadingWindow->GetEventCode() != 1)
        return;
    gameLoadingWindow->Hide();
    if (fontTool)
        fontTool->LoadAdditionalFonts();
    CreateWindows();
    const bool noPlayer = !profileManager || profileManager->GetProfiles().empty();
    GUIFrameworkWindow* next = noPlayer ? static_cast<GUIFrameworkWindow*>(welcomeWindow) : mainMenuWindow;
    if (next)
        next->Show(3);
    SetGameCursorVisible(true);
}

void GameBase::HandleWelcomeWindow()
{
    switch (welcomeWindow->GetEventCode()) {
    case 3:
        SwitchWindow(welcomeWindow, mainMenuWindow, 4);
        break;
    case 4:
        SwitchWindow(welcomeWindow, exitWindow, 4);
        break;
    }
}

void GameBase::HandleExitWindow()
{
    switch (exitWindow->GetEventCode()) {
    case 2:
        SwitchWindow(exitWindow, welcomeWindow, 5);
        break;
    case 3:
        SwitchWindow(exitWindow, mainMenuWindow, 5);
        break;
    case 6:
        if (newProfileWindow) {
            exitWindow->Hide();
            newProfileWindow->ShowWithReset(5, false);
        }
        break;
    case 23:
        if (engine)
            engine->RequestExit();
        break;
    }
}

void GameBase::HandleMainMenuWindow()
{
    switch (mainMenuWindow->GetEventCode()) {
    case 5:
        SwitchWindow(mainMenuWindow, profilesWindow, 6);
        break;
    case 24: {
        ProfileBase* profile = CurrentProfile();
        if (profile && profile->HasSavedGame()) {
            SwitchWindow(mainMenuWindow, continueGameLogicWindow, 6);
        } else if (startGameLogicWindow) {
            mainMenuWindow->Hide();
            if (profile)
                profile->Reset();
            startGameLogicWindow->Show(6);
        }
        break;
    }
    case 10:
        if (highScoresWindow) {
            mainMenuWindow->Hide();
            highScoresWindow->ShowWithEntry(6, nullptr);
        }
        break;
    case 11:
        SwitchWindow(mainMenuWindow, optionsWindow, 6);
        break;
    case 12:
        SwitchWindow(mainMenuWindow, helpWindow, 6);
        break;
    case 4:
        SwitchWindow(mainMenuWindow, exitWindow, 6);
        break;
    }
}

void GameBase::HandleProfilesWindow()
{
    switch (profilesWindow->GetEventCode()) {
    case 6:
        if (newProfileWindow) {
            profilesWindow->Hide();
            newProfileWindow->ShowWithReset(10, true);
        }
        break;
    case 7:
        if (renameProfileWindow) {
            profilesWindow->Hide();
            renameProfileWindow->ShowWithProfileName(10, true, profilesWindow->GetProfileName());
        }
        break;
    case 8:
        if (deleteProfileWindow) {
            profilesWindow->Hide();
            deleteProfileWindow->ShowWithProfileName(10, profilesWindow->GetProfileName());
        }
        break;
    case 3:
        SwitchWindow(profilesWindow, mainMenuWindow, 10);
        break;
    }
}

void GameBase::HandleGameLogicLoadingWindow()
{
    if (gameLogicLoadingWindow->GetEventCode() != 1 || !gameLogicWindow)
        return;
    ProfileBase* profile = CurrentProfile();
    const Level position = profile ? profile->GetCurrentPosition() : Level();
    Stage* stage = levelManager ? levelManager->GetStageAt(position.stageIndex) : nullptr;
    Level* level = levelManager ? levelManager->GetLevel(position) : nullptr;
    if (!stage || !level) {
        KorvaneEngine::LogErrorIfOpen("(GameBase::HandleGameLogicLoadingWindow): level " + std::to_string(position.stageIndex) + "-" +
                       std::to_string(position.levelIndex) + " is not in the levels file");
        return;
    }
    gameLogicLoadingWindow->Hide();
    SetGameCursorVisible(true);
    DeleteMember(gameLogic);
    gameLogic = CreateGameLogic(*stage, *level, static_cast<int32_t>(profile->GetCarryOverValue()));
    gameLogicWindow->ShowWithGameLogic(16, gameLogic);
}

void GameBase::HandleNewProfileWindow()
{
    switch (newProfileWindow->GetEventCode()) {
    case 9:
        SwitchWindow(newProfileWindow, profileNameConflictWindow, 11);
        break;
    case 5:
        SwitchWindow(newProfileWindow, profilesWindow, 11);
        break;
    case 4:
        SwitchWindow(newProfileWindow, exitWindow, 11);
        break;
    }
}

void GameBase::HandleRenameProfileWindow()
{
    switch (renameProfileWindow->GetEventCode()) {
    case 9:
        SwitchWindow(renameProfileWindow, profileNameConflictWindow, 12);
        break;
    case 5:
        SwitchWindow(renameProfileWindow, profilesWindow, 12);
        break;
    }
}

void GameBase::HandleDeleteProfileWindow()
{
    switch (deleteProfileWindow->GetEventCode()) {
    case 5:
        SwitchWindow(deleteProfileWindow, profilesWindow, 13);
        break;
    case 6:
        if (newProfileWindow) {
            deleteProfileWindow->Hide();
            newProfileWindow->ShowWithReset(13, true);
        }
        break;
    }
}

void GameBase::HandleProfileNameConflictWindow()
{
    switch (profileNameConflictWindow->GetEventCode()) {
    case 6:
        if (newProfileWindow) {
            profileNameConflictWindow->Hide();
            newProfileWindow->ShowWithReset(14, false);
        }
        break;
    case 7:
        if (renameProfileWindow) {
            profileNameConflictWindow->Hide();
            renameProfileWindow->ShowWithProfileName(14, false, std::wstring());
        }
        break;
    }
}

void GameBase::HandleStartGameLogicWindow()
{
    switch (startGameLogicWindow->GetEventCode()) {
    case 3:
        SwitchWindow(startGameLogicWindow, mainMenuWindow, 15);
        break;
    case 24:
        StartLevel();
        break;
    }
}

void GameBase::StartLevel()
{
    ProfileBase* profile = CurrentProfile();
    if (!gameLogicLoadingWindow || !levelManager || !profile)
        return;
    if (levelManager->GetStageCount() == 0) {
        KorvaneEngine::LogErrorIfOpen("(GameBase::StartLevel): the levels file holds no level to play");
        return;
    }
    Level position = profile->GetCurrentPosition();
    if (!levelManager->IsValidPosition(position)) {
        // Levels removed since the profile was saved: from the beginning.
        if (KorvaneEngine::MessageManager* log = KorvaneEngine::MessageManager::Instance())
            log->LogWarning("Profile \"" + profile->GetFileName() + "\": level " +
                            std::to_string(position.stageIndex) + "-" + std::to_string(position.levelIndex) +
                            " is not in the levels file, the game goes on from the first level");
        position = Level(0, 0);
        profile->SetCurrentPosition(position);
        profile->Save();
    }
    Stage* stage = levelManager->GetStageAt(position.stageIndex);
    Level* level = levelManager->GetLevel(position);
    if (!stage || !level)
        return;

    DeleteMember(previousGameLogicData);
    previousGameLogicData = currentGameLogicData;
    currentGameLogicData = CreateGameLogicData(*stage, *level);
    std::vector<std::string> resourceFiles;
    levelManager->GetStage(position, &resourceFiles);
    if (currentGameLogicData)
        for (const std::string& file : resourceFiles)
            currentGameLogicData->LoadResourceFile(file, false);
    startGameLogicWindow->Hide();
    gameLogicLoadingWindow->ShowWithData(15, currentGameLogicData);
}

void GameBase::HandleContinueGameLogicWindow()
{
    switch (continueGameLogicWindow->GetEventCode()) {
    case 14:
        SwitchWindow(continueGameLogicWindow, startGameLogicWindow, 21);
        break;
    case 13:
        if (startGameLogicWindow) {
            if (ProfileBase* profile = CurrentProfile()) {
                profile->SetSavedGame(false);
                profile->Save();
                profile->Reset();
            }
            SwitchWindow(continueGameLogicWindow, startGameLogicWindow, 21);
        }
        break;
    case 3:
        SwitchWindow(continueGameLogicWindow, mainMenuWindow, 21);
        break;
    }
}

void GameBase::HandleHighScoresWindow()
{
    if (highScoresWindow->GetEventCode() == 3)
        SwitchWindow(highScoresWindow, mainMenuWindow, 7);
}

void GameBase::HandleOptionsWindow()
{
    if (optionsWindow->GetEventCode() == 3)
        SwitchWindow(optionsWindow, mainMenuWindow, 8);
}

void GameBase::HandleHelpWindow()
{
    if (helpWindow->GetEventCode() == 3)
        SwitchWindow(helpWindow, mainMenuWindow, 9);
}

void GameBase::HandleGameLogicWindow()
{
    // The play screen stays visible under the overlay.
    switch (gameLogicWindow->GetEventCode()) {
    case 16:
        PauseForWindow(gameLogicMenuWindow, 17);
        break;
    case 15:
        PauseForWindow(gameLogicPauseWindow, 17);
        break;
    case 4:
        PauseForWindow(gameLogicGameExitWindow, 17);
        break;
    }
}

void GameBase::HandleGameLogicPauseWindow()
{
    if (gameLogicPauseWindow->GetEventCode() == 19)
        ResumeFromWindow(gameLogicPauseWindow);
}

void GameBase::HandleGameLogicMenuWindow()
{
    switch (gameLogicMenuWindow->GetEventCode()) {
    case 19:
        ResumeFromWindow(gameLogicMenuWindow);
        break;
    case 18:
        SwitchWindow(gameLogicMenuWindow, gameLogicMenuExitWindow, 18);
        break;
    case 17:
        SwitchWindow(gameLogicMenuWindow, gameLogicRestartWindow, 18);
        break;
    }
}

void GameBase::HandleGameLogicMenuExitWindow()
{
    switch (gameLogicMenuExitWindow->GetEventCode()) {
    case 16:
        SwitchWindow(gameLogicMenuExitWindow, gameLogicMenuWindow, 20);
        break;
    case 3:
        if (mainMenuWindow) {
            gameLogicMenuExitWindow->Hide();
            EndLevel();
            mainMenuWindow->Show(20);
        }
        break;
    }
}

void GameBase::HandleGameLogicRestartWindow()
{
    switch (gameLogicRestartWindow->GetEventCode()) {
    case 16:
        SwitchWindow(gameLogicRestartWindow, gameLogicMenuWindow, 19);
        break;
    case 20:
        SwitchWindow(gameLogicRestartWindow, gameOverWindow, 19);
        break;
    case 13:
        if (startGameLogicWindow) {
            gameLogicRestartWindow->Hide();
            EndLevel();
            startGameLogicWindow->Show(19);
        }
        break;
    }
}

void GameBase::HandleGameLogicGameExitWindow()
{
    switch (gameLogicGameExitWindow->GetEventCode()) {
    case 19:
        ResumeFromWindow(gameLogicGameExitWindow);
        break;
    case 23:
        if (engine)
            engine->RequestExit();
        break;
    }
}

void GameBase::HandleGameLogicWon()
{
    if (gameLogicWindow)
        gameLogicWindow->SetActive(false);
    ProfileBase* profile = CurrentProfile();
    if (!profile || !levelManager)
        return;
    const Level old = GameLogicPosition();
    const Level next = levelManager->NextPosition(old);
    const bool last = next == old;
    profile->SetCurrentPosition(next);
    profile->Save();
    profile->SetReachedPosition(next, last);
    profile->SetCarryOverValue(static_cast<uint32_t>(gameLogic->GetCarryOver()));
    profile->SetTotalScore(profile->GetTotalScore() + static_cast<uint32_t>(gameLogic->GetScore()));
    gameLogic->SetScore(0);
    profile->SetSavedGame(!last);
    profile->Save();
    profileManager->AddRecord(old, profile->GetDisplayName(), profile->GetPlayValue(), gameLogic->GetTime());
    LevelResult* result = CreateLevelResult();
    FillLevelResult(result);
    if (result)
        profile->AddLevelResult(result);
    if (levelCompleteWindow)
        levelCompleteWindow->ShowWithResult(17, old, gameLogic->GetTime());
}

void GameBase::ReturnToStartGameLogic()
{
    ProfileBase* profile = CurrentProfile();
    if (profile && gameLogic && levelManager) {
        const Level at = GameLogicPosition();
        Level back = at;
        if (at.levelIndex > 0) {
            back.levelIndex = at.levelIndex - 1;
        } else if (at.stageIndex > 0) {
            back.stageIndex = at.stageIndex - 1;
            const uint32_t count = levelManager->GetLevelCount(back.stageIndex);
            back.levelIndex = count > 0 ? count - 1 : 0;
        }
        profile->SetCurrentPosition(back);
        profile->Save();
    }
    EndLevel();
    if (startGameLogicWindow)
        startGameLogicWindow->Show(6);
}

void GameBase::HandleGameLogicLost()
{
    if (gameLogicWindow)
        gameLogicWindow->SetActive(false);
    if (ProfileBase* profile = CurrentProfile()) {
        profile->SetSavedGame(false);
        profile->Save();
    }
    if (gameOverWindow)
        gameOverWindow->Show(17);
}

void GameBase::HandleLevelCompleteWindow()
{
    switch (levelCompleteWindow->GetEventCode()) {
    case 13:
        if (startGameLogicWindow) {
            levelCompleteWindow->Hide();
            EndLevel();
            startGameLogicWindow->Show(22);
        }
        break;
    case 21:
        if (stageCompleteWindow) {
            levelCompleteWindow->Hide();
            stageCompleteWindow->ShowWithPosition(22, GameLogicPosition());
        }
        break;
    }
}

void GameBase::HandleStageCompleteWindow()
{
    switch (stageCompleteWindow->GetEventCode()) {
    case 13:
        if (startGameLogicWindow) {
            stageCompleteWindow->Hide();
            EndLevel();
            startGameLogicWindow->Show(23);
        }
        break;
    case 22:
        if (gameCompleteWindow) {
            stageCompleteWindow->Hide();
            EndLevel();
            gameCompleteWindow->Show(23);
        }
        break;
    }
}

void GameBase::HandleGameCompleteWindow()
{
    if (gameCompleteWindow->GetEventCode() != 1)
        return;
    ProfileBase* profile = CurrentProfile();
    const uint32_t total = profile ? profile->GetTotalScore() : 0;
    if (total == 0 || !highScoresTable || !highScoresWindow) {
        SwitchWindow(gameCompleteWindow, mainMenuWindow, 24);
        return;
    }
    gameCompleteWindow->Hide();
    HighScoreEntry* entry = highScoresTable->AddScore(profile->GetDisplayName(), profile->GetPlayValue(), total);
    highScoresWindow->ShowWithEntry(24, entry);
}

void GameBase::HandleGameOverWindow()
{
    switch (gameOverWindow->GetEventCode()) {
    case 1: {
        ProfileBase* profile = CurrentProfile();
        const int64_t score =
            static_cast<int64_t>(profile ? profile->GetTotalScore() : 0) + (gameLogic ? gameLogic->GetScore() : 0);
        if (score <= 0 || !profile || !highScoresTable || !highScoresWindow) {
            if (!SwitchWindow(gameOverWindow, mainMenuWindow, 25))
                return;
        } else {
            gameOverWindow->Hide();
            const uint32_t points = score > 0xFFFFFFFFll ? 0xFFFFFFFFu : static_cast<uint32_t>(score);
            HighScoreEntry* entry = highScoresTable->AddScore(profile->GetDisplayName(), profile->GetPlayValue(), points);
            highScoresWindow->ShowWithEntry(25, entry);
        }
        EndLevel();
        break;
    }
    case 17:
        SwitchWindow(gameOverWindow, gameLogicRestartWindow, 25);
        break;
    }
}

void GameBase::SetGameCursorVisible(bool visible)
{
    if (gameCursor)
        gameCursor->SetVisible(visible);
}


std::string GameBase::GetAudioFileName(const std::string& folder, const std::string& name) const
{
    const std::string base = "audio\\" + folder + "\\" + name + ".";
    KorvaneEngine::FileManager* files = KorvaneEngine::FileManager::Instance();
    if (files && files->FileExists("data\\" + base + "wav"))
        return base + "wav";
    return base + "ogg";
}

bool GameBase::IsExitRequested() const { return engine && engine->IsExitRequested(); }

bool GameBase::TypeAccessCode(const KorvaneEngine::Controls& controls, std::string& buffer)
{
    const std::string code = kAccessCode;
    char typed = 0;
    for (int i = 0; i < kAccessKeyCount && !typed; ++i)
        if (controls.IsPressed(kAccessKeys[i].control))
            typed = kAccessKeys[i].character;
    if (!typed)
        return false;
    buffer += typed;
    if (buffer == code) {
        buffer.clear();
        return true;
    }
    // Still on the way to the code: it starts with the code's first character
    // and is part of the code.
    if (buffer[0] == code[0] && code.find(buffer) != std::string::npos)
        return false;
    // A wrong character; the code's first one starts a new attempt at once.
    buffer = typed == code[0] ? std::string(1, typed) : std::string();
    return false;
}

void GameBase::Update()
{
    KorvaneEngine::Window* window = KorvaneEngine::Window::Instance();
    KorvaneEngine::RenderSystem* render = KorvaneEngine::RenderSystem::Instance();
    Config* config = Config::Instance();

    if (!window->HasFocus()) {
        // A level in play is paused here, with its pause window shown, once
        // the game logic and the windows exist; that frame then goes on as a
        // focused one. Everything else takes the quiet path: the level timer
        // (when there is a level) stands still while the window has no focus.
        window->Update();
        render->Refresh();
        KorvaneEngine::TimerManager::Instance()->Update();
        if (KorvaneEngine::SoundManager* sounds = KorvaneEngine::SoundManager::Instance())
            sounds->Update(true);
        if (!pausedByFocusLoss) {
            if (soundController)
                soundController->PauseAllMusic(true, false, kFocusFadeSpeed);
            pausedByFocusLoss = true;
        }
        Sleep(kUnfocusedSleepMs);
        return;
    }
    if (pausedByFocusLoss) {
        // The music comes back; a paused level stays paused for the player to
        // resume.
        if (soundController)
            soundController->PauseAllMusic(false, true, kFocusFadeSpeed);
        pausedByFocusLoss = false;
    }

    if (!config->IsCommandDone("g_update_video_mode")) {
        render->CheckVideoMode();
        config->SetCommandDone("g_update_video_mode", true);
    }
    if (render->deviceLost) {
        if (soundController)
            soundController->PauseAllMusic(true, false, kFocusFadeSpeed);
        ResetVideoMode();
        if (soundController)
            soundController->PauseAllMusic(false, true, kFocusFadeSpeed);
        // The keys that asked for the switch must not act again in the new mode.
        KorvaneEngine::Controls::Instance()->LockInput();
    }
    engine->UpdateInput();
    // Cheat mode: while the console is disabled the access code is typed; its
    // last character enables and opens the console and logs the banner.
    KorvaneEngine::Console* console = KorvaneEngine::Console::Instance();
    if (console && !console->IsEnabled() && TypeAccessCode(*KorvaneEngine::Controls::Instance(), accessCodeBuffer)) {
        console->SetEnabled(true);
        console->Open();
        ShowCheatBanner();
    }
    HandleConsoleCommands();
    if (soundController)
        soundController->Update();
    for (int i = 0; i < 3; ++i) {
        DispatchWindowEvents();
        ResetWindowEvents();
    }
    UpdateWindows();
    if (gameCursor)
        gameCursor->Update();
    GameTools::SpriteManager::Instance()->Update();
    engine->Frame(0);

    if (!config->IsCommandDone("v_window_change_mode")) {
        if (++windowModeChangeFrames >= kModeChangeDelayFrames) {
            windowModeChangeFrames = 0;
            config->SetCommandDone("v_window_change_mode", true);
            config->SetCommandDone("g_update_video_mode", false);
        }
    }
}

} // namespace GameFramework
