#include "puzzle/app/Game.h"

#include "engine/foundation/EngineSettings.h"
#include "engine/foundation/MessageManager.h"
#include "framework/SoundController.h"
#include "gui/GUISoundManager.h"
#include "puzzle/app/Content.h"
#include "puzzle/app/GUIGameCursor.h"
#include "puzzle/app/GameData.h"
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
    // The relax window goes first, and the background and the menu window
    // manager after the catalogue, once they exist.
    delete content;
    content = nullptr;
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
    // The background's additional layers and the relax window come here
    // once they exist.
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
        content = new Content(static_cast<ProfileManager*>(profileManager), data);
    } catch (...) {
        delete data;
        throw;
    }
    return data;
}

GUIGameCursorBase* Game::CreateGameCursor() { return new GUIGameCursor(); }
GUILogosWindowBase* Game::CreateLogosWindow() { return nullptr; }
GUILoadingWindowBase* Game::CreateGameLoadingWindow() { return nullptr; }
GUILoadingWindowBase* Game::CreateGameLogicLoadingWindow() { return nullptr; }
GUIFrameworkWindow* Game::CreateAuxiliaryWindow() { return nullptr; }
GUIWelcomeWindowBase* Game::CreateWelcomeWindow() { return nullptr; }
GUIExitWindowBase* Game::CreateExitWindow() { return nullptr; }
GUIMainMenuWindowBase* Game::CreateMainMenuWindow() { return nullptr; }
GUIProfilesWindowBase* Game::CreateProfilesWindow() { return nullptr; }
GUINewProfileWindowBase* Game::CreateNewProfileWindow() { return nullptr; }
GUIRenameProfileWindowBase* Game::CreateRenameProfileWindow() { return nullptr; }
GUIDeleteProfileWindowBase* Game::CreateDeleteProfileWindow() { return nullptr; }
GUIProfileNameConflictWindowBase* Game::CreateProfileNameConflictWindow() { return nullptr; }
GUIStartGameLogicWindowBase* Game::CreateStartGameLogicWindow() { return nullptr; }
GUIContinueGameLogicWindowBase* Game::CreateContinueGameLogicWindow() { return nullptr; }
GUIHighScoresWindowBase* Game::CreateHighScoresWindow() { return nullptr; }
GUIOptionsWindowBase* Game::CreateOptionsWindow() { return nullptr; }
GUIHelpWindowBase* Game::CreateHelpWindow() { return nullptr; }
GUIGameLogicWindowBase* Game::CreateGameLogicWindow() { return nullptr; }
GUIGameLogicPauseWindowBase* Game::CreateGameLogicPauseWindow() { return nullptr; }
GUIGameLogicMenuWindowBase* Game::CreateGameLogicMenuWindow() { return nullptr; }
GUIGameLogicMenuExitWindowBase* Game::CreateGameLogicMenuExitWindow() { return nullptr; }
GUIGameLogicRestartWindowBase* Game::CreateGameLogicRestartWindow() { return nullptr; }
GUIGameLogicGameExitWindowBase* Game::CreateGameLogicGameExitWindow() { return nullptr; }
GUILevelCompleteWindowBase* Game::CreateLevelCompleteWindow() { return nullptr; }
GUIStageCompleteWindowBase* Game::CreateStageCompleteWindow() { return nullptr; }
GUIGameCompleteWindowBase* Game::CreateGameCompleteWindow() { return nullptr; }
GUIGameOverWindowBase* Game::CreateGameOverWindow() { return nullptr; }

GameTools::DataKeeper* Game::CreateGameLogicData(const Stage&, const Level&) { return nullptr; }
GameLogicBase* Game::CreateGameLogic(const Stage&, const Level&, int32_t) { return nullptr; }

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
