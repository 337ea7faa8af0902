#include "puzzle/app/Game.h"

#include "engine/foundation/EngineSettings.h"
#include "engine/foundation/MessageManager.h"
#include "framework/SoundController.h"
#include "gui/GUISoundManager.h"
#include "puzzle/app/Content.h"
#include "puzzle/app/GUIGameCursor.h"
#include "puzzle/app/GUIBackground.h"
#include "framework/LevelManagerBase.h"
#include "framework/ProfileBase.h"
#include "gui/GUIManager.h"
#include "gui/GUIToolManager.h"
#include "gui/GUIWindow.h"
#include "puzzle/app/GUIContinueGameLogicWindow.h"
#include "puzzle/app/GUIDeleteProfileWindow.h"
#include "puzzle/app/GUIExitWindow.h"
#include "puzzle/app/GUIGameCompleteWindow.h"
#include "puzzle/app/GUIGameLoadingWindow.h"
#include "puzzle/app/GUIGameLogicGameExitWindow.h"
#include "puzzle/app/GUIGameLogicLoadingWindow.h"
#include "puzzle/app/GUIGameLogicMenuExitWindow.h"
#include "puzzle/app/GUIGameLogicMenuWindow.h"
#include "puzzle/app/GUIGameLogicPauseWindow.h"
#include "puzzle/app/GUIGameLogicRestartWindow.h"
#include "puzzle/app/GUIGameLogicWindow.h"
#include "puzzle/app/GUIGameOverWindow.h"
#include "puzzle/app/GUIHelpWindow.h"
#include "puzzle/app/GUIHighScoresWindow.h"
#include "puzzle/app/GUILevelCompleteWindow.h"
#include "puzzle/app/GUILogosWindow.h"
#include "puzzle/app/GUIMainMenuWindow.h"
#include "puzzle/app/GUIMenuWindowManager.h"
#include "puzzle/app/GUINewProfileWindow.h"
#include "puzzle/app/GUIOptionsWindow.h"
#include "puzzle/app/GUIProfileNameConflictWindow.h"
#include "puzzle/app/GUIProfilesWindow.h"
#include "puzzle/app/GUIRelaxWindow.h"
#include "puzzle/app/GUIRenameProfileWindow.h"
#include "puzzle/app/GUIStageCompleteWindow.h"
#include "puzzle/app/GUIStartGameLogicWindow.h"
#include "puzzle/app/GUIWelcomeWindow.h"
#include "puzzle/app/GameData.h"
#include "puzzle/logic/GameLogic.h"
#include "puzzle/logic/GameLogicData.h"
#include "puzzle/app/LevelManager.h"
#include "puzzle/app/ProfileManager.h"
#include "puzzle/app/SoundTable.h"

namespace Puzzle {

using namespace GameFramework;

namespace {

// The program's icon group in its resources.
const uint32_t kIconGroupId = 101;

const char* const kCheatHelp[] = {
    "---------------------------------------",
    "- Press in start game screen",
    "- \"F1\" - add 1000 points",
    "---------------------------------------",
    "- Press in game play",
    "- \"F1\" - apply rollback bonus",
    "- \"F1\" + \"LEFT SHIFT\" - collect puzzle",
    "- \"F2\" - apply pause bonus",
    "- \"F3\" - apply tip bonus",
    "---------------------------------------",
    "- Use \"Page Up\" to see remainder cheats",
};

} // namespace

Game::Game(const std::string& companyName, const std::string& gameTitle, uint32_t version,
           const std::string& registryKeyPath, const std::string& programDirectory, const std::string& publisherName)
    : GameBase(companyName, gameTitle, version, registryKeyPath, programDirectory, publisherName)
{
    Init();
}

Game::~Game()
{
    // Before the base deletes the windows, which never touch the manager or
    // the background from their destructors.
    delete relaxWindow;
    relaxWindow = nullptr;
    delete content;
    content = nullptr;
    delete background;
    background = nullptr;
    windowRoot = nullptr;
    delete menuWindowManager;
    menuWindowManager = nullptr;
}

void Game::FillEngineSettings(KorvaneEngine::EngineSettings& settings)
{
    GameBase::FillEngineSettings(settings);
    settings.videoMode = "1024x768x32";
    settings.iconId = kIconGroupId;
    // Nothing draws with the stencil yet; the other start-up flag would let
    // the window take any size, which the 4:3 layout does not want.
    settings.useStencil = true;
}

void Game::RegisterConsoleCommands() { GameBase::RegisterConsoleCommands(); }

void Game::RegisterSounds()
{
    if (guiSoundManager)
        for (const SoundTable::GUISound& g : SoundTable::kGUISounds)
            guiSoundManager->AddSound(g.name, GetAudioFileName(g.folder, g.file), g.resident);
    soundController->ApplySoundVolume();
    for (const SoundTable::Music& m : SoundTable::kMusic)
        soundController->AddMusic(m.id, GetAudioFileName(m.folder, m.file), true);
    for (const SoundTable::Effect& e : SoundTable::kEffects)
        soundController->AddSound(e.id, GetAudioFileName(e.folder, e.file), e.loop, 1, e.resident);
}

void Game::CreateWindows()
{
    // The menu resources are loaded now: the cursor's sparkles can be made.
    if (GUIGameCursor* cursor = dynamic_cast<GUIGameCursor*>(gameCursor))
        cursor->CreateEffects(gameData);
    if (background)
        background->LoadAdditionalLayers();
    relaxWindow = new GUIRelaxWindow(profileManager, soundController, Data(), guiToolManager, menuWindowManager,
                                     windowRoot);
    GameBase::CreateWindows();
}

LevelManagerBase* Game::CreateLevelManager() { return new LevelManager(); }
ProfileManagerBase* Game::CreateProfileManager() { return new ProfileManager(soundController, userDataFolder); }

GameTools::DataKeeper* Game::CreateGameData()
{
    GameData* data = new GameData(GetLanguageCode());
    try {
        data->LoadResourceFile("data\\ui\\background\\resources_basic.xml", true);
        data->LoadResourceFile("data\\ui\\background\\resources_additional.xml", false);
        data->LoadResourceFile("data\\game_objects\\resources.xml", false);
    } catch (...) {
        delete data;
        throw;
    }
    try {
        // The base made the profile manager through this class's factory.
        content = new Content(PuzzleProfiles(), data);
    } catch (...) {
        delete data;
        throw;
    }
    return data;
}

GUIGameCursorBase* Game::CreateGameCursor() { return new GUIGameCursor(); }
GUILogosWindowBase* Game::CreateLogosWindow() { return new GUILogosWindow(); }

GUILoadingWindowBase* Game::CreateGameLoadingWindow()
{
    // The menus lie in the background's top container.
    background = new GUIBackground(gameData);
    background->SetVisible(true, false, 1.0f);
    windowRoot = background->GetTopContainer();
    menuWindowManager = new GUIMenuWindowManager(Data());
    return new GUIGameLoadingWindow(soundController, Data(), guiToolManager, menuWindowManager, windowRoot);
}

GUILoadingWindowBase* Game::CreateGameLogicLoadingWindow()
{
    return new GUIGameLogicLoadingWindow(levelManager, soundController, Data(), guiToolManager, menuWindowManager,
                                         windowRoot);
}

GUIFrameworkWindow* Game::CreateAuxiliaryWindow() { return nullptr; }

GUIWelcomeWindowBase* Game::CreateWelcomeWindow()
{
    return new GUIWelcomeWindow(profileManager, soundController, Data(), guiToolManager, menuWindowManager, windowRoot);
}

GUIExitWindowBase* Game::CreateExitWindow()
{
    return new GUIExitWindow(soundController, Data(), guiToolManager, menuWindowManager, windowRoot);
}

GUIMainMenuWindowBase* Game::CreateMainMenuWindow()
{
    return new GUIMainMenuWindow(profileManager, soundController, Data(), guiToolManager, menuWindowManager,
                                 windowRoot);
}

GUIProfilesWindowBase* Game::CreateProfilesWindow()
{
    return new GUIProfilesWindow(soundController, profileManager, Data(), guiToolManager, menuWindowManager,
                                 windowRoot);
}

GUINewProfileWindowBase* Game::CreateNewProfileWindow()
{
    return new GUINewProfileWindow(profileManager, soundController, Data(), guiToolManager, menuWindowManager,
                                   windowRoot);
}

GUIRenameProfileWindowBase* Game::CreateRenameProfileWindow()
{
    return new GUIRenameProfileWindow(profileManager, soundController, Data(), guiToolManager, menuWindowManager,
                                      windowRoot);
}

GUIDeleteProfileWindowBase* Game::CreateDeleteProfileWindow()
{
    return new GUIDeleteProfileWindow(profileManager, soundController, Data(), guiToolManager, menuWindowManager,
                                      windowRoot);
}

GUIProfileNameConflictWindowBase* Game::CreateProfileNameConflictWindow()
{
    return new GUIProfileNameConflictWindow(soundController, Data(), guiToolManager, menuWindowManager, windowRoot);
}

GUIStartGameLogicWindowBase* Game::CreateStartGameLogicWindow()
{
    return new GUIStartGameLogicWindow(soundController, static_cast<LevelManager*>(levelManager), PuzzleProfiles(),
                                       Data(), guiToolManager, menuWindowManager, windowRoot, content);
}

GUIContinueGameLogicWindowBase* Game::CreateContinueGameLogicWindow() { return new GUIContinueGameLogicWindow(); }
GUIHighScoresWindowBase* Game::CreateHighScoresWindow() { return new GUIHighScoresWindow(highScoresTable); }
GUIOptionsWindowBase* Game::CreateOptionsWindow()
{
    return new GUIOptionsWindow(soundController, profileManager, Data(), guiToolManager, menuWindowManager,
                                windowRoot);
}

GUIHelpWindowBase* Game::CreateHelpWindow()
{
    return new GUIHelpWindow(soundController, Data(), guiToolManager, menuWindowManager, windowRoot);
}

GUIGameLogicWindowBase* Game::CreateGameLogicWindow()
{
    return new GUIGameLogicWindow(PuzzleProfiles(), Data(), guiToolManager, menuWindowManager, windowRoot);
}

GUIGameLogicPauseWindowBase* Game::CreateGameLogicPauseWindow()
{
    return new GUIGameLogicPauseWindow(soundController, Data(), guiToolManager, menuWindowManager, windowRoot);
}

GUIGameLogicMenuWindowBase* Game::CreateGameLogicMenuWindow()
{
    return new GUIGameLogicMenuWindow(soundController, profileManager, Data(), guiToolManager, menuWindowManager,
                                      windowRoot);
}

GUIGameLogicMenuExitWindowBase* Game::CreateGameLogicMenuExitWindow()
{
    return new GUIGameLogicMenuExitWindow(soundController, Data(), guiToolManager, menuWindowManager, windowRoot);
}

GUIGameLogicRestartWindowBase* Game::CreateGameLogicRestartWindow()
{
    return new GUIGameLogicRestartWindow(soundController, Data(), guiToolManager, menuWindowManager, windowRoot);
}

GUIGameLogicGameExitWindowBase* Game::CreateGameLogicGameExitWindow()
{
    return new GUIGameLogicGameExitWindow(soundController, Data(), guiToolManager, menuWindowManager, windowRoot);
}

GUILevelCompleteWindowBase* Game::CreateLevelCompleteWindow()
{
    return new GUILevelCompleteWindow(soundController, static_cast<LevelManager*>(levelManager), PuzzleProfiles(),
                                      Data(), guiToolManager, menuWindowManager, windowRoot);
}

GUIStageCompleteWindowBase* Game::CreateStageCompleteWindow() { return new GUIStageCompleteWindow(levelManager); }
GUIGameCompleteWindowBase* Game::CreateGameCompleteWindow() { return new GUIGameCompleteWindow(); }

GUIGameOverWindowBase* Game::CreateGameOverWindow()
{
    return new GUIGameOverWindow(PuzzleProfiles(), soundController, Data(), guiToolManager, menuWindowManager,
                                 windowRoot);
}

GameData* Game::Data() const { return static_cast<GameData*>(gameData); }
ProfileManager* Game::PuzzleProfiles() const { return static_cast<ProfileManager*>(profileManager); }

GameTools::DataKeeper* Game::CreateGameLogicData(const Stage& stage, const Level& level)
{
    GameLogicData* data = new GameLogicData(GetLanguageCode(), &stage, &level);
    if (content)
        content->FillGameLogicData(data);
    return data;
}
GameLogicBase* Game::CreateGameLogic(const Stage& stage, const Level& level, int32_t carryOver)
{
    const ProfileBase* player = CurrentProfile();
    const std::string folder = player ? player->GetFolderPath() : std::string();
    return new GameLogic(gameCursor, PuzzleProfiles(), soundController, Data(),
                         static_cast<GameLogicData*>(currentGameLogicData), guiToolManager, &stage, &level, carryOver,
                         &folder);
}

void Game::SetCursorEffects(bool visible, bool arrow)
{
    GUIGameCursor* cursor = dynamic_cast<GUIGameCursor*>(gameCursor);
    if (!cursor)
        return;
    if (arrow)
        cursor->SetCursor(0);
    cursor->SetEffectsVisible(visible);
}

void Game::DispatchWindowEvents()
{
    GameBase::DispatchWindowEvents();
    if (relaxWindow)
        HandleRelaxWindow();
}

void Game::ResetWindowEvents()
{
    GameBase::ResetWindowEvents();
    if (!relaxWindow)
        return;
    if (relaxWindow->IsHandled())
        relaxWindow->SetEventCode(0);
    relaxWindow->SetHandled(true);
}

void Game::UpdateWindows()
{
    if (background)
        background->Update();
    GameBase::UpdateWindows();
    if (relaxWindow)
        relaxWindow->Update();
    if (menuWindowManager)
        menuWindowManager->Update();
}

void Game::RestartMenuMusic()
{
    soundController->StopAllMusic(true, 1.0f);
    soundController->PlayMusic(0, kMusicMenu, true, 0.5f);
    if (background)
        background->SetVisible(true, true, 1.0f);
}

void Game::HandleLogosWindow()
{
    const int32_t code = logosWindow->GetEventCode();
    GameBase::HandleLogosWindow();
    if (code == 1)
        soundController->PlayMusic(0, kMusicMenu, true, 0.5f);
}

void Game::HandleGameLogicLoadingWindow()
{
    const int32_t code = gameLogicLoadingWindow->GetEventCode();
    GameBase::HandleGameLogicLoadingWindow();
    // A level that could not start leaves the menus' music and background.
    if (code != 1 || !gameLogic)
        return;
    if (background)
        background->SetVisible(false, true, 1.0f);
    // Each level alternates between the two game tracks.
    soundController->StopMusic(0, true, 1.0f);
    soundController->PlayMusic(1, static_cast<int32_t>(nextGameTrack) + kMusicGame0, true, 0.1f);
    nextGameTrack = (nextGameTrack + 1) & 1;
    SetCursorEffects(false, false);
}

void Game::HandleStartGameLogicWindow()
{
    if (startGameLogicWindow->GetEventCode() == 24)
        SetGameCursorVisible(false);
    GameBase::HandleStartGameLogicWindow();
}

void Game::HandleGameLogicWindow()
{
    // The dialogs over play have the arrow and its sparkles.
    const int32_t code = gameLogicWindow->GetEventCode();
    if (code == 16 || code == 15 || code == 4)
        SetCursorEffects(true, true);
    GameBase::HandleGameLogicWindow();
}

void Game::PauseLevelForFocusLoss()
{
    GameBase::PauseLevelForFocusLoss();
    SetCursorEffects(true, true);
}

void Game::HandleGameLogicPauseWindow()
{
    const int32_t code = gameLogicPauseWindow->GetEventCode();
    GameBase::HandleGameLogicPauseWindow();
    if (code == 19)
        SetCursorEffects(false, false);
}

void Game::HandleGameLogicMenuWindow()
{
    const int32_t code = gameLogicMenuWindow->GetEventCode();
    GameBase::HandleGameLogicMenuWindow();
    if (code == 19)
        SetCursorEffects(false, false);
}

void Game::HandleGameLogicMenuExitWindow()
{
    const int32_t code = gameLogicMenuExitWindow->GetEventCode();
    GameBase::HandleGameLogicMenuExitWindow();
    if (code == 3)
        RestartMenuMusic();
}

void Game::HandleGameLogicRestartWindow()
{
    const int32_t code = gameLogicRestartWindow->GetEventCode();
    GameBase::HandleGameLogicRestartWindow();
    if (code == 13)
        RestartMenuMusic();
}

void Game::HandleGameLogicGameExitWindow()
{
    const int32_t code = gameLogicGameExitWindow->GetEventCode();
    GameBase::HandleGameLogicGameExitWindow();
    if (code == 19)
        SetCursorEffects(false, false);
}

void Game::HandleGameLogicWon()
{
    GameBase::HandleGameLogicWon();
    SetCursorEffects(true, true);
}

void Game::ReturnToStartGameLogic()
{
    GameBase::ReturnToStartGameLogic();
    if (startGameLogicWindow)
        startGameLogicWindow->Show(22);
    SetCursorEffects(true, false);
}

void Game::HandleGameLogicLost()
{
    GameBase::HandleGameLogicLost();
    SetCursorEffects(true, false);
}

void Game::HandleLevelCompleteWindow()
{
    if (levelCompleteWindow->GetEventCode() == 13)
        RestartMenuMusic();
    GameBase::HandleLevelCompleteWindow();
}

void Game::HandleStageCompleteWindow()
{
    const int32_t code = stageCompleteWindow->GetEventCode();
    if (code == 22 || code == 13)
        RestartMenuMusic();
    GameBase::HandleStageCompleteWindow();
}

void Game::HandleGameOverWindow()
{
    const int32_t code = gameOverWindow->GetEventCode();
    GameBase::HandleGameOverWindow();
    if (code == 1) {
        RestartMenuMusic();
    } else if (code == 25) {
        gameOverWindow->Hide();
        if (relaxWindow) {
            relaxWindow->Show(25);
        } else {
            // Without the relax offer the player has declined it.
            gameOverWindow->Show(26);
        }
    }
}

void Game::HandleRelaxWindow()
{
    if (relaxWindow->GetEventCode() != GUIRelaxWindow::kAnswered)
        return;
    relaxWindow->Hide();
    if (gameOverWindow)
        gameOverWindow->Show(26);
}

void Game::ShowCheatBanner()
{
    GameBase::ShowCheatBanner();
    if (KorvaneEngine::MessageManager* log = KorvaneEngine::MessageManager::Instance())
        for (const char* line : kCheatHelp)
            log->LogNotice(line);
}

float Game::GetDefaultMusicVolume() { return 0.285f; }
float Game::GetDefaultSoundVolume() { return 0.315f; }

} // namespace Puzzle
