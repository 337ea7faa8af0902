#pragma once
#include <cstdint>

namespace KorvaneEngine {
class Timer;
}

namespace GameFramework {

class ScoreKeeper;
class SoundController;
struct Level;
struct Stage;

// The game-independent part of one level being played: the level timer, the
// score keeper, the play state the game base watches every frame, and the
// cheat keys (Shift and F1 .. F12 while the console's cheat mode is on),
// which the derived game carries out. The game makes one through its factory
// when a level starts and deletes it when the level ends.
class GameLogicBase {
public:
    enum State : int32_t { kPlaying = 0, kPaused = 1, kWon = 2, kLost = 3 };

    // Logs "Loading level <stage + 1>-<level + 1>..."; the level timer starts
    // at 0 s, paused, until the derived game starts play. stage and level
    // are the game's records (not owned); carryOver goes back into the
    // profile when the level is won.
    GameLogicBase(SoundController* sounds, const Stage* stage, const Level* level, int32_t carryOver);
    virtual ~GameLogicBase();
    GameLogicBase(const GameLogicBase&) = delete;
    GameLogicBase& operator=(const GameLogicBase&) = delete;

    // The cheat-key poll, while a console exists with cheat mode on; the
    // derived game calls it from its own Update.
    virtual void Update();
    // A change of state pauses the level timer (resumes it for playing) and
    // sets the state-changed flag; the state is stored either way.
    virtual void SetState(int32_t state);
    // key: 1 .. 12 for F1 .. F12. The base only notes that a cheat was used.
    virtual void ApplyCheatKey(bool shift, int32_t key);

    // Nothing once the level is won or lost.
    void SetPaused(bool paused);
    float GetTime() const;
    bool IsTimerPaused() const;
    void SetTimerPaused(bool paused);
    int32_t GetScore() const;
    void SetScore(int32_t score);

    int32_t GetState() const { return state; }
    bool IsStateChanged() const { return stateChanged; }
    void ClearStateChanged() { stateChanged = false; }
    bool IsCheatUsed() const { return cheatUsed; }
    int32_t GetCarryOver() const { return carryOver; }
    const Stage* GetStage() const { return stage; }
    const Level* GetLevel() const { return level; }
    ScoreKeeper* GetScoreKeeper() const { return scoreKeeper; }
    KorvaneEngine::Timer* GetTimer() const { return timer; }

protected:
    SoundController* soundController;
    KorvaneEngine::Timer* timer = nullptr;
    ScoreKeeper* scoreKeeper = nullptr;
    const Stage* stage;
    const Level* level;
    int32_t carryOver;
    // Kept for the derived game.
    float value = 0.0f;
    int32_t state = kPlaying;
    bool stateChanged = false;
    bool cheatUsed = false;
};

} // namespace GameFramework
