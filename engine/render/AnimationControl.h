#pragma once
#include <cstdint>
#include <map>

namespace KorvaneEngine {

// Turns elapsed frame time into a pair of key frames and a blend factor.
// Named frame ranges are kept by key; the range of key -1 covers every frame.
// Owners read and set the fields directly.
class AnimationControl {
public:
    struct Range {
        uint32_t first;
        uint32_t last;
    };

    virtual ~AnimationControl();
    // mode 1 adds a wrap step from the last frame back to the first when looping.
    AnimationControl(uint32_t mode, uint32_t frameCount);
    AnimationControl(const AnimationControl& other);
    AnimationControl& operator=(const AnimationControl&) = delete;

    // Copies the state of a control of the same mode and frame count; a
    // different control is ignored.
    void CopyFrom(const AnimationControl& other);
    // An existing key keeps its range; first above last plays backwards.
    void AddAnimation(int key, uint32_t first, uint32_t last);
    // Selects a range from its start; a held end is released.
    void SetAnimation(int key);
    void Start();
    // A random start delay, or a random start time when there is no delay.
    void RandomizeStart();
    // Advances by the timer manager's frame time.
    void Update();
    // Advances by the given time in seconds.
    void Advance(float frameTime);

    uint32_t mode;
    uint32_t frameCount;
    float speed = 0.0f;
    float time = 0.0f;
    uint8_t loop = 0;
    uint32_t loopLimit = 0;
    uint32_t loopsDone = 0;
    float minimumDelay = 0.0f;
    float maximumDelay = 0.0f;
    float delayRemaining = 0.0f;
    uint8_t interpolate = 1;
    uint8_t running = 0;
    // Set when a play reaches the end of its range and stops: the control then
    // keeps showing its last step until the owner clears the flag (with time 0
    // to play the range again) or selects a range.
    uint8_t hold = 0;
    std::map<int, Range> ranges;
    int currentKey = -1;
    uint32_t frameA = 0;
    uint32_t frameB = 0;
    float blend = 0.0f;
};

} // namespace KorvaneEngine
