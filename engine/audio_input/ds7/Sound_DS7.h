#pragma once
#include <cstdint>
#include <string>

#include "engine/audio_input/Sound.h"

namespace KorvaneEngine {

class SoundBuffer_DS7;

// A sound's play state over its DirectSound buffer.
class Sound_DS7 : public Sound {
public:
    Sound_DS7(SoundBufferManager* manager, const std::string& fileName, bool resident);
    explicit Sound_DS7(const Sound_DS7& source);
    ~Sound_DS7() override;

    void Refresh() override;
    bool Play() override;
    void Pause() override;
    void Stop() override;
    void SetLoop(bool flag) override;
    void SetVolume(float value) override;
    void SetTempo(float value) override;
    void SetPosition(const Vector3& value) override;
    int32_t GetState() override;

    SoundBuffer_DS7* GetBufferDS7() const { return bufferDS7; }

private:
    SoundBuffer_DS7* bufferDS7;
    int32_t state = kStopped;
};

} // namespace KorvaneEngine
