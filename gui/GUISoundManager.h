#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace KorvaneEngine {

class Sound;

// Cue names to sounds of the engine's sound manager, so widgets can sound
// "gui_default_button_click" and the like without knowing the files. Several
// sounds under one name take turns: Play picks the one played least so far.
// Without an engine sound manager every call does nothing.
class GUISoundManager {
public:
    struct Cue {
        std::string name;
        uint32_t playCount = 0;
        Sound* sound = nullptr;
    };

    virtual ~GUISoundManager();
    GUISoundManager();
    GUISoundManager(const GUISoundManager&) = delete;
    GUISoundManager& operator=(const GUISoundManager&) = delete;

    // resident is handed to the sound manager's CreateSound; a sound that
    // cannot be created adds no cue.
    void AddSound(const std::string& name, const std::string& fileName, bool resident);
    // Queues the least-played sound of the name (the earlier on a tie); an
    // unknown name sounds nothing.
    void Play(const std::string& name);

    const std::vector<Cue>& GetCues() const { return cues_; }

private:
    std::vector<Cue> cues_;
};

} // namespace KorvaneEngine
