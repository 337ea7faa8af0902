// The game base's window flow: the three frame steps that move the windows'
// result codes, and one handler a window that hides it and shows the next.
#include "framework/GameBase.h"

#include <string>
#include <vector>

#include "engine/foundation/MessageManager.h"
#include "engine/render/DataKeeper.h"
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
#include "framework/Level.h"
#include "framework/LevelManagerBase.h"
#include "framework/LevelResult.h"
#include "framework/ProfileBase.h"
#include "framework/ProfileManagerBase.h"
#include "framework/Stage.h"
#include "framework/Tutorial.h"
#include "gui/GUIFontTool.h"

namespace GameFramework {

namespace {

template <class T> void DeleteMember(T*& member)
{
    delete member;
    member = nullptr;
}

} // namespace

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
    if (gameLogicLoadingWindow->GetEventCode() != 1)
        return;
    ProfileBase* profile = CurrentProfile();
    const Level position = profile ? profile->GetCurrentPosition() : Level();
    Stage* stage = profile && levelManager ? levelManager->GetStageAt(position.stageIndex) : nullptr;
    Level* level = profile && levelManager ? levelManager->GetLevel(position) : nullptr;
    std::string missing;
    if (!profile)
        missing = "there is no current player";
    else if (!stage || !level)
        missing = "level " + std::to_string(position.stageIndex) + "-" + std::to_string(position.levelIndex) +
                  " is not in the levels file";
    else if (!gameLogicWindow)
        missing = "the game has no play screen";
    if (!missing.empty()) {
        // Back to the choice of level: a loading window that never ends would
        // keep the player there and report the same every frame.
        KorvaneEngine::LogErrorIfOpen("(GameBase::HandleGameLogicLoadingWindow): " + missing +
                                      ", the level is not started");
        gameLogicLoadingWindow->Hide();
        SetGameCursorVisible(true);
        if (startGameLogicWindow)
            startGameLogicWindow->Show(16);
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
    levelManager->RepairPosition(profile);
    const Level position = profile->GetCurrentPosition();
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

} // namespace GameFramework
