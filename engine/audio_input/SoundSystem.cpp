#include "engine/audio_input/SoundSystem.h"

namespace KorvaneEngine {

SoundSystem::SoundSystem(bool use3DSound) : use3D(use3DSound) {}

SoundSystem::~SoundSystem() { ResetInstance(this); }

void SoundSystem::Refresh() {}

void SoundSystem::SetListenerPosition(const Vector3& position) { listenerPosition = position; }

void SoundSystem::SetListenerOrientation(const Vector3& front, const Vector3& up)
{
    listenerFront = front;
    listenerUp = up;
}

void SoundSystem::ResetListener()
{
    SetListenerPosition(Vector3(0.0f, 0.0f, 0.0f));
    SetListenerOrientation(Vector3(0.0f, 0.0f, -1.0f), Vector3(0.0f, 1.0f, 0.0f));
}

} // namespace KorvaneEngine
