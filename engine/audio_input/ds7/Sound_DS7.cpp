#include "engine/audio_input/ds7/Sound_DS7.h"

#include "engine/audio_input/ds7/SoundBuffer_DS7.h"

namespace KorvaneEngine {

Sound_DS7::Sound_DS7(SoundBufferManager* manager, const std::string& fileName, bool resident)
    : Sound(manager, fileName, resident), bufferDS7(dynamic_cast<SoundBuffer_DS7*>(buffer))
{
    SetVolume(volume);
    SetTempo(tempo);
    SetPosition(position);
}

Sound_DS7::Sound_DS7(const Sound_DS7& source) : Sound(source), bufferDS7(dynamic_cast<SoundBuffer_DS7*>(buffer))
{
    // The tempo is copied but, as with every copy, left at the device's default.
    SetVolume(volume);
    SetPosition(position);
}

Sound_DS7::~Sound_DS7() = default;

bool Sound_DS7::Play()
{
    if (!bufferDS7)
        return false;
    if (bufferDS7->IsPlaying()) {
        bufferDS7->Stop();
        if (bufferDS7->IsStreamed())
            bufferDS7->SetStreamState(SoundBuffer::kStopped);
    }
    if (!bufferDS7->Play(loop))
        return false;
    state = kPlaying;
    return true;
}

void Sound_DS7::Pause()
{
    if (bufferDS7) {
        bufferDS7->Pause();
        if (bufferDS7->IsStreamed())
            bufferDS7->SetStreamState(SoundBuffer::kPaused);
    }
    state = kPaused;
}

void Sound_DS7::Stop()
{
    if (bufferDS7) {
        bufferDS7->Stop();
        if (bufferDS7->IsStreamed())
            bufferDS7->SetStreamState(SoundBuffer::kStopped);
    }
    state = kStopped;
}

void Sound_DS7::SetLoop(bool flag)
{
    Sound::SetLoop(flag);
    // Playing again only changes the looping flag of a static buffer; the
    // position is kept.
    if (bufferDS7 && !bufferDS7->IsStreamed() && bufferDS7->IsPlaying())
        bufferDS7->Play(flag);
}

void Sound_DS7::SetVolume(float value)
{
    Sound::SetVolume(value);
    if (bufferDS7)
        bufferDS7->SetVolume(volume);
}

void Sound_DS7::SetTempo(float value)
{
    Sound::SetTempo(value);
    if (bufferDS7)
        bufferDS7->SetTempo(tempo);
}

void Sound_DS7::SetPosition(const Vector3& value)
{
    Sound::SetPosition(value);
    if (bufferDS7)
        bufferDS7->SetPosition(position);
}

int32_t Sound_DS7::GetState() { return state; }

void Sound_DS7::Refresh()
{
    if (!bufferDS7)
        return;
    if (bufferDS7->IsLost()) {
        if (!bufferDS7->Restore())
            return;
        if (bufferDS7->IsStreamed()) {
            int32_t was = state;
            Stop();
            if (was == kPlaying) {
                Play();
            } else if (was == kPaused) {
                Play();
                Pause();
            }
        }
    }
    if (state == kPlaying && !bufferDS7->IsPlaying())
        Stop();
}

} // namespace KorvaneEngine
