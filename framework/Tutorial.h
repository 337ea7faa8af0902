#pragma once
#include <cstdint>

namespace GameFramework {

class ProfileManagerBase;

// A timer for guided play: while active it counts a delay down over the frame
// clock and then adds up the time shown since the delay ran out. The frame
// treats an active tutorial as no round running. Nothing in the game starts
// one yet, so it stays inactive and its update changes nothing.
class Tutorial {
public:
    virtual ~Tutorial();
    // The profile list is kept, not owned (may be null).
    explicit Tutorial(ProfileManagerBase* profiles);

    // Once per frame, before the windows: with the active flag set, delay -=
    // frame time and, once the delay is at or below 0, shown time += frame
    // time. Nothing while inactive or without a frame clock.
    void Update();

    bool IsActive() const { return active != 0; }
    void SetActive(bool on) { active = on ? 1 : 0; }
    bool IsEnabled() const { return enabled != 0; }
    void SetEnabled(bool on) { enabled = on ? 1 : 0; }
    float GetDelay() const { return delay; }
    void SetDelay(float seconds) { delay = seconds; }
    float GetShownTime() const { return shownTime; }
    ProfileManagerBase* GetProfileManager() const { return profiles; }

private:
    ProfileManagerBase* profiles;
    uint8_t enabled = 1;
    uint8_t active = 0;
    int32_t step = 0;
    float delay = 0.0f;
    float shownTime = 0.0f;
    int32_t shownCount = 0;
};

} // namespace GameFramework
