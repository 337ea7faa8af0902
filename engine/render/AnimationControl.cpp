#include "engine/render/AnimationControl.h"

#include <cmath>

#include "engine/foundation/Random.h"
#include "engine/foundation/TimerManager.h"

namespace KorvaneEngine {

namespace {
const float kEpsilon = 0.0001f;
// Beyond this many whole laps in one step the remainder is taken directly, so
// a huge time cannot keep the wrap loop spinning.
const float kMaxLapsByStep = 64.0f;
}

AnimationControl::~AnimationControl() {}

AnimationControl::AnimationControl(uint32_t mode_, uint32_t frameCount_) : mode(mode_), frameCount(frameCount_)
{
    // A control over no frames gets the one-frame range instead of a range
    // that wraps around to the largest frame number.
    AddAnimation(-1, 0, frameCount ? frameCount - 1 : 0);
    SetAnimation(-1);
}

AnimationControl::AnimationControl(const AnimationControl& other) : mode(other.mode), frameCount(other.frameCount)
{
    CopyFrom(other);
}

void AnimationControl::CopyFrom(const AnimationControl& o)
{
    if (o.mode != mode || o.frameCount != frameCount)
        return;
    ranges = o.ranges;
    speed = o.speed;
    time = o.time;
    loop = o.loop;
    loopLimit = o.loopLimit;
    loopsDone = o.loopsDone;
    minimumDelay = o.minimumDelay;
    maximumDelay = o.maximumDelay;
    delayRemaining = o.delayRemaining;
    interpolate = o.interpolate;
    running = o.running;
    hold = o.hold;
    currentKey = o.currentKey;
    frameA = o.frameA;
    frameB = o.frameB;
    blend = o.blend;
}

void AnimationControl::AddAnimation(int key, uint32_t first, uint32_t last)
{
    ranges.insert(std::make_pair(key, Range{first, last}));
}

void AnimationControl::SetAnimation(int key)
{
    currentKey = key;
    time = 0.0f;
    hold = 0;
}

void AnimationControl::Start()
{
    running = 1;
    loopsDone = 0;
    delayRemaining = RandomFloat(minimumDelay, maximumDelay);
}

void AnimationControl::RandomizeStart()
{
    float r = RandomSignedUnit();
    float delay = RandomFloat(minimumDelay, maximumDelay) * r;
    delayRemaining = delay >= 0.0f ? delay : 0.0f;
    auto it = ranges.find(currentKey);
    float span = 0.0f;
    if (it != ranges.end()) {
        uint32_t a = it->second.first, b = it->second.last;
        // Time counts steps from the range's start whichever way it plays.
        span = static_cast<float>(a <= b ? b - a : a - b);
    }
    time = delayRemaining < kEpsilon ? RandomFloat(0.0f, span) : 0.0f;
}

void AnimationControl::Update()
{
    TimerManager* timers = TimerManager::Instance();
    Advance(timers ? timers->frameTime : 0.0f);
}

void AnimationControl::Advance(float frameTime)
{
    auto it = ranges.find(currentKey);
    if (it == ranges.end())
        it = ranges.insert(std::make_pair(currentKey, Range{0, 0})).first;
    const uint32_t first = it->second.first, last = it->second.last;
    const bool reversed = last < first;
    const uint64_t lo = reversed ? last : first;
    const uint64_t hi = reversed ? first : last;
    uint64_t count = hi - lo + 1;

    const bool continuous = loop && maximumDelay < kEpsilon &&
        !(loopLimit != 0 && static_cast<uint64_t>(loopsDone) + 1 >= loopLimit);
    if (mode == 1 && continuous)
        ++count;

    delayRemaining -= frameTime;
    if (running && !hold && speed > kEpsilon && (!loop || delayRemaining < kEpsilon))
        time += speed * frameTime;

    frameA = frameB = 0;
    blend = 0.0f;

    // Time never runs before the range's start; a time that is not a number
    // (a bad speed) restarts it.
    if (!(time >= 0.0f) || std::isinf(time))
        time = 0.0f;
    const float steps = static_cast<float>(count - 1);
    if (frameCount == 0) {
        // Nothing to play: stay at the start.
        time = 0.0f;
    } else if (hold) {
        time = steps;
        running = 0;
    } else if (continuous) {
        if (count - 1 == 0) {
            // A one-step loop has nowhere to go.
            time = 0.0f;
        } else if (std::floor(time) >= steps) {
            float laps = std::floor(time / steps);
            if (laps > kMaxLapsByStep) {
                time = std::fmod(time, steps);
                loopsDone += static_cast<uint32_t>(laps);
            }
            while (std::floor(time) >= steps) {
                time -= steps;
                ++loopsDone;
            }
        }
    } else if (std::floor(time) >= steps) {
        time = steps;
        if (loop) {
            if (delayRemaining < kEpsilon)
                delayRemaining = RandomFloat(minimumDelay, maximumDelay);
            if (loopLimit != 0 && static_cast<uint64_t>(loopsDone) + 1 >= loopLimit) {
                if (running)
                    hold = 1;
                running = 0;
            }
        } else {
            if (running)
                hold = 1;
            running = 0;
        }
    }

    uint64_t a = static_cast<uint64_t>(time);
    float t = time - static_cast<float>(a);
    uint64_t b = a + 1;
    if (b >= count)
        b = a;
    if (reversed) {
        a = count - a - 1;
        b = count - b - 1;
        t = 1.0f - t;
        uint64_t s = a;
        a = b;
        b = s;
    }
    a += lo;
    b += lo;
    if (!interpolate)
        t = 0.0f;
    if (mode == 1 && continuous && count >= 3 && a + 1 == count)
        a = lo;
    frameA = a >= frameCount ? 0 : static_cast<uint32_t>(a);
    frameB = b >= frameCount ? 0 : static_cast<uint32_t>(b);
    blend = t;
}

} // namespace KorvaneEngine
