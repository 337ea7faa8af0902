#include "gui/GUISoundManager.h"

#include "engine/audio_input/SoundManager.h"

namespace KorvaneEngine {

GUISoundManager::GUISoundManager() {}

GUISoundManager::~GUISoundManager()
{
    if (SoundManager* sounds = SoundManager::Instance())
        for (Cue& c : cues_)
            sounds->DeleteSound(c.sound);
    cues_.clear();
}

void GUISoundManager::AddSound(const std::string& name, const std::string& fileName, bool resident)
{
    SoundManager* sounds = SoundManager::Instance();
    if (!sounds)
        return;
    Sound* s = sounds->CreateSound(fileName, resident, std::string());
    if (!s)
        return;
    Cue c;
    c.name = name;
    c.sound = s;
    cues_.push_back(c);
}

void GUISoundManager::Play(const std::string& name)
{
    SoundManager* sounds = SoundManager::Instance();
    if (!sounds)
        return;
    Cue* best = nullptr;
    for (Cue& c : cues_)
        if (c.name == name && (!best || c.playCount < best->playCount))
            best = &c;
    if (!best)
        return;
    sounds->PlaySound(best->sound, false);
    ++best->playCount;
}

} // namespace KorvaneEngine
