#include "engine/foundation/TimerManager.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cmath>

namespace KorvaneEngine {

namespace {

int64_t CounterNow()
{
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return c.QuadPart;
}

// Truncates towards zero; out-of-range and non-finite values cannot be
// represented as a tick count and are limited instead.
int64_t TruncateTicks(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double limit = 9.0e18;
    return static_cast<int64_t>(std::max(-limit, std::min(limit, value)));
}

} // namespace

Timer::~Timer() = default;

Timer::Timer(float startTime, bool highResolution) : highResolution(highResolution)
{
    if (this->highResolution) {
        LARGE_INTEGER f;
        // Without a usable counter the millisecond clock stands in, so the
        // division in GetTime always has a frequency.
        if (QueryPerformanceFrequency(&f) && f.QuadPart > 0)
            frequency = f.QuadPart;
        else
            this->highResolution = false;
    }
    SetTime(startTime);
}

float Timer::GetTime() const
{
    double seconds;
    if (highResolution) {
        const int64_t ticks = (paused ? pauseCounter : CounterNow()) - startCounter;
        seconds = static_cast<double>(ticks) / static_cast<double>(frequency);
    } else {
        // Unsigned difference: the millisecond clock's wrap-around is absorbed.
        const uint32_t ms = (paused ? pauseMs : static_cast<uint32_t>(timeGetTime())) - startMs;
        seconds = ms * 0.001;
    }
    return static_cast<float>(seconds) * speed;
}

void Timer::SetPaused(bool p)
{
    if (p == paused)
        return;
    paused = p;
    if (highResolution) {
        if (paused)
            pauseCounter = CounterNow();
        else
            startCounter += CounterNow() - pauseCounter;
    } else {
        if (paused)
            pauseMs = timeGetTime();
        else
            startMs += static_cast<uint32_t>(timeGetTime()) - pauseMs;
    }
}

void Timer::SetTime(float seconds)
{
    // A stopped clock (speed 0) reads 0 whatever its start; dividing by the
    // speed would give no usable start, so time zero is simply now.
    const double span = speed != 0.0f ? static_cast<double>(seconds) / speed : 0.0;
    if (highResolution)
        startCounter = CounterNow() - TruncateTicks(span * static_cast<double>(frequency));
    else
        startMs = static_cast<uint32_t>(timeGetTime()) - static_cast<uint32_t>(TruncateTicks(span * 1000.0));
    paused = false;
}

TimerManager::TimerManager()
{
    Instance(this);
    TIMECAPS caps;
    if (timeGetDevCaps(&caps, sizeof(caps)) == TIMERR_NOERROR) {
        timerPeriod = caps.wPeriodMin;
        timeBeginPeriod(timerPeriod);
    } else {
        timerPeriod = 0;
    }
    // The millisecond clock is precise once the period is raised; the counter
    // is only the fallback.
    frameTimer = CreateTimer(0.0f, timerPeriod == 0);
}

TimerManager::~TimerManager()
{
    DeleteTimer(frameTimer);
    frameTimer = nullptr;
    freeSlots.clear();
    for (uint32_t n : activeSlots) {
        delete slots[n];
        slots[n] = nullptr;
    }
    activeSlots.clear();
    slots.clear();
    if (timerPeriod != 0)
        timeEndPeriod(timerPeriod);
    ResetInstance(this);
}

Timer* TimerManager::CreateTimer(float startTime, bool highResolution)
{
    Timer* timer = new Timer(startTime, highResolution);
    uint32_t n;
    if (!freeSlots.empty()) {
        n = freeSlots.back();
        freeSlots.pop_back();
        slots[n] = timer;
    } else {
        n = static_cast<uint32_t>(slots.size());
        slots.push_back(timer);
    }
    activeSlots.push_back(n);
    return timer;
}

void TimerManager::DeleteTimer(Timer* timer)
{
    if (!timer)
        return;
    for (size_t i = 0; i < activeSlots.size(); ++i) {
        const uint32_t n = activeSlots[i];
        if (slots[n] != timer)
            continue;
        delete timer;
        slots[n] = nullptr;
        freeSlots.push_back(n);
        activeSlots.erase(activeSlots.begin() + static_cast<std::ptrdiff_t>(i));
        return;
    }
}

void TimerManager::Update()
{
    const float t = frameTimer->GetTime();
    const float elapsed = t - lastTime;
    // The second reading, not t: the time spent here counts to the next frame.
    lastTime = frameTimer->GetTime();
    AdvanceFrame(elapsed);
}

void TimerManager::AdvanceFrame(float elapsed)
{
    frameTime = elapsed;

    // Frames are counted with the unclamped time.
    secondAccumulator += frameTime;
    ++frameCount;
    if (secondAccumulator >= 1.0f) {
        secondAccumulator -= 1.0f;
        framesPerSecond = frameCount;
        frameCount = 0;
    }

    // Negated tests: a reading that compares false either way still lands in range.
    if (!(frameTime > 0.001f))
        frameTime = 0.001f;
    if (!(frameTime < 0.1f))
        frameTime = 0.1f;

    if (smoothing) {
        const float raw = frameTime;
        if (!(smoothedTime > 0.0001f))
            smoothedTime = raw;
        frameTime = (smoothedTime * 9.0f + raw) * 0.1f;
        smoothedTime = frameTime;
        if (frameTime > 1.25f * raw)
            frameTime = 1.25f * raw;
    }
}

} // namespace KorvaneEngine
