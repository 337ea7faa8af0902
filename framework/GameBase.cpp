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
#include "framework/GUIGameCursorBase.h"
#include "framework/HighScoresTable.h"
#include "framework/LanguageManager.h"
#include "framework/Level.h"
#include "framework/LevelManagerBase.h"
#include "framework/ProfileBase.h"
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
    // The game logic and the windows are deleted here, in this order, once
    // their classes exist; until then nothing can have made them.
    DeleteMember(gameCursor);
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
    // The logos window is shown here once it exists.
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
    // Screen windows are made through the factories once their bases exist.
}

LevelResult* GameBase::CreateLevelResult() { return nullptr; }
void GameBase::FillLevelResult(LevelResult*) {}
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

void GameBase::DispatchWindowEvents() {}
void GameBase::ResetWindowEvents() {}

void GameBase::UpdateWindows()
{
    if (tutorial)
        tutorial->Update();
}

void GameBase::HandleLogosWindow() {}
void GameBase::HandleGameLoadingWindow() {}
void GameBase::HandleWelcomeWindow() {}
void GameBase::HandleExitWindow() {}
void GameBase::HandleMainMenuWindow() {}
void GameBase::HandleProfilesWindow() {}
void GameBase::HandleGameLogicLoadingWindow() {}
void GameBase::HandleNewProfileWindow() {}
void GameBase::HandleRenameProfileWindow() {}
void GameBase::HandleDeleteProfileWindow() {}
void GameBase::HandleProfileNameConflictWindow() {}
void GameBase::HandleStartGameLogicWindow() {}
void GameBase::HandleContinueGameLogicWindow() {}
void GameBase::HandleHighScoresWindow() {}
void GameBase::HandleOptionsWindow() {}
void GameBase::HandleHelpWindow() {}
void GameBase::HandleGameLogicWindow() {}
void GameBase::HandleGameLogicPauseWindow() {}
void GameBase::HandleGameLogicMenuWindow() {}
void GameBase::HandleGameLogicMenuExitWindow() {}
void GameBase::HandleGameLogicRestartWindow() {}
void GameBase::HandleGameLogicGameExitWindow() {}
void GameBase::HandleGameLogicWon() {}
void GameBase::ReturnToStartGameLogic() {}
void GameBase::HandleGameLogicLost() {}
void GameBase::HandleLevelCompleteWindow() {}
void GameBase::HandleStageCompleteWindow() {}
void GameBase::HandleGameCompleteWindow() {}
void GameBase::HandleGameOverWindow() {}

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
