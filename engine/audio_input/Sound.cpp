#include "engine/audio_input/Sound.h"

#include "engine/audio_input/SoundBuffer.h"
#include "engine/audio_input/SoundManager.h"

namespace KorvaneEngine {

Sound::Sound(SoundBufferManager* manager, const std::string& fileName, bool resident)
    : bufferManager(manager), name(fileName)
{
    if (bufferManager)
        buffer = bufferManager->AcquireBuffer(name, resident);
}

Sound::Sound(const Sound& source)
    : bufferManager(source.bufferManager), name(source.name), loop(source.loop), volume(source.volume),
      tempo(source.tempo), position(source.position)
{
    if (bufferManager)
        buffer = bufferManager->AcquireBuffer(name, true);
}

Sound::~Sound()
{
    if (bufferManager)
        bufferManager->ReleaseBuffer(buffer);
    buffer = nullptr;
}

void Sound::Refresh() {}

void Sound::SetLoop(bool flag)
{
    loop = flag;
    if (buffer && buffer->IsStreamed())
        buffer->SetLoop(flag);
}

void Sound::SetVolume(float value) { volume = value; }

void Sound::SetTempo(float value) { tempo = value; }

void Sound::SetPosition(const Vector3& value) { position = value; }

} // namespace KorvaneEngine
