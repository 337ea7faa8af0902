#include "framework/Tutorial.h"

#include "engine/foundation/TimerManager.h"

namespace GameFramework {

Tutorial::Tutorial(ProfileManagerBase* profiles_) : profiles(profiles_) {}

Tutorial::~Tutorial() {}

void Tutorial::Update()
{
    KorvaneEngine::TimerManager* timers = KorvaneEngine::TimerManager::Instance();
    if (!active || !timers)
        return;
    delay -= timers->frameTime;
    if (delay <= 0.0f)
        shownTime += timers->frameTime;
}

} // namespace GameFramework
