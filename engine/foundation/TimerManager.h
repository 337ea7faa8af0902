#pragma once
#include <cstdint>
#include <deque>
#include <vector>

#include "engine/foundation/ObjectManager.h"

namespace KorvaneEngine {

// Stopwatch in seconds: pausable, settable, scaled by a speed factor. Reads the
// performance counter or the multimedia millisecond clock.
class Timer {
public:
    virtual ~Timer();
    Timer(float startTime, bool highResolution);

    // Seconds since time zero, times the speed; frozen while paused.
    float GetTime() const;
    // Paused spans do not count.
    void SetPaused(bool paused);
    // Restarts so that GetTime returns seconds now; also unpauses.
    void SetTime(float seconds);

    bool IsPaused() const { return paused; }
    bool IsHighResolution() const { return highResolution; }
    float GetSpeed() const { return speed; }
    // The time read so far is scaled too: a change of speed does not rebase it.
    void SetSpeed(float newSpeed) { speed = newSpeed; }

private:
    bool highResolution;
    bool paused = false;
    float speed = 1.0f;
    int64_t frequency = 0;
    int64_t startCounter = 0;
    int64_t pauseCounter = 0;
    uint32_t startMs = 0;
    uint32_t pauseMs = 0;
};

// Owns the program's timers, keeps the raised system timer resolution for the
// whole run and measures the frame time once per frame.
class TimerManager : public GlobalPointerHolder<TimerManager> {
public:
    virtual ~TimerManager();
    TimerManager();
    TimerManager(const TimerManager&) = delete;
    TimerManager& operator=(const TimerManager&) = delete;

    Timer* CreateTimer(float startTime, bool highResolution);
    void DeleteTimer(Timer* timer);
    // The frame clock; once per frame.
    void Update();

    // Steps 2-4 of the frame clock for one measured frame length: frame counting,
    // clamping to 0.001..0.1 s and smoothing. Update feeds it the real reading.
    void AdvanceFrame(float elapsed);

    Timer* GetFrameTimer() const { return frameTimer; }
    uint32_t GetTimerPeriod() const { return timerPeriod; }
    // The timer held in a slot, or null for a free or unknown slot.
    Timer* GetTimer(uint32_t slot) const { return slot < slots.size() ? slots[slot] : nullptr; }

    // Read directly by every user of the clock; smoothing is also written.
    bool smoothing = false;
    float frameTime = 0.0f;
    float smoothedTime = 0.0f;
    uint32_t framesPerSecond = 0;
    uint32_t frameCount = 0;
    float secondAccumulator = 0.0f;

private:
    uint32_t timerPeriod = 0;
    std::deque<uint32_t> freeSlots;
    std::vector<uint32_t> activeSlots;
    std::vector<Timer*> slots;
    Timer* frameTimer = nullptr;
    float lastTime = 0.0f;
};

} // namespace KorvaneEngine
