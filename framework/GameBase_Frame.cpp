// The frame of the game base: the focus rule, the display-mode changes, the
// access code and the order of one frame's steps.
#include "framework/GameBase.h"

#include <windows.h>

#include "engine/audio_input/Controls.h"
#include "engine/audio_input/SoundManager.h"
#include "engine/foundation/Config.h"
#include "engine/foundation/TimerManager.h"
#include "engine/foundation/Window.h"
#include "engine/render/RenderSystem.h"
#include "framework/Engine.h"
#include "framework/GUIGameCursorBase.h"
#include "framework/GUIGameLogicPauseWindowBase.h"
#include "framework/GUIGameLogicWindowBase.h"
#include "framework/GameLogicBase.h"
#include "framework/SoundController.h"
#include "framework/Tutorial.h"
#include "gui/Console.h"
#include "gui/SpriteManager.h"

namespace GameFramework {

using KorvaneEngine::Config;

namespace {

// Focus loss and display resets pause the music at once; it comes back
// fading in at this speed.
const float kFocusFadeSpeed = 0.5f;
// Without focus a pass only keeps the window, display and sound alive.
const DWORD kUnfocusedSleepMs = 100;
// A switch between window and full screen takes effect this many frames after
// it was asked for, so the frame that asked has been drawn in the old mode.
const uint32_t kModeChangeDelayFrames = 2;

} // namespace

const char* const GameBase::kAccessCode = "my own trick";
const GameBase::AccessKey GameBase::kAccessKeys[] = {
    {'m', "M"}, {'y', "Y"}, {' ', "SPACE"}, {'o', "O"}, {'w', "W"}, {'n', "N"},
    {'t', "T"}, {'r', "R"}, {'i', "I"}, {'c', "C"}, {'k', "K"},
};
const int GameBase::kAccessKeyCount = sizeof kAccessKeys / sizeof kAccessKeys[0];

void GameBase::ResetVideoMode()
{
    // Textures come back on first use: only the device is rebuilt.
    KorvaneEngine::RenderSystem::Instance()->ResetDevice(1);
}

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

bool GameBase::CanPauseLevelForFocusLoss() const
{
    // Without a pause window nothing could resume the level: the quiet path
    // then only stops its timer while the focus is away.
    return gameLogic && gameLogicPauseWindow && !pausedByFocusLoss &&
           gameLogic->GetState() == GameLogicBase::kPlaying && !(tutorial && tutorial->IsActive());
}

void GameBase::PauseLevelForFocusLoss()
{
    gameLogic->SetPaused(true);
    if (gameLogicWindow)
        gameLogicWindow->SetActive(false);
    gameLogicPauseWindow->Show(1);
    // The pause holds the timer; focus back must not resume it.
    logicPauseToRestore = true;
    if (soundController)
        soundController->PauseAllMusic(true, false, kFocusFadeSpeed);
    pausedByFocusLoss = true;
}

void GameBase::IdleWithoutFocus()
{
    // Time spent in another program is no level time (a level paused, won or
    // lost keeps its timer stopped, and gets that state back).
    if (gameLogic && !pausedByFocusLoss) {
        logicPauseToRestore = gameLogic->IsTimerPaused();
        gameLogic->SetTimerPaused(true);
    }
    KorvaneEngine::Window::Instance()->Update();
    KorvaneEngine::RenderSystem::Instance()->Refresh();
    KorvaneEngine::TimerManager::Instance()->Update();
    if (KorvaneEngine::SoundManager* sounds = KorvaneEngine::SoundManager::Instance())
        sounds->Update(true);
    if (!pausedByFocusLoss) {
        if (soundController)
            soundController->PauseAllMusic(true, false, kFocusFadeSpeed);
        pausedByFocusLoss = true;
    }
    Sleep(kUnfocusedSleepMs);
}

void GameBase::Update()
{
    KorvaneEngine::Window* window = KorvaneEngine::Window::Instance();
    KorvaneEngine::RenderSystem* render = KorvaneEngine::RenderSystem::Instance();
    Config* config = Config::Instance();

    if (!window->HasFocus()) {
        if (CanPauseLevelForFocusLoss()) {
            // The player comes back to the pause window, not to a level that
            // ran on: this frame still draws it.
            PauseLevelForFocusLoss();
        } else {
            IdleWithoutFocus();
            return;
        }
    } else if (pausedByFocusLoss) {
        // The music comes back and the level timer runs as it did before;
        // a level paused by the focus loss stays paused for the player to
        // resume from the pause window.
        if (soundController)
            soundController->PauseAllMusic(false, true, kFocusFadeSpeed);
        if (gameLogic)
            gameLogic->SetTimerPaused(logicPauseToRestore);
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
