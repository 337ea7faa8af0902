#include "framework/GameLogicBase.h"

#include <string>

#include "engine/audio_input/Controls.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/StringUtils.h"
#include "engine/foundation/TimerManager.h"
#include "framework/Level.h"
#include "framework/ScoreKeeper.h"
#include "gui/Console.h"

namespace GameFramework {

namespace {

const int32_t kFunctionKeys = 12;

// Cheat mode is the console's enabled flag; without a console it is off.
bool CheatModeOn()
{
    const KorvaneEngine::Console* console = KorvaneEngine::Console::Instance();
    return console && console->IsEnabled();
}

} // namespace

GameLogicBase::GameLogicBase(SoundController* sounds, const Stage* stage_, const Level* level_, int32_t carry)
    : soundController(sounds), stage(stage_), level(level_), carryOver(carry)
{
    if (KorvaneEngine::MessageManager* log = KorvaneEngine::MessageManager::Instance()) {
        const uint32_t s = level ? level->stageIndex + 1 : 1;
        const uint32_t l = level ? level->levelIndex + 1 : 1;
        log->Log(0, "Loading level " + KorvaneEngine::UnsignedToString(s) + "-" + KorvaneEngine::UnsignedToString(l) +
                        "...");
    }
    timer = KorvaneEngine::TimerManager::Instance()->CreateTimer(0.0f, false);
    scoreKeeper = new ScoreKeeper(0);
    timer->SetTime(0.0f);
    timer->SetPaused(true);
}

GameLogicBase::~GameLogicBase()
{
    delete scoreKeeper;
    scoreKeeper = nullptr;
    if (KorvaneEngine::TimerManager* timers = KorvaneEngine::TimerManager::Instance())
        timers->DeleteTimer(timer);
    timer = nullptr;
}

void GameLogicBase::Update()
{
    if (!CheatModeOn())
        return;
    const KorvaneEngine::Controls* controls = KorvaneEngine::Controls::Instance();
    if (!controls)
        return;
    const bool shift = controls->IsDown("LSHIFT") || controls->IsDown("RSHIFT");
    for (int32_t key = 1; key <= kFunctionKeys; ++key)
        if (controls->IsPressed("F" + KorvaneEngine::IntToString(key)))
            ApplyCheatKey(shift, key);
}

void GameLogicBase::SetState(int32_t newState)
{
    if (newState != state) {
        timer->SetPaused(newState != kPlaying);
        stateChanged = true;
    }
    state = newState;
}

void GameLogicBase::ApplyCheatKey(bool, int32_t) { cheatUsed = true; }

void GameLogicBase::SetPaused(bool paused)
{
    if (state == kWon || state == kLost)
        return;
    SetState(paused ? kPaused : kPlaying);
}

float GameLogicBase::GetTime() const { return timer->GetTime(); }

bool GameLogicBase::IsTimerPaused() const { return timer->IsPaused(); }

void GameLogicBase::SetTimerPaused(bool paused) { timer->SetPaused(paused); }

int32_t GameLogicBase::GetScore() const { return scoreKeeper->GetScore(); }

void GameLogicBase::SetScore(int32_t score) { scoreKeeper->SetScore(score); }

} // namespace GameFramework
